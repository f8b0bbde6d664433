#pragma once
// What the three small dialogs have in common: a fixed frame centred on the owner, the form font and the
// buttons that close them.

#include <QPoint>
#include <QString>

class QDialog;
class QPushButton;
class QWidget;

namespace KvdDialogs {
// Fixes the dialog's client size, removes the minimise and maximise boxes and sets the form font.
void SetupFixedDialog(QDialog* dialog, int clientWidth, int clientHeight);
// Places the dialog in the middle of its owner window (or of the screen without an owner).
void CentreOnOwner(QDialog* dialog);
// A 75 x 25 button of that object name with its top left corner at the place given; a click ends the
// dialog through close (accept or reject).
QPushButton* AddButton(QDialog* dialog, const char* name, const QString& text, QPoint at,
                       void (QDialog::*close)());
} // namespace KvdDialogs
