#include "shell/KvdUIBuilder_CaptionProperty.h"

#include "inspector/ELPropInspInspector.h"
#include "shell/KvdUIBuilder_frmTextEditor.h"

#include <QApplication>
#include <QPlainTextEdit>

TELPropAttrs TKvdUIElementCaptionProperty::GetAttrs() {
    return peDialog;
}

void TKvdUIElementCaptionProperty::Edit() {
    TELStringPropEditor::Edit();
    QWidget* owner = Owner() ? Owner()->window() : QApplication::activeWindow();
    TfrmTextEditor dialog(owner);
    dialog.setWindowTitle(GetPropName() + QStringLiteral(" property editor"));
    // The memo works with plain line feeds; the value keeps carriage return and line feed pairs.
    QString value = GetValue();
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    dialog.Memo1->setPlainText(value);
    dialog.Memo1->selectAll();
    if (dialog.exec() == QDialog::Accepted) {
        QString text = dialog.Memo1->toPlainText();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        SetValue(text);
    }
}
