#include "shell/KvdUIBuilder_frmAbout.h"

#include "shell/KvdUIBuilder_Dialogs.h"
#include "shell/KvdUIBuilder_Icons.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace {
// A label that reports a left click.
class TLinkLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
            OnClick();
    }
};
} // namespace

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    KvdDialogs::SetupFixedDialog(this, 423, 117);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 12, 48, 48);
    Image1->setPixmap(KvdIcons::AppIcon().pixmap(48, 48));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(72, 20);
    auto* link = new TLinkLabel(WebPage(), this);
    Label2 = link;
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(72, 44);
    QFont linkFont = Label2->font();
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    Label2->setFont(linkFont);
    QPalette linkPalette = Label2->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    Label2->setPalette(linkPalette);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->adjustSize();
    link->OnClick = [this] { Label2Click(); };
    Button1 = KvdDialogs::AddButton(this, "Button1", QStringLiteral("Close"), {334, 80}, &QDialog::reject);
    Button1->setDefault(true);

    FormCreate();
    KvdDialogs::CentreOnOwner(this);
}

QString TfrmAbout::WebPage() {
    return QStringLiteral("http://www.korvadia.com/");
}

QString TfrmAbout::VersionText() {
#ifdef KVD_VERSION_TEXT
    // The build's version has up to four parts; missing parts count as 0, a malformed one leaves no text.
    const QStringList parts = QStringLiteral(KVD_VERSION_TEXT).split(QLatin1Char('.'));
    if (parts.isEmpty() || parts.size() > 4)
        return QString();
    int numbers[4] = {0, 0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > 0xFFFF)
            return QString();
    }
    return QString::asprintf("%d.%d.%d.%d", numbers[0], numbers[1], numbers[2], numbers[3]);
#else
    return QString();
#endif
}

void TfrmAbout::FormCreate() {
    setWindowTitle(QStringLiteral("About ") + QApplication::applicationName());
    Label1->setText(VersionText());
    Label1->adjustSize();
}

void TfrmAbout::Label2Click() {
    QDesktopServices::openUrl(QUrl(Label2->text()));
    reject();
}
