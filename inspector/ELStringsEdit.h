#pragma once
// The modal dialog in which a string-list property is edited as plain multi-line text.

#include <QDialog>
#include <QStringList>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TELStringsEditorDlg : public QDialog {
    Q_OBJECT

public:
    explicit TELStringsEditorDlg(QWidget* parent = nullptr);

    QStringList Lines() const;
    void SetLines(const QStringList& lines);
    // Shows the dialog modally; true when it was closed with OK.
    bool Execute();

    QFrame* bvlMain;
    QLabel* lbLineCount;
    QPlainTextEdit* memMain;
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void UpdateLineCount();
    int LineCount() const;
};
