// The document commands of the main window: New, Open, Save, Save as, Close, Exit, loading a layout and
// the recent-file list.

#include "shell/KvdUIBuilder_frmMain.h"

#include "designer/ELDsgnr.h"
#include "layout/KvdUILayoutFile.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_Icons.h"
#include "shell/KvdUIBuilder_frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

namespace {
constexpr int RecentLimit = 10;
constexpr int RecentReadLimit = 1000;

// File names compare as the file system does: two names that differ in case are two files on Linux.
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseSensitive;
#endif

const char* const UnsavedName = "Unsaved.kvdui";

// The dialogs are Qt's own, so they look and behave the same everywhere (and tests can answer them).
QString RunFileDialog(QWidget* owner, bool save, QString& preset) {
    QFileDialog dialog(owner);
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
} // namespace

QString TfrmMain::DocumentName() const {
    switch (m_documentState) {
    case TDocumentState::None:
        return QString();
    case TDocumentState::Unsaved:
        return QString::fromLatin1(UnsavedName);
    case TDocumentState::Stored:
        break;
    }
    return m_fileName;
}

void TfrmMain::SetDocument(TDocumentState state, const QString& fileName) {
    m_documentState = state;
    m_oddName = TFileName();
    m_fileName = state == TDocumentState::Stored ? fileName : QString();
    if (state != TDocumentState::None) {
        m_tree->ShowDocument(m_root, ImageList1.at(KvdIcons::imgDocument),
                             QFileInfo(DocumentName()).completeBaseName());
        Execute(actToolPointer);
        QPalette palette = ELDesignPanel1->palette();
        palette.setColor(QPalette::Window, Qt::white);
        ELDesignPanel1->setPalette(palette);
    } else {
        m_tree->Clear();
        QPalette palette = ELDesignPanel1->palette();
        palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Midlight));
        ELDesignPanel1->setPalette(palette);
    }
    setWindowTitle(QStringLiteral("%1 - [%2]")
                       .arg(QApplication::applicationName(), QDir::toNativeSeparators(DocumentName())));
}

bool TfrmMain::QuerySaveChanges() {
    if (!m_modified)
        return true;
    const auto answer = QMessageBox::question(
        this, QApplication::applicationName(), QStringLiteral("Save changes to %1 ?").arg(DocumentName()),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
        Execute(actSave);
        return !m_modified;
    }
    return answer == QMessageBox::No;
}

void TfrmMain::actNewExecute() {
    if (!QuerySaveChanges())
        return;
    m_skipSnapshot = true;
    ClearElements(true);
    m_history->Clear();
    m_modified = false;
    m_storedLayout = WriteLayout(m_root);
    SetDocument(TDocumentState::Unsaved);
    DocumentDropped();
}

void TfrmMain::actOpenExecute() {
    if (!QuerySaveChanges())
        return;
    const QString chosen = RunFileDialog(this, false, m_openPreset);
    if (!chosen.isEmpty())
        LoadLayout(chosen, QString());
}

void TfrmMain::LoadLayout(const TFileName& file, const QString& text) {
    // The file is read by its name's bytes; the document carries the name as text, which for a name that
    // is not valid UTF-8 only shows it.
    const QString fileName = file.Text();
    // What was there before a file is read, so that a file that cannot be read leaves the document as
    // it was instead of a partial layout under the new name (which Save would then write over the file).
    const TDocumentState previousState = m_documentState;
    const QString previousName = m_fileName;
    const TFileName previousOddName = m_oddName;
    const bool previousModified = m_modified;
    const QString previousLayout = fileName.isEmpty() ? QString() : WriteLayout(m_root);

    BeginBulkUpdate();
    const auto endBulk = qScopeGuard([this] { EndBulkUpdate(); });
    ClearElements(false);
    if (!fileName.isEmpty())
        SetDocument(TDocumentState::Stored, fileName);
    try {
        ReadLayout(m_root, file, text);
    } catch (...) {
        if (fileName.isEmpty())
            throw;
        ClearElements(false);
        SetDocument(previousState, previousName);
        m_oddName = previousOddName;
        ReadLayout(m_root, QString(), previousLayout);
        m_modified = previousModified;
        throw;
    }
    if (!fileName.isEmpty()) {
        // A recent-file entry holds text; the mangled name would not open again.
        m_oddName = file.IsText() ? TFileName() : file;
        if (m_oddName.IsEmpty())
            AddRecentFile(DocumentName());
        m_modified = false;
        m_storedLayout = WriteLayout(m_root);
        m_history->Clear();
        DocumentStored();
    }
    m_tree->Rebuild();
    QTreeWidgetItem* first = TreeView1->topLevelItem(0);
    if (!first)
        throw Exception(QStringLiteral("Invalid index"));
    TreeView1->setCurrentItem(first);
    TreeView1->expandRecursively(TreeView1->indexFromItem(first));
}

