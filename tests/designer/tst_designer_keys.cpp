// The designer from the keyboard: Tab, Esc, arrows with the nearest sibling, moving and resizing by
// PixelStep, Delete with its lock messages, and component names.

#include "DesignerFixture.h"

class TstDesignerKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keyEventsAndSuppression() {
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(20, 20, 30, 20));
        TTestLeaf* b = f.Add(f.Root.get(), QStringLiteral("Leaf2"), QRect(60, 20, 30, 20));
        QStringList keys;
        f.Designer->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
            keys << QStringLiteral("down %1").arg(key, 0, 16);
            if (key == Qt::Key_Right)
                key = 0; // the designer then does nothing with it
        };
        f.Designer->OnKeyPress = [&](QObject*, QChar& ch) { keys << QStringLiteral("press %1").arg(ch); };
        f.Designer->OnKeyUp = [&](QObject*, int& key, Qt::KeyboardModifiers) {
            keys << QStringLiteral("up %1").arg(key, 0, 16);
        };
        f.Sel()->SelectOnly(a);
        f.Key(Qt::Key_Right);
        QCOMPARE(f.Selection(), QList<TControl*>{a});
        QTest::keyClick(f.Surface(), 'x');
        QCOMPARE(keys, (QStringList{"down 1000014", "up 1000014", "down 58", "press x", "up 58"}));
        // Controls never receive keys: a key sent to one is consumed before it.
        keys.clear();
        QTest::keyClick(b, 'y');
        QCOMPARE(keys, (QStringList{"down 59", "press y", "up 59"}));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QVERIFY(f.Engine()->HandleDesignEvent(a, &press));
    }

    void tabAndEscape() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(20, 20, 30, 20));
        auto [box, c] = f.AddBoxWithLeaf(QRect(100, 100, 200, 200), QStringLiteral("Leaf3"));
        auto* parentless = new TTestLeaf(root); // owned but not placed: skipped
        parentless->SetName(QStringLiteral("Loose"));
        // Tab with the root selected does nothing.
        f.Key(Qt::Key_Tab);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        f.Sel()->SelectOnly(a);
        f.Key(Qt::Key_Tab);
        QCOMPARE(f.Selection(), QList<TControl*>{box});
        f.Key(Qt::Key_Tab);
        QCOMPARE(f.Selection(), QList<TControl*>{c});
        f.Key(Qt::Key_Tab); // past the parentless one, wrapping to the first created
        QCOMPARE(f.Selection(), QList<TControl*>{a});
        f.Key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(f.Selection(), QList<TControl*>{c});
        // Esc climbs to the design control of the parent; from a top-level control, the root.
        f.Key(Qt::Key_Escape);
        QCOMPARE(f.Selection(), QList<TControl*>{box});
        f.Key(Qt::Key_Escape);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        f.Key(Qt::Key_Escape);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        f.Sel()->Clear();
        f.Key(Qt::Key_Escape);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
    }

    void arrowsSelectTheNearestSibling_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        // Centre at (200, 200, 40 x 20). Around it:
        QTest::newRow("left: the nearer of two in the cone") << int(Qt::Key_Left) << "L1";
        QTest::newRow("right: outside the cone is skipped") << int(Qt::Key_Right) << "R2";
        QTest::newRow("up") << int(Qt::Key_Up) << "U1";
        QTest::newRow("down: overlapping candidate") << int(Qt::Key_Down) << "D1";
    }

    void arrowsSelectTheNearestSibling() {
        QFETCH(int, key);
        QFETCH(QString, expected);
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* centre = f.Add(root, QStringLiteral("Centre"), QRect(200, 200, 40, 20));
        f.Add(root, QStringLiteral("L2"), QRect(60, 195, 40, 20));
        f.Add(root, QStringLiteral("L1"), QRect(140, 205, 40, 20));
        f.Add(root, QStringLiteral("R1"), QRect(260, 340, 40, 20)); // far below: outside the 45-degree cone
        f.Add(root, QStringLiteral("R2"), QRect(330, 200, 40, 20));
        f.Add(root, QStringLiteral("U1"), QRect(210, 100, 20, 20));
        f.Add(root, QStringLiteral("D1"), QRect(205, 215, 30, 20)); // overlaps the centre, same middle x
        f.Sel()->SelectOnly(centre);
        f.Key(key);
        QCOMPARE(f.Sel()->LastSelected()->Name(), expected);
        // Alt+arrow does nothing.
        f.Sel()->SelectOnly(centre);
        f.Key(key, Qt::AltModifier);
        QCOMPARE(f.Sel()->LastSelected(), centre);
    }

    void shiftAndCtrlArrows() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(20, 20, 1, 20));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(60, 20, 30, 20));
        auto [box, c] = f.AddBoxWithLeaf(QRect(100, 100, 100, 100), QStringLiteral("Leaf3"));
        // Shift+Left on a 1-pixel-wide control gives 0, never negative.
        f.Sel()->SelectOnly(a);
        f.Events.clear();
        f.Key(Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(a->BoundsRect(), QRect(20, 20, 0, 20));
        QCOMPARE(f.Events, (QStringList{"modified"}));
        // Ctrl moves the siblings of the last selected control; others leave the selection.
        f.Sel()->SetSelection({c, a, b});
        f.Events.clear();
        f.Key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b}));
        QCOMPARE(a->Top(), 22);
        QCOMPARE(b->Top(), 22);
        QCOMPARE(c->Top(), 10);
        QCOMPARE(f.Events, (QStringList{"change", "modified"}));
        // Shift wins over Ctrl.
        f.Key(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(b->BoundsRect(), QRect(60, 22, 32, 20));
        // All locked against moving: nothing moves, no modification, but the selection shrinks.
        a->SetDesignLocks(dlMove);
        b->SetDesignLocks(dlMove);
        f.Events.clear();
        f.Key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(f.Sel()->Count(), 0);
        QCOMPARE(b->Left(), 60);
        QCOMPARE(f.Events, QStringList{"change"});
        // PixelStep 0 changes nothing.
        a->SetDesignLocks(0);
        f.Sel()->SelectOnly(a);
        f.Designer->SetPixelStep(0);
        f.Events.clear();
        f.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(a->Left(), 20);
        QVERIFY(f.Events.isEmpty());
        // With the root last selected the arrows do nothing.
        f.Designer->SetPixelStep(2);
        f.Sel()->SelectOnly(root);
        f.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(root->BoundsRect().topLeft(), QPoint(0, 0));
    }

    void deletion() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        auto [box, inner] = f.AddBoxWithLeaf(QRect(100, 100, 100, 100), QStringLiteral("Leaf3"));
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(20, 20, 30, 20));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(60, 20, 30, 20));
        // Only the root selected: nothing happens.
        f.Key(Qt::Key_Delete);
        QVERIFY(f.Events.isEmpty());
        // One locked control (through its child): the message names it, nothing is deleted.
        inner->SetDesignLocks(dlDelete);
        f.Sel()->SetSelection({box, a});
        f.Key(Qt::Key_Delete);
        QCoreApplication::processEvents();
        QCOMPARE(TTestApplication::Instance()->Errors,
                 QStringList{
                     "Control \"Box1\" or some of it chidrens can not\r be deleted becouse they are locked"});
        QCOMPARE(root->ChildControls().size(), 3);
        b->SetDesignLocks(dlDelete);
        f.Sel()->SetSelection({box, a, b});
        QCOMPARE(ErrorOf([&] { f.Designer->DeleteSelected(); }),
                 QStringLiteral("Some controls is locked. Can not delete controls."));
        QCOMPARE(root->ChildControls().size(), 3);
        // Unlocked: a selected container goes with its selected child; the root stays.
        inner->SetDesignLocks(0);
        b->SetDesignLocks(0);
        f.Sel()->SelectAll();
        f.Events.clear();
        f.Key(Qt::Key_Delete);
        QCOMPARE(root->ChildControls().size(), 0);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        QCOMPARE(f.Events, (QStringList{"change", "modified"}));
    }

    void deleteDuringADragWaitsForTheDrag() {
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(20, 20, 30, 20));
        f.Press(a, QPoint(5, 5));
        f.Move(f.Root.get(), QPoint(40, 40));
        f.Key(Qt::Key_Delete);
        QVERIFY(f.Root->FindComponent(QStringLiteral("Leaf1")));
        f.Release(f.Root.get(), QPoint(40, 40));
        QCOMPARE(a->BoundsRect().topLeft(), QPoint(36, 36)); // 15 is 7.5 steps: the even 8, so 16
        f.Key(Qt::Key_Delete);
        QVERIFY(!f.Root->FindComponent(QStringLiteral("Leaf1")));
    }

    void names() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        f.Add(root, QStringLiteral("TestLeaf1"), QRect(0, 0, 10, 10));
        TTestLeaf* third = f.Add(root, QStringLiteral("TestLeaf3"), QRect(0, 0, 10, 10));
        QCOMPARE(f.Engine()->MakeUniqueName(QStringLiteral("TTestLeaf")), QStringLiteral("TestLeaf2"));
        QCOMPARE(f.Engine()->MakeUniqueName(QStringLiteral("tx")), QStringLiteral("x1"));
        QCOMPARE(f.Engine()->MakeUniqueName(QStringLiteral("T")), QStringLiteral("T1"));
        f.Designer->OnGetUniqueName = [](QObject*, const QString& base, QString& unique) {
            QCOMPARE(unique, QString());
            unique = base + QStringLiteral("_x");
        };
        QCOMPARE(f.Engine()->MakeUniqueName(QStringLiteral("TTestLeaf")), QStringLiteral("TTestLeaf_x"));
        // Renaming a designed control goes through the designer's checks.
        QCOMPARE(ErrorOf([&] { third->SetName(QStringLiteral("9lives")); }),
                 QStringLiteral("''9lives'' is not a valid component name"));
        QCOMPARE(ErrorOf([&] { third->SetName(QStringLiteral("testleaf1")); }),
                 QStringLiteral("A component named testleaf1 already exists"));
        bool asked = false;
        f.Designer->OnValidateName = [&](QObject*, const QString& name, bool& valid) {
            QVERIFY(valid);
            asked = true;
            valid = name != QStringLiteral("Forbidden");
        };
        QCOMPARE(ErrorOf([&] { third->SetName(QStringLiteral("Forbidden")); }),
                 QStringLiteral("''Forbidden'' is not a valid component name"));
        QVERIFY(asked);
        third->SetName(QStringLiteral("TESTLEAF3")); // its own name in other letters is fine
        QCOMPARE(third->Name(), QStringLiteral("TESTLEAF3"));
    }
};

KVD_DESIGNER_TEST_MAIN(TstDesignerKeys)
#include "tst_designer_keys.moc"
