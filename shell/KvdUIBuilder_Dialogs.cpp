#include "shell/KvdUIBuilder_Dialogs.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace KvdDialogs {

void SetupFixedDialog(QDialog* dialog, int clientWidth, int clientHeight) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    dialog->setFont(font);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(clientWidth, clientHeight);
    dialog->setSizeGripEnabled(false);
}

void CentreOnOwner(QDialog* dialog) {
    QRect area;
    if (QWidget* owner = dialog->parentWidget())
        area = owner->window()->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        dialog->move(area.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

QPushButton* AddButton(QDialog* dialog, const char* name, const QString& text, QPoint at,
                       void (QDialog::*close)()) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(at.x(), at.y(), 75, 25);
    QObject::connect(button, &QPushButton::clicked, dialog, close);
    return button;
}

} // namespace KvdDialogs
