// The designer through the mouse: selection rules of a press, move, resize, rubber band and insertion
// drags with snapping and confinement, handles, feedback without repainting, hints and screenshots.

#include "DesignerFixture.h"
#include "core/Graphics.h"

#include <QScreen>

class TstDesignerMouse : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void activationHostsTheRootAndSelectsIt() {
        DesignerFixture f;
        QCOMPARE(f.Root->parentWidget(), f.Surface());
        QCOMPARE(f.Root->BoundsRect().topLeft(), QPoint(0, 0));
        QCOMPARE(f.Surface()->parentWidget(), f.Panel);
        QCOMPARE(f.Surface()->geometry(), f.Panel->SurfaceRect());
        QCOMPARE(f.Selection(), QList<TControl*>{f.Root.get()});
        QVERIFY(f.Root->IsDesigning());
        // The root has no handles, and nothing can be copied or deleted yet.
        for (THandlePosition p : AllHandlePositions)
            QVERIFY(!f.Sel()->ItemOf(f.Root.get())->HandleShown(p));
        QVERIFY(!f.Designer->CanCopy());
        QVERIFY(!f.Designer->CanCut());
        f.Designer->DeleteSelected();
        QCOMPARE(f.Events, QStringList());
        f.Designer->SetActive(false);
        QCOMPARE(f.Root->parentWidget(), nullptr);
        QVERIFY(!f.Root->IsDesigning());
        QCOMPARE(f.Sel()->Count(), 0);
        QVERIFY(!f.Panel->IsAttached());
    }

    void pressSelectsAndMoveDragSnapsFromTheStart_data() {
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("3 pixels move by 4") << QPoint(3, 3) << QPoint(4, 4);
        QTest::newRow("1 pixel moves nothing") << QPoint(1, 0) << QPoint(0, 0);
        QTest::newRow("odd start offset kept") << QPoint(10, -5) << QPoint(10, -4);
    }

    void pressSelectsAndMoveDragSnapsFromTheStart() {
        QFETCH(QPoint, delta);
        QFETCH(QPoint, moved);
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(101, 51, 60, 30));
        f.Press(a, QPoint(10, 10));
        QCOMPARE(f.Selection(), QList<TControl*>{a});
        QVERIFY(f.Engine()->Dragging());
        QCOMPARE(QWidget::mouseGrabber(), f.Root.get());
        for (int i = 1; i <= 3; ++i)
            f.Move(f.Root.get(), a->pos() + QPoint(10, 10) + delta * i / 3);
        f.Release(f.Root.get(), a->pos() + QPoint(10, 10) + delta);
        QVERIFY(!f.Engine()->Dragging());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QCOMPARE(a->BoundsRect(), QRect(QPoint(101, 51) + moved, QSize(60, 30)));
        const QStringList expected =
            moved.isNull() ? QStringList{"change"} : QStringList{"change", "modified"};
        QCOMPARE(f.Events, expected);
        QVERIFY(f.Sel()->HandlesVisible());
    }

    void pressRules() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(20, 20, 60, 30));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(120, 20, 60, 30));
        auto click = [&](QWidget* w, Qt::KeyboardModifiers keys = {}) {
            f.Press(w, QPoint(5, 5), keys);
            f.Release(w, QPoint(5, 5), keys);
        };
        click(a);
        f.Events.clear();
        // Shift adds, and one batch gives one change.
        click(b, Qt::ShiftModifier);
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b}));
        QCOMPARE(f.Events, QStringList{"change"});
        // Shift on the root while others are selected does nothing.
        f.Events.clear();
        f.Press(root, QPoint(300, 300), Qt::ShiftModifier);
        f.Release(root, QPoint(300, 300), Qt::ShiftModifier);
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b}));
        QCOMPARE(f.Events, QStringList());
        // A press on a member of a multiple selection keeps the group and moves it together.
        f.Drag(a, QPoint(5, 5), QPoint(15, 25));
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b}));
        QCOMPARE(a->BoundsRect().topLeft(), QPoint(30, 40));
        QCOMPARE(b->BoundsRect().topLeft(), QPoint(130, 40));
        // A plain click on a member keeps the group too; Shift on the only selected control leaves the
        // root selected.
        click(a);
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b}));
        click(b, Qt::ShiftModifier);
        QCOMPARE(f.Selection(), QList<TControl*>{a});
        click(a, Qt::ShiftModifier);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        // Ctrl selects the root even on a control; right press selects without dragging.
        click(b);
        f.Press(b, QPoint(5, 5), Qt::ControlModifier);
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        f.Release(b, QPoint(5, 5), Qt::ControlModifier); // the band of that one point touches b
        QCOMPARE(f.Selection(), QList<TControl*>{b});
        f.Press(b, QPoint(5, 5), {}, Qt::RightButton);
        QVERIFY(!f.Engine()->Dragging());
        QCOMPARE(f.Selection(), QList<TControl*>{b});
        f.Release(b, QPoint(5, 5), {}, Qt::RightButton);
        // A press on the surface outside the root is ignored.
        f.Root->SetBounds(0, 0, 300, 300);
        f.Press(f.Surface(), QPoint(350, 350));
        f.Release(f.Surface(), QPoint(350, 350));
        QCOMPARE(f.Selection(), QList<TControl*>{b});
    }

    void lockedControlsAreNotMoved() {
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(20, 20, 60, 30));
        TTestLeaf* b = f.Add(f.Root.get(), QStringLiteral("Leaf2"), QRect(120, 20, 60, 30));
        b->SetDesignLocks(dlMove);
        f.Sel()->SetSelection({a, b});
        f.Drag(a, QPoint(5, 5), QPoint(25, 5));
        QCOMPARE(f.Selection(), QList<TControl*>{a}); // the locked one leaves the group
        QCOMPARE(a->Left(), 40);
        QCOMPARE(b->Left(), 120);
        f.Drag(b, QPoint(5, 5), QPoint(25, 5));
        QCOMPARE(f.Selection(), QList<TControl*>{b});
        QCOMPARE(b->Left(), 120);
        QVERIFY(!f.Engine()->Dragging());
    }

    void moveFeedbackDoesNotRepaintControls() {
        DesignerFixture f;
        QList<TTestLeaf*> leaves;
        for (int i = 0; i < 6; ++i)
            leaves << f.Add(f.Root.get(), QStringLiteral("Leaf%1").arg(i + 1),
                            QRect(20 + 60 * i, 40, 50, 30));
        QList<TControl*> all(leaves.begin(), leaves.end());
        f.Sel()->SetSelection(all);
        QCoreApplication::processEvents();
        f.Press(leaves[0], QPoint(5, 5));
        QVERIFY(f.Engine()->Canvas());
        QCOMPARE(f.Engine()->Canvas()->FigureCount(), 6);
        QVERIFY(f.Engine()->Canvas()->HasPicture()); // many outlines move over a picture
        QCoreApplication::processEvents();
        const int rootPaints = f.Root->Paints;
        QList<int> paints;
        for (TTestLeaf* l : leaves)
            paints << l->Paints;
        for (int i = 1; i <= 20; ++i) {
            f.Move(f.Root.get(), leaves[0]->pos() + QPoint(5 + 3 * i, 5 + 2 * i));
            QCoreApplication::processEvents();
        }
        QCOMPARE(f.Engine()->Canvas()->FigureCount(), 6); // old outlines erased, new ones drawn
        QCOMPARE(f.Root->Paints, rootPaints);
        for (int i = 0; i < leaves.size(); ++i)
            QCOMPARE(leaves[i]->Paints, paints[i]);
        f.Key(Qt::Key_Escape); // cancels: nothing moves
        QVERIFY(!f.Engine()->Dragging());
        QCOMPARE(leaves[0]->Left(), 20);
        QVERIFY(!f.Events.contains("modified"));
    }

    void freeingDuringADrag() {
        // The dragged control's container goes away: the drag ends with it and nothing is touched.
        DesignerFixture f;
        auto [box, a] = f.AddBoxWithLeaf(QRect(100, 100, 150, 100), QStringLiteral("Leaf1"));
        f.Press(a, QPoint(5, 5));
        f.Move(f.Root.get(), QPoint(130, 130));
        delete box;
        f.Release(f.Root.get(), QPoint(140, 140));
        QVERIFY(!f.Engine()->Dragging());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        // The root goes away in the middle of a drag: the designer deactivates and cancels it.
        TTestLeaf* b = f.Add(f.Root.get(), QStringLiteral("Leaf2"), QRect(10, 10, 30, 20));
        f.Press(b, QPoint(5, 5));
        f.Move(f.Root.get(), QPoint(40, 40));
        f.Root.reset();
        QVERIFY(!f.Designer->Active());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
    }

    void handlesPositionsColoursAndModes() {
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(100, 50, 20, 10));
        TTestLeaf* b = f.Add(f.Root.get(), QStringLiteral("Leaf2"), QRect(200, 50, 20, 10));
        f.Sel()->SelectOnly(a);
        QVERIFY(f.Surface()->hasFocus());
        TDSelCtrlItem* item = f.Sel()->ItemOf(a);
        QCOMPARE(item->Mode(), hmSingle);
        QCOMPARE(item->HandleRect(THandlePosition::TopLeft), QRect(98, 48, 5, 5));
        QCOMPARE(item->HandleRect(THandlePosition::BottomRight), QRect(117, 57, 5, 5));
        QCOMPARE(item->HandleRect(THandlePosition::Top).x(), 108);
        QCOMPARE(item->ParentOfHandles(), f.Root.get());
        QCOMPARE(item->HandleFillColor(), QColor(Qt::black));
        QCOMPARE(item->HandleCursor(THandlePosition::Right), Qt::SizeHorCursor);
        QCOMPARE(item->HandleCursor(THandlePosition::TopLeft), Qt::SizeFDiagCursor);
        for (THandlePosition p : AllHandlePositions)
            QVERIFY(item->HandleShown(p));
        // The pointer takes the shape of the handle it is over, and its own shape again off the handles.
        f.Move(f.Root.get(), item->HandleRect(THandlePosition::Right).center());
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::SizeHorCursor);
        f.Move(f.Root.get(), item->HandleRect(THandlePosition::TopLeft).center());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::SizeFDiagCursor);
        f.Move(f.Root.get(), QPoint(300, 300));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        // Locks show in the focused colours.
        a->SetDesignLocks(dlMove | dlResize);
        f.Sel()->UpdateHandles();
        QCOMPARE(item->HandleFillColor(), QColor(255, 0, 0));
        QCOMPARE(item->HandleBorderColor(), QColor(255, 0, 0));
        QCOMPARE(item->HandleCursor(THandlePosition::Right), Qt::ArrowCursor);
        a->SetDesignLocks(0);
        // When the surface loses the focus single handles turn grey with black frames.
        auto* other = new QWidget(&f.Window);
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(420, 420, 10, 10);
        other->show();
        other->setFocus();
        QTRY_VERIFY(!f.Sel()->Focused());
        QCOMPARE(item->HandleFillColor(), QColor(128, 128, 128));
        QCOMPARE(item->HandleBorderColor(), QColor(Qt::black));
        f.Surface()->setFocus();
        QTRY_VERIFY(f.Sel()->Focused());
        QCOMPARE(item->HandleFillColor(), QColor(Qt::black));
        f.Sel()->Add(b);
        QCOMPARE(item->Mode(), hmMulti);
        QCOMPARE(item->HandleRect(THandlePosition::TopLeft), QRect(100, 50, 5, 5));
        QCOMPARE(item->HandleRect(THandlePosition::BottomRight), QRect(115, 55, 5, 5));
        QCOMPARE(item->HandleFillColor(), QColor(128, 128, 128));
        for (THandlePosition p : AllHandlePositions)
            QCOMPARE(item->HandleShown(p), IsCorner(p));
        // A press on a corner mark of a multiple selection does nothing.
        f.Events.clear();
        const QPoint mark = item->HandleRect(THandlePosition::TopLeft).topLeft() + QPoint(2, 2);
        f.Press(f.Root.get(), mark);
        f.Release(f.Root.get(), mark);
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b}));
        QVERIFY(f.Events.isEmpty());
        // Handles follow a control moved from outside the designer once the change settles.
        f.Sel()->SelectOnly(a);
        a->SetBounds(150, 150, 20, 10);
        QTRY_COMPARE(item->HandleRect(THandlePosition::TopLeft), QRect(148, 148, 5, 5));
    }

    void shownHandlesArePainted() {
        // The area the overlay has painted.
        struct OverlayPaints : QObject {
            QRegion Painted;
            explicit OverlayPaints(QWidget* widget) { widget->installEventFilter(this); }
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint)
                    Painted += static_cast<QPaintEvent*>(event)->region();
                return false;
            }
            bool Covers(const QRect& r) const { return (QRegion(r) - Painted).isEmpty(); }
        };
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(100, 50, 20, 10));
        TTestLeaf* b = f.Add(f.Root.get(), QStringLiteral("Leaf2"), QRect(200, 50, 20, 10));
        OverlayPaints overlay(f.Engine()->Overlay());
        // Corner marks shown together, then the edge handles a single selection adds.
        f.Sel()->SetSelection({a, b});
        QTRY_VERIFY(overlay.Covers(f.OnOverlay(b, THandlePosition::BottomRight)));
        overlay.Painted = QRegion();
        f.Sel()->SelectOnly(b);
        QTRY_VERIFY(overlay.Covers(f.OnOverlay(b, THandlePosition::Top)));
        // Recoloured handles repaint too.
        overlay.Painted = QRegion();
        b->SetDesignLocks(dlMove);
        f.Sel()->UpdateHandles();
        QTRY_VERIFY(overlay.Covers(f.OnOverlay(b, THandlePosition::Top)));
        // The marks of many controls in rows and columns are all painted, on the screen too.
        struct PaintedSet : QObject {
            QSet<QObject*> Painted;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Paint)
                    Painted.insert(watched);
                return false;
            }
        } painted;
        QList<TControl*> grid;
        for (int i = 0; i < 60; ++i)
            grid << f.Add(f.Root.get(), QStringLiteral("Cell%1").arg(i + 1),
                          QRect(10 + (i % 10) * 38, 100 + (i / 10) * 30 + (i % 3) * 2, 30, 20));
        QCoreApplication::processEvents();
        overlay.Painted = QRegion();
        qApp->installEventFilter(&painted);
        f.Sel()->SetSelection(grid);
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&painted);
        // What the screen shows, not a fresh rendering of the widgets: the marks lie on controls that paint
        // opaquely, and the window must not leave them under the controls.
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(f.Window.winId()).toImage();
        const QColor mark = Graphics::ColorToQColor(f.Designer->MultySelectHandleClr());
        for (TControl* c : grid) {
            for (THandlePosition p : AllHandlePositions)
                if (IsCorner(p)) {
                    QVERIFY(overlay.Covers(f.OnOverlay(c, p)));
                    const QPoint centre = f.Window.mapFromGlobal(f.GlobalOf(c, p));
                    QCOMPARE(screen.pixelColor(centre * screen.devicePixelRatio()), mark);
                }
            QVERIFY(screen.pixelColor(f.Window.mapFromGlobal(c->mapToGlobal(QPoint(15, 10)))) != mark);
        }
        QVERIFY(!painted.Painted.contains(a)); // far from every mark
    }

    void manyMarksOnScreenAndGoneAfterAClear() {
        // Hundreds of opaque controls, touching, apart and overlapping, on the root and in a box: their
        // marks are shown and cleared in many areas at once, and the screen must show exactly what the
        // widgets paint, then exactly what it showed before.
        DesignerFixture f;
        TControl* root = f.Root.get();
        auto* box = f.Add<TTestContainer>(root, QStringLiteral("Box1"), QRect(10, 250, 300, 140));
        QList<TControl*> all{box};
        for (int i = 0; i < 300; ++i) {
            const bool inBox = i >= 240;
            const int k = inBox ? i - 240 : i;
            const QRect r =
                inBox ? QRect(4 + (k % 12) * 24, 6 + (k / 12) * 26, 22, 20 + (k % 3) * 4)
                      : QRect(4 + (k % 24) * 16, 4 + (k / 24) * 24 + (k % 2) * 2, 14 + (k % 4) * 2, 20);
            TTestLeaf* leaf =
                f.Add(inBox ? static_cast<TControl*>(box) : root, QStringLiteral("Cell%1").arg(i + 1), r);
            leaf->setAttribute(Qt::WA_OpaquePaintEvent); // it fills its whole rectangle
            all << leaf;
        }
        const auto screen = [&] {
            QCoreApplication::processEvents();
            return QGuiApplication::primaryScreen()
                ->grabWindow(f.Window.winId())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto painted = [&] { return f.Window.grab().toImage().convertToFormat(QImage::Format_RGB32); };
        const QImage plain = screen();
        f.Sel()->SetSelection(all);
        const QImage marked = screen();
        QCOMPARE(marked, painted());
        QVERIFY(marked != plain);
        DesignerFixture::SaveImage(marked, QStringLiteral("designer_marks_many"));
        // A click on an empty spot clears them all.
        f.Press(root, QPoint(1, 1));
        f.Release(root, QPoint(1, 1));
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        const QImage cleared = screen();
        DesignerFixture::SaveImage(cleared, QStringLiteral("designer_marks_cleared"));
        QCOMPARE(cleared, plain);
        // The box's marks over its children, and a single selection's handles around a control inside it.
        f.Sel()->SetSelection(all.mid(240));
        QCOMPARE(screen(), painted());
        f.Sel()->SelectOnly(all[250]);
        QCOMPARE(screen(), painted());
    }

    void resizeByHandles_data() {
        QTest::addColumn<THandlePosition>("handle");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QRect>("result");
        // The control is 60 x 30 at (100, 100).
        QTest::newRow("right edge past the left edge flips")
            << THandlePosition::Right << QPoint(-80, 7) << QRect(80, 100, 20, 30);
        QTest::newRow("bottom middle moves only vertically")
            << THandlePosition::Bottom << QPoint(33, 10) << QRect(100, 100, 60, 40);
        QTest::newRow("left middle moves only horizontally")
            << THandlePosition::Left << QPoint(-10, 30) << QRect(90, 100, 70, 30);
        QTest::newRow("top-left corner")
            << THandlePosition::TopLeft << QPoint(-4, -6) << QRect(96, 94, 64, 36);
        QTest::newRow("bottom-right to zero height")
            << THandlePosition::BottomRight << QPoint(2, -30) << QRect(100, 100, 62, 0);
    }

    void resizeByHandles() {
        QFETCH(THandlePosition, handle);
        QFETCH(QPoint, delta);
        QFETCH(QRect, result);
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(100, 100, 60, 30));
        f.Sel()->SelectOnly(a);
        const QPoint start = f.Sel()->ItemOf(a)->HandleRect(handle).center();
        f.Events.clear();
        f.Press(f.Root.get(), f.Sel()->ItemOf(a)->HandleRect(handle).topLeft() + QPoint(2, 2));
        QVERIFY(f.Engine()->Dragging());
        QVERIFY(!f.Sel()->ItemOf(a)->HandleShown(handle)); // handles hide during the drag
        for (int i = 1; i <= 4; ++i)
            f.Move(f.Root.get(), start + delta * i / 4);
        f.Release(f.Root.get(), start + delta);
        QCOMPARE(a->BoundsRect(), result);
        QCOMPARE(f.Events, QStringList{"modified"});
        QVERIFY(f.Sel()->ItemOf(a)->HandleShown(handle));
    }

    void rubberBand() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(100, 50, 20, 10));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(200, 50, 20, 10));
        auto [box, inner] = f.AddBoxWithLeaf(QRect(10, 200, 200, 150), QStringLiteral("Leaf3"));
        // Around nothing: the root stays selected.
        f.Drag(root, QPoint(300, 300), QPoint(350, 350));
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        // A band whose edge touches a control's right edge (x 120) selects it, never a grandchild.
        f.Events.clear();
        f.Drag(root, QPoint(120, 40), QPoint(250, 300));
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b, box}));
        QCOMPARE(f.Events, QStringList{"change"}); // the root was already alone: only the band's batch
        // Ctrl on a container starts a band inside it.
        f.Drag(box, QPoint(5, 5), QPoint(50, 50), Qt::ControlModifier);
        QCOMPARE(f.Selection(), QList<TControl*>{inner});
    }

    void bandPictureOnlyOnceDrawn() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(100, 50, 20, 10));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(200, 50, 20, 10));
        TTestLeaf* far = f.Add(root, QStringLiteral("Leaf3"), QRect(300, 300, 40, 20));
        f.Sel()->SetSelection({a, b});
        QCoreApplication::processEvents();
        // A click on an empty spot clears the selection without a picture of the surface: a control far
        // from every handle does not paint.
        const int farPaints = far->Paints;
        f.Press(root, QPoint(20, 300));
        QVERIFY(f.Engine()->Dragging());
        QCOMPARE(f.Engine()->Canvas(), nullptr);
        f.Release(root, QPoint(20, 300));
        QCoreApplication::processEvents();
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        QCOMPARE(far->Paints, farPaints);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        // Once the pointer moves the band is drawn, over what the window shows: one outline needs no
        // picture of the surface, and a control away from the band does not paint. Esc still cancels.
        f.Press(root, QPoint(20, 300));
        f.Move(root, QPoint(60, 340));
        TDEngOverlay* canvas = f.Engine()->Canvas();
        QVERIFY(canvas);
        QCOMPARE(canvas->FigureCount(), 1);
        QVERIFY(!canvas->HasPicture());
        QCoreApplication::processEvents();
        QCOMPARE(far->Paints, farPaints);
        f.Move(root, QPoint(80, 350));
        QCOMPARE(f.Engine()->Canvas()->FigureCount(), 1); // the old band erased, the new one drawn
        f.Key(Qt::Key_Escape);
        QVERIFY(!f.Engine()->Dragging());
        f.Release(root, QPoint(80, 350));
        QCOMPARE(f.Selection(), QList<TControl*>{root});
        // A band drawn still selects what it touches.
        f.Drag(root, QPoint(90, 40), QPoint(310, 310));
        QCOMPARE(f.Selection(), (QList<TControl*>{a, b, far}));
    }

    void handlesStayAboveControlsAndLeaveWithTheirEntries() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(100, 50, 40, 20));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(200, 50, 40, 20));
        f.Sel()->SetSelection({a, b});
        const QPoint mark = f.GlobalOf(a, THandlePosition::BottomRight);
        const auto isHandle = [&](const QPoint& global, TControl* c, THandlePosition p) {
            const THandleHit hit = f.Engine()->HandleAt(global);
            return hit && hit.Item == f.Sel()->ItemOf(c) && hit.Position == p;
        };
        QVERIFY(isHandle(mark, a, THandlePosition::BottomRight));
        QVERIFY(!f.Engine()->HandleAt(mark + QPoint(0, 10))); // just below the control
        // A control made later lies below the marks at once, and after they are refreshed.
        f.Add(root, QStringLiteral("Leaf3"), QRect(130, 60, 40, 20));
        QCOMPARE(f.Surface()->children().last(), f.Engine()->Overlay());
        QVERIFY(isHandle(mark, a, THandlePosition::BottomRight));
        f.Sel()->UpdateHandles();
        QVERIFY(isHandle(mark, a, THandlePosition::BottomRight));
        // A single selection's handles come in their own order, the last one on top: on a control of
        // 4 x 4 pixels its handles overlap, and the left one is the last.
        TTestLeaf* tiny = f.Add(root, QStringLiteral("Leaf6"), QRect(300, 300, 4, 4));
        f.Sel()->SelectOnly(tiny);
        QVERIFY(isHandle(root->mapToGlobal(QPoint(300, 302)), tiny, THandlePosition::Left));
        QVERIFY(isHandle(root->mapToGlobal(QPoint(300, 298)), tiny, THandlePosition::Top));
        // The handles of removed entries go when the change is announced, also when their container
        // went away first.
        f.Sel()->SelectOnly(b);
        const QPoint handle = f.GlobalOf(b, THandlePosition::Top);
        QVERIFY(isHandle(handle, b, THandlePosition::Top));
        auto [box, inner1] = f.AddBoxWithLeaf(QRect(10, 200, 200, 150), QStringLiteral("Leaf4"));
        TTestLeaf* inner2 = f.Add(box, QStringLiteral("Leaf5"), QRect(60, 10, 30, 20));
        f.Sel()->SetSelection({inner1, inner2});
        QVERIFY(!f.Engine()->HandleAt(handle));
        const QPoint innerMark = f.GlobalOf(inner1, THandlePosition::TopLeft);
        QVERIFY(isHandle(innerMark, inner1, THandlePosition::TopLeft));
        QCOMPARE(f.Sel()->ItemOf(inner1)->ParentOfHandles(), box);
        f.Events.clear();
        f.Sel()->Batch([&] { delete box; });
        QVERIFY(!f.Engine()->HandleAt(innerMark));
        QCOMPARE(f.Sel()->Count(), 0);
        QCOMPARE(f.Events, QStringList{"change"});
    }

    void handlesAndDragFiguresOnScreen() {
        DesignerFixture f;
        TControl* root = f.Root.get();
        TTestLeaf* a = f.Add(root, QStringLiteral("Leaf1"), QRect(100, 50, 40, 20));
        TTestLeaf* b = f.Add(root, QStringLiteral("Leaf2"), QRect(200, 50, 40, 20));
        f.Designer->SetHandleClr(0x0000ff);
        f.Designer->SetHandleBorderClr(0x00ff00);
        f.Designer->SetMultySelectHandleClr(0xff0000);
        f.Designer->SetMultySelectHandleBorderClr(0x00ffff);
        f.Designer->SetLockedHandleClr(0xff00ff);
        const auto colour = [](int c) { return Graphics::ColorToQColor(c); };
        // The window's pixels over the root, as the screen shows them.
        const auto shot = [&](const QString& name) {
            QCoreApplication::processEvents();
            const QRect area(root->mapTo(&f.Window, QPoint(0, 0)), root->size());
            const QImage image = f.Window.grab(area).toImage().convertToFormat(QImage::Format_RGB32);
            DesignerFixture::SaveImage(image, name);
            return image;
        };
        const QImage plain = shot(QStringLiteral("designer_plain"));
        // A single selection: eight handles, 2 pixels outside the control, frame and fill.
        f.Sel()->SelectOnly(a);
        QImage image = shot(QStringLiteral("designer_handles_single"));
        QCOMPARE(image.pixelColor(98, 48), colour(0x00ff00));
        QCOMPARE(image.pixelColor(100, 50), colour(0x0000ff));
        QCOMPARE(image.pixelColor(120, 50), colour(0x0000ff)); // the top middle handle
        QCOMPARE(image.pixelColor(141, 71), colour(0x00ff00));
        QCOMPARE(image.pixelColor(110, 60), plain.pixelColor(110, 60)); // the control itself
        // A multiple selection: corner marks inside the controls.
        f.Sel()->SetSelection({a, b});
        image = shot(QStringLiteral("designer_handles_multi"));
        QCOMPARE(image.pixelColor(100, 50), colour(0x00ffff));
        QCOMPARE(image.pixelColor(102, 52), colour(0xff0000));
        QCOMPARE(image.pixelColor(237, 67), colour(0xff0000));
        QCOMPARE(image.pixelColor(98, 48), plain.pixelColor(98, 48));   // nothing outside
        QCOMPARE(image.pixelColor(120, 50), plain.pixelColor(120, 50)); // no edge handles
        // A locked control's handles.
        a->SetDesignLocks(dlMove | dlResize);
        f.Sel()->SelectOnly(a);
        image = shot(QStringLiteral("designer_handles_locked"));
        QCOMPARE(image.pixelColor(98, 48), colour(0xff00ff));
        QCOMPARE(image.pixelColor(100, 50), colour(0xff00ff));
        a->SetDesignLocks(0);
        // A move drag's outline, drawn over the controls as they are shown.
        f.Sel()->SelectOnly(b);
        f.Press(b, QPoint(5, 5));
        f.Move(root, QPoint(225, 75));
        image = shot(QStringLiteral("designer_drag_move"));
        QVERIFY(image.pixelColor(220, 80) != plain.pixelColor(220, 80));
        // The outline lies over a picture of the surface as the window showed it: nothing else differs.
        const QRect outline(220, 70, 40, 20);
        int elsewhere = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                elsewhere += !(outline.contains(x, y) && !outline.adjusted(2, 2, -2, -2).contains(x, y)) &&
                             image.pixelColor(x, y) != plain.pixelColor(x, y);
        QCOMPARE(elsewhere, 0);
        f.Key(Qt::Key_Escape);
        f.Release(root, QPoint(225, 75));
        // A rubber band.
        f.Press(root, QPoint(20, 200));
        f.Move(root, QPoint(60, 240));
        f.Move(root, QPoint(80, 260));
        image = shot(QStringLiteral("designer_drag_band"));
        int dots = 0;
        for (int x = 20; x <= 80; ++x)
            dots += image.pixelColor(x, 200) != plain.pixelColor(x, 200);
        QVERIFY2(dots > 10, qPrintable(QString::number(dots))); // a dotted line along the top edge
        QCOMPARE(image.pixelColor(50, 230), plain.pixelColor(50, 230));
        f.Key(Qt::Key_Escape);
        f.Release(root, QPoint(80, 260));
        QCOMPARE(shot(QStringLiteral("designer_after_drags")), plain);
    }

    void insertion_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("result");
        QTest::newRow("click keeps the class size at the aligned point")
            << QPoint(31, 45) << QPoint(31, 45) << QRect(30, 44, 60, 30);
        QTest::newRow("drag 40 x 20 gives 41 x 21")
            << QPoint(30, 40) << QPoint(70, 60) << QRect(30, 40, 41, 21);
        QTest::newRow("drag up and left normalises")
            << QPoint(70, 60) << QPoint(30, 40) << QRect(30, 40, 41, 21);
    }

    void insertion() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, result);
        DesignerFixture f;
        auto* box = f.Add<TTestContainer>(f.Root.get(), QStringLiteral("Box1"), QRect(100, 100, 200, 150));
        TTestLeaf* existing = f.Add(box, QStringLiteral("TestLeaf1"), QRect(150, 100, 30, 20));
        const TControlClass* leafClass = ClassRegistry::Find(QStringLiteral("TTestLeaf"));
        int asked = 0;
        f.Designer->OnControlInserting = [&](QObject*, const TControlClass*& cls) {
            QCOMPARE(cls, nullptr);
            ++asked;
            cls = asked == 1 ? leafClass : nullptr;
        };
        // A press on a leaf inserts into the leaf's container.
        f.Drag(box, from, to);
        QCOMPARE(asked, 1);
        QCOMPARE(box->ChildControls().size(), 2);
        TControl* made = box->ChildControls().last();
        QVERIFY(made != existing);
        QCOMPARE(made->Owner(), f.Root.get());
        QCOMPARE(made->Name(), QStringLiteral("TestLeaf2"));
        QCOMPARE(made->BoundsRect(), result);
        QCOMPARE(f.Selection(), QList<TControl*>{made});
        QCOMPARE(f.Events, (QStringList{"change", "inserted", "modified"}));
        // A container locked against insertion is not asked.
        box->SetDesignLocks(dlInsert);
        f.Press(box, QPoint(5, 5));
        f.Release(box, QPoint(5, 5));
        QCOMPARE(asked, 1);
    }

    void dragsAreConfinedToTheContainer() {
        DesignerFixture f;
        auto [box, a] = f.AddBoxWithLeaf(QRect(100, 100, 100, 80), QStringLiteral("Leaf1"));
        f.Press(a, QPoint(5, 5));
        // Far outside the panel: the point is held at the box's bottom-right pixel.
        f.Move(f.Root.get(), QPoint(390, 390));
        f.Release(f.Root.get(), QPoint(390, 390));
        QCOMPARE(a->parentWidget(), box);
        // The grab point (15, 15 in the box) reaches at most (99, 79), snapped from the start by 2s.
        QCOMPARE(a->BoundsRect().topLeft(), QPoint(10 + 84, 10 + 64));
    }

    void doubleClickAndContextPopup() {
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(20, 20, 60, 30));
        int doubles = 0;
        QPoint popupAt;
        f.Designer->OnDblClick = [&](QObject*) { ++doubles; };
        f.Designer->OnContextPopup = [&](QObject*, const QPoint& pos, bool& handled) {
            QCOMPARE(handled, false);
            popupAt = pos;
            handled = true;
        };
        QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(doubles, 1);
        f.Press(a, QPoint(6, 7), {}, Qt::RightButton);
        f.Release(a, QPoint(6, 7), {}, Qt::RightButton);
        QCOMPARE(popupAt, a->mapToGlobal(QPoint(6, 7)));
    }

    void hints() {
        DesignerFixture f;
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(20, 20, 60, 30));
        f.Designer->SetShowingHints(htControl | htMove);
        f.Designer->OnControlHint = [](QObject*, TControl* c, QString& hint) {
            QCOMPARE(hint, QStringLiteral("Leaf1: TTestLeaf"));
            hint += QStringLiteral(" *");
            Q_UNUSED(c);
        };
        f.Move(a, QPoint(10, 10));
        QTRY_VERIFY(f.Engine()->Hint()->Shown());
        auto* window = qobject_cast<QLabel*>(TDEngHint::Window());
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->text(), QStringLiteral("Leaf1: TTestLeaf *"));
        QVERIFY(window->windowFlags() & Qt::ToolTip);
        // Any key hides it.
        QTest::keyClick(f.Surface(), Qt::Key_Shift);
        QVERIFY(!f.Engine()->Hint()->Shown());
        QVERIFY(!window->isVisible());
        // The position hint during a move: minimum left and top, shown at once.
        f.Press(a, QPoint(5, 5));
        f.Move(f.Root.get(), a->pos() + QPoint(5 + 10, 5 + 4));
        QVERIFY(window->isVisible());
        QCOMPARE(window->text(), QStringLiteral("30, 24"));
        f.Release(f.Root.get(), a->pos() + QPoint(5 + 10, 5 + 4));
        QVERIFY(!window->isVisible());
    }

    void screenshots() {
        DesignerFixture f;
        f.Root->SetBounds(0, 0, 380, 380);
        auto* box = f.Add<TTestContainer>(f.Root.get(), QStringLiteral("Box1"), QRect(30, 160, 220, 150));
        TTestLeaf* a = f.Add(f.Root.get(), QStringLiteral("Leaf1"), QRect(40, 40, 80, 30));
        TTestLeaf* b = f.Add(f.Root.get(), QStringLiteral("Leaf2"), QRect(160, 40, 80, 30));
        TTestLeaf* c = f.Add(box, QStringLiteral("Leaf3"), QRect(20, 30, 80, 30));
        f.Sel()->SelectOnly(a);
        QCoreApplication::processEvents();
        DesignerFixture::SaveShot(&f.Window, QStringLiteral("designer-single"));
        f.Sel()->SelectAll();
        QCoreApplication::processEvents();
        DesignerFixture::SaveShot(&f.Window, QStringLiteral("designer-multi"));
        f.Sel()->SetSelection({a, b});
        f.Press(a, QPoint(10, 10));
        f.Move(f.Root.get(), a->pos() + QPoint(30, 60));
        QCoreApplication::processEvents();
        DesignerFixture::SaveShot(&f.Window, QStringLiteral("designer-drag"));
        f.Release(f.Root.get(), a->pos() + QPoint(30, 60));
        f.Drag(box, QPoint(10, 10), QPoint(120, 90), Qt::ControlModifier);
        QCOMPARE(f.Selection(), QList<TControl*>{c});
    }
};

KVD_DESIGNER_TEST_MAIN(TstDesignerMouse)
#include "tst_designer_mouse.moc"
