#include "shell/KvdUIBuilder_frmMain.h"

#include "designer/ELDsgnr.h"
#include "inspector/ELPropInspInspector.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElementKinds.h"
#include "layout/KvdUILayoutFile.h"
#include "link/KvdDromo.h"
#include "link/KvdUI.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_CaptionProperty.h"
#include "shell/KvdUIBuilder_Icons.h"
#include "shell/KvdUIBuilder_LogPane.h"
#include "shell/KvdUIBuilder_NameRow.h"
#include "shell/KvdUIBuilder_ProblemsPane.h"
#include "shell/KvdUIBuilder_Recovery.h"
#include "shell/KvdUIBuilder_Settings.h"
#include "shell/UndoRedoManager.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <cstdarg>
#include <optional>

namespace {

constexpr int DesignWidth = 644;
constexpr int DesignHeight = 611;
constexpr int DesignPanelSize = 402;
// The grid's dots: teal grey, as a colour number (0x00BBGGRR, red in the low byte).
constexpr int GridColor = 0x808040;

// A pane that reports its resizes.
class TResizePanel : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void()> OnResize;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (OnResize)
            OnResize();
    }
};

// A splitter between panes whose handle the user drags; panes never collapse to nothing.
QSplitter* MakeSplitter(QWidget* parent, const QString& name, Qt::Orientation orientation) {
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setObjectName(name);
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

// A one-pixel rule between panes, in the scroll bars' colour.
QFrame* MakeRule(QWidget* parent, const QString& name, bool horizontal) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Mid)); // the scroll-bar colour
    line->setPalette(palette);
    if (horizontal)
        line->setFixedHeight(1);
    else
        line->setFixedWidth(1);
    return line;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setAcceptDrops(true);
    FormCreate();
}

TfrmMain::~TfrmMain() {
    m_destroying = true;
    FormDestroy();
    // The controls go first, so that every element still sends its delete request while connected;
    // only then does the client go, closing the link without a log line.
    Timer1->stop();
    m_root = nullptr;
    m_doc.reset();
    // The handlers stay assigned: the reader thread may be running one right now (the simulator closing
    // at this moment), and reassigning them would race with it. They only post to this window, and
    // deleting the client waits until no reader can call them any more.
    delete KvdUI1;
    KvdUI1 = nullptr;
    delete KvdDromo1;
    KvdDromo1 = nullptr;
}

// --- creation --------------------------------------------------------------------------------------------

void TfrmMain::FormCreate() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    ImageList1 = KvdIcons::ImageList();
    setWindowIcon(KvdIcons::AppIcon());
    m_settingsFile = TSettingsFile::ProgramFile();

    CreatePanes();
    CreateActions();
    CreateMenus();
    CreateComponents();
    // Before the settings, whose view options apply to the document's surface.
    CreateDocument();
    m_root = m_doc->Root();
    resize(DesignWidth, DesignHeight);
    move(271, 92);

    setWindowTitle(QApplication::applicationName());
    LoadSettings();
    m_recentFiles = TRecentFiles(m_settingsFile);
    m_recentFiles.Reload();
    RebuildRecentMenu();
    KvdDromo1->SetIName(QStringLiteral("KvdUIBuilder"));
    ELPropertyInspector1->RegisterEditor(TypeInfo::TCaption(), nullptr,
                                         ELPropEditorClass<TKvdUIElementCaptionProperty>(),
                                         QStringLiteral("Text"));

    m_root->setObjectName(QStringLiteral("Root"));
    m_root->SetParentControl(this);
    m_root->SetAlign(alClient);
    ELDesigner1->SetDesignControl(m_root);
    ELDesigner1->SetActive(true);
    ShowDocumentState();

    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { RunGuarded([this] { ActionList1Update(); }); });
    ActionList1Update();
}

