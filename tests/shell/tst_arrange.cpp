// The Arrange commands: the geometry on plain rectangles, then each command on real selections in the
// main window (positions and sizes after, one undo step, enabled states, nested containers, locks) and
// Duplicate (free IDs, one grid step away, the copies selected, the clipboard left alone).

#include "ShellFixture.h"
#include "designer/ELDsgnrArrange.h"

#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

namespace {

using K = TArrangeKind;

QAction* ActionNamed(TfrmMain* main, const char* name) {
    for (QAction* action : main->ArrangeActions())
        if (action->objectName() == QLatin1String(name))
            return action;
    return nullptr;
}

QList<QRect> Bounds(const ShellFixture& f) {
    QList<QRect> list;
    for (TKvdUIElement* e : f.Elements())
        list << e->BoundsRect();
    return list;
}

// Selects the controls in this order (the first is the reference of the align and size commands).
void Select(ShellFixture& f, const QList<TControl*>& controls) {
    f.Main->ELDesigner1->SelectedControls()->Clear();
    f.Main->ELDesigner1->SelectedControls()->SetSelection(controls);
    f.Main->ActionList1Update();
}

QList<int> IDs(const ShellFixture& f) {
    QList<int> ids;
    for (TKvdUIElement* e : f.Elements())
        ids << e->ID();
    return ids;
}

} // namespace

class TestArrange : public QObject {
    Q_OBJECT

private slots:
    void geometry_data();
    void geometry();
    void commandActsOnSelection_data();
    void commandActsOnSelection();
    void distributeKeepsOutermost();
    void enabledStates();
    void nestedContainers();
    void lockedControlsStay();
    void duplicateCopiesOneStepAway();
    void duplicatePanelWithChildren();
    void keysAndMenus();
};

void TestArrange::geometry_data() {
    QTest::addColumn<QList<QRect>>("rects");
    QTest::addColumn<K>("kind");
    QTest::addColumn<QSize>("step");
    QTest::addColumn<QList<QRect>>("expected");
    const QRect ref(100, 40, 60, 30);
    const QRect a(20, 120, 40, 20);
    const QRect b(200, 200, 81, 41);
    const QList<QRect> three{ref, a, b};
    // The plain edge and size commands are checked on the surface below; here the rounding: centres go to
    // the step, edges taken from the reference stay exact.
    QTest::newRow("centres step 1") << three << K::AlignHorzCenters << QSize(1, 1)
                                    << QList<QRect>{ref, QRect(110, 120, 40, 20), QRect(90, 200, 81, 41)};
    QTest::newRow("centres step 4") << three << K::AlignHorzCenters << QSize(4, 4)
                                    << QList<QRect>{ref, QRect(112, 120, 40, 20), QRect(88, 200, 81, 41)};
    QTest::newRow("rights") << three << K::AlignRights << QSize(4, 4)
                            << QList<QRect>{ref, QRect(120, 120, 40, 20), QRect(79, 200, 81, 41)};
    QTest::newRow("middles") << three << K::AlignVertCenters << QSize(2, 2)
                             << QList<QRect>{ref, QRect(20, 46, 40, 20), QRect(200, 34, 81, 41)};
    QTest::newRow("align needs two") << QList<QRect>{a} << K::AlignLefts << QSize(1, 1) << QList<QRect>{a};
    QTest::newRow("space needs three")
        << QList<QRect>{a, b} << K::SpaceHorizontally << QSize(1, 1) << QList<QRect>{a, b};

    // Spacing sorts by the leading edge, whatever the order of the list; the gaps between neighbours
    // are equal (to the rounding) and the outermost two stay.
    const QList<QRect> row{QRect(200, 5, 60, 10), QRect(10, 0, 40, 10), QRect(300, 9, 40, 10),
                           QRect(60, 3, 20, 10)};
    QTest::newRow("space horizontally") << row << K::SpaceHorizontally << QSize(2, 2)
                                        << QList<QRect>{QRect(184, 5, 60, 10), QRect(10, 0, 40, 10),
                                                        QRect(300, 9, 40, 10), QRect(106, 3, 20, 10)};
    QList<QRect> column;
    for (const QRect& r : row)
        column << r.transposed().translated(r.y() - r.x(), r.x() - r.y());
    QTest::newRow("space vertically") << column << K::SpaceVertically << QSize(2, 2)
                                      << QList<QRect>{QRect(5, 184, 10, 60), QRect(0, 10, 10, 40),
                                                      QRect(9, 300, 10, 40), QRect(3, 106, 10, 20)};
    // Elements wider than the room between the outermost two overlap by equal amounts.
    QTest::newRow("space overlapping")
        << QList<QRect>{QRect(0, 0, 40, 10), QRect(30, 0, 40, 10), QRect(50, 0, 40, 10)}
        << K::SpaceHorizontally << QSize(1, 1)
        << QList<QRect>{QRect(0, 0, 40, 10), QRect(25, 0, 40, 10), QRect(50, 0, 40, 10)};
}

