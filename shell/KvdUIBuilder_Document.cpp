#include "shell/KvdUIBuilder_Document.h"

#include "core/DeferredError.h"
#include "core/Exceptions.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUILayoutFile.h"
#include "shell/KvdUIBuilder_Recovery.h"
#include "shell/UndoRedoManager.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QScopeGuard>
#include <QTimer>

namespace {
const char* const UnsavedName = "Unsaved.kvdui";
} // namespace

TBuilderDocument::TBuilderDocument(TDocumentQuestions& questions, const QString& recoveryFolder)
    : m_questions(questions),
      m_model(std::make_unique<TKvdUIDocument>(
          [this](TKvdUIElement* element, TKvdUIElementChange kind) { OnModelChange(element, kind); })),
      m_history(std::make_unique<TUndoRedoManager>(HistoryLimit)) {
    Root()->SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    Root()->SetAcceptsControls(true);
    if (!recoveryFolder.isEmpty())
        m_recovery = std::make_unique<TRecoveryStore>(recoveryFolder, [this](const QString& message) {
            if (!m_ending)
                emit Message(message);
        });
    m_watcher = new QFileSystemWatcher(this);
    m_watchDelay = new QTimer(this);
    m_watchDelay->setSingleShot(true);
    m_watchDelay->setInterval(WatchSettleMs);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_watchDelay, qOverload<>(&QTimer::start));
    connect(m_watchDelay, &QTimer::timeout, this, [this] { RunGuarded([this] { FileChanged(); }); });
}

TBuilderDocument::~TBuilderDocument() {
    m_ending = true;
    // While this object still stands, so that the elements' last reports reach the window.
    m_model.reset();
}

TControl* TBuilderDocument::Root() const {
    return m_model ? m_model->Root() : nullptr;
}

QString TBuilderDocument::Name() const {
    switch (m_state) {
    case TState::None:
        return QString();
    case TState::Unsaved:
        return QString::fromLatin1(UnsavedName);
    case TState::Stored:
        break;
    }
    return m_fileName;
}

void TBuilderDocument::SetState(TState state, const QString& fileName) {
    m_state = state;
    m_oddName = TFileName();
    m_fileName = state == TState::Stored ? fileName : QString();
    emit StateChanged();
}

void TBuilderDocument::OnModelChange(TKvdUIElement* element, TKvdUIElementChange kind) {
    emit ElementChanged(element, kind);
    // A bulk update asks for one refresh at its end and leaves the modified flag alone.
    if (m_ending || InBulkUpdate())
        return;
    m_modified = true;
    emit RefreshNeeded();
}

// --- commands ------------------------------------------------------------------------------------------

bool TBuilderDocument::QuerySaveChanges() {
    if (!m_modified)
        return true;
    switch (m_questions.AskSaveChanges(Name())) {
    case TDocumentQuestions::TSaveChanges::Save:
        Save();
        return !m_modified;
    case TDocumentQuestions::TSaveChanges::Discard:
        return true;
    case TDocumentQuestions::TSaveChanges::Cancel:
        break;
    }
    return false;
}

void TBuilderDocument::New() {
    if (!QuerySaveChanges())
        return;
    m_skipSnapshot = true;
    Clear();
    m_history->Clear();
    m_modified = false;
    m_storedLayout = WriteLayout(Root());
    SetState(TState::Unsaved);
    Dropped();
}

bool TBuilderDocument::Open() {
    if (!QuerySaveChanges())
        return false;
    const QString chosen = m_questions.ChooseFile(false);
    if (chosen.isEmpty())
        return false;
    Load(chosen, QString());
    return true;
}

