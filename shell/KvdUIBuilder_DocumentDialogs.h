#pragma once
// The builder's dialogs for the document: the answers to its questions (save changes, which file, a file
// changed elsewhere), the offer of recovery copies at start and the note that offers to reload a file
// another program changed. All are Qt's own widgets, so that they look the same everywhere and tests can
// answer them by their object names.

#include "shell/KvdUIBuilder_Document.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;
struct TRecoveryCopy;

class TDocumentDialogs : public TDocumentQuestions {
public:
    enum class TRecoveryAnswer { Restore, DiscardAll, Keep };

    // owner: the window the dialogs belong to.
    explicit TDocumentDialogs(QWidget* owner) : m_owner(owner) {}

    TSaveChanges AskSaveChanges(const QString& documentName) override;
    QString ChooseFile(bool save) override;
    TChangedFile AskOverwriteChanged(const QString& fileName, bool exists) override;
    void Inform(const QString& message) override;

    // One question for the copies left by builders that did not exit cleanly (newest first), however
    // many there are: the newest can be restored, all discarded, or all kept for a later start.
    TRecoveryAnswer AskRecovery(const QList<TRecoveryCopy>& copies);
    // How the offer names the document of a copy.
    static QString CopyName(const TRecoveryCopy& copy);
    // A note, not modal, that offers to reload the file; reload runs when the user takes it. At most one
    // note is up at a time.
    void OfferReload(const QString& fileName, const std::function<void()>& reload);

private:
    QWidget* m_owner;
    // Where the open and the save dialog start: the file chosen last in each.
    QString m_openPreset;
    QString m_savePreset;
    QPointer<QWidget> m_reloadNote;
};