void TestArrange::geometry() {
    QFETCH(QList<QRect>, rects);
    QFETCH(K, kind);
    QFETCH(QSize, step);
    QFETCH(QList<QRect>, expected);
    QCOMPARE(ELDsgnrArrange::ArrangeRects(rects, kind, step), expected);
}

void TestArrange::commandActsOnSelection_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<QRect>>("expected");
    // Created in this order; the second one is selected first and is the reference, which stays.
    const QRect a(20, 120, 40, 20), ref(100, 40, 60, 30), b(200, 200, 80, 40);
    const auto row = [&](const char* name, const char* action, const QRect& first, const QRect& third) {
        QTest::newRow(name) << QString::fromLatin1(action) << QList<QRect>{first, ref, third};
    };
    row("lefts", "actAlignLefts", QRect(100, 120, 40, 20), QRect(100, 200, 80, 40));
    row("centres", "actAlignHorzCenters", QRect(110, 120, 40, 20), QRect(90, 200, 80, 40));
    row("rights", "actAlignRights", QRect(120, 120, 40, 20), QRect(80, 200, 80, 40));
    row("tops", "actAlignTops", QRect(20, 40, 40, 20), QRect(200, 40, 80, 40));
    // The centre 55 puts the 20 high one at 45, which goes to the 2-pixel grid.
    row("middles", "actAlignVertCenters", QRect(20, 46, 40, 20), QRect(200, 36, 80, 40));
    row("bottoms", "actAlignBottoms", QRect(20, 50, 40, 20), QRect(200, 30, 80, 40));
    row("width", "actSameWidth", QRect(20, 120, 60, 20), QRect(200, 200, 60, 40));
    row("height", "actSameHeight", QRect(20, 120, 40, 30), QRect(200, 200, 80, 30));
    row("size", "actSameSize", QRect(20, 120, 60, 30), QRect(200, 200, 60, 30));
}