void TBuilderDocument::Load(const TFileName& file, const QString& text) {
    // The file is read by its name's bytes; the document carries the name as text, which for a name that
    // is not valid UTF-8 only shows it.
    const QString fileName = file.Text();
    // What was there before a file is read, so that a file that cannot be read leaves the document as
    // it was instead of a partial layout under the new name (which Save would then write over the file).
    const TState previousState = m_state;
    const QString previousName = m_fileName;
    const TFileName previousOddName = m_oddName;
    const bool previousModified = m_modified;
    const QString previousLayout = fileName.isEmpty() ? QString() : WriteLayout(Root());

    BeginBulkUpdate();
    const auto endBulk = qScopeGuard([this] { EndBulkUpdate(); });
    RemoveElements();
    if (!fileName.isEmpty())
        SetState(TState::Stored, fileName);
    try {
        ReadLayout(Root(), file, text);
    } catch (...) {
        if (fileName.isEmpty())
            throw;
        RemoveElements();
        SetState(previousState, previousName);
        m_oddName = previousOddName;
        ReadLayout(Root(), QString(), previousLayout);
        m_modified = previousModified;
        throw;
    }
    if (!fileName.isEmpty()) {
        // A recent-file entry holds text; the mangled name would not open again.
        m_oddName = file.IsText() ? TFileName() : file;
        if (m_oddName.IsEmpty())
            emit FileUsed(Name());
        m_modified = false;
        m_storedLayout = WriteLayout(Root());
        m_history->Clear();
        Stored();
    }
    emit Loaded();
}

bool TBuilderDocument::Save() {
    if (!m_oddName.IsEmpty())
        m_questions.Inform(QStringLiteral("The file name \"%1\" is not valid UTF-8, so the layout cannot "
                                          "be saved under it. Choose a name to save it as.")
                               .arg(Name()));
    if (m_state == TState::Unsaved || !m_oddName.IsEmpty())
        return SaveAs();
    if (m_state != TState::Stored)
        return false;
    switch (ConfirmSaveOverFile()) {
    case TDocumentQuestions::TChangedFile::Overwrite:
        break;
    case TDocumentQuestions::TChangedFile::SaveAs:
        return SaveAs();
    case TDocumentQuestions::TChangedFile::Cancel:
        return false;
    }
    m_storedLayout = WriteLayout(Root(), Name());
    m_modified = false;
    Stored();
    return true;
}

bool TBuilderDocument::SaveAs() {
    if (!IsOpen())
        return false;
    const QString chosen = m_questions.ChooseFile(true);
    if (chosen.isEmpty())
        return false;
    m_storedLayout = WriteLayout(Root(), chosen);
    m_modified = false;
    SetState(TState::Stored, chosen);
    emit FileUsed(Name());
    Stored();
    return true;
}

bool TBuilderDocument::Close() {
    if (!QuerySaveChanges())
        return false;
    m_skipSnapshot = true;
    Clear();
    m_history->Clear();
    SetState(TState::None);
    m_modified = false;
    Dropped();
    return true;
}

void TBuilderDocument::Undo() {
    m_skipSnapshot = true;
    LoadHistoryState(m_history->Undo());
}

void TBuilderDocument::Redo() {
    m_skipSnapshot = true;
    LoadHistoryState(m_history->Redo());
}

// A state from the history is a change to save unless it is the layout as last opened or saved.
void TBuilderDocument::LoadHistoryState(const QString& text) {
    Load(QString(), text);
    m_modified = m_storedLayout.isNull() || WriteLayout(Root()) != m_storedLayout;
}

void TBuilderDocument::Clear() {
    BeginBulkUpdate();
    const auto endBulk = qScopeGuard([this] { EndBulkUpdate(); });
    RemoveElements();
}

void TBuilderDocument::RemoveElements() {
    emit AboutToClear();
    TControl* root = Root();
    QList<TControl*> children = root->ChildControls();
    while (!children.isEmpty()) {
        delete children.first();
        children = root->ChildControls();
    }
    emit Cleared();
}

// --- edits -----------------------------------------------------------------------------------------------

void TBuilderDocument::BeginBulkUpdate() {
    if (m_bulkDepth++ == 0)
        emit BulkUpdateStarted();
}

void TBuilderDocument::EndBulkUpdate() {
    if (m_bulkDepth > 0 && --m_bulkDepth == 0)
        emit BulkUpdateEnded();
    emit RefreshNeeded();
}

