#pragma once
// TfrmTextEditor: edits a multi-line text. The caller sets the caption and the memo's text, and on the
// OK result takes the memo's text back.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfrmTextEditor : public QDialog {
    Q_OBJECT

public:
    explicit TfrmTextEditor(QWidget* owner);

    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