void TfrmMain::actSaveExecute() {
    if (!m_oddName.IsEmpty())
        QMessageBox::information(
            this, QApplication::applicationName(),
            QStringLiteral("The file name \"%1\" is not valid UTF-8, so the layout cannot "
                           "be saved under it. Choose a name to save it as.")
                .arg(DocumentName()));
    if (m_documentState == TDocumentState::Unsaved || !m_oddName.IsEmpty()) {
        Execute(actSaveAs);
        return;
    }
    Execute(actToolPointer);
    if (!ConfirmSaveOverFile())
        return;
    m_storedLayout = WriteLayout(m_root, DocumentName());
    m_modified = false;
    DocumentStored();
}

void TfrmMain::actSaveAsExecute() {
    const QString chosen = RunFileDialog(this, true, m_savePreset);
    if (chosen.isEmpty())
        return;
    m_storedLayout = WriteLayout(m_root, chosen);
    m_modified = false;
    Execute(actToolPointer);
    SetDocument(TDocumentState::Stored, chosen);
    AddRecentFile(DocumentName());
    DocumentStored();
}

void TfrmMain::actCloseExecute() {
    if (!QuerySaveChanges())
        return;
    m_skipSnapshot = true;
    ClearElements(true);
    m_history->Clear();
    SetDocument(TDocumentState::None);
    m_modified = false;
    DocumentDropped();
    // With no document there is nothing to insert into: back to the selection tool (disabled now) and
    // the default cursor.
    actToolPointer->setChecked(true);
    SetScreenCursor(Qt::ArrowCursor);
}

void TfrmMain::actExitExecute() {
    close();
}

void TfrmMain::actAboutExecute() {
    TfrmAbout dialog(this);
    dialog.exec();
}

// --- opening by dropping -------------------------------------------------------------------------------

// The layout file a drag carries: one local file named *.kvdui; anything else is not taken.
QString TfrmMain::DroppedLayout(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().first();
    if (!url.isLocalFile() || !url.toLocalFile().endsWith(QLatin1String(".kvdui"), Qt::CaseInsensitive))
        return QString();
    return url.toLocalFile();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedLayout(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
    const QString fileName = DroppedLayout(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over, so that the file manager is not kept waiting by the save question.
    QTimer::singleShot(0, this, [this, fileName] {
        RunGuarded([this, &fileName] {
            if (QuerySaveChanges())
                LoadLayout(fileName, QString());
        });
    });
}

void TfrmMain::RecentFileClick(int index) {
    if (!QuerySaveChanges())
        return;
    LoadLayout(m_recentFiles.value(index), QString());
}

// --- recent files ------------------------------------------------------------------------------------------

void TfrmMain::LoadRecentFiles() {
    // The file is user data: a hand-edited count must not make start-up build millions of entries. Lists
    // somewhat longer than the limit are still read as they stand.
    m_recentFiles = TSettingsFile(m_settingsFile).RecentFiles(RecentReadLimit);
}

void TfrmMain::SaveRecentFiles() {
    WriteSettings([this](TSettingsFile& ini) { ini.SetRecentFiles(m_recentFiles); });
}

// Several builders may run at once: each change starts from the list in the settings file as it is now,
// changes only the one entry and writes the file once, so that no builder drops what another added.
void TfrmMain::ChangeRecentFiles(const std::function<void(QStringList&)>& change) {
    LoadRecentFiles();
    change(m_recentFiles);
    RebuildRecentMenu();
    SaveRecentFiles();
}

void TfrmMain::AddRecentFile(const QString& name) {
    // Stored absolute, so that a file named relative to the working folder still opens from another one.
    const QString path = QFileInfo(name).absoluteFilePath();
    ChangeRecentFiles([&path](QStringList& files) {
        files.removeIf([&path](const QString& entry) { return entry.compare(path, FileNameCase) == 0; });
        files.insert(0, path);
        while (files.size() > RecentLimit)
            files.removeLast();
    });
}

void TfrmMain::RebuildRecentMenu() {
    qDeleteAll(m_recentItems);
    m_recentItems.clear();
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        auto* item = new QAction(
            QString::asprintf("&%d %s", i + 1, qUtf8Printable(QDir::toNativeSeparators(m_recentFiles.at(i)))),
            this);
        item->setData(i);
        connect(item, &QAction::triggered, this,
                [this, i] { RunGuarded([this, i] { RecentFileClick(i); }); });
        FileMenu->insertAction(MRUSeparator2, item);
        m_recentItems << item;
    }
    MRUSeparator2->setVisible(!m_recentFiles.isEmpty());
}
