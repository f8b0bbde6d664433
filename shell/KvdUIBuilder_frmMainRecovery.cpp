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
} // namespace

void TfrmMain::SetRecoveryFolderOverride(const QString& folder) {
    g_recoveryOverride = folder;
}

QString TfrmMain::RecoveryFolder() {
    if (!g_recoveryOverride.isEmpty())
        return g_recoveryOverride;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

bool TfrmMain::OfferRecovery() {
    const QList<TRecoveryCopy> copies = Recovery()->TakeOrphans();
    // Left for a later start unless restored or discarded here, whatever the way out of this function.
    const auto release = qScopeGuard([this] { Recovery()->ReleaseOrphans(); });
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
            Recovery()->DropOrphan(copy);
        return false;
    }
    if (box.clickedButton() != restore)
        return false;
    const TRecoveryCopy& newest = copies.first();
    // A copy that does not read is not restored at all: the document keeps neither its name nor an empty
    // layout that Save would write over the file, and the copy stays for a later start.
    if (const QString problem = TBuilderDocument::ReadProblem(newest.Layout); !problem.isEmpty())
        throw Exception(
            QStringLiteral("The unsaved changes to %1 cannot be restored: %2. The copy is kept in %3, "
                           "and the next start offers it again.")
                .arg(nameOf(newest), problem, QDir::toNativeSeparators(Recovery()->Folder())));
    m_doc->Restore(newest);
    return true;
}

// --- files changed elsewhere -------------------------------------------------------------------------------

TDocumentQuestions::TChangedFile TfrmMain::AskOverwriteChanged(const QString& fileName, bool exists) {
    const QString name = QDir::toNativeSeparators(fileName);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    exists
                        ? QStringLiteral("%1 was changed by another program since it was opened.").arg(name)
                        : QStringLiteral("%1 was deleted or moved by another program since it was "
                                         "opened.")
                              .arg(name),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("saveConflict"));
    box.setInformativeText(exists ? QStringLiteral("Saving replaces the other program's changes.")
                                  : QStringLiteral("Saving creates it again."));
    QPushButton* overwrite = box.addButton(exists ? QStringLiteral("&Overwrite") : QStringLiteral("&Save"),
                                           QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton(QStringLiteral("Save &As..."), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    overwrite->setObjectName(QStringLiteral("overwrite"));
    saveAs->setObjectName(QStringLiteral("saveAs"));
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return TChangedFile::Overwrite;
    if (box.clickedButton() == saveAs)
        return TChangedFile::SaveAs;
    return TChangedFile::Cancel;
}

void TfrmMain::ShowReloadNote(const QString& fileName) {
    if (m_reloadNote)
        return;
    auto* note = new QMessageBox(
        QMessageBox::Information, QApplication::applicationName(),
        QStringLiteral("%1 was changed by another program.").arg(QDir::toNativeSeparators(fileName)),
        QMessageBox::NoButton, this);
    note->setObjectName(QStringLiteral("reloadNote"));
    note->setInformativeText(QStringLiteral("Reload it to see the changes?"));
    note->setWindowModality(Qt::NonModal);
    note->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* reload = note->addButton(QStringLiteral("&Reload"), QMessageBox::AcceptRole);
    reload->setObjectName(QStringLiteral("reload"));
    note->addButton(QStringLiteral("&Keep Mine"), QMessageBox::RejectRole);
    connect(note, &QMessageBox::buttonClicked, this, [this, reload, fileName](QAbstractButton* button) {
        if (button == reload)
            RunGuarded([this, &fileName] { m_doc->Reload(fileName); });
    });
    m_reloadNote = note;
    note->show();
}
