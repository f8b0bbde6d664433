// The main window's Arrange commands (Edit -> Arrange, the surface's context menu and a tool-bar group)
// and the Problems pane beside the log.

#include "shell/KvdUIBuilder_frmMain.h"

#include "designer/ELDsgnr.h"
#include "designer/ELDsgnrArrange.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_ArrangeCommands.h"
#include "shell/KvdUIBuilder_Icons.h"
#include "shell/KvdUIBuilder_ProblemsPane.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>

void TfrmMain::CreateArrangeActions() {
    for (const TArrangeCommand& command : ArrangeCommands()) {
        auto* action = new QAction(QString::fromLatin1(command.Caption), this);
        action->setObjectName(QString::fromLatin1(command.Name));
        action->setToolTip(action->text());
        action->setStatusTip(QString::fromLatin1(command.Tip));
        action->setIcon(ImageList1.at(command.Image));
        action->setIconVisibleInMenu(true);
        action->setShortcut(command.Key);
        // Like the other editing keys: on the surface and in the tree only.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        TreeView1->addAction(action);
        Panel3->addAction(action);
        if (command.Kind) {
            const TArrangeKind kind = *command.Kind;
            connect(action, &QAction::triggered, this, [this, kind] {
                RunGuarded([this, kind] { ELDsgnrArrange::Arrange(ELDesigner1, kind); });
            });
        } else {
            actDuplicate = action;
            connect(action, &QAction::triggered, this,
                    [this] { RunGuarded([this] { ELDsgnrArrange::Duplicate(ELDesigner1); }); });
        }
        m_arrangeActions << action;
    }
}

void TfrmMain::CreateArrangeMenus(QMenu* edit) {
    ArrangeMenu = new QMenu(QStringLiteral("Arrange"), this);
    ArrangeMenu->setObjectName(QStringLiteral("Arrange1"));
    // Groups: align horizontally, align vertically, distribute, size, duplicate.
    for (int i = 0; i < m_arrangeActions.size(); ++i) {
        if (i == 3 || i == 6 || i == 8 || i == 11)
            ArrangeMenu->addSeparator();
        ArrangeMenu->addAction(m_arrangeActions.at(i));
    }
    edit->addSeparator();
    edit->addMenu(ArrangeMenu);
    PopupMenu1->addSeparator();
    PopupMenu1->addMenu(ArrangeMenu);
    // The tool bar shows the aligning, spacing and duplicating; the size commands are in the menus.
    ToolBar1->addSeparator();
    for (QAction* action : m_arrangeActions.mid(0, 8))
        ToolBar1->addAction(action);
    ToolBar1->addAction(actDuplicate);
}

void TfrmMain::UpdateArrangeActions(bool open) {
    // Runs whenever the program falls idle: the selection is looked at once for all twelve.
    const qsizetype siblings = open ? ELDsgnrArrange::SelectedSiblings(ELDesigner1).size() : 0;
    const bool duplicable = siblings > 0 && ELDsgnrArrange::CanDuplicate(ELDesigner1);
    const QList<TArrangeCommand>& commands = ArrangeCommands();
    for (int i = 0; i < m_arrangeActions.size(); ++i) {
        const std::optional<TArrangeKind>& kind = commands.at(i).Kind;
        m_arrangeActions.at(i)->setEnabled(kind ? siblings >= ELDsgnrArrange::MinimumCount(*kind)
                                                : duplicable);
    }
}

void TfrmMain::CreateProblemsPane() {
    LogTabs = new QTabWidget;
    LogTabs->setObjectName(QStringLiteral("LogTabs"));
    LogTabs->setTabPosition(QTabWidget::South);
    LogTabs->setDocumentMode(true);
    Splitter3->replaceWidget(Splitter3->indexOf(Memo1), LogTabs);
    LogTabs->addTab(Memo1, QStringLiteral("Log"));
    ProblemsPane = new TProblemsPane(LogTabs);
    // The scroll areas' own minimum, with the tab bar added, would not let the pane be as low as the log
    // alone could be: two lines of text under the tabs are enough.
    LogTabs->setMinimumHeight(LogTabs->tabBar()->sizeHint().height() +
                              2 * Memo1->fontMetrics().lineSpacing());
    ProblemsPane->OnActivate = [this](int id) { SelectElementID(id); };
}

void TfrmMain::SelectElementID(int id) {
    if (id < 0 || !m_root || !ELDesigner1->Active())
        return;
    for (TControl* c : m_root->OwnedComponents()) {
        auto* element = qobject_cast<TKvdUIElement*>(c);
        if (element && element->ID() == id && element->parentWidget()) {
            ELDesigner1->SelectedControls()->SelectOnly(element);
            if (QTreeWidgetItem* node = NodeOf(element))
                TreeView1->scrollToItem(node);
            return;
        }
    }
}