void TfrmMain::CreatePanes() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);

    auto* panel7 = new QWidget(client);
    panel7->setObjectName(QStringLiteral("Panel7"));
    panel7->setAutoFillBackground(true);
    QPalette windowPalette = panel7->palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Base));
    panel7->setPalette(windowPalette);
    auto* panel7Layout = new QHBoxLayout(panel7);
    panel7Layout->setContentsMargins(1, 1, 1, 1);
    ToolBar1 = new QToolBar(panel7);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border: 0px; background: transparent; }"));
    panel7Layout->addWidget(ToolBar1);
    clientLayout->addWidget(panel7);
    clientLayout->addWidget(MakeRule(client, QStringLiteral("Shape4"), true));

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    clientLayout->addLayout(body, 1);
    auto* panel2 = new QWidget(client);
    panel2->setObjectName(QStringLiteral("Panel2"));
    body->addWidget(panel2, 1);
    body->addWidget(MakeRule(client, QStringLiteral("Shape1"), false));
    auto* panel2Layout = new QHBoxLayout(panel2);
    panel2Layout->setContentsMargins(5, 5, 5, 5);
    panel2Layout->setSpacing(0);

    // The tree, the inspector, the design surface and the log are separated by splitters whose positions
    // are kept in the settings; the surface takes whatever space the window gains.
    Splitter1 = MakeSplitter(panel2, QStringLiteral("Splitter1"), Qt::Horizontal);
    CreateTreePane();
    CreateSurfacePane();
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    panel2Layout->addWidget(Splitter1);

    ELDesignPanel1 = new TELDesignPanel(nullptr);
    ELDesignPanel1->setObjectName(QStringLiteral("ELDesignPanel1"));
    ELDesignPanel1->SetParentControl(Panel3);
    ELDesignPanel1->SetBounds(0, 0, DesignPanelSize, DesignPanelSize);
    ELDesignPanel1->SetAutoScroll(true);
    ELDesignPanel1->setCursor(Qt::PointingHandCursor);
    ELDesignPanel1->SetTabStop(true);
    ELDesignPanel1->setAutoFillBackground(true);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    Timer1->setSingleShot(true);
    // A coarse timer may fire up to 5 % late; the preview should follow a change 50 ms after it.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { RunGuarded([this] { Timer1Timer(); }); });
}

// The left column: the element tree over the inspector, with the Name row above the inspector.
void TfrmMain::CreateTreePane() {
    Splitter2 = MakeSplitter(Splitter1, QStringLiteral("Splitter2"), Qt::Vertical);
    TreeView1 = new QTreeWidget(Splitter2);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setFrameShape(QFrame::NoFrame);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree = std::make_unique<TElementTree>(
        TreeView1,
        [this](const TKvdUIElement* element, QTreeWidgetItem* node) { DescribeNode(element, node); });
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setIconSize(QSize(16, 16));
    // The inspector with the Name row above it, which only the View option "Element names" shows.
    auto* inspectorPane = new QWidget(Splitter2);
    inspectorPane->setObjectName(QStringLiteral("InspectorPane"));
    auto* inspectorLayout = new QVBoxLayout(inspectorPane);
    inspectorLayout->setContentsMargins(0, 0, 0, 0);
    inspectorLayout->setSpacing(0);
    NameRow = new TNameRow(inspectorPane);
    edtElementName = NameRow->Edit();
    inspectorLayout->addWidget(NameRow);
    ELPropertyInspector1 = new TELPropertyInspector(inspectorPane);
    ELPropertyInspector1->setObjectName(QStringLiteral("ELPropertyInspector1"));
    inspectorLayout->addWidget(ELPropertyInspector1);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
}

