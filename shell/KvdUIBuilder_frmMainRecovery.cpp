// The main window's safeguards for the user's work: the recovery copy of a document with unsaved changes
// and its offer after a crash, and files changed or removed by other programs while they are open.

#include "shell/KvdUIBuilder_frmMain.h"

#include "core/Exceptions.h"
#include "core/FileName.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUILayoutFile.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_Recovery.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>

namespace {
QString g_recoveryOverride;

// Other programs often write a file in several steps; the file is looked at once they are done.
constexpr int WatchSettleMs = 250;
} // namespace

void TfrmMain::SetRecoveryFolderOverride(const QString& folder) {
    g_recoveryOverride = folder;
}

QString TfrmMain::RecoveryFolder() {
    if (!g_recoveryOverride.isEmpty())
        return g_recoveryOverride;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

void TfrmMain::CreateRecovery() {
    m_recovery = std::make_unique<TRecoveryStore>(RecoveryFolder(), [this](const QString& message) {
        if (!m_destroying)
            Log("%s", qUtf8Printable(message));
    });
    m_watcher = new QFileSystemWatcher(this);
    m_watchDelay = new QTimer(this);
    m_watchDelay->setSingleShot(true);
    m_watchDelay->setInterval(WatchSettleMs);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_watchDelay, qOverload<>(&QTimer::start));
    connect(m_watchDelay, &QTimer::timeout, this, [this] { RunGuarded([this] { DocumentFileChanged(); }); });
}

// --- recovery copies -------------------------------------------------------------------------------------

void TfrmMain::KeepRecoveryCopy(const QString& text) {
    if (m_recovery && m_modified && DocumentOpen())
        m_recovery->Update(text, m_oddName.IsEmpty() ? m_fileName : m_oddName.KeptText(), m_fileStamp);
}

