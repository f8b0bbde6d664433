// Editing through the main window: inserting with the tools, the element tree and its two-way
// selection, the inspector's rows, typing into the inspector, deleting, the stacking order and the
// caption editor.

#include "ShellFixture.h"

#include "core/Graphics.h"
#include "inspector/ELPropInspInplace.h"
#include "shell/KvdUIBuilder_frmTextEditor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void insertGivesNodesAndFreeIds();
    void treeAndDesignerSelectEachOther();
    void inspectorShowsTheElevenProperties_data();
    void inspectorShowsTheElevenProperties();
    void typingIntoTheInspectorChangesTheElement();
    void deletingAPanelRemovesItsNodes();
    void undoRebuildsTheTree();
    void arrangeNeedsASelectedElement();
    void noInsertionWithoutDocument();
    void captionEditor_data();
    void captionEditor();
    void captionRowAbsentForTwoElements();
    void selectAllShowsCornerMarksOnScreen();
    void rubberBandShowsCornerMarksOnScreen();
    void movedButtonIsRepaintedInBothPlaces();
};

void TestEditing::insertGivesNodesAndFreeIds() {
    ShellFixture f;
    f.NewWithButton();
    QCOMPARE(f.Elements().size(), 1);
    auto* button = qobject_cast<TKvdUIButton*>(f.Elements().at(0));
    QVERIFY(button);
    QCOMPARE(f.Tree(), (QStringList{QStringLiteral("0:Unsaved"), QStringLiteral("1:ID = 0")}));
    QVERIFY(f.Main->NodeOf(button));
    QCOMPARE(f.Main->NodeOf(button)->icon(0).cacheKey(),
             f.Main->KindImage(*ElementKindNamed(QStringLiteral("TKvdUIButton"))).cacheKey());
    QVERIFY(f.Main->actToolPointer->isChecked());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(f.Main->Modified());
    QCOMPARE(f.InspectorRows().size(), 11);
    f.SaveShot(f.Main.get(), QStringLiteral("main_selection"));

    f.Insert("TKvdUIButton", QRect(100, 20, 60, 30));
    f.Insert("TKvdUIPanel", QRect(20, 100, 150, 150));
    auto* panel = qobject_cast<TKvdUIPanel*>(f.Elements().at(2));
    QVERIFY(panel);
    panel->SetID(9);
    f.Insert("TKvdUIText", QRect(250, 250, 80, 20));
    QCOMPARE(f.Elements().at(3)->ID(), 10);
    QCOMPARE(f.Tree(),
             (QStringList{QStringLiteral("0:Unsaved"), QStringLiteral("1:ID = 0"), QStringLiteral("1:ID = 1"),
                          QStringLiteral("1:ID = 9"), QStringLiteral("1:ID = 10")}));
    // Inserted into the panel: the node goes under the panel's node.
    f.Insert("TKvdUIButton", QRect(10, 10, 40, 20), panel);
    QCOMPARE(f.Elements().at(4)->ParentControl(), static_cast<TControl*>(panel));
    QCOMPARE(f.Tree().at(4), QStringLiteral("2:ID = 11"));
}

void TestEditing::treeAndDesignerSelectEachOther() {
    ShellFixture f;
    f.NewWithButton();
    f.Insert("TKvdUIButton", QRect(100, 20, 60, 30));
    auto* a = f.Elements().at(0);
    auto* b = f.Elements().at(1);
    TELDesignerSelectedControls* sel = f.Main->ELDesigner1->SelectedControls();
    // A click on a's node selects a.
    QTreeWidget* tree = f.Main->TreeView1;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(f.Main->NodeOf(a)).center());
    QCOMPARE(sel->Count(), 1);
    QCOMPARE(sel->Items(0), static_cast<TControl*>(a));
    QCOMPARE(f.Main->ELPropertyInspector1->Objects(), QList<QObject*>{a});
    // The root node selects the root control and empties the inspector.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(tree->topLevelItem(0)).center());
    QCOMPARE(sel->Items(0), f.Root());
    QVERIFY(f.Main->ELPropertyInspector1->Objects().isEmpty());
    QCOMPARE(f.InspectorRows().size(), 0);
    // Two elements selected on the surface: no node is selected, the inspector shows what they share.
    f.ClickOn(a);
    QCOMPARE(tree->currentItem(), f.Main->NodeOf(a));
    f.ClickOn(b, QPoint(3, 3), Qt::ShiftModifier);
    QCOMPARE(sel->Count(), 2);
    QVERIFY(tree->selectedItems().isEmpty());
    QCOMPARE(f.Main->ELPropertyInspector1->Objects().size(), 2);
}