// The right column: the design surface's panel over the log and Problems tabs.
void TfrmMain::CreateSurfacePane() {
    Splitter3 = MakeSplitter(Splitter1, QStringLiteral("Splitter3"), Qt::Vertical);
    auto* panel3 = new TResizePanel(Splitter3);
    Panel3 = panel3;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setMinimumSize(DesignPanelSize, DesignPanelSize);
    panel3->OnResize = [this] { Panel3Resize(); };
    Memo1 = new QPlainTextEdit(Splitter3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    m_log = new TLogPane(Memo1);
    CreateProblemsPane();
    Splitter3->setStretchFactor(0, 1);
    Splitter3->setStretchFactor(1, 0);
}

void TfrmMain::CreateActions() {
    auto add = [this](const QString& name, const QString& caption, const QString& hint, const QIcon& icon) {
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        action->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')) : hint);
        action->setIcon(icon);
        action->setIconVisibleInMenu(!icon.isNull());
        m_actions << action;
        return action;
    };
    auto make = [&](QAction*& action, const char* name, const QString& caption, const QString& hint,
                    int image) {
        action = add(QString::fromLatin1(name), caption, hint, image >= 0 ? ImageList1.at(image) : QIcon());
    };
    using namespace KvdIcons;
    make(actNew, "actNew", QStringLiteral("New"), QStringLiteral("Create new UI"), imgNew);
    make(actOpen, "actOpen", QStringLiteral("Open ..."), QStringLiteral("Open an existing UI file"), imgOpen);
    make(actSave, "actSave", QStringLiteral("Save"), QStringLiteral("Save changes"), imgSave);
    make(actSaveAs, "actSaveAs", QStringLiteral("Save as ..."), QStringLiteral("Save to a new file"), -1);
    make(actPreview, "actPreview", QStringLiteral("Live Preview"), QStringLiteral("Live preview"),
         imgPreview);
    make(actClear, "actClear", QStringLiteral("Clear"), QStringLiteral("Clear all elements"), imgDelete);
    make(actExit, "actExit", QStringLiteral("Exit"), QString(), -1);
    make(actAbout, "actAbout", QStringLiteral("About ..."), QString(), -1);
    make(actToolPointer, "actToolPointer", QStringLiteral("Selection mode"), QStringLiteral("Selection mode"),
         imgPointer);
    for (const TKvdUIElementKind& kind : ElementKinds()) {
        const QString caption = QStringLiteral("Add ") + kind.Caption;
        m_kindImages << KvdIcons::KindImage(kind.Class.Name);
        m_kindTools << add(QStringLiteral("actTool") + kind.Caption, caption, caption, m_kindImages.last());
    }
    make(actClose, "actClose", QStringLiteral("Close"), QString(), -1);
    make(actDelete, "actDelete", QStringLiteral("Delete"), QString(), imgDelete);
    make(actBringToFront, "actBringToFront", QStringLiteral("Bring to front"), QString(), -1);
    make(actSendToBack, "actSendToBack", QStringLiteral("Send to back"), QString(), -1);
    make(actPaste, "actPaste", QStringLiteral("Paste"), QString(), imgPaste);
    make(actCut, "actCut", QStringLiteral("Cut"), QString(), imgCut);
    make(actCopy, "actCopy", QStringLiteral("Copy"), QString(), imgCopy);
    make(actSelectAll, "actSelectAll", QStringLiteral("Select all"), QString(), -1);
    make(actUndo, "actUndo", QStringLiteral("Undo"), QString(), imgUndo);
    make(actRedo, "actRedo", QStringLiteral("Redo"), QString(), imgRedo);

    CreateArrangeActions();
    CreateShortcuts();

    // Auto-check: executing the action toggles its mark first. The tools form an exclusive group in
    // which executing the marked one keeps its mark; none is marked at start.
    actPreview->setCheckable(true);
    ToolGroup = new QActionGroup(this);
    ToolGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (QAction* tool : QList<QAction*>{actToolPointer} + m_kindTools) {
        tool->setCheckable(true);
        ToolGroup->addAction(tool);
        connect(tool, &QAction::triggered, this,
                [this, tool] { RunGuarded([&] { actToolPointerExecute(tool); }); });
    }

    connect(actNew, &QAction::triggered, this, [this] { RunGuarded([this] { actNewExecute(); }); });
    connect(actOpen, &QAction::triggered, this, [this] { RunGuarded([this] { actOpenExecute(); }); });
    connect(actSave, &QAction::triggered, this, [this] { RunGuarded([this] { actSaveExecute(); }); });
    connect(actSaveAs, &QAction::triggered, this, [this] { RunGuarded([this] { actSaveAsExecute(); }); });
    connect(actPreview, &QAction::triggered, this, [this] { RunGuarded([this] { actPreviewExecute(); }); });
    connect(actClear, &QAction::triggered, this, [this] { RunGuarded([this] { actClearExecute(); }); });
    connect(actExit, &QAction::triggered, this, [this] { RunGuarded([this] { actExitExecute(); }); });
    connect(actAbout, &QAction::triggered, this, [this] { RunGuarded([this] { actAboutExecute(); }); });
    connect(actClose, &QAction::triggered, this, [this] { RunGuarded([this] { actCloseExecute(); }); });
    connect(actDelete, &QAction::triggered, this, [this] { RunGuarded([this] { actDeleteExecute(); }); });
    connect(actBringToFront, &QAction::triggered, this,
            [this] { RunGuarded([this] { actBringToFrontExecute(); }); });
    connect(actSendToBack, &QAction::triggered, this,
            [this] { RunGuarded([this] { actSendToBackExecute(); }); });
    connect(actPaste, &QAction::triggered, this, [this] { RunGuarded([this] { actPasteExecute(); }); });
    connect(actCut, &QAction::triggered, this, [this] { RunGuarded([this] { actCutExecute(); }); });
    connect(actCopy, &QAction::triggered, this, [this] { RunGuarded([this] { actCopyExecute(); }); });
    connect(actSelectAll, &QAction::triggered, this,
            [this] { RunGuarded([this] { actSelectAllExecute(); }); });
    connect(actUndo, &QAction::triggered, this, [this] { RunGuarded([this] { actUndoExecute(); }); });
    connect(actRedo, &QAction::triggered, this, [this] { RunGuarded([this] { actRedoExecute(); }); });
}

void TfrmMain::CreateShortcuts() {
    // The desktop's own keys; where its key theme has none for a command, the common one.
    const auto standard = [](QAction* action, QKeySequence::StandardKey key, const QKeySequence& common) {
        const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
        action->setShortcuts(keys.isEmpty() ? QList<QKeySequence>{common} : keys);
    };
    standard(actNew, QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N));
    standard(actOpen, QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O));
    standard(actSave, QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S));
    standard(actSaveAs, QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    standard(actClose, QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W));
    standard(actExit, QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    actPreview->setShortcut(QKeySequence(Qt::Key_F5));
    standard(actUndo, QKeySequence::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    standard(actRedo, QKeySequence::Redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    standard(actCut, QKeySequence::Cut, QKeySequence(Qt::CTRL | Qt::Key_X));
    standard(actCopy, QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_C));
    standard(actPaste, QKeySequence::Paste, QKeySequence(Qt::CTRL | Qt::Key_V));
    standard(actDelete, QKeySequence::Delete, QKeySequence(Qt::Key_Delete));
    standard(actSelectAll, QKeySequence::SelectAll, QKeySequence(Qt::CTRL | Qt::Key_A));
    // The editing keys act on elements only while the design surface or the tree has the focus; in the
    // inspector's editors, the log pane and dialogs they keep their usual meaning for text. On the
    // surface Delete stays the designer's own key (it waits, for example, until a drag is over).
    for (QAction* action : {actUndo, actRedo, actCut, actCopy, actPaste, actDelete, actSelectAll}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        TreeView1->addAction(action);
        if (action != actDelete)
            Panel3->addAction(action);
    }
}

void TfrmMain::CreateMenus() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);
    FileMenu = MainMenu1->addMenu(QStringLiteral("File"));
    FileMenu->setObjectName(QStringLiteral("File1"));
    FileMenu->addActions({actNew, actOpen});
    FileMenu->addSeparator();
    FileMenu->addActions({actSave, actSaveAs, actClose});
    MRUSeparator1 = FileMenu->addSeparator();
    MRUSeparator1->setObjectName(QStringLiteral("MRUSeparator1"));
    MRUSeparator2 = FileMenu->addSeparator();
    MRUSeparator2->setObjectName(QStringLiteral("MRUSeparator2"));
    FileMenu->addAction(actExit);

    QMenu* edit = MainMenu1->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->addActions({actUndo, actRedo});
    edit->addSeparator();
    edit->addActions({actCut, actCopy, actPaste, actDelete});
    edit->addSeparator();
    edit->addAction(actSelectAll);
    edit->addSeparator();
    edit->addActions({actBringToFront, actSendToBack});
    QMenu* tools = MainMenu1->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    tools->addAction(actPreview);
    CreateViewMenu(tools);
    QMenu* help = MainMenu1->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help1"));
    CreateHelpMenu(help);
    help->addAction(actAbout);

    ToolBar1->addAction(actNew);
    ToolBar1->addSeparator();
    ToolBar1->addActions({actOpen, actSave});
    ToolBar1->addSeparator();
    ToolBar1->addAction(actPreview);
    ToolBar1->addSeparator();
    ToolBar1->addActions({actUndo, actRedo});
    ToolBar1->addSeparator();
    ToolBar1->addActions({actCut, actCopy, actPaste, actDelete});
    ToolBar1->addSeparator();
    ToolBar1->addActions(m_kindTools);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions(m_kindTools);
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({actCut, actCopy, actPaste, actDelete});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(actSelectAll);
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({actBringToFront, actSendToBack});
    CreateArrangeMenus(edit);
}

