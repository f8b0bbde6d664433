#pragma once
// TBuilderDocument: the layout the builder edits, apart from any window. It owns the element model, the
// document's file name and state, the modified flag, the undo history, the recovery copy, the stamp of
// the file as last read or written and the watcher that notices other programs changing it. It offers
// the document commands with their rules and asks its questions through TDocumentQuestions; the main
// window answers them with its dialogs, a test with scripted answers. What the window must show follows
// from the signals.

#include "core/FileName.h"
#include "layout/KvdUIElement.h"
#include "shell/KvdUIBuilder_FileStamp.h"
#include "shell/UndoRedoManager.h"

#include <QObject>
#include <QString>

#include <memory>

class QFileSystemWatcher;
class QTimer;
class TKvdUIDocument;
class TRecoveryStore;
struct TRecoveryCopy;

// The questions a document command may ask its user.
class TDocumentQuestions {
public:
    enum class TSaveChanges { Save, Discard, Cancel };
    enum class TChangedFile { Overwrite, SaveAs, Cancel };

    virtual ~TDocumentQuestions() = default;
    // "Save changes to <name> ?" before unsaved changes would be dropped.
    virtual TSaveChanges AskSaveChanges(const QString& documentName) = 0;
    // The file to open, or to save as; empty when the user cancelled.
    virtual QString ChooseFile(bool save) = 0;
    // Before Save writes over a file another program changed (exists) or removed since it was read.
    virtual TChangedFile AskOverwriteChanged(const QString& fileName, bool exists) = 0;
    // A notice the user confirms.
    virtual void Inform(const QString& message) = 0;
};

class TBuilderDocument : public QObject {
    Q_OBJECT

public:
    // No document, a new one not saved yet, or one stored in a file.
    enum class TState { None, Unsaved, Stored };
    // How many layout states Undo can go back.
    static constexpr int HistoryLimit = 10;
    // Other programs often write a file in several steps; it is looked at once they are done.
    static constexpr int WatchSettleMs = 250;

    // recoveryFolder: where unsaved changes are copied; empty for no copies.
    TBuilderDocument(TDocumentQuestions& questions, const QString& recoveryFolder);
    // Frees every element; they still report their going through ElementChanged.
    ~TBuilderDocument() override;

    TControl* Root() const;
    TKvdUIDocument* Model() const { return m_model.get(); }
    TState State() const { return m_state; }
    bool IsOpen() const { return m_state != TState::None; }
    // The file of a stored document; empty otherwise.
    QString FileName() const { return m_fileName; }
    // What the title shows: the file name, "Unsaved.kvdui" for a new document, empty for none.
    QString Name() const;
    bool Modified() const { return m_modified; }
    TUndoRedoManager* History() const { return m_history.get(); }
    TRecoveryStore* Recovery() const { return m_recovery.get(); }
    bool InBulkUpdate() const { return m_bulkDepth > 0; }

    // --- commands: each may throw an Exception with the reason it failed --------------------------------
    // True when the unsaved changes may go: there are none, the user saved them or chose to drop them.
    bool QuerySaveChanges();
    void New();
    // Asks for a file and opens it; false when the user cancelled.
    bool Open();
    // Reads a layout: from the file when its name is given (the document then stands for that file), else
    // from text into the current document. A file that does not read leaves the document as it was.
    void Load(const TFileName& file, const QString& text);
    // Saves to the document's file, or asks for one; false when nothing was written.
    bool Save();
    bool SaveAs();
    // False when the user kept the document.
    bool Close();
    void Undo();
    void Redo();
    // Removes every element.
    void Clear();
    // Takes back the unsaved changes of a builder that did not exit cleanly; ReadProblem says first whether
    // the copy reads at all.
    void Restore(const TRecoveryCopy& copy);
    // Why the layout text does not read; empty when it does.
    static QString ReadProblem(const QString& layout);
    // The user wants the file that changed elsewhere back (after the usual question about own changes).
    void Reload(const QString& fileName);

    // --- edits
    // ---------------------------------------------------------------------------------------------- Between
    // these, elements change without marking the document or asking for a refresh each; the end asks for one
    // refresh.
    void BeginBulkUpdate();
    void EndBulkUpdate();
    // A change the element model does not report (the designer moved or resized something).
    void MarkModified();
    // The refresh after a burst of changes: the layout text, recorded as an undo state (unless it came from
    // the history or a load) and kept as the recovery copy while it is unsaved.
    QString Snapshot();
    // The program ends cleanly: the history goes and no recovery copy is kept.
    void EndSession();

signals:
    // The state or the file name changed.
    void StateChanged();
    void BulkUpdateStarted();
    void BulkUpdateEnded();
    // Every element is about to go; then they have gone.
    void AboutToClear();
    void Cleared();
    // A layout was read in, before its bulk update ends.
    void Loaded();
    // An element was created, changed or is being destroyed.
    void ElementChanged(TKvdUIElement* element, TKvdUIElementChange kind);
    // The layout changed: a refresh is due.
    void RefreshNeeded();
    // A file was opened or saved under a name the recent-file list can hold.
    void FileUsed(const QString& fileName);
    void Message(const QString& text);
    // Another program changed the file of an unmodified document: the user may want to reload it.
    void ChangedElsewhere(const QString& fileName);

private:
    void SetState(TState state, const QString& fileName = QString());
    void OnModelChange(TKvdUIElement* element, TKvdUIElementChange kind);
    void RemoveElements();
    void LoadHistoryState(const QString& text);
    // The file was read or written just now: remember what it holds, drop the recovery copy.
    void Stored();
    void Dropped();
    // Before Save writes over the file: whether to, to save under another name instead, or not at all. Asks
    // only when another program changed or removed the file since it was read or written.
    TDocumentQuestions::TChangedFile ConfirmSaveOverFile();
    void WatchFile();
    void FileChanged();

    TDocumentQuestions& m_questions;
    std::unique_ptr<TKvdUIDocument> m_model;
    std::unique_ptr<TUndoRedoManager> m_history;
    std::unique_ptr<TRecoveryStore> m_recovery;
    TState m_state = TState::None;
    QString m_fileName;
    // Set when the file name is not valid UTF-8: the name by its bytes. The file opened by them, but Save
    // cannot write it back under that name and asks for another; a recovery copy keeps it.
    TFileName m_oddName;
    bool m_modified = false;
    // The layout text as last opened or saved (null when unknown, as after a restore): Undo and Redo that
    // come back to it leave the document unmodified, any other state is a change to save.
    QString m_storedLayout;
    TFileStamp m_fileStamp;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_watchDelay = nullptr;
    // The next snapshot is a state from the history or a load, not a new undo step.
    bool m_skipSnapshot = false;
    int m_bulkDepth = 0;
    bool m_ending = false;
};