namespace {

// Why the layout text does not read; empty when it does.
QString UnreadableLayout(const QString& layout) {
    TKvdUIDocument scratch;
    scratch.Root()->SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    try {
        ReadLayout(scratch.Root(), TFileName(), layout);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

bool TfrmMain::OfferRecovery() {
    const QList<TRecoveryCopy> copies = m_recovery->TakeOrphans();
    // Left for a later start unless restored or discarded here, whatever the way out of this function.
    const auto release = qScopeGuard([this] { m_recovery->ReleaseOrphans(); });
    if (copies.isEmpty())
        return false;
    const auto nameOf = [](const TRecoveryCopy& copy) {
        return copy.FileName.isEmpty() ? QStringLiteral("a new layout that was never saved")
                                       : QDir::toNativeSeparators(copy.FileName);
    };
    const auto when = [](const TRecoveryCopy& copy) {
        return QLocale().toString(copy.Written.toLocalTime(), QLocale::LongFormat);
    };
    // One question, however many copies there are: the newest can be restored, all discarded, or all kept.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), QString(), QMessageBox::NoButton,
                    this);
    box.setObjectName(QStringLiteral("recoveryOffer"));
    if (copies.size() == 1) {
        box.setText(
            QStringLiteral("Korvadia UI Builder did not exit cleanly. Unsaved changes to %1 were kept.")
                .arg(nameOf(copies.first())));
        box.setInformativeText(
            QStringLiteral("The copy was written %1. Restore it to go on where you left off, or discard it.")
                .arg(when(copies.first())));
    } else {
        constexpr int Listed = 10;
        QStringList lines;
        for (const TRecoveryCopy& copy : copies.mid(0, Listed))
            lines << QStringLiteral("%1 (%2)").arg(nameOf(copy), when(copy));
        if (copies.size() > Listed)
            lines << QStringLiteral("and %1 more").arg(copies.size() - Listed);
        box.setText(
            QStringLiteral("Korvadia UI Builder did not exit cleanly. Unsaved changes to %1 layouts were "
                           "kept.")
                .arg(copies.size()));
        box.setInformativeText(
            QStringLiteral("Restore the newest, %1, discard them all, or keep them for a later "
                           "start:\n%2")
                .arg(nameOf(copies.first()), lines.join(QLatin1Char('\n'))));
    }
    QPushButton* restore = box.addButton(QStringLiteral("&Restore"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(copies.size() == 1 ? QStringLiteral("&Discard") : QStringLiteral("&Discard all"),
                      QMessageBox::DestructiveRole);
    QPushButton* keep = nullptr;
    if (copies.size() > 1)
        keep = box.addButton(QStringLiteral("&Keep for later"), QMessageBox::RejectRole);
    restore->setObjectName(QStringLiteral("restore"));
    discard->setObjectName(QStringLiteral("discard"));
    if (keep)
        keep->setObjectName(QStringLiteral("keep"));
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == discard) {
        for (const TRecoveryCopy& copy : copies)
            m_recovery->DropOrphan(copy);
        return false;
    }
    if (box.clickedButton() != restore)
        return false;
    const TRecoveryCopy& newest = copies.first();
    // A copy that does not read is not restored at all: the document keeps neither its name nor an empty
    // layout that Save would write over the file, and the copy stays for a later start.
    if (const QString problem = UnreadableLayout(newest.Layout); !problem.isEmpty())
        throw Exception(
            QStringLiteral("The unsaved changes to %1 cannot be restored: %2. The copy is kept in %3, "
                           "and the next start offers it again.")
                .arg(nameOf(newest), problem, QDir::toNativeSeparators(m_recovery->Folder())));
    RestoreRecoveryCopy(newest);
    return true;
}

void TfrmMain::RestoreRecoveryCopy(const TRecoveryCopy& copy) {
    m_recovery->Adopt(copy);
    const TFileName file(copy.FileName);
    SetDocument(copy.FileName.isEmpty() ? TDocumentState::Unsaved : TDocumentState::Stored, file.Text());
    LoadLayout(QString(), copy.Layout);
    m_history->Clear();
    // Save compares the file with what the crashed builder had read, so changes made by others since
    // are not overwritten without a question.
    m_fileStamp = copy.Stamp;
    m_modified = true;
    m_storedLayout = QString();
    // A name that is not valid UTF-8 still names the file, but Save cannot write under it (as after Open).
    m_oddName = file.IsText() ? TFileName() : file;
    if (!copy.FileName.isEmpty() && m_oddName.IsEmpty())
        AddRecentFile(copy.FileName);
    Log("Restored unsaved changes to %s", qUtf8Printable(DocumentName()));
}

void TfrmMain::DocumentStored() {
    m_fileStamp = TFileStamp::Of(m_fileName);
    if (m_recovery)
        m_recovery->Discard();
    WatchDocumentFile();
}

void TfrmMain::DocumentDropped() {
    m_fileStamp = TFileStamp();
    if (m_recovery)
        m_recovery->Discard();
    WatchDocumentFile();
}

// --- files changed elsewhere -------------------------------------------------------------------------------

bool TfrmMain::ConfirmSaveOverFile() {
    if (!m_fileStamp.Known)
        return true;
    const TFileStamp now = TFileStamp::Of(m_fileName);
    if (now.SameContent(m_fileStamp))
        return true;
    // With its folder gone too there is nothing to choose: the save fails and says why.
    if (!now.Exists && !QFileInfo(m_fileName).absoluteDir().exists())
        return true;
    const QString name = QDir::toNativeSeparators(m_fileName);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    now.Exists
                        ? QStringLiteral("%1 was changed by another program since it was opened.").arg(name)
                        : QStringLiteral("%1 was deleted or moved by another program since it was "
                                         "opened.")
                              .arg(name),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("saveConflict"));
    box.setInformativeText(now.Exists ? QStringLiteral("Saving replaces the other program's changes.")
                                      : QStringLiteral("Saving creates it again."));
    QPushButton* overwrite = box.addButton(
        now.Exists ? QStringLiteral("&Overwrite") : QStringLiteral("&Save"), QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton(QStringLiteral("Save &As..."), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    overwrite->setObjectName(QStringLiteral("overwrite"));
    saveAs->setObjectName(QStringLiteral("saveAs"));
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return true;
    if (box.clickedButton() == saveAs)
        Execute(actSaveAs);
    return false;
}

void TfrmMain::WatchDocumentFile() {
    if (!m_watcher)
        return;
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (m_documentState == TDocumentState::Stored && QFileInfo::exists(m_fileName))
        m_watcher->addPath(m_fileName);
}

void TfrmMain::DocumentFileChanged() {
    if (m_documentState != TDocumentState::Stored)
        return;
    // A file replaced by a rename (as careful programs save) is no longer watched under its name.
    WatchDocumentFile();
    const TFileStamp now = TFileStamp::Of(m_fileName);
    if (now.SameContent(m_fileStamp))
        return; // our own save, or the same bytes again
    if (!now.Exists) {
        Log("%s was deleted or moved by another program.",
            qUtf8Printable(QDir::toNativeSeparators(m_fileName)));
        return;
    }
    // With unsaved changes nothing is offered: Save will ask before it writes over the file.
    if (m_modified || m_reloadNote)
        return;
    auto* note = new QMessageBox(
        QMessageBox::Information, QApplication::applicationName(),
        QStringLiteral("%1 was changed by another program.").arg(QDir::toNativeSeparators(m_fileName)),
        QMessageBox::NoButton, this);
    note->setObjectName(QStringLiteral("reloadNote"));
    note->setInformativeText(QStringLiteral("Reload it to see the changes?"));
    note->setWindowModality(Qt::NonModal);
    note->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* reload = note->addButton(QStringLiteral("&Reload"), QMessageBox::AcceptRole);
    reload->setObjectName(QStringLiteral("reload"));
    note->addButton(QStringLiteral("&Keep Mine"), QMessageBox::RejectRole);
    const QString fileName = m_fileName;
    connect(note, &QMessageBox::buttonClicked, this, [this, reload, fileName](QAbstractButton* button) {
        if (button != reload)
            return;
        RunGuarded([this, &fileName] {
            // Edits made while the note was up are not thrown away without the usual question.
            if (m_fileName == fileName && QuerySaveChanges())
                LoadLayout(fileName, QString());
        });
    });
    m_reloadNote = note;
    note->show();
}