void TfrmMain::CreateComponents() {
    ELDesigner1 = new TELDesigner(this);
    ELDesigner1->setObjectName(QStringLiteral("ELDesigner1"));
    ELDesigner1->SetDesignPanel(ELDesignPanel1);
    NameRow->SetDesigner(ELDesigner1);
    ELDesigner1->Grid()->SetXStep(2);
    ELDesigner1->Grid()->SetYStep(2);
    ELDesigner1->Grid()->SetVisible(false);
    ELDesigner1->Grid()->SetColor(GridColor);
    ELDesigner1->SetShowingHints(htSize | htMove | htInsert);
    ELDesigner1->SetPixelStep(2);
    ELDesigner1->SetPopupMenu(PopupMenu1);
    ELDesigner1->SetClipboardFormat(QStringLiteral("kvdui"));
    ELDesigner1->OnModified = [this](QObject* sender) { ELDesigner1Modified(sender); };
    ELDesigner1->OnControlInserting = [this](QObject* sender, const TControlClass*& controlClass) {
        ELDesigner1ControlInserting(sender, controlClass);
    };
    ELDesigner1->OnControlInserted = [this](QObject* sender) { ELDesigner1ControlInserted(sender); };
    ELDesigner1->OnControlsAdding = [this](QObject* sender, const QList<TControl*>& controls,
                                           TControl* container) {
        ELDesigner1ControlsAdding(sender, controls, container);
    };
    ELDesigner1->OnChangeSelection = [this](QObject* sender) { ELDesigner1ChangeSelection(sender); };

    ELPropertyInspector1->SetGridLines(false);
    ELPropertyInspector1->OnFilterProp = [this](QObject* sender, QObject* instance, const TPropInfo* propInfo,
                                                bool& includeProp) {
        ELPropertyInspector1FilterProp(sender, instance, propInfo, includeProp);
    };

    AttachTreeChange(true);

    KvdDromo1 = new TKvdDromo(this);
    KvdDromo1->setObjectName(QStringLiteral("KvdDromo1"));
    KvdDromo1->SetAddress(QStringLiteral("127.0.0.1"));
    KvdDromo1->SetPort(TKvdDromo::DefaultPort);
    KvdDromo1->SetVersion(9);
    KvdDromo1->SetSynchronized(true);
    KvdDromo1->SetFlags({});
    KvdDromo1->SetUpdateRate(3);
    KvdDromo1->OnConnect = [this](QObject* sender, DR_VER& ver) { KvdDromo1Connect(sender, ver); };
    KvdDromo1->OnDisconnect = [this](QObject* sender) { KvdDromo1Disconnect(sender); };
    KvdDromo1->OnError = [this](QObject* sender, const QString& message) { KvdDromo1Error(sender, message); };
    KvdUI1 = new TKvdUI(this);
    KvdUI1->setObjectName(QStringLiteral("KvdUI1"));
    KvdUI1->OnEvent = [this](QObject* sender, quint8 clickId, quint8 flags, const QString& text) {
        KvdUI1Event(sender, clickId, flags, text);
    };
    KvdUI1->SetDromo(KvdDromo1);
}

