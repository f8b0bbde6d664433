// The live preview: connecting to the simulator, the client's events and the button reports.

#include "shell/KvdUIBuilder_frmMain.h"

#include "link/Dromo.h"
#include "link/KvdDromo.h"
#include "link/KvdUI.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmConnect.h"

#include <QAction>
#include <QLineEdit>
#include <QScopeGuard>
#include <QThread>

namespace {
// Runs work on the object's thread: at once when already there, else queued (dropped if the object goes
// away first).
void OnGuiThread(QObject* context, std::function<void()> work) {
    if (QThread::currentThread() == context->thread())
        work();
    else
        QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}
} // namespace

void TfrmMain::actPreviewExecute() {
    if (!actPreview->isChecked()) {
        KvdDromo1->SetActive(false);
        return;
    }
    TfrmConnect dialog(this);
    dialog.edAddress->setText(KvdDromo1->Address());
    dialog.edPort->setText(QString::number(KvdDromo1->Port()));
    if (dialog.exec() != QDialog::Accepted) {
        actPreview->setChecked(false);
        return;
    }
    KvdDromo1->SetAddress(dialog.edAddress->text());
    bool ok = false;
    const int port = dialog.edPort->text().toInt(&ok);
    if (!ok) {
        // Nothing is connected, so the mark must not say otherwise.
        actPreview->setChecked(KvdDromo1->Active());
        throw EConvertError(Messages::NotAnInteger(dialog.edPort->text()));
    }
    KvdDromo1->SetPort(port);
    SetScreenCursor(Qt::WaitCursor);
    // The mark tells whether the connection came up, also when connecting failed.
    const auto restore = qScopeGuard([this] {
        SetScreenCursor(Qt::ArrowCursor);
        actPreview->setChecked(KvdDromo1->Active());
    });
    KvdDromo1->SetActive(true);
}

void TfrmMain::KvdDromo1Connect(QObject*, DR_VER& ver) {
    Log("Connected to Korvadia [%s %s]", qUtf8Printable(KvdTypes::EscapeControls(ver.TextAt12())),
        qUtf8Printable(KvdTypes::EscapeControls(ver.TextAt4())));
    ScheduleRefresh();
}

void TfrmMain::KvdDromo1Disconnect(QObject*) {
    // When the simulator ends the connection this comes from the reader thread.
    OnGuiThread(this, [this] {
        Log("Disconnected from Korvadia.");
        actPreview->setChecked(false);
    });
}

void TfrmMain::KvdDromo1Error(QObject*, const QString& message) {
    OnGuiThread(this,
                [this, message] { Log("Error: %s", qUtf8Printable(KvdTypes::EscapeControls(message))); });
}

void TfrmMain::KvdUI1Event(QObject*, quint8 clickId, quint8, const QString& text) {
    Log("Button %d clicked [%s]", int(clickId), qUtf8Printable(KvdTypes::EscapeControls(text)));
}
