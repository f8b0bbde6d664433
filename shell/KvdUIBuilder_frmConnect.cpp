#include "shell/KvdUIBuilder_frmConnect.h"

#include "shell/KvdUIBuilder_Dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmConnect::TfrmConnect(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmConnect"));
    KvdDialogs::SetupFixedDialog(this, 280, 102);
    setWindowTitle(QStringLiteral("Connect to Korvadia"));

    Label1 = new QLabel(QStringLiteral("Address"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(14, 12);
    Label2 = new QLabel(QStringLiteral("Port"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(114, 12);
    edAddress = new QLineEdit(this);
    edAddress->setObjectName(QStringLiteral("edAddress"));
    edAddress->setGeometry(12, 28, 90, 21);
    edPort = new QLineEdit(this);
    edPort->setObjectName(QStringLiteral("edPort"));
    edPort->setGeometry(112, 28, 90, 21);
    Button1 = KvdDialogs::AddButton(this, "Button1", QStringLiteral("Connect"), {117, 67}, &QDialog::accept);
    Button1->setDefault(true);
    // Esc closes a QDialog with the Cancel result (reject) on its own.
    Button2 = KvdDialogs::AddButton(this, "Button2", QStringLiteral("Cancel"), {197, 67}, &QDialog::reject);
    setTabOrder(edAddress, edPort);
    setTabOrder(edPort, Button1);
    setTabOrder(Button1, Button2);
    edAddress->setFocus();
    KvdDialogs::CentreOnOwner(this);
}
