#include "shell/KvdUIBuilder_frmTextEditor.h"

#include "shell/KvdUIBuilder_Dialogs.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

TfrmTextEditor::TfrmTextEditor(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmTextEditor"));
    KvdDialogs::SetupFixedDialog(this, 333, 139);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(10, 10, 313, 89);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setTabChangesFocus(true);
    Button1 = KvdDialogs::AddButton(this, "Button1", QStringLiteral("OK"), {170, 106}, &QDialog::accept);
    Button1->setDefault(true);
    Button2 = KvdDialogs::AddButton(this, "Button2", QStringLiteral("Cancel"), {250, 106}, &QDialog::reject);
    setTabOrder(Memo1, Button1);
    setTabOrder(Button1, Button2);
    Memo1->setFocus();
    KvdDialogs::CentreOnOwner(this);
}

// The memo follows all four edges and the buttons keep to the bottom right corner.
void TfrmTextEditor::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int dw = width() - 333;
    const int dh = height() - 139;
    Memo1->setGeometry(10, 10, 313 + dw, 89 + dh);
    Button1->move(170 + dw, 106 + dh);
    Button2->move(250 + dw, 106 + dh);
}
