#pragma once
// TfrmMain: the builder's one main window. It shows the document (TBuilderDocument) in the parts its form
// names (TfrmMainForm), binds the user commands to them and answers the document's questions with its
// dialogs. Every element reports its creation, destruction and changes to ElementChange; a burst of
// changes ends, 50 ms after its last change, in one Timer1Timer run that records an undo snapshot and
// sends the layout to the simulator.

#include "core/FileName.h"
#include "layout/KvdUIElement.h"
#include "shell/KvdUIBuilder_DocumentDialogs.h"
#include "shell/KvdUIBuilder_ElementTree.h"
#include "shell/KvdUIBuilder_RecentFiles.h"
#include "shell/KvdUIBuilder_Settings.h"
#include "shell/KvdUIBuilder_frmMainForm.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QTreeWidgetItem;
class TLogPane;
class TRecoveryStore;
struct DR_VER;
struct TControlClass;
struct TKvdUIElementKind;
struct TPropInfo;

class TfrmMain : public QMainWindow, public TfrmMainForm {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The layout file opened when the window is first shown (the program's file argument, whose name may
    // be bytes that are not valid UTF-8).
    TFileName StartupFile;
    // Shows the window in the state the settings file recorded (normal, minimised or maximised).
    void ShowByPlacement();

    // --- state ---------------------------------------------------------------------------------------
    TBuilderDocument* Document() const { return m_doc.get(); }
    // The file of a stored document; empty otherwise.
    QString FileName() const { return m_doc->FileName(); }
    bool Modified() const { return m_doc->Modified(); }
    const QStringList& RecentFiles() const { return m_recentFiles.Files(); }
    TUndoRedoManager* History() const { return m_doc->History(); }
    TControl* RootControl() const { return m_root; }
    TRecoveryStore* Recovery() const { return m_doc->Recovery(); }

    QList<QAction*> Actions() const { return m_actions; }
    QList<QAction*> ArrangeActions() const { return m_arrangeActions; }
    // The insertion tool of an element kind, and the picture of its tool and tree nodes.
    QAction* ToolAction(const TKvdUIElementKind& kind) const;
    QIcon KindImage(const TKvdUIElementKind& kind) const;
    void Log(const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);
    // The control a tree node stands for.
    static TControl* NodeControl(const QTreeWidgetItem* node) { return TElementTree::NodeControl(node); }
    // The element tree's node of the root control or of an element; nullptr when it has none.
    QTreeWidgetItem* NodeOf(const TControl* control) const { return m_tree->NodeOf(control); }

    // The installed guide, or the one in the sources for a program run from its build; empty when neither.
    static QString UserGuideFile();
    // Runs an action the way the program does: the enabled states are recomputed first, and a disabled
    // action does nothing.
    void Execute(QAction* action);

    // --- operations shared by the commands ----------------------------------------------------------------
    QString DocumentName() const { return m_doc->Name(); }
    // Reads a layout into the document (see TBuilderDocument::Load) and shows its first node.
    void LoadLayout(const TFileName& fileName, const QString& text);
    void AddRecentFile(const QString& name);

    // The width of the inspector's name column that shows every property name whole in its font.
    int NameColumnWidth() const;

    // --- handlers ------------------------------------------------------------------------------------------
    void ActionList1Update();
    void Timer1Timer();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ScheduleRefresh();
    // The document and what the window does when it reports.
    void CreateDocument();
    void ShowDocumentState();
    void ShowLoadedLayout();
    void BulkUpdateStarted();
    void BulkUpdateEnded();
    void RebuildRecentMenu();
    void ElementChange(TKvdUIElement* element, TKvdUIElementChange kind);
    void Panel3Resize();

    void FormCreate();
    void FormShow();
    void FormDestroy();
    void CreateActions();
    void CreateShortcuts();
    void CreateMenus();
    void CreatePanes();
    void CreateTreePane();
    void CreateSurfacePane();
    void CreateComponents();
    void LoadSettings();
    void ApplyPaneSizes();
    void SaveSettings();
    // Opens the settings file for writing; reports in the log pane when it cannot be written.
    bool WriteSettings(const std::function<void(TSettingsFile&)>& write);
    void ReportSettingsNotSaved();

    // Document commands.
    void actNewExecute();
    void actOpenExecute();
    void actSaveExecute();
    void actSaveAsExecute();
    void actCloseExecute();
    void actExitExecute();
    void actAboutExecute();
    void RecentFileClick(int index);

    // Editing commands.
    void actToolPointerExecute(QAction* sender);
    void ELDesigner1ControlInserting(QObject* sender, const TControlClass*& controlClass);
    void ELDesigner1ControlInserted(QObject* sender);
    void ELDesigner1ControlsAdding(QObject* sender, const QList<TControl*>& controls, TControl* container);
    void ELDesigner1ChangeSelection(QObject* sender);
    void ELDesigner1Modified(QObject* sender);
    void ELPropertyInspector1FilterProp(QObject* sender, QObject* instance, const TPropInfo* propInfo,
                                        bool& includeProp);
    void TreeView1Change(QTreeWidgetItem* node);
    void actDeleteExecute();
    void actCutExecute();
    void actCopyExecute();
    void actPasteExecute();
    void actSelectAllExecute();
    void actBringToFrontExecute();
    void actSendToBackExecute();
    void actClearExecute();
    void actUndoExecute();
    void actRedoExecute();
    // A tree node's icon and text for its element.
    void DescribeNode(const TKvdUIElement* element, QTreeWidgetItem* node) const;
    // The tree's change signal is attached to TreeView1Change only while this is true.
    void AttachTreeChange(bool attach);

    // At start-up: offers back the copies left by builders that did not exit cleanly, in one question.
    // True when one was restored.
    bool OfferRecovery();

    // Arrange commands and the Problems pane.
    void CreateArrangeActions();
    void CreateArrangeMenus(QMenu* edit);
    void UpdateArrangeActions(bool open);
    void CreateProblemsPane();
    // Selects the element with that ID on the surface and shows its node in the tree.
    void SelectElementID(int id);

    // Live preview.
    void actPreviewExecute();
    void KvdDromo1Connect(QObject* sender, DR_VER& ver);
    void KvdDromo1Disconnect(QObject* sender);
    void KvdDromo1Error(QObject* sender, const QString& message);
    void KvdUI1Event(QObject* sender, quint8 clickId, quint8 flags, const QString& text);

    // View menu.
    void CreateViewMenu(QMenu* before);
    void CreateHelpMenu(QMenu* help);
    void ApplySimulatorLook(bool on);
    void ApplyElementNames(bool on);
    void LoadViewSettings(const TSettingsFile& ini);
    void SaveViewSettings(TSettingsFile& ini) const;

    bool DocumentOpen() const { return m_doc->IsOpen(); }

    TLogPane* m_log = nullptr;
    QList<QAction*> m_actions, m_recentItems, m_arrangeActions;
    // One insertion tool and one picture per element kind, in the order of ElementKinds().
    QList<QAction*> m_kindTools;
    QList<QIcon> m_kindImages;
    std::unique_ptr<TDocumentDialogs> m_dialogs;
    std::unique_ptr<TBuilderDocument> m_doc;
    TControl* m_root = nullptr;
    std::unique_ptr<TElementTree> m_tree;
    // The surface hidden for a bulk update, and the widget in it that had the focus.
    bool m_rootHidden = false;
    QPointer<QWidget> m_rootFocus;
    QString m_settingsFile;
    int m_showCmd = ShowNormal;
    TPaneSizes m_panes;
    bool m_shown = false, m_destroying = false, m_treeAttached = false;
    TRecentFiles m_recentFiles;
};