// --- settings
// ------------------------------------------------------------------------------------------------

void TfrmMain::LoadSettings() {
    const TSettingsFile ini(m_settingsFile);
    const std::optional<int> left = ini.Number(TSetting::Left);
    const std::optional<int> top = ini.Number(TSetting::Top);
    const std::optional<int> width = ini.Number(TSetting::Width);
    const std::optional<int> height = ini.Number(TSetting::Height);
    m_showCmd = ini.Number(TSetting::ShowCmd).value_or(ShowNormal);
    m_panes.Read(ini);
    // A missing or non-positive size keeps the default one; a window without any position is centred,
    // one with only half of it stays at the edge for the other half.
    const int w = width.value_or(0) > 0 ? *width : this->width();
    const int h = height.value_or(0) > 0 ? *height : this->height();
    if (left || top) {
        setGeometry(left.value_or(0), top.value_or(0), w, h);
    } else {
        resize(w, h);
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(w / 2, h / 2));
    }
    const QString address = ini.Text(TSetting::Address).trimmed();
    if (!address.isEmpty())
        KvdDromo1->SetAddress(address);
    const int port = ini.Number(TSetting::Port).value_or(0);
    if (port > 0 && port <= 65535)
        KvdDromo1->SetPort(port);
    LoadViewSettings(ini);
}