void TestEditing::inspectorShowsTheElevenProperties_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("rows");
    const QStringList common{"Align", "Anchors", "Height", "ID", "Left", "Style", "Top", "Width"};
    QTest::newRow("panel") << "actToolPanel" << common;
    QTest::newRow("button") << "actToolButton" << (common + QStringList{"Alignment", "InputLength", "Text"});
    QTest::newRow("text") << "actToolText" << (common + QStringList{"Alignment", "Text"});
}

void TestEditing::inspectorShowsTheElevenProperties() {
    QFETCH(QString, tool);
    QFETCH(QStringList, rows);
    ShellFixture f;
    f.Click(f.Main->actNew);
    f.Insert(f.Main->findChild<QAction*>(tool), QRect(20, 20, 100, 40));
    QStringList shown = f.InspectorRows();
    shown.sort(Qt::CaseInsensitive);
    rows.sort(Qt::CaseInsensitive);
    QCOMPARE(shown, rows);
}

void TestEditing::typingIntoTheInspectorChangesTheElement() {
    ShellFixture f;
    f.NewWithButton();
    f.Settle();
    const int steps = f.Main->History()->UndoCount();
    TELPropertyInspector* insp = f.Main->ELPropertyInspector1;
    // Select the Left row and type a new value.
    TELPropsPageItem* left = insp->ItemByName(QStringLiteral("Left"));
    QVERIFY(left);
    const QRect cell = insp->CellRect(1, left->Row());
    QTest::mouseClick(insp->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY_WITH_TIMEOUT(insp->InplaceEditor()->isVisible(), 2000);
    insp->InplaceEditor()->selectAll();
    QTest::keyClicks(insp->InplaceEditor(), QStringLiteral("40"));
    QTest::keyClick(insp->InplaceEditor(), Qt::Key_Return);
    auto* button = f.Elements().first();
    QCOMPARE(button->Left(), 40);
    f.Settle();
    QCOMPARE(f.Main->History()->UndoCount(), steps + 1);
    QVERIFY(f.Main->Modified());
}

void TestEditing::deletingAPanelRemovesItsNodes() {
    ShellFixture f;
    auto* panel = f.NewPanelWithButtonsAndText();
    QCOMPARE(f.Tree().size(), 5);
    f.ClickOn(panel, QPoint(150, 150));
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Items(0), static_cast<TControl*>(panel));
    f.Click(f.Main->actDelete);
    QCOMPARE(f.Elements().size(), 1);
    QCOMPARE(f.Tree(), (QStringList{QStringLiteral("0:Unsaved"), QStringLiteral("1:ID = 3")}));
    QCOMPARE(f.Main->NodeOf(f.Elements().at(0)), f.Main->TreeView1->topLevelItem(0)->child(0));
}

// Undo and Redo read the whole layout again: the tree is built anew with the same nesting, every node
// stands for a live element, and the surface is shown again afterwards.
void TestEditing::undoRebuildsTheTree() {
    ShellFixture f;
    auto* panel = f.NewPanelWithButtonsAndText();
    // Twice: the first run after New records no snapshot.
    f.Main->Timer1Timer();
    f.Main->Timer1Timer();
    const QStringList full = f.Tree();
    QCOMPARE(full.size(), 5);
    f.ClickOn(panel, QPoint(150, 150));
    f.Click(f.Main->actDelete);
    f.Main->Timer1Timer();
    const QStringList reduced = f.Tree();
    for (int round = 0; round < 2; ++round) {
        f.Click(f.Main->actUndo);
        QCOMPARE(f.Tree(), full);
        QCOMPARE(f.Elements().size(), 4);
        for (TKvdUIElement* e : f.Elements()) {
            QTreeWidgetItem* node = f.Main->NodeOf(e);
            QVERIFY(node);
            QCOMPARE(TfrmMain::NodeControl(node), e);
            QCOMPARE(TfrmMain::NodeControl(node->parent()), e->ParentControl());
            QVERIFY(e->isVisible());
        }
        QVERIFY(f.Main->RootControl()->isVisible());
        f.Click(f.Main->actRedo);
        QCOMPARE(f.Tree(), reduced);
        QCOMPARE(f.Main->TreeView1->currentItem(), f.Main->TreeView1->topLevelItem(0));
    }
}

