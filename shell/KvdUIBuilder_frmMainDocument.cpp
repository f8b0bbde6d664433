// The main window's side of the document: what it shows when the document reports, the document
// commands, the offer of recovery copies at start, opening by dropping and the recent-file list.

#include "shell/KvdUIBuilder_frmMain.h"

#include "core/Exceptions.h"
#include "designer/ELDsgnr.h"
#include "link/KvdUI.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_DocumentDialogs.h"
#include "shell/KvdUIBuilder_Icons.h"
#include "shell/KvdUIBuilder_Recovery.h"
#include "shell/KvdUIBuilder_frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

void TfrmMain::CreateDocument() {
    m_dialogs = std::make_unique<TDocumentDialogs>(this);
    m_doc = std::make_unique<TBuilderDocument>(*m_dialogs, TRecoveryStore::DefaultFolder());
    TBuilderDocument* doc = m_doc.get();
    connect(doc, &TBuilderDocument::StateChanged, this, &TfrmMain::ShowDocumentState);
    connect(doc, &TBuilderDocument::BulkUpdateStarted, this, &TfrmMain::BulkUpdateStarted);
    connect(doc, &TBuilderDocument::BulkUpdateEnded, this, &TfrmMain::BulkUpdateEnded);
    // The nodes go in one pass; the elements then find none to remove.
    connect(doc, &TBuilderDocument::AboutToClear, this, [this] { m_tree->DropElementNodes(); });
    connect(doc, &TBuilderDocument::Cleared, this,
            [this] { KvdUI1->DeleteButtons(Dromo::BTN_DEL_ALL, 0, 0, 0); });
    connect(doc, &TBuilderDocument::Loaded, this, &TfrmMain::ShowLoadedLayout);
    connect(doc, &TBuilderDocument::ElementChanged, this, &TfrmMain::ElementChange);
    connect(doc, &TBuilderDocument::RefreshNeeded, this, &TfrmMain::ScheduleRefresh);
    connect(doc, &TBuilderDocument::FileUsed, this, &TfrmMain::AddRecentFile);
    connect(doc, &TBuilderDocument::Message, this, [this](const QString& text) {
        if (!m_destroying)
            Log("%s", qUtf8Printable(text));
    });
    connect(doc, &TBuilderDocument::ChangedElsewhere, this, [this](const QString& fileName) {
        m_dialogs->OfferReload(fileName, [this, fileName] { m_doc->Reload(fileName); });
    });
}

void TfrmMain::ShowDocumentState() {
    QPalette palette = ELDesignPanel1->palette();
    if (m_doc->IsOpen()) {
        m_tree->ShowDocument(m_root, ImageList1.at(KvdIcons::imgDocument),
                             QFileInfo(DocumentName()).completeBaseName());
        Execute(actToolPointer);
        palette.setColor(QPalette::Window, Qt::white);
    } else {
        m_tree->Clear();
        palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Midlight));
    }
    ELDesignPanel1->setPalette(palette);
    setWindowTitle(QStringLiteral("%1 - [%2]")
                       .arg(QApplication::applicationName(), QDir::toNativeSeparators(DocumentName())));
}

void TfrmMain::ShowLoadedLayout() {
    m_tree->Rebuild();
    if (QTreeWidgetItem* first = TreeView1->topLevelItem(0)) {
        TreeView1->setCurrentItem(first);
        TreeView1->expandRecursively(TreeView1->indexFromItem(first));
    }
}

void TfrmMain::LoadLayout(const TFileName& file, const QString& text) {
    m_doc->Load(file, text);
    if (!TreeView1->topLevelItem(0))
        throw Exception(QStringLiteral("Invalid index"));
}

// --- document commands -------------------------------------------------------------------------------------

void TfrmMain::actNewExecute() {
    m_doc->New();
}

void TfrmMain::actOpenExecute() {
    m_doc->Open();
}

void TfrmMain::actSaveExecute() {
    Execute(actToolPointer);
    m_doc->Save();
}

void TfrmMain::actSaveAsExecute() {
    m_doc->SaveAs();
}

void TfrmMain::actCloseExecute() {
    if (!m_doc->Close())
        return;
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

// --- recovery copies -------------------------------------------------------------------------------------

bool TfrmMain::OfferRecovery() {
    const QList<TRecoveryCopy> copies = Recovery()->TakeOrphans();
    // Left for a later start unless restored or discarded here, whatever the way out of this function.
    const auto release = qScopeGuard([this] { Recovery()->ReleaseOrphans(); });
    if (copies.isEmpty())
        return false;
    switch (m_dialogs->AskRecovery(copies)) {
    case TDocumentDialogs::TRecoveryAnswer::DiscardAll:
        for (const TRecoveryCopy& copy : copies)
            Recovery()->DropOrphan(copy);
        return false;
    case TDocumentDialogs::TRecoveryAnswer::Keep:
        return false;
    case TDocumentDialogs::TRecoveryAnswer::Restore:
        break;
    }
    const TRecoveryCopy& newest = copies.first();
    // A copy that does not read is not restored at all: the document keeps neither its name nor an empty
    // layout that Save would write over the file, and the copy stays for a later start.
    if (const QString problem = TBuilderDocument::ReadProblem(newest.Layout); !problem.isEmpty())
        throw Exception(
            QStringLiteral("The unsaved changes to %1 cannot be restored: %2. The copy is kept in %3, "
                           "and the next start offers it again.")
                .arg(TDocumentDialogs::CopyName(newest), problem,
                     QDir::toNativeSeparators(Recovery()->Folder())));
    m_doc->Restore(newest);
    return true;
}

// --- opening by dropping -------------------------------------------------------------------------------

namespace {

// The layout file a drag carries: one local file named *.kvdui; anything else is not taken.
QString DroppedLayout(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().first();
    if (!url.isLocalFile() || !url.toLocalFile().endsWith(QLatin1String(".kvdui"), Qt::CaseInsensitive))
        return QString();
    return url.toLocalFile();
}

} // namespace

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
            if (m_doc->QuerySaveChanges())
                LoadLayout(fileName, QString());
        });
    });
}

void TfrmMain::RecentFileClick(int index) {
    if (m_doc->QuerySaveChanges())
        LoadLayout(m_recentFiles.Files().value(index), QString());
}

// --- recent files ------------------------------------------------------------------------------------------

void TfrmMain::AddRecentFile(const QString& name) {
    if (!m_recentFiles.Add(name))
        ReportSettingsNotSaved();
    RebuildRecentMenu();
}

void TfrmMain::RebuildRecentMenu() {
    qDeleteAll(m_recentItems);
    m_recentItems.clear();
    const QStringList& files = m_recentFiles.Files();
    for (int i = 0; i < files.size(); ++i) {
        auto* item = new QAction(
            QString::asprintf("&%d %s", i + 1, qUtf8Printable(QDir::toNativeSeparators(files.at(i)))), this);
        item->setData(i);
        connect(item, &QAction::triggered, this,
                [this, i] { RunGuarded([this, i] { RecentFileClick(i); }); });
        FileMenu->insertAction(MRUSeparator2, item);
        m_recentItems << item;
    }
    MRUSeparator2->setVisible(!files.isEmpty());
}
