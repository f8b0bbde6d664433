// The designer component: activation and its errors, the selection list and its batching, grid
// settings, the clipboard with the component stream, free notifications and stacking order.

#include "DesignerFixture.h"

#include "core/PropInfo.h"

#include <QClipboard>
#include <QMimeData>

class TstDesignerComponent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void publishedDefaults() {
        TELDesigner designer;
        const QStringList names = {"SnapToGrid",      "ShowingHints",         "HandleClr",
                                   "HandleBorderClr", "MultySelectHandleClr", "MultySelectHandleBorderClr",
                                   "PixelStep",       "InactiveHandleClr",    "InactiveHandleBorderClr",
                                   "LockedHandleClr"};
        for (const QString& name : names) {
            const TPropInfo* prop = Props::GetPropInfo(&designer, name);
            QVERIFY2(prop, qPrintable(name));
            QVERIFY2(Props::IsDefaultPropValue(&designer, prop), qPrintable(name));
        }
        QCOMPARE(Props::GetPropText(&designer, Props::GetPropInfo(&designer, "ShowingHints")),
                 QStringLiteral("htControl,htSize,htMove,htInsert"));
        QCOMPARE(Props::GetPropInfo(&designer, "HandleClr")->PropType, TypeInfo::TColor());
        QVERIFY(!designer.ClipboardFormat().isEmpty());
        const TPropInfo* xStep = Props::GetPropInfo(designer.Grid(), "XStep");
        QVERIFY(Props::IsDefaultPropValue(designer.Grid(), xStep));
        TELDesignPanel panel;
        QCOMPARE(panel.BoundsRect().size(), QSize(185, 41));
        QVERIFY(panel.TabStop());
        QCOMPARE(panel.BevelKind(), ELDsgnr::bkFlat);
        QCOMPARE(panel.BevelOuter(), ELDsgnr::bvLowered);
    }

    void activationErrors() {
        TELDesigner designer;
        QCOMPARE(ErrorOf<EELDesigner>([&] { designer.SetActive(true); }),
                 QStringLiteral("Design control not specified"));
        TTestContainer root;
        designer.SetDesignControl(&root);
        QCOMPARE(ErrorOf<EELDesigner>([&] { designer.SetActive(true); }),
                 QStringLiteral("No design panel specified"));
        QVERIFY(!designer.Active());
        QCOMPARE(ErrorOf<EELDesigner>([&] { designer.SelectedControls()->SelectAll(); }),
                 QStringLiteral("Designer mast be active"));
        QCOMPARE(ErrorOf<EELDesigner>([&] { designer.DeleteSelected(); }),
                 QStringLiteral("Designer mast be active"));
        QCOMPARE(ErrorOf<EELDesigner>([&] { designer.SelectedControls()->BringToFront(); }),
                 QStringLiteral("Designer mast be active"));

        DesignerFixture f;
        TTestContainer otherRoot;
        designer.SetDesignControl(&otherRoot);
        designer.SetDesignPanel(f.Panel);
        QCOMPARE(ErrorOf<EELDesigner>([&] { designer.SetActive(true); }),
                 QStringLiteral("Design panel 'ELDesignPanel1' is used by another designer"));
        QCOMPARE(ErrorOf<EELDesigner>([&] { f.Designer->SetDesignControl(&root); }),
                 QStringLiteral("Designer mast be inactive"));
        QCOMPARE(ErrorOf<EELDesigner>([&] { f.Designer->SetDesignPanel(nullptr); }),
                 QStringLiteral("Designer mast be inactive"));
        QVERIFY(f.Designer->Active());
        QCOMPARE(f.Designer->DesignControl(), f.Root.get());
        // Selecting something that is not a designed control.
        TTestLeaf stranger;
        stranger.SetName(QStringLiteral("Stranger"));
        QCOMPARE(ErrorOf<EELDesigner>([&] { f.Sel()->Add(&stranger); }),
                 QStringLiteral("Control 'Stranger' can not be selected"));
    }

    void gridClampsAndAssigns_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("1 stores 2") << 1 << 2;
        QTest::newRow("40 stores 32") << 40 << 32;
        QTest::newRow("5 stays") << 5 << 5;
    }

    void gridClampsAndAssigns() {
        QFETCH(int, value);
        QFETCH(int, stored);
        TELDesigner designer;
        designer.Grid()->SetXStep(value);
        designer.Grid()->SetYStep(value);
        QCOMPARE(designer.Grid()->XStep(), stored);
        QCOMPARE(designer.Grid()->YStep(), stored);
    }

    void gridTileAndRepaint() {
        DesignerFixture f;
        f.Root->SetBounds(0, 0, 100, 100);
        f.Designer->Grid()->SetXStep(4);
        f.Designer->Grid()->SetYStep(3);
        f.Designer->Grid()->SetColor(0x0000FF); // red in the low byte
        f.Designer->Grid()->SetVisible(true);
        const QImage tile = f.Engine()->GridTile().toImage();
        QCOMPARE(tile.size(), QSize(8, 6));
        QCOMPARE(QColor(tile.pixel(0, 0)), QColor(255, 0, 0));
        QCOMPARE(QColor(tile.pixel(4, 3)), QColor(255, 0, 0));
        QVERIFY(QColor(tile.pixel(1, 0)) != QColor(255, 0, 0));
        // The surface shows the dots outside the root.
        const QImage shot = f.Surface()->grab().toImage();
        QCOMPARE(QColor(shot.pixel(200, 201)), QColor(255, 0, 0));
        QVERIFY(QColor(shot.pixel(201, 201)) != QColor(255, 0, 0));
    }

    void autoScrollMovesTheContent() {
        DesignerFixture f;
        f.Panel->SetAutoScroll(true);
        QVERIFY(!f.Panel->HorzScrollBar()->isVisible());
        f.Root->SetBounds(0, 0, 600, 300);
        QTRY_VERIFY(f.Panel->HorzScrollBar()->isVisible());
        QVERIFY(!f.Panel->VertScrollBar()->isVisible());
        QCOMPARE(f.Surface()->geometry(), f.Panel->SurfaceRect());
        QCOMPARE(f.Panel->HorzScrollBar()->maximum(), 600 - f.Surface()->width());
        f.Panel->HorzScrollBar()->setValue(101);
        QCOMPARE(f.Surface()->ScrollX(), 101);
        QCOMPARE(f.Root->Left(), -101);
        // An insertion starts on the grid of the scrolled content: surface x 50 is content x 151, so 150.
        f.Designer->OnControlInserting = [](QObject*, const TControlClass*& cls) {
            cls = ClassRegistry::Find(QStringLiteral("TTestLeaf"));
        };
        f.Press(f.Root.get(), QPoint(151, 41));
        f.Release(f.Root.get(), QPoint(151, 41));
        QCOMPARE(f.Sel()->LastSelected()->BoundsRect().topLeft(), QPoint(150, 40));
        // Detaching puts the root back and hides the bars.
        f.Designer->SetActive(false);
        QVERIFY(!f.Panel->HorzScrollBar()->isVisible());
        QCOMPARE(f.Root->Left(), 0);
    }

    void rootFormAndDragAndDrop() {
        // A root that is a window of its own is its own surface; no panel is needed.
        TTestContainer form;
        form.SetName(QStringLiteral("Form1"));
        form.resize(200, 150);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TELDesigner designer;
        designer.SetDesignControl(&form);
        designer.SetActive(true);
        QCOMPARE(designer.Engine()->Form(), &form);
        QCOMPARE(designer.Engine()->Surface(), &form);
        TCloseAction proposed = caNone;
        TCloseAction answer = caNone;
        designer.OnDesignFormClose = [&](QObject*, TCloseAction& action) {
            proposed = action;
            action = answer;
        };
        form.close();
        QCOMPARE(proposed, caHide);
        QVERIFY(form.isVisible());
        answer = caHide;
        form.close();
        QVERIFY(!form.isVisible());
        form.show();

        // Toolkit drag and drop over a designed control: refused without a handler.
        auto* leaf = new TTestLeaf(&form);
        leaf->SetName(QStringLiteral("Leaf1"));
        leaf->SetParentControl(&form);
        leaf->SetBounds(20, 20, 60, 30);
        QMimeData data;
        QDragEnterEvent enter(QPoint(30, 25), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(leaf, &enter);
        QVERIFY(!enter.isAccepted());
        QObject* target = nullptr;
        QPoint at;
        designer.OnDragOver = [&](QObject*, QObject*, QObject* t, int x, int y, TDragState state,
                                  bool& accept) {
            QVERIFY(accept);
            QCOMPARE(state, dsDragEnter);
            target = t;
            at = QPoint(x, y);
        };
        QDragEnterEvent again(QPoint(30, 25), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(leaf, &again);
        QVERIFY(again.isAccepted());
        QCOMPARE(target, leaf);
        QCOMPARE(at, QPoint(30, 25));
        designer.OnDragDrop = [&](QObject*, QObject*, QObject* t, int x, int y) {
            target = t;
            at = QPoint(x, y);
        };
        QDropEvent drop(QPointF(70, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop); // over Leaf1, seen from the form
        QCOMPARE(target, leaf);
        QCOMPARE(at, QPoint(50, 20));
        designer.SetActive(false);
    }

    void selectionBatchingAndOperations() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        auto [box, a] = f.AddBoxWithLeaf(QRect(10, 10, 200, 200), QStringLiteral("Leaf1"));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(250, 10, 30, 20));
        // Two SelectOnly of the same control: one change.
        f.Sel()->SelectOnly(b);
        f.Sel()->SelectOnly(b);
        QCOMPARE(f.Events, QStringList{"change"});
        // Nested batches: one change at the outermost end.
        f.Events.clear();
        f.Sel()->BeginUpdate();
        f.Sel()->Add(box);
        f.Sel()->BeginUpdate();
        f.Sel()->Remove(b);
        f.Sel()->EndUpdate();
        QVERIFY(f.Events.isEmpty());
        f.Sel()->EndUpdate();
        f.Sel()->EndUpdate(); // never below zero
        QCOMPARE(f.Events, QStringList{"change"});
        // SelectAll: the root first, then depth first, a container before its children; one change.
        f.Sel()->Clear();
        f.Events.clear();
        f.Sel()->SelectAll();
        QCOMPARE(f.Selection(), (QList<TControl*>{root, box, a, b}));
        QCOMPARE(f.Events, QStringList{"change"});
        QList<TControl*> controls;
        f.Sel()->GetControls(controls);
        QCOMPARE(controls, (QList<TControl*>{box, a, b}));
        QCOMPARE(f.Sel()->ItemOf(root)->Mode(), hmNone);
        QCOMPARE(f.Sel()->ItemOf(a)->Mode(), hmMulti);
        // KeepSiblingsOf and SetSelection.
        f.Sel()->KeepSiblingsOf(root);
        QCOMPARE(f.Selection(), (QList<TControl*>{box, b}));
        f.Sel()->SetSelection({b, a});
        QCOMPARE(f.Selection(), (QList<TControl*>{b, a}));
        QCOMPARE(f.Sel()->LastSelected(), a);
        f.Sel()->Clear();
        QCOMPARE(f.Sel()->Count(), 0);
        QCOMPARE(f.Sel()->LastSelected(), nullptr);
        // A control that is destroyed leaves the selection, with its handles.
        f.Sel()->SelectOnly(a);
        for (THandlePosition p : AllHandlePositions)
            QVERIFY(f.Sel()->ItemOf(a)->HandleShown(p));
        QCOMPARE(f.Sel()->ItemOf(a)->ParentOfHandles(), box);
        f.Events.clear();
        delete box; // frees a with it
        QCOMPARE(f.Sel()->Count(), 0);
        QCOMPARE(f.Events, QStringList{"change"});
    }

    void stackingOrder() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(10, 10, 30, 20));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(20, 20, 30, 20));
        TTestLeaf* c = f.Add(root, QStringLiteral("Leaf3"), QRect(30, 30, 30, 20));
        f.Sel()->BringToFront(); // only the root: nothing moves, still modified
        QCOMPARE(f.Events, QStringList{"modified"});
        QCOMPARE(root->ChildControls(), (QList<TControl*>{a, b, c}));
        f.Sel()->SetSelection({b, a});
        f.Sel()->BringToFront();
        QCOMPARE(root->ChildControls(), (QList<TControl*>{c, b, a}));
        f.Sel()->SendToBack();
        QCOMPARE(root->ChildControls(), (QList<TControl*>{a, b, c}));
        // The handles stay above the controls.
        QCOMPARE(f.Surface()->children().last(), f.Engine()->Overlay());
        const THandleHit hit = f.Engine()->HandleAt(f.GlobalOf(b, THandlePosition::BottomRight));
        QVERIFY(hit);
        QCOMPARE(hit.Item, f.Sel()->ItemOf(b));
    }

    void copyPasteShiftsAndRenames() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("TestLeaf1"), QRect(20, 30, 60, 30));
        a->SetCaption(QStringLiteral("hello"));
        a->SetBuddy(a);
        f.Sel()->SelectOnly(a);
        QVERIFY(f.Designer->CanCopy());
        f.Events.clear();
        f.Designer->Copy();
        QVERIFY(f.Events.isEmpty()); // copying changes nothing
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(f.Designer->ClipboardMimeType()));
        QVERIFY(f.Designer->CanPaste());
        f.Designer->Paste();
        QCOMPARE(f.Events, (QStringList{"change", "modified"}));
        QCOMPARE(root->ChildControls().size(), 2);
        auto* copy = qobject_cast<TTestLeaf*>(f.Sel()->LastSelected());
        QVERIFY(copy && copy != a);
        QCOMPARE(copy->Name(), QStringLiteral("TestLeaf2"));
        QCOMPARE(copy->BoundsRect(), QRect(22, 32, 60, 30));
        QCOMPARE(copy->Caption(), QStringLiteral("hello"));
        QCOMPARE(copy->Buddy(), copy); // the reference follows the rename
        QCOMPARE(copy->parentWidget(), root);
        // Pasting again, with the copy selected: one more step.
        f.Designer->Paste();
        QCOMPARE(f.Sel()->LastSelected()->BoundsRect().topLeft(), QPoint(24, 34));
        QCOMPARE(f.Sel()->LastSelected()->Name(), QStringLiteral("TestLeaf3"));
    }

    void pasteTargetsAndCut() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        auto [box, inner] = f.AddBoxWithLeaf(QRect(10, 10, 200, 200), QStringLiteral("Leaf1"));
        // A copied container pastes into itself when it is the current control.
        f.Sel()->SelectOnly(box);
        f.Designer->Copy();
        f.Designer->Paste();
        TControl* boxCopy = f.Sel()->LastSelected();
        QCOMPARE(boxCopy->parentWidget(), box);
        // Its stored place (10, 10) is taken by Leaf1 inside the box: one grid step further.
        QCOMPARE(boxCopy->BoundsRect().topLeft(), QPoint(12, 12));
        QCOMPARE(boxCopy->ChildControls().size(), 1);
        QCOMPARE(boxCopy->ChildControls().first()->Owner(), root);
        // With a leaf selected the paste goes to the leaf's container.
        f.Sel()->SelectOnly(inner);
        f.Designer->Copy();
        f.Designer->Paste();
        QCOMPARE(f.Sel()->LastSelected()->parentWidget(), box);
        // Cut empties the selection; the paste then goes to the root and keeps names and places.
        TTestLeaf* top = f.Add(root, QStringLiteral("Top1"), QRect(250, 250, 30, 20));
        f.Sel()->SelectOnly(top);
        QVERIFY(f.Designer->CanCut());
        f.Designer->Cut();
        QCOMPARE(f.Sel()->Count(), 0);
        QVERIFY(!root->FindComponent(QStringLiteral("Top1")));
        f.Designer->Paste();
        TControl* back = f.Sel()->LastSelected();
        QCOMPARE(back->Name(), QStringLiteral("Top1"));
        QCOMPARE(back->parentWidget(), root);
        QCOMPARE(back->BoundsRect().topLeft(), QPoint(250, 250));
    }

    void clipboardLocksAndBadData() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        auto [box, inner] = f.AddBoxWithLeaf(QRect(10, 10, 200, 200), QStringLiteral("Leaf1"));
        f.Sel()->SelectOnly(box);
        inner->SetDesignLocks(dlCopy); // a child's lock counts for copying
        QVERIFY(!f.Designer->CanCopy());
        inner->SetDesignLocks(dlDelete);
        QVERIFY(f.Designer->CanCopy());
        QVERIFY(!f.Designer->CanCut());
        f.Designer->Cut(); // refused quietly
        QCOMPARE(root->ChildControls().size(), 1);
        inner->SetDesignLocks(0);
        box->SetDesignLocks(dlInsert);
        f.Sel()->SelectOnly(inner);
        QVERIFY(!f.Designer->CanPaste());
        box->SetDesignLocks(0);
        // Data that is not a component stream fails with a stream error and no modification.
        auto* mime = new QMimeData;
        mime->setData(f.Designer->ClipboardMimeType(), QByteArray("XXXX\x05TJunk", 10));
        QGuiApplication::clipboard()->setMimeData(mime);
        QVERIFY(f.Designer->CanPaste());
        f.Events.clear();
        QCOMPARE(ErrorOf<EELDesigner>([&] { f.Designer->Paste(); }),
                 QStringLiteral("other: Invalid stream format"));
        QVERIFY(!f.Events.contains("modified"));
        // Another format name is another clipboard format.
        f.Designer->SetClipboardFormat(QStringLiteral("other"));
        QVERIFY(!f.Designer->CanPaste());
    }

    void freeNotifications() {
        auto f = std::make_unique<DesignerFixture>();
        QMenu* menu = new QMenu;
        f->Designer->SetPopupMenu(menu);
        delete menu;
        QCOMPARE(f->Designer->PopupMenu(), nullptr);
        // Destroying the design panel deactivates the designer and clears the panel.
        delete f->Panel;
        QVERIFY(!f->Designer->Active());
        QCOMPARE(f->Designer->DesignPanel(), nullptr);
        QCOMPARE(f->Root->parentWidget(), nullptr);
        // Destroying the design control while active deactivates and forgets it.
        DesignerFixture g;
        g.Root.reset();
        QVERIFY(!g.Designer->Active());
        QCOMPARE(g.Designer->DesignControl(), nullptr);
        QVERIFY(!g.Panel->IsAttached());
    }

    void notificationsReachTheDesigner() {
        DesignerFixture f;
        QStringList seen;
        f.Designer->OnNotification = [&](QObject*, QObject* o, TOperation op) {
            seen << QStringLiteral("%1 %2")
                        .arg(o->objectName())
                        .arg(op == TOperation::opInsert ? "in" : "out");
        };
        auto* leaf = new TTestLeaf;
        leaf->setObjectName(QStringLiteral("Leaf9"));
        f.Root->InsertComponent(leaf);
        delete leaf;
        QCOMPARE(seen, (QStringList{"Leaf9 in", "Leaf9 out"}));
        // A modification reported by a control through the hook.
        f.Events.clear();
        f.Root->Designer()->Modified();
        QCOMPARE(f.Events, QStringList{"modified"});
        QCOMPARE(ErrorOf<EELDesigner>([&] { f.Engine()->SetForm(nullptr); }),
                 QStringLiteral("Not implemented"));
        QCOMPARE(f.Engine()->Form(), nullptr);
    }
};

KVD_DESIGNER_TEST_MAIN(TstDesignerComponent)
#include "tst_designer_component.moc"