bool TfrmMain::WriteSettings(const std::function<void(TSettingsFile&)>& write) {
    TSettingsFile ini(m_settingsFile);
    write(ini);
    if (ini.Commit())
        return true;
    ReportSettingsNotSaved();
    return false;
}

void TfrmMain::ReportSettingsNotSaved() {
    if (!m_destroying)
        Log("Settings could not be saved to %s", qUtf8Printable(QDir::toNativeSeparators(m_settingsFile)));
}

void TfrmMain::SaveSettings() {
    WriteSettings([this](TSettingsFile& ini) {
        const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
        ini.Set(TSetting::Left, normal.left());
        ini.Set(TSetting::Top, normal.top());
        ini.Set(TSetting::Width, normal.width());
        ini.Set(TSetting::Height, normal.height());
        ini.Set(TSetting::ShowCmd, isMaximized()   ? ShowMaximised
                                   : isMinimized() ? ShowMinimised
                                                   : ShowNormal);
        if (m_shown) {
            m_panes.TreeWidth = Splitter1->sizes().value(0);
            m_panes.InspectorHeight = Splitter2->sizes().value(1);
            m_panes.LogHeight = Splitter3->sizes().value(1);
            m_panes.Write(ini);
            // Only a width the user chose is kept; the default follows the font.
            if (ELPropertyInspector1->Splitter() != NameColumnWidth())
                ini.Set(TSetting::NameColumn, ELPropertyInspector1->Splitter());
            else
                ini.Remove(TSetting::NameColumn);
        }
        ini.Set(TSetting::Address, KvdDromo1->Address());
        ini.Set(TSetting::Port, KvdDromo1->Port());
        SaveViewSettings(ini);
    });
}

// Sets the splitters once the window has its size: each one's fixed pane gets its size, the other pane
// the rest (the splitter keeps both within their minimum sizes).
void TfrmMain::ApplyPaneSizes() {
    const auto place = [](QSplitter* splitter, int index, int size) {
        QList<int> sizes = splitter->sizes();
        if (sizes.size() != 2)
            return;
        const int total = sizes.at(0) + sizes.at(1);
        sizes[index] = std::min(size, total);
        sizes[1 - index] = total - sizes.at(index);
        splitter->setSizes(sizes);
    };
    place(Splitter1, 0, m_panes.TreeWidth);
    place(Splitter2, 1, m_panes.InspectorHeight);
    place(Splitter3, 1, m_panes.LogHeight);
    ELPropertyInspector1->SetSplitter(m_panes.NameColumn.value_or(NameColumnWidth()));
}