void TestArrange::commandActsOnSelection() {
    QFETCH(QString, action);
    QFETCH(QList<QRect>, expected);
    ShellFixture f;
    const QList<QRect> before{QRect(20, 120, 40, 20), QRect(100, 40, 60, 30), QRect(200, 200, 80, 40)};
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt(before);
    QCOMPARE(Bounds(f), before);
    Select(f, {e[1], e[0], e[2]});
    const int undoCount = f.Main->History()->UndoCount();
    f.Main->Execute(ActionNamed(f.Main.get(), qPrintable(action)));
    QCOMPARE(Bounds(f), expected);
    QVERIFY(f.Main->Modified());
    f.Settle();
    // One refresh for the whole command: one undo step, and the layout it sends is the new one.
    QCOMPARE(f.Main->History()->UndoCount(), undoCount + 1);
    QCOMPARE(f.Main->History()->Current(), WriteLayout(f.Root()));
    // The selection stays, so the command can be followed by another.
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 3);
    f.Main->Execute(f.Main->actUndo);
    f.Settle();
    QCOMPARE(Bounds(f), before);
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestArrange::distributeKeepsOutermost() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt(
        {QRect(10, 10, 40, 20), QRect(60, 100, 20, 20), QRect(200, 40, 60, 20), QRect(300, 60, 40, 20)});
    Select(f, {e[2], e[0], e[3], e[1]});
    const int undoCount = f.Main->History()->UndoCount();
    f.Main->Execute(ActionNamed(f.Main.get(), "actSpaceHorizontally"));
    f.Settle();
    QCOMPARE(Bounds(f), (QList<QRect>{QRect(10, 10, 40, 20), QRect(106, 100, 20, 20), QRect(184, 40, 60, 20),
                                      QRect(300, 60, 40, 20)}));
    QCOMPARE(f.Main->History()->UndoCount(), undoCount + 1);

    // Vertically: from the top one (10) to the bottom one (100); the gap is (100 - 30 - 20) / 2, which
    // puts the middle one at 55, on the grid 56.
    Select(f, {e[0], e[1], e[2]});
    f.Main->Execute(ActionNamed(f.Main.get(), "actSpaceVertically"));
    f.Settle();
    QCOMPARE(e[0]->BoundsRect(), QRect(10, 10, 40, 20));
    QCOMPARE(e[2]->BoundsRect(), QRect(184, 56, 60, 20));
    QCOMPARE(e[1]->BoundsRect(), QRect(106, 100, 20, 20));
    QCOMPARE(f.Main->History()->UndoCount(), undoCount + 2);

    // Spacing what is spaced already changes nothing and records nothing.
    f.Main->Execute(ActionNamed(f.Main.get(), "actSpaceVertically"));
    f.Settle();
    QCOMPARE(f.Main->History()->UndoCount(), undoCount + 2);
}

void TestArrange::enabledStates() {
    ShellFixture f;
    TfrmMain* m = f.Main.get();
    const auto enabled = [&] {
        m->ActionList1Update();
        QStringList names;
        for (QAction* action : m->ArrangeActions())
            if (action->isEnabled())
                names << action->objectName();
        return names;
    };
    QCOMPARE(m->ArrangeActions().size(), 12);
    QCOMPARE(enabled(), QStringList());
    const QList<TKvdUIElement*> e =
        f.NewWithButtonsAt({QRect(10, 10, 40, 20), QRect(60, 60, 40, 20), QRect(120, 120, 40, 20)});
    const QStringList align{"actAlignLefts", "actAlignHorzCenters", "actAlignRights",
                            "actAlignTops",  "actAlignVertCenters", "actAlignBottoms"};
    const QStringList size{"actSameWidth", "actSameHeight", "actSameSize"};
    const QStringList space{"actSpaceHorizontally", "actSpaceVertically"};
    const QStringList duplicate{"actDuplicate"};

    Select(f, {f.Root()});
    QCOMPARE(enabled(), QStringList());
    Select(f, {e[0]});
    QCOMPARE(enabled(), duplicate);
    Select(f, {e[0], e[1]});
    QCOMPARE(enabled(), align + size + duplicate);
    Select(f, {e[0], e[1], e[2]});
    QCOMPARE(enabled(), align + space + size + duplicate);
    // Select all takes the layout itself along; the commands act on the elements.
    f.Main->Execute(f.Main->actSelectAll);
    QCOMPARE(enabled(), align + space + size + duplicate);
    // A disabled command does nothing when run.
    Select(f, {e[0], e[2]});
    f.Main->Execute(ActionNamed(m, "actSpaceHorizontally"));
    QCOMPARE(Bounds(f),
             (QList<QRect>{QRect(10, 10, 40, 20), QRect(60, 60, 40, 20), QRect(120, 120, 40, 20)}));

    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
    f.Click(m->actClose);
    QTRY_COMPARE_WITH_TIMEOUT(m->TreeView1->topLevelItemCount(), 0, 5000);
    QCOMPARE(enabled(), QStringList());
}