void TestEditing::arrangeNeedsASelectedElement() {
    ShellFixture f;
    f.NewWithButton();
    f.Insert("TKvdUIButton", QRect(40, 30, 60, 30));
    f.Insert("TKvdUIButton", QRect(60, 40, 60, 30));
    f.Main->ActionList1Update();
    QVERIFY(f.Main->actDelete->isEnabled());
    // With only the root control selected, the three arranging commands are off.
    f.ClickOn(f.Surface(), QPoint(300, 300));
    f.Main->ActionList1Update();
    QVERIFY(!f.Main->actDelete->isEnabled());
    QVERIFY(!f.Main->actBringToFront->isEnabled());
    QVERIFY(!f.Main->actSendToBack->isEnabled());
    // Bring the bottom-most to the front: Modified at once, written in the new order.
    auto* bottom = f.Elements().at(0);
    f.Main->ELDesigner1->SelectedControls()->SelectOnly(bottom);
    f.Click(f.Main->actBringToFront);
    QVERIFY(f.Main->Modified());
    QCOMPARE(f.Root()->ChildControls().last(), static_cast<TControl*>(bottom));
    const QString layout = WriteLayout(f.Root());
    QVERIFY(layout.lastIndexOf(QStringLiteral("id=\"0\"")) > layout.lastIndexOf(QStringLiteral("id=\"2\"")));
}

void TestEditing::noInsertionWithoutDocument() {
    ShellFixture f;
    f.Click(f.Main->actNew);
    f.Click(ToolOf(f.Main.get(), "TKvdUIButton"));
    QVERIFY(ToolOf(f.Main.get(), "TKvdUIButton")->isChecked());
    f.Click(f.Main->actClose);
    QCOMPARE(f.Main->FileName(), QString());
    QVERIFY(f.Main->actToolPointer->isChecked());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QTest::mouseClick(f.Surface(), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(f.Elements().size(), 0);
}

void TestEditing::captionEditor_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("OK with two lines") << true << "one\ntwo"
                                       << "one\r\ntwo";
    QTest::newRow("OK empty") << true << ""
                              << "";
    QTest::newRow("Cancel") << false << "changed"
                            << "Button";
}

void TestEditing::captionEditor() {
    QFETCH(bool, ok);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    ShellFixture f;
    f.NewWithButton();
    f.Settle();
    auto* button = f.Elements().first();
    const QString before = button->Text();
    int changes = 0;
    auto previous = button->OnElementChange;
    button->OnElementChange = [&](TKvdUIElement* e, TKvdUIElementChange k) {
        ++changes;
        previous(e, k);
    };
    TELPropertyInspector* insp = f.Main->ELPropertyInspector1;
    TELPropsPageItem* row = insp->ItemByName(QStringLiteral("Text"));
    QVERIFY(row);
    QString caption;
    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TfrmTextEditor*>(modal);
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        QCOMPARE(dialog->Memo1->toPlainText(), before);
        QTest::keyClick(dialog->Memo1, Qt::Key_Delete);
        const QStringList lines = typed.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(dialog->Memo1, Qt::Key_Return);
            QTest::keyClicks(dialog->Memo1, lines.at(i));
        }
        QTest::mouseClick(ok ? dialog->Button1 : dialog->Button2, Qt::LeftButton);
    });
    // The ellipsis button of the Text row.
    insp->SetRow(row->Row());
    QTRY_VERIFY_WITH_TIMEOUT(insp->InplaceEditor()->Button()->isVisible(), 2000);
    QTest::mouseClick(insp->InplaceEditor()->Button(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(caption, QStringLiteral("Text property editor"), 5000);
    QCOMPARE(button->Text(), ok ? text : before);
    QCOMPARE(changes > 0, ok);
    button->OnElementChange = previous;
}

void TestEditing::captionRowAbsentForTwoElements() {
    ShellFixture f;
    f.NewWithButton();
    f.Insert("TKvdUIButton", QRect(100, 20, 60, 30));
    f.Click(f.Main->actSelectAll);
    QCOMPARE(f.Main->ELPropertyInspector1->Objects().size(), 2);
    QVERIFY(!f.InspectorRows().contains(QStringLiteral("Text")));
    QVERIFY(f.InspectorRows().contains(QStringLiteral("InputLength")));
}

namespace {
// What the window shows at a point of a control: the screen's picture, not a fresh rendering of the widgets.
QColor ScreenPixel(ShellFixture& f, TControl* control, QPoint at) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(f.Main->winId()).toImage();
    return screen.pixelColor(control->mapTo(f.Main.get(), at) * screen.devicePixelRatio());
}
} // namespace

