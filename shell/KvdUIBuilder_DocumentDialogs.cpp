#include "shell/KvdUIBuilder_DocumentDialogs.h"

#include "core/DeferredError.h"
#include "shell/KvdUIBuilder_Recovery.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

TDocumentQuestions::TSaveChanges TDocumentDialogs::AskSaveChanges(const QString& documentName) {
    const auto answer = QMessageBox::question(
        m_owner, QApplication::applicationName(), QStringLiteral("Save changes to %1 ?").arg(documentName),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return answer == QMessageBox::Yes  ? TSaveChanges::Save
           : answer == QMessageBox::No ? TSaveChanges::Discard
                                       : TSaveChanges::Cancel;
}

QString TDocumentDialogs::ChooseFile(bool save) {
    QString& preset = save ? m_savePreset : m_openPreset;
    QFileDialog dialog(m_owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(save ? QStringLiteral(" KvdUI files (*.kvdui)")
                              : QStringLiteral("KvdUI Files (*.kvdui)"));
    dialog.setDefaultSuffix(QStringLiteral("kvdui"));
    if (!preset.isEmpty())
        dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    preset = dialog.selectedFiles().first();
    return preset;
}

void TDocumentDialogs::Inform(const QString& message) {
    QMessageBox::information(m_owner, QApplication::applicationName(), message);
}

TDocumentQuestions::TChangedFile TDocumentDialogs::AskOverwriteChanged(const QString& fileName, bool exists) {
    const QString name = QDir::toNativeSeparators(fileName);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    exists
                        ? QStringLiteral("%1 was changed by another program since it was opened.").arg(name)
                        : QStringLiteral("%1 was deleted or moved by another program since it was "
                                         "opened.")
                              .arg(name),
                    QMessageBox::NoButton, m_owner);
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

QString TDocumentDialogs::CopyName(const TRecoveryCopy& copy) {
    return copy.FileName.isEmpty() ? QStringLiteral("a new layout that was never saved")
                                   : QDir::toNativeSeparators(copy.FileName);
}

TDocumentDialogs::TRecoveryAnswer TDocumentDialogs::AskRecovery(const QList<TRecoveryCopy>& copies) {
    const auto when = [](const TRecoveryCopy& copy) {
        return QLocale().toString(copy.Written.toLocalTime(), QLocale::LongFormat);
    };
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), QString(), QMessageBox::NoButton,
                    m_owner);
    box.setObjectName(QStringLiteral("recoveryOffer"));
    if (copies.size() == 1) {
        box.setText(
            QStringLiteral("Korvadia UI Builder did not exit cleanly. Unsaved changes to %1 were kept.")
                .arg(CopyName(copies.first())));
        box.setInformativeText(
            QStringLiteral("The copy was written %1. Restore it to go on where you left off, or discard it.")
                .arg(when(copies.first())));
    } else {
        constexpr int Listed = 10;
        QStringList lines;
        for (const TRecoveryCopy& copy : copies.mid(0, Listed))
            lines << QStringLiteral("%1 (%2)").arg(CopyName(copy), when(copy));
        if (copies.size() > Listed)
            lines << QStringLiteral("and %1 more").arg(copies.size() - Listed);
        box.setText(
            QStringLiteral("Korvadia UI Builder did not exit cleanly. Unsaved changes to %1 layouts were "
                           "kept.")
                .arg(copies.size()));
        box.setInformativeText(
            QStringLiteral("Restore the newest, %1, discard them all, or keep them for a later "
                           "start:\n%2")
                .arg(CopyName(copies.first()), lines.join(QLatin1Char('\n'))));
    }
    QPushButton* restore = box.addButton(QStringLiteral("&Restore"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(copies.size() == 1 ? QStringLiteral("&Discard") : QStringLiteral("&Discard all"),
                      QMessageBox::DestructiveRole);
    restore->setObjectName(QStringLiteral("restore"));
    discard->setObjectName(QStringLiteral("discard"));
    if (copies.size() > 1)
        box.addButton(QStringLiteral("&Keep for later"), QMessageBox::RejectRole)
            ->setObjectName(QStringLiteral("keep"));
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == discard)
        return TRecoveryAnswer::DiscardAll;
    return box.clickedButton() == restore ? TRecoveryAnswer::Restore : TRecoveryAnswer::Keep;
}

void TDocumentDialogs::OfferReload(const QString& fileName, const std::function<void()>& reload) {
    if (m_reloadNote)
        return;
    auto* note = new QMessageBox(
        QMessageBox::Information, QApplication::applicationName(),
        QStringLiteral("%1 was changed by another program.").arg(QDir::toNativeSeparators(fileName)),
        QMessageBox::NoButton, m_owner);
    note->setObjectName(QStringLiteral("reloadNote"));
    note->setInformativeText(QStringLiteral("Reload it to see the changes?"));
    note->setWindowModality(Qt::NonModal);
    note->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* reloadButton = note->addButton(QStringLiteral("&Reload"), QMessageBox::AcceptRole);
    reloadButton->setObjectName(QStringLiteral("reload"));
    note->addButton(QStringLiteral("&Keep Mine"), QMessageBox::RejectRole);
    QObject::connect(note, &QMessageBox::buttonClicked, note,
                     [reloadButton, reload](QAbstractButton* button) {
                         if (button == reloadButton)
                             RunGuarded(reload);
                     });
    m_reloadNote = note;
    note->show();
}
