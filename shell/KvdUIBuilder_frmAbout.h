#pragma once
// TfrmAbout: the program's name, version and a link to its web page.

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* owner);

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;

    // The address behind the link.
    static QString WebPage();
    // The program's file version as four dot-separated numbers, or empty when the build carries none.
    static QString VersionText();

private:
    void FormCreate();
    void Label2Click();
};