// Corner marks lie inside their controls, which paint opaquely; a repaint of the surface alone leaves them
// covered on screen although the widgets exist and are visible.
namespace {

// Waits until every control shows the selection's corner marks on screen, or none of them does.
void ExpectCornerMarks(ShellFixture& f, const QList<TControl*>& controls, bool shown) {
    const QColor mark = Graphics::ColorToQColor(f.Main->ELDesigner1->MultySelectHandleClr());
    for (TControl* c : controls) {
        const QColor face = ScreenPixel(f, c, QPoint(c->width() / 2, 2));
        QVERIFY(face != mark);
        const QColor expected = shown ? mark : face;
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(f, c, QPoint(2, 2)), expected, 2000);
        QCOMPARE(ScreenPixel(f, c, QPoint(c->width() - 3, c->height() - 3)), expected);
    }
}

QList<TControl*> ThreeButtons(ShellFixture& f) {
    f.NewWithButton();
    f.Insert("TKvdUIButton", QRect(100, 20, 60, 30));
    f.Insert("TKvdUIButton", QRect(200, 20, 60, 30));
    return f.Main->RootControl()->ChildControls();
}

} // namespace

void TestEditing::selectAllShowsCornerMarksOnScreen() {
    ShellFixture f;
    const QList<TControl*> controls = ThreeButtons(f);
    QCOMPARE(controls.size(), 3);
    f.Click(f.Main->actSelectAll);
    ExpectCornerMarks(f, controls, true);
    // A click on an empty spot of the surface takes them off the screen again.
    TControl* root = f.Main->RootControl();
    QTest::mouseClick(root, Qt::LeftButton, {}, QPoint(root->width() - 3, root->height() - 3));
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 1);
    ExpectCornerMarks(f, controls, false);
}

void TestEditing::rubberBandShowsCornerMarksOnScreen() {
    ShellFixture f;
    const QList<TControl*> controls = ThreeButtons(f);
    TControl* root = f.Main->RootControl();
    const QPoint from(root->width() - 3, root->height() - 3), to(1, 1);
    QTest::mousePress(root, Qt::LeftButton, {}, from);
    QTest::mouseMove(root, (from + to) / 2);
    QTest::mouseMove(root, to);
    QTest::mouseRelease(root, Qt::LeftButton, {}, to);
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 3);
    ExpectCornerMarks(f, controls, true);
}

// A move drag draws on an overlay holding a picture of the surface; when it goes, the screen shows the button
// at its new place and the surface where it was.
void TestEditing::movedButtonIsRepaintedInBothPlaces() {
    ShellFixture f;
    f.NewWithButton();
    TControl* root = f.Main->RootControl();
    TControl* button = root->ChildControls().at(0);
    const QRect before = button->geometry();
    const QList<QPoint> inside{{4, before.height() / 2}, {before.width() / 4, 4}, {before.width() - 5, 4}};
    QList<QColor> look;
    for (const QPoint& p : inside)
        look << ScreenPixel(f, button, p);
    const QColor surface = ScreenPixel(f, root, QPoint(root->width() - 3, root->height() - 3));
    QVERIFY(!look.contains(surface));
    const QPoint grip(before.width() / 4, 4);
    QTest::mousePress(button, Qt::LeftButton, {}, grip);
    const QPoint start = button->mapTo(root, grip);
    QTest::mouseMove(root, start + QPoint(50, 60));
    QTest::mouseMove(root, start + QPoint(120, 120));
    QTest::mouseRelease(root, Qt::LeftButton, {}, start + QPoint(120, 120));
    QVERIFY(!button->geometry().intersects(before));
    for (qsizetype i = 0; i < inside.size(); ++i)
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(f, button, inside.at(i)), look.at(i), 2000);
    QCOMPARE(ScreenPixel(f, root, before.center()), surface);
    QCOMPARE(ScreenPixel(f, root, before.topLeft() + QPoint(4, before.height() / 2)), surface);
}

KVD_SHELL_TEST_MAIN(TestEditing)
#include "tst_editing.moc"
