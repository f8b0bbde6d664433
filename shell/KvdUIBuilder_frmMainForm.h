#pragma once
// TfrmMainForm: what the main window is made of, by the names its commands, handlers and tests use: the
// designer and its panel, the inspector, the tree, the log, the simulator client, the menus, the tool bar
// and the actions. TfrmMain inherits it and makes every part in FormCreate; this header only names them,
// so that the window's own header says what the window does.

#include <QIcon>
#include <QList>

class QAction;
class QActionGroup;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;
class QWidget;
class TELDesignPanel;
class TELDesigner;
class TELPropertyInspector;
class TKvdDromo;
class TKvdUI;
class TNameRow;
class TProblemsPane;

struct TfrmMainForm {
    TELDesigner* ELDesigner1 = nullptr;
    TELDesignPanel* ELDesignPanel1 = nullptr;
    TELPropertyInspector* ELPropertyInspector1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    TKvdDromo* KvdDromo1 = nullptr;
    TKvdUI* KvdUI1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    // The 50 ms refresh timer.
    QTimer* Timer1 = nullptr;
    QList<QIcon> ImageList1;
    // The panel the design surface lies in.
    QWidget* Panel3 = nullptr;
    // Between the tree column and the surface column; between tree and inspector; between surface and log.
    QSplitter *Splitter1 = nullptr, *Splitter2 = nullptr, *Splitter3 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* FileMenu = nullptr;
    // The surface's context menu.
    QMenu* PopupMenu1 = nullptr;
    // The recent files stand between these two in the File menu.
    QAction *MRUSeparator1 = nullptr, *MRUSeparator2 = nullptr;

    QAction *actNew = nullptr, *actOpen = nullptr, *actSave = nullptr, *actSaveAs = nullptr,
            *actPreview = nullptr, *actExit = nullptr, *actAbout = nullptr;
    QAction *actToolPointer = nullptr, *actClose = nullptr, *actDelete = nullptr;
    QAction *actBringToFront = nullptr, *actSendToBack = nullptr, *actPaste = nullptr, *actCut = nullptr,
            *actCopy = nullptr, *actSelectAll = nullptr, *actUndo = nullptr, *actRedo = nullptr;
    // View menu, kept in the settings file: the simulator's look on the surface; element names in the tree
    // and the Name row above the inspector (off by default). Help menu: the illustrated user guide.
    QAction *actSimulatorLook = nullptr, *actElementNames = nullptr, *actUserGuide = nullptr;
    TNameRow* NameRow = nullptr;
    QLineEdit* edtElementName = nullptr;
    // Edit -> Arrange: align, space and size the selected siblings against the first selected one, and
    // duplicate them.
    QMenu* ArrangeMenu = nullptr;
    QAction* actDuplicate = nullptr;
    // The tabs under the surface: the log and the Problems pane with the findings of the current layout.
    QTabWidget* LogTabs = nullptr;
    TProblemsPane* ProblemsPane = nullptr;

protected:
    QStatusBar* StatusBar1 = nullptr;
    QAction* actClear = nullptr;
    // The selection tool and one insertion tool per element kind, of which one is marked.
    QActionGroup* ToolGroup = nullptr;
};
