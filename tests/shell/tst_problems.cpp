// The Problems pane: the findings of the current layout follow the refresh run (not each change), the tab
// counts them, and activating a row selects the element on the surface and in the tree.

#include "ShellFixture.h"
#include "shell/KvdUIBuilder_ProblemsPane.h"

#include <QSplitter>
#include <QTabWidget>

namespace {

// The pane's rows as "severity|ID|rule".
QStringList Rows(TProblemsPane* pane) {
    QStringList rows;
    for (int i = 0; i < pane->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = pane->topLevelItem(i);
        rows << QStringLiteral("%1|%2|%3")
                    .arg(row->text(TProblemsPane::colSeverity), row->text(TProblemsPane::colID),
                         row->text(TProblemsPane::colRule));
    }
    return rows;
}

QTreeWidgetItem* RowOf(TProblemsPane* pane, int id, const QString& rule) {
    for (int i = 0; i < pane->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = pane->topLevelItem(i);
        if (row->text(TProblemsPane::colID) == QString::number(id) &&
            row->text(TProblemsPane::colRule) == rule)
            return row;
    }
    return nullptr;
}

QString TabText(const ShellFixture& f) {
    return f.Main->LogTabs->tabText(f.Main->LogTabs->indexOf(f.Main->ProblemsPane));
}

} // namespace

class TestProblems : public QObject {
    Q_OBJECT

private slots:
    void findingFollowsTheRefresh();
    void tabCountsTheFindings();
    void activatingARowSelectsTheElement();
    void sitsBesideTheLog();
};

void TestProblems::findingFollowsTheRefresh() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(20, 20, 140, 40), QRect(200, 20, 140, 40)});
    TProblemsPane* pane = f.Main->ProblemsPane;
    QCOMPARE(Rows(pane), QStringList());

    // Two clickable buttons covering each other: the later one is reported, once the refresh has run.
    e[1]->SetBounds(100, 40, 140, 40);
    QVERIFY(f.Main->Timer1->isActive());
    QCOMPARE(Rows(pane), QStringList());
    f.Settle();
    QCOMPARE(Rows(pane), QStringList{QStringLiteral("warning|1|overlap")});
    QTreeWidgetItem* row = RowOf(pane, 1, QStringLiteral("overlap"));
    QVERIFY(row);
    QVERIFY(row->text(TProblemsPane::colMessage).contains(QLatin1String("ID 0")));
    QVERIFY(!row->icon(TProblemsPane::colSeverity).isNull());

    // Moving it away again clears the pane; undo brings the finding back with the layout.
    e[1]->SetBounds(200, 20, 140, 40);
    f.Settle();
    QCOMPARE(Rows(pane), QStringList());
    f.Main->Execute(f.Main->actUndo);
    f.Settle();
    QCOMPARE(Rows(pane), QStringList{QStringLiteral("warning|1|overlap")});

    // Closing the document (its changes dropped) leaves nothing to report.
    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
    f.Click(f.Main->actClose);
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->TreeView1->topLevelItemCount(), 0, 5000);
    f.Settle();
    QCOMPARE(Rows(pane), QStringList());
}

void TestProblems::tabCountsTheFindings() {
    ShellFixture f;
    QCOMPARE(TabText(f), QStringLiteral("Problems"));
    // Three buttons too small to hit: each is reported (with its caption cut as well).
    const QList<TKvdUIElement*> e =
        f.NewWithButtonsAt({QRect(20, 20, 8, 8), QRect(60, 20, 8, 8), QRect(100, 20, 8, 8)});
    TProblemsPane* pane = f.Main->ProblemsPane;
    QCOMPARE(pane->topLevelItemCount(), pane->Findings().size());
    for (int id = 0; id < 3; ++id)
        QVERIFY2(RowOf(pane, id, QStringLiteral("small-target")), qPrintable(QString::number(id)));
    QVERIFY(pane->topLevelItemCount() >= 3);
    QCOMPARE(TabText(f), QStringLiteral("Problems (%1)").arg(pane->topLevelItemCount()));

    // Making one big enough takes its rows away and counts again.
    e[0]->SetBounds(20, 20, 100, 40);
    f.Settle();
    QVERIFY(!RowOf(pane, 0, QStringLiteral("small-target")));
    QVERIFY(RowOf(pane, 1, QStringLiteral("small-target")));
    QCOMPARE(TabText(f), QStringLiteral("Problems (%1)").arg(pane->topLevelItemCount()));
    f.Main->Execute(f.Main->findChild<QAction*>(QStringLiteral("actClear")));
    f.Settle();
    QCOMPARE(TabText(f), QStringLiteral("Problems"));
}

void TestProblems::activatingARowSelectsTheElement() {
    ShellFixture f;
    TKvdUIElement* panel = f.NewPanelWithButtonsAndText();
    f.Settle();
    // The second button inside the panel becomes too small to hit.
    TKvdUIElement* small = f.Elements().at(2);
    QCOMPARE(small->parentWidget(), panel);
    small->SetBounds(60, 60, 8, 8);
    f.Settle();
    f.Main->ELDesigner1->SelectedControls()->SelectOnly(f.Elements().at(3));
    f.Main->NodeOf(panel)->setExpanded(false);

    TProblemsPane* pane = f.Main->ProblemsPane;
    f.Main->LogTabs->setCurrentWidget(pane);
    QTreeWidgetItem* row = RowOf(pane, small->ID(), QStringLiteral("small-target"));
    QVERIFY(row);
    pane->scrollToItem(row);
    QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, pane->visualItemRect(row).center());
    QCoreApplication::processEvents();

    TELDesignerSelectedControls* selection = f.Main->ELDesigner1->SelectedControls();
    QCOMPARE(selection->Count(), 1);
    QCOMPARE(selection->Items(0), small);
    QTreeWidgetItem* node = f.Main->NodeOf(small);
    QCOMPARE(f.Main->TreeView1->currentItem(), node);
    QVERIFY(f.Main->NodeOf(panel)->isExpanded());
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestProblems::sitsBesideTheLog() {
    ShellFixture f;
    QTabWidget* tabs = f.Main->LogTabs;
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->widget(0), f.Main->Memo1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Log"));
    QCOMPARE(tabs->widget(1), f.Main->ProblemsPane);
    QCOMPARE(tabs->currentWidget(), f.Main->Memo1);
    QVERIFY(f.Main->Splitter3->isAncestorOf(tabs));
}

KVD_SHELL_TEST_MAIN(TestProblems)
#include "tst_problems.moc"