void TBuilderDocument::MarkModified() {
    m_modified = true;
}

QString TBuilderDocument::Snapshot() {
    const QString text = WriteLayout(Root());
    if (m_skipSnapshot)
        m_skipSnapshot = false;
    else
        m_history->Push(text);
    if (m_recovery && m_modified && IsOpen())
        m_recovery->Update(text, m_oddName.IsEmpty() ? m_fileName : m_oddName.KeptText(), m_fileStamp);
    return text;
}

void TBuilderDocument::EndSession() {
    m_history->Clear();
    if (m_recovery)
        m_recovery->Discard();
    m_ending = true;
    m_recovery.reset();
}

// --- recovery ----------------------------------------------------------------------------------------------

QString TBuilderDocument::ReadProblem(const QString& layout) {
    TKvdUIDocument scratch;
    scratch.Root()->SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    try {
        ReadLayout(scratch.Root(), TFileName(), layout);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

void TBuilderDocument::Restore(const TRecoveryCopy& copy) {
    if (m_recovery)
        m_recovery->Adopt(copy);
    const TFileName file(copy.FileName);
    SetState(copy.FileName.isEmpty() ? TState::Unsaved : TState::Stored, file.Text());
    Load(QString(), copy.Layout);
    m_history->Clear();
    // Save compares the file with what the crashed builder had read, so changes made by others since
    // are not overwritten without a question.
    m_fileStamp = copy.Stamp;
    m_modified = true;
    m_storedLayout = QString();
    // A name that is not valid UTF-8 still names the file, but Save cannot write under it (as after Open).
    m_oddName = file.IsText() ? TFileName() : file;
    if (!copy.FileName.isEmpty() && m_oddName.IsEmpty())
        emit FileUsed(copy.FileName);
    emit Message(QStringLiteral("Restored unsaved changes to %1").arg(Name()));
}

void TBuilderDocument::Stored() {
    m_fileStamp = TFileStamp::Of(m_fileName);
    if (m_recovery)
        m_recovery->Discard();
    WatchFile();
}

void TBuilderDocument::Dropped() {
    m_fileStamp = TFileStamp();
    if (m_recovery)
        m_recovery->Discard();
    WatchFile();
}

// --- files changed elsewhere -------------------------------------------------------------------------------

TDocumentQuestions::TChangedFile TBuilderDocument::ConfirmSaveOverFile() {
    const TFileStamp now = m_fileStamp.Known ? TFileStamp::Of(m_fileName) : TFileStamp();
    // With its folder gone too there is nothing to choose: the save fails and says why.
    if (!m_fileStamp.Known || now.SameContent(m_fileStamp) ||
        (!now.Exists && !QFileInfo(m_fileName).absoluteDir().exists()))
        return TDocumentQuestions::TChangedFile::Overwrite;
    return m_questions.AskOverwriteChanged(m_fileName, now.Exists);
}

void TBuilderDocument::WatchFile() {
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (m_state == TState::Stored && QFileInfo::exists(m_fileName))
        m_watcher->addPath(m_fileName);
}

void TBuilderDocument::FileChanged() {
    if (m_state != TState::Stored)
        return;
    // A file replaced by a rename (as careful programs save) is no longer watched under its name.
    WatchFile();
    const TFileStamp now = TFileStamp::Of(m_fileName);
    if (now.SameContent(m_fileStamp))
        return; // our own save, or the same bytes again
    if (!now.Exists) {
        emit Message(QStringLiteral("%1 was deleted or moved by another program.")
                         .arg(QDir::toNativeSeparators(m_fileName)));
        return;
    }
    // With unsaved changes nothing is offered: Save will ask before it writes over the file.
    if (!m_modified)
        emit ChangedElsewhere(m_fileName);
}

void TBuilderDocument::Reload(const QString& fileName) {
    // Edits made since the offer are not thrown away without the usual question.
    if (m_fileName == fileName && QuerySaveChanges())
        Load(fileName, QString());
}