void TestArrange::nestedContainers() {
    ShellFixture f;
    TKvdUIElement* panel = f.NewPanelWithButtonsAndText();
    f.Settle();
    const QList<TKvdUIElement*> e = f.Elements(); // panel, two buttons inside it, the text beside it
    QCOMPARE(e.size(), 4);
    QCOMPARE(e[1]->parentWidget(), panel);
    e[2]->SetBounds(60, 50, 40, 20);
    f.Settle();
    const QRect button1 = e[1]->BoundsRect();
    const QRect text = e[3]->BoundsRect();

    // Elements in different containers are no siblings: nothing of Arrange applies.
    Select(f, {e[1], e[3]});
    for (QAction* action : f.Main->ArrangeActions())
        QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    Select(f, {e[0], e[1]});
    QVERIFY(!ActionNamed(f.Main.get(), "actAlignTops")->isEnabled());

    // The two inside the panel align in the panel's coordinates.
    Select(f, {e[1], e[2]});
    f.Main->Execute(ActionNamed(f.Main.get(), "actAlignTops"));
    f.Settle();
    QCOMPARE(e[2]->BoundsRect(), QRect(60, button1.y(), 40, 20));
    QCOMPARE(e[1]->BoundsRect(), button1);
    QCOMPARE(e[3]->BoundsRect(), text);
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestArrange::lockedControlsStay() {
    ShellFixture f;
    const QList<TKvdUIElement*> e =
        f.NewWithButtonsAt({QRect(100, 40, 60, 30), QRect(20, 120, 40, 20), QRect(200, 200, 80, 40)});
    e[1]->SetDesignLocks(dlMove);
    Select(f, {e[0], e[1], e[2]});
    f.Main->Execute(ActionNamed(f.Main.get(), "actAlignLefts"));
    QCOMPARE(e[1]->BoundsRect(), QRect(20, 120, 40, 20));
    QCOMPARE(e[2]->BoundsRect(), QRect(100, 200, 80, 40));
    // Locked against moving only: it still takes the size.
    f.Main->Execute(ActionNamed(f.Main.get(), "actSameSize"));
    QCOMPARE(e[1]->BoundsRect(), QRect(20, 120, 60, 30));
    e[1]->SetDesignLocks(dlResize);
    e[2]->SetDesignLocks(dlResize);
    e[2]->SetBounds(100, 200, 80, 40);
    f.Main->Execute(ActionNamed(f.Main.get(), "actSameHeight"));
    QCOMPARE(e[2]->BoundsRect(), QRect(100, 200, 80, 40));
    f.Main->Execute(ActionNamed(f.Main.get(), "actAlignBottoms"));
    QCOMPARE(e[2]->BoundsRect(), QRect(100, 30, 80, 40));

    // An element locked against copying is left out of a duplicate.
    e[2]->SetDesignLocks(dlCopy);
    f.Main->Execute(f.Main->actDuplicate);
    QCOMPARE(f.Elements().size(), 5);
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestArrange::duplicateCopiesOneStepAway() {
    ShellFixture f;
    // The second lies one grid step from the first: reading them back as a paste does would push the
    // copies further on, where they no longer keep the originals' arrangement.
    const QList<TKvdUIElement*> e =
        f.NewWithButtonsAt({QRect(20, 20, 60, 30), QRect(22, 22, 60, 30), QRect(200, 20, 40, 20)});
    QCOMPARE(IDs(f), (QList<int>{0, 1, 2}));
    QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
    Select(f, {e[1], e[0]});
    const int undoCount = f.Main->History()->UndoCount();
    f.Main->Execute(f.Main->actDuplicate);
    f.Settle();

    const QList<TKvdUIElement*> after = f.Elements();
    QCOMPARE(after.size(), 5);
    // The copies follow the selection's order, each one grid step right of and below its original.
    const int step = f.Main->ELDesigner1->Grid()->XStep();
    QCOMPARE(step, 2);
    QCOMPARE(after[3]->BoundsRect(), QRect(24, 24, 60, 30));
    QCOMPARE(after[4]->BoundsRect(), QRect(22, 22, 60, 30));
    QCOMPARE(IDs(f), (QList<int>{0, 1, 2, 3, 4}));
    QList<TControl*> selected;
    f.Main->ELDesigner1->SelectedControls()->GetControls(selected);
    QCOMPARE(selected, (QList<TControl*>{after[3], after[4]}));
    QCOMPARE(f.Tree().size(), 6);
    QCOMPARE(f.Main->History()->UndoCount(), undoCount + 1);
    QVERIFY(f.Main->Modified());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));

    f.Main->Execute(f.Main->actUndo);
    f.Settle();
    QCOMPARE(f.Elements().size(), 3);
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestArrange::duplicatePanelWithChildren() {
    ShellFixture f;
    TKvdUIElement* panel = f.NewPanelWithButtonsAndText();
    f.Settle();
    const QRect inner = f.Elements().at(1)->BoundsRect();
    Select(f, {panel});
    f.Main->Execute(f.Main->actDuplicate);
    f.Settle();
    const QList<TKvdUIElement*> all = f.Elements();
    QCOMPARE(all.size(), 7);
    QList<int> ids = IDs(f);
    std::sort(ids.begin(), ids.end());
    QCOMPARE(ids, (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    auto* copy = qobject_cast<TKvdUIElement*>(f.Main->ELDesigner1->SelectedControls()->Items(0));
    QVERIFY(copy && copy != panel);
    QCOMPARE(copy->BoundsRect(), panel->BoundsRect().translated(2, 2));
    QCOMPARE(copy->ChildControls().size(), 2);
    QCOMPARE(copy->ChildControls().first()->BoundsRect(), inner);
}

void TestArrange::keysAndMenus() {
    ShellFixture f;
    TfrmMain* m = f.Main.get();
    // Duplicate has the editors' key, and no two commands of the window share one.
    QCOMPARE(m->actDuplicate->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QHash<QKeySequence, QString> owners;
    for (QAction* action : m->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts()) {
            QVERIFY2(!owners.contains(key), qPrintable(owners.value(key) + " and " + action->objectName()));
            owners.insert(key, action->objectName());
        }
    QMenu* edit = m->MainMenu1->findChild<QMenu*>(QStringLiteral("Edit1"));
    QVERIFY(edit && edit->actions().contains(m->ArrangeMenu->menuAction()));
    QVERIFY(m->PopupMenu1->actions().contains(m->ArrangeMenu->menuAction()));
    QCOMPARE(m->ArrangeMenu->actions().size() - 4, m->ArrangeActions().size()); // four separators
    for (QAction* action : m->ArrangeActions())
        QVERIFY2(!action->icon().isNull() && !action->statusTip().isEmpty(),
                 qPrintable(action->objectName()));
    QVERIFY(m->ToolBar1->widgetForAction(m->actDuplicate));

    // The keys act on the surface, as the other editing keys do.
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(100, 40, 60, 30), QRect(20, 120, 40, 20)});
    f.ClickOn(e[0]);
    f.ClickOn(e[1], QPoint(3, 3), Qt::ShiftModifier);
    QCOMPARE(m->ELDesigner1->SelectedControls()->Count(), 2);
    QVERIFY(m->Panel3->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(e[1]->Left(), 100);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(f.Elements().size(), 4);
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

KVD_SHELL_TEST_MAIN(TestArrange)
#include "tst_arrange.moc"