void TfrmMain::ShowByPlacement() {
    if (m_showCmd == ShowMaximised)
        showMaximized();
    else if (m_showCmd == ShowMinimised)
        showMinimized();
    else
        show();
}

// --- life cycle
// ------------------------------------------------------------------------------------------------

bool TfrmMain::event(QEvent* event) {
    // A key is about to be matched against the shortcuts: the commands' enabled states must be those of
    // this moment, even when keys come faster than the event loop falls idle (Ctrl+C, Ctrl+V typed at once).
    if (event->type() == QEvent::ShortcutOverride)
        ActionList1Update();
    return QMainWindow::event(event);
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        ApplyPaneSizes();
        // Queued, so that the window is on screen first and a failing open is reported by the
        // application's error handler like any other.
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { FormShow(); }); });
    }
}

void TfrmMain::FormShow() {
    if (OfferRecovery())
        return;
    if (!StartupFile.IsEmpty())
        LoadLayout(StartupFile, QString());
    else if (!m_recentFiles.Files().isEmpty())
        LoadLayout(m_recentFiles.Files().first(), QString());
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // FormCloseQuery: the window closes only when the unsaved changes may be dropped.
    bool canClose = false;
    RunGuarded([&] { canClose = m_doc->QuerySaveChanges(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TfrmMain::FormDestroy() {
    ELDesigner1->SetActive(false);
    // A clean exit: the user has answered for the unsaved changes. The recent files were written as
    // they changed; writing the list again from memory would drop entries another builder added since.
    m_doc->EndSession();
    SaveSettings();
}

// --- shared operations
// ------------------------------------------------------------------------------------------

void TfrmMain::Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString line = QString::vasprintf(format, args);
    va_end(args);
    m_log->Add(line);
}

void TfrmMain::ScheduleRefresh() {
    Timer1->stop();
    Timer1->start();
}

void TfrmMain::Execute(QAction* action) {
    ActionList1Update();
    if (action->isEnabled())
        action->trigger();
}

void TfrmMain::ActionList1Update() {
    if (m_destroying || !m_root)
        return;
    const bool open = DocumentOpen();
    const bool hasChildren = !m_root->ChildControls().isEmpty();
    TELDesignerSelectedControls* selection = ELDesigner1->SelectedControls();
    const bool arrangeable = ELDesigner1->Active() && selection->Count() > 0 && selection->Items(0) != m_root;
    actSave->setEnabled(open && m_doc->Modified());
    actSaveAs->setEnabled(actSave->isEnabled());
    actClear->setEnabled(hasChildren);
    actToolPointer->setEnabled(open);
    for (QAction* tool : m_kindTools)
        tool->setEnabled(open);
    actBringToFront->setEnabled(arrangeable);
    actSendToBack->setEnabled(arrangeable);
    actDelete->setEnabled(arrangeable);
    actUndo->setEnabled(History()->CanUndo());
    actRedo->setEnabled(History()->CanRedo());
    actCut->setEnabled(open && ELDesigner1->CanCut());
    actCopy->setEnabled(open && ELDesigner1->CanCopy());
    actPaste->setEnabled(open && ELDesigner1->CanPaste());
    actSelectAll->setEnabled(hasChildren);
    actClose->setEnabled(open);
    UpdateArrangeActions(open);
}

void TfrmMain::Panel3Resize() {
    if (!ELDesignPanel1)
        return;
    const int top = (Panel3->height() - ELDesignPanel1->Height()) / 2;
    const int left = (Panel3->width() - ELDesignPanel1->Width()) / 2;
    ELDesignPanel1->SetBounds(left, top, ELDesignPanel1->Width(), ELDesignPanel1->Height());
}

void TfrmMain::Timer1Timer() {
    Timer1->stop();
    const QString text = m_doc->Snapshot();
    KvdUI1->ShowLayout(text, {}, 0);
    ProblemsPane->Check(text);
}
