#pragma once
// TfrmConnect: asks for the simulator's address and port before the live preview starts. It does not
// check its input: the caller fills both boxes and converts the port.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmConnect : public QDialog {
    Q_OBJECT

public:
    explicit TfrmConnect(QWidget* owner);

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* edAddress;
    QLineEdit* edPort;
    QPushButton* Button1;
    QPushButton* Button2;
};
