#pragma once
// What the three small dialogs have in common: a fixed frame centred on the owner and the form font.

class QDialog;
class QWidget;

namespace KvdDialogs {
// Fixes the dialog's client size, removes the minimise and maximise boxes and sets the form font.
void SetupFixedDialog(QDialog* dialog, int clientWidth, int clientHeight);
// Places the dialog in the middle of its owner window (or of the screen without an owner).
void CentreOnOwner(QDialog* dialog);
} // namespace KvdDialogs
