#pragma once
// Recovery copies: while a document has unsaved changes, the builder keeps its layout text in the
// user's data folder, so that a crash or a kill loses at most the last few seconds of work. Each
// running builder holds a lock file of its own beside its copy; a copy whose lock nobody holds was left
// by a builder that did not exit cleanly and is offered back at the next start. Copies are written on a
// thread of their own, atomically, at most once per WriteInterval, so a slow disk never holds up a drag
// or a refresh.

#include "shell/KvdUIBuilder_FileStamp.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QLockFile;

// A copy left by a builder that is no longer running.
struct TRecoveryCopy {
    QString Id;
    // The document's file; empty for a layout that was never saved.
    QString FileName;
    QDateTime Written;
    QString Layout;
    // What the file held when that builder read or last wrote it.
    TFileStamp Stamp;
};

class TRecoveryStore : public QObject {
    Q_OBJECT

public:
    static constexpr int WriteInterval = 2000;

    // folder: where the copies and their locks live (created when the first copy is written).
    // onError: told once, on the GUI thread, when a copy cannot be written.
    TRecoveryStore(const QString& folder, std::function<void(const QString&)> onError);
    // Waits for a write in progress; the copy stays (its lock goes), so a caller that did not Discard
    // leaves it to be offered again.
    ~TRecoveryStore() override;

    QString Folder() const { return m_folder; }
    // Where a builder keeps its copies: the user's data folder, or the folder SetFolderOverride named
    // (tests, before a main window is made).
    static QString DefaultFolder();
    static void SetFolderOverride(const QString& folder);
    // The file this builder writes its copy to.
    QString CopyPath() const;

    // The document's latest state; written within WriteInterval.
    void Update(const QString& layout, const QString& fileName, const TFileStamp& stamp);
    // The document was saved, closed or its changes dropped: no copy is kept.
    void Discard();
    // Writes what is pending now and waits until it is on disk (or removed).
    void Flush();

    // Copies left by builders that are no longer running, newest first. Until ReleaseOrphans, this store
    // holds one lock for the folder's offer, so that no other builder offers them too; no file stays open
    // per copy. Lock files of dead builders are removed on the way.
    QList<TRecoveryCopy> TakeOrphans();
    // Goes on writing into that copy (it was restored); until the next write it keeps what it holds.
    void Adopt(const TRecoveryCopy& copy);
    // Deletes that copy.
    void DropOrphan(const TRecoveryCopy& copy);
    // Leaves the remaining orphans for a later start.
    void ReleaseOrphans();

private:
    class TWriter;

    void WritePending();
    bool EnsureLocked();
    QString PathOf(const QString& id, const char* suffix) const;

    QString m_folder;
    QString m_id;
    std::shared_ptr<QLockFile> m_lock;
    // The copies TakeOrphans found, while this store holds the offer lock that keeps other builders from
    // offering them too.
    QStringList m_orphans;
    std::shared_ptr<QLockFile> m_offerLock;
    std::unique_ptr<TWriter> m_writer;
    std::function<void(const QString&)> m_onError;
    QTimer m_throttle;
    bool m_pending = false;
    QString m_layout;
    QString m_fileName;
    TFileStamp m_stamp;
    bool m_errorShown = false;
};
