#include "inspector/ELStringsEdit.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

TELStringsEditorDlg::TELStringsEditorDlg(QWidget* parent)
    : QDialog(parent), bvlMain(new QFrame(this)), lbLineCount(new QLabel(this)),
      memMain(new QPlainTextEdit(this)), btnOk(new QPushButton(this)), btnCancel(new QPushButton(this)) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(431, 279);
    bvlMain->setFrameShape(QFrame::Box);
    bvlMain->setFrameShadow(QFrame::Sunken);
    bvlMain->setGeometry(8, 8, 413, 229);
    lbLineCount->setGeometry(12, 12, 169, 17);
    lbLineCount->setText(QStringLiteral("0 lines"));
    memMain->setGeometry(16, 31, 397, 197);
    memMain->setLineWrapMode(QPlainTextEdit::NoWrap);
    memMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memMain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnOk->setGeometry(265, 248, 75, 25);
    btnOk->setDefault(true);
    btnCancel->setGeometry(345, 248, 75, 25);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject); // Escape rejects as well
    connect(memMain, &QPlainTextEdit::textChanged, this, [this] { UpdateLineCount(); });
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

QStringList TELStringsEditorDlg::Lines() const {
    QStringList lines = memMain->toPlainText().split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // a final line break starts no new line
    return lines;
}

void TELStringsEditorDlg::SetLines(const QStringList& lines) {
    memMain->setPlainText(lines.join(QLatin1Char('\n')));
}

int TELStringsEditorDlg::LineCount() const {
    return static_cast<int>(Lines().size());
}

void TELStringsEditorDlg::UpdateLineCount() {
    lbLineCount->setText(QStringLiteral("%1 lines").arg(LineCount()));
}

bool TELStringsEditorDlg::Execute() {
    setWindowTitle(QStringLiteral("String List Editor"));
    btnOk->setText(QStringLiteral("&OK"));
    btnCancel->setText(QStringLiteral("Cancel"));
    UpdateLineCount();
    return exec() == QDialog::Accepted;
}
