// The property grid on its own: rows from the item tree, update brackets, splitter, mouse, wheel and
// scroll bar, the in-place editor's keys and its drop-down list.

#include "inspector/ELPropInspGrid.h"
#include "inspector/ELPropInspInplace.h"
#include "tests/TestApplication.h"

#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

// An item that records the values written to it and serves a fixed value list.
class TRecordingItem : public TELPropsPageItem {
public:
    using TELPropsPageItem::TELPropsPageItem;
    QStringList written;
    QStringList values;
    int entryHeight = 0;
    int dblClicks = 0;
    int buttonClicks = 0;

protected:
    void DoSetDisplayValue(const QString& value) override {
        if (value == DisplayValue())
            return;
        written.append(value);
        TELPropsPageItem::DoSetDisplayValue(value);
    }
    void GetEditPickList(QStringList& result) override { result = values; }
    void PickListMeasureHeight(const QString&, QPainter*, int& height) override {
        if (entryHeight)
            height = entryHeight;
    }
    void PickListDrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool) override {
        canvas->drawText(rect, value);
    }
    void EditDblClick() override { ++dblClicks; }
    void EditButtonClick() override { ++buttonClicks; }
};

class TTestPage : public TELCustomPropsPage {
public:
    using TELCustomPropsPage::TELCustomPropsPage;
    QStringList expanded;

protected:
    TELPropsPageItem* CreateItem(TELPropsPageItem* parent) override {
        return new TRecordingItem(this, parent);
    }
    void ItemExpanded(TELPropsPageItem* item) override { expanded.append(item->Caption()); }
};

TRecordingItem* addItem(TELPropsPageItems* items, const QString& caption, const QString& value = QString()) {
    auto* item = static_cast<TRecordingItem*>(items->Add());
    item->SetCaption(caption);
    item->SetDisplayValue(value);
    item->written.clear();
    return item;
}

TRecordingItem* addChild(TELPropsPageItem* parent, const QString& caption) {
    auto* item = static_cast<TRecordingItem*>(parent->Add());
    item->SetCaption(caption);
    return item;
}

QPoint cellCenter(TELCustomPropsPage* page, int col, int row) {
    return page->CellRect(col, row).center();
}

} // namespace

class TstPropsPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestPage> page;

    // A shown page with rows "r0".."r{n-1}".
    void makePage(int rows, QSize size = QSize(200, 200)) {
        page = std::make_unique<TTestPage>();
        page->resize(size);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        page->BeginUpdate();
        for (int i = 0; i < rows; ++i)
            addItem(page->Items(), QStringLiteral("r%1").arg(i), QStringLiteral("v%1").arg(i));
        page->EndUpdate();
    }

private Q_SLOTS:
    void init() { TTestApplication::TakeErrors(); }
    void cleanup() { page.reset(); }

    void defaultsAndRowHeight() {
        TTestPage fresh;
        QCOMPARE(fresh.size(), QSize(188, 193));
        QCOMPARE(fresh.RowHeight(), 16);
        QCOMPARE(fresh.ValuesColor(), QColor(0, 0, 128));
        QVERIFY(fresh.GridLines());
        QFont big = fresh.font();
        big.setPointSize(20);
        fresh.setFont(big);
        QCOMPARE(fresh.RowHeight(), QFontMetrics(big).height() + 3);
    }

    void splitterLimits_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("result");
        QTest::newRow("narrow page, small") << 70 << 10 << 40;
        QTest::newRow("narrow page, large") << 70 << 100 << 40; // the lower limit wins
        QTest::newRow("wide page, too large") << 300 << 500 << 260;
        QTest::newRow("wide page, too small") << 300 << 5 << 40;
        QTest::newRow("wide page, fits") << 300 << 120 << 120;
    }
    void splitterLimits() {
        QFETCH(int, width);
        QFETCH(int, requested);
        QFETCH(int, result);
        makePage(3, QSize(width, 100));
        page->verticalScrollBar()->hide();
        page->SetSplitter(requested);
        QCOMPARE(page->Splitter(), result);
        QCOMPARE(page->ColWidth(1), page->viewport()->width() - result);
    }

    void resizeReappliesSplitterLimit() {
        makePage(3, QSize(300, 100));
        page->SetSplitter(200);
        page->resize(150, 100);
        QCoreApplication::processEvents();
        QCOMPARE(page->Splitter(), page->viewport()->width() - 40);
    }

    void splitterDragFollowsMouse() {
        makePage(3);
        QWidget* vp = page->viewport();
        const int edge = page->Splitter();
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(edge - 2, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(edge + 28, 5), vp->mapToGlobal(QPointF(edge + 28, 5)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(edge + 28, 5));
        QCOMPARE(page->Splitter(), edge + 30);
        QCOMPARE(page->Row(), 0); // a splitter drag selects nothing
        QCOMPARE(vp->cursor().shape(), Qt::SplitHCursor);
    }

    void updateBracketDefersRebuild() {
        makePage(0);
        page->BeginUpdate();
        page->BeginUpdate();
        addItem(page->Items(), QStringLiteral("a"));
        addItem(page->Items(), QStringLiteral("b"));
        QCOMPARE(page->RowCount(), 0);
        page->EndUpdate();
        QCOMPARE(page->RowCount(), 0);
        page->EndUpdate();
        QCOMPARE(page->RowCount(), 2);
        QCOMPARE(page->ItemByRow(1)->Caption(), QStringLiteral("b"));
    }

    void deletingAnItemRemovesItsRow() {
        makePage(3);
        page->Items()->Delete(1);
        QCOMPARE(page->RowCount(), 2);
        QCOMPARE(page->ItemByRow(1)->Caption(), QStringLiteral("r2"));
        QCOMPARE(page->ItemByRow(1)->Row(), 1);
    }

    void expandBoxClickExpandsAndSelects() {
        makePage(3);
        TELPropsPageItem* parent = page->Items()->Item(1);
        addChild(parent, QStringLiteral("c0"));
        addChild(parent, QStringLiteral("c1"));
        QCOMPARE(page->RowCount(), 3); // collapsed: children not shown
        QVERIFY(parent->HasChildren());
        QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, QPoint(5, page->CellRect(0, 1).center().y()));
        QVERIFY(parent->Expanded());
        QCOMPARE(page->Row(), 1);
        QCOMPARE(page->RowCount(), 5);
        QCOMPARE(page->ItemByRow(2)->Caption(), QStringLiteral("c0"));
        QCOMPARE(page->expanded, QStringList{QStringLiteral("r1")});
        // Elsewhere in the name cell only selects.
        QTest::mouseClick(page->viewport(), Qt::LeftButton, {},
                          QPoint(60, page->CellRect(0, 4).center().y()));
        QCOMPARE(page->Row(), 4);
        QVERIFY(parent->Expanded());
        // A double click on the name outside the box toggles.
        QTest::mouseDClick(page->viewport(), Qt::LeftButton, {},
                           QPoint(60, page->CellRect(0, 1).center().y()));
        QVERIFY(!parent->Expanded());
    }

    void collapsingMovesCurrentRowToTheItem() {
        makePage(2);
        TELPropsPageItem* parent = page->Items()->Item(0);
        addChild(parent, QStringLiteral("c0"));
        addChild(parent, QStringLiteral("c1"));
        parent->Expand();
        page->SetRow(2);
        QCOMPARE(page->ActiveItem()->Caption(), QStringLiteral("c1"));
        parent->Collapse();
        QCOMPARE(page->Row(), 0);
        QCOMPARE(page->ActiveItem(), parent);
        QCOMPARE(page->InplaceEditor()->text(), QStringLiteral("v0"));
    }

    void childrenStateControlsExpandBox() {
        makePage(1);
        TELPropsPageItem* item = page->Items()->Item(0);
        QVERIFY(!item->HasChildren());
        item->SetChildrenState(chAlways);
        QVERIFY(item->HasChildren());
        item->Expand();
        QVERIFY(item->Expanded());
        item->SetChildrenState(chNever);
        QVERIFY(!item->Expanded()); // no children any more: not expanded either
    }

    void clickSelectsAndDragSteps() {
        makePage(6);
        QWidget* vp = page->viewport();
        QTest::mouseClick(vp, Qt::LeftButton, {}, cellCenter(page.get(), 0, 3));
        QCOMPARE(page->Row(), 3);
        QTest::mouseClick(vp, Qt::RightButton, {}, cellCenter(page.get(), 0, 5));
        QCOMPARE(page->Row(), 3); // only the left button selects
        QTest::mousePress(vp, Qt::LeftButton, {}, cellCenter(page.get(), 0, 3));
        QMouseEvent above(QEvent::MouseMove, QPointF(20, -5), vp->mapToGlobal(QPointF(20, -5)), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &above);
        QCOMPARE(page->Row(), 2);
        const QPointF below(20, vp->height() + 5);
        QMouseEvent down(QEvent::MouseMove, below, vp->mapToGlobal(below), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(vp, &down);
        QCOMPARE(page->Row(), 3);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, cellCenter(page.get(), 0, 3));
    }

    void wheelAndScrollBarMoveTopRowOnly() {
        makePage(30, QSize(200, 10 * 16));
        const int visible = page->VisibleRowCount();
        QScrollBar* bar = page->verticalScrollBar();
        QCOMPARE(bar->maximum(), 30 - visible);
        QCOMPARE(bar->pageStep(), visible);
        page->SetRow(2);
        QWheelEvent wheel(QPointF(10, 10), page->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(page->viewport(), &wheel);
        QCOMPARE(page->TopRow(), 1);
        QCOMPARE(page->Row(), 2);
        QWheelEvent up(QPointF(10, 10), page->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                       QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(page->viewport(), &up);
        QApplication::sendEvent(page->viewport(), &up);
        QCOMPARE(page->TopRow(), 0);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(page->TopRow(), 30 - visible);
        for (int i = 0; i < 3; ++i)
            QApplication::sendEvent(page->viewport(), &wheel);
        QCOMPARE(page->TopRow(), 30 - visible); // nothing left below
        // Growing the page pulls the top row up so the last row stays at the bottom.
        page->resize(200, 20 * 16);
        QCoreApplication::processEvents();
        QCOMPARE(page->TopRow(), 30 - page->VisibleRowCount());
    }

    void typingAppliesOnEnterRowChangeAndFocusLoss() {
        makePage(3);
        auto* item0 = static_cast<TRecordingItem*>(page->Items()->Item(0));
        auto* item1 = static_cast<TRecordingItem*>(page->Items()->Item(1));
        QLineEdit* editor = page->InplaceEditor();
        page->SetRow(0);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("abc"));
        QVERIFY(item0->written.isEmpty()); // no live update: nothing until applied
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(item0->written, QStringList{QStringLiteral("abc")});
        QCOMPARE(editor->selectedText(), QStringLiteral("abc"));

        QTest::keyClicks(editor, QStringLiteral("xy")); // replaces the selection
        QTest::keyClick(editor, Qt::Key_Down);
        QCOMPARE(item0->written.last(), QStringLiteral("xy"));
        QCOMPARE(page->Row(), 1);
        QCOMPARE(editor->text(), QStringLiteral("v1"));

        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("zz"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(editor->text(), QStringLiteral("v1"));
        QTest::keyClick(editor, Qt::Key_Up);
        QVERIFY(item1->written.isEmpty()); // Escape restored the stored value: nothing written
    }

    void leavingTheGridAppliesTheEdit() {
        QWidget host;
        auto* grid = new TTestPage(&host);
        auto* other = new QLineEdit(&host);
        grid->setGeometry(0, 0, 200, 150);
        other->setGeometry(0, 160, 200, 20);
        auto* item = addItem(grid->Items(), QStringLiteral("a"), QStringLiteral("1"));
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        grid->setFocus();
        QVERIFY(grid->InplaceEditor()->hasFocus());
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("lost"));
        QVERIFY(item->written.isEmpty());
        other->setFocus();
        QCOMPARE(item->written, QStringList{QStringLiteral("lost")});
    }

    void liveUpdateAppliesEveryKeystroke() {
        makePage(1);
        auto* item = static_cast<TRecordingItem*>(page->Items()->Item(0));
        item->SetDisplayValue(QString());
        item->written.clear();
        item->SetAutoApply(true);
        QTest::keyClicks(page->InplaceEditor(), QStringLiteral("ab"));
        QCOMPARE(item->written, QStringList({QStringLiteral("a"), QStringLiteral("ab")}));
    }

    void ctrlEnterAndDoubleClickRunTheItemAction() {
        makePage(1);
        auto* item = static_cast<TRecordingItem*>(page->Items()->Item(0));
        QLineEdit* editor = page->InplaceEditor();
        QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(item->dblClicks, 1);
        QCOMPARE(editor->text(), QStringLiteral("v0")); // Enter typed no character
        QTest::mouseDClick(editor, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(item->dblClicks, 2);
        item->SetEditStyle(esEllipsis);
        auto* button = page->InplaceEditor()->Button();
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(item->buttonClicks, 1);
        // A double click arrives as press, release, double-click, release: the second press clicks again.
        const QPointF at(4, 4);
        const QPointF global = button->mapToGlobal(at);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(button, &e);
        }
        QCOMPARE(item->buttonClicks, 3);
    }

    void dropDownSizesAndChoice_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("entryHeight");
        QTest::addColumn<int>("expectedHeight");
        QTest::newRow("empty") << 0 << 0 << 20;
        QTest::newRow("three owner-drawn") << 3 << 30 << 3 * 30 + 4;
        QTest::newRow("twelve owner-drawn, eight shown") << 12 << 25 << 8 * 25 + 4;
    }
    void dropDownSizesAndChoice() {
        QFETCH(int, entries);
        QFETCH(int, entryHeight);
        QFETCH(int, expectedHeight);
        makePage(1);
        auto* item = static_cast<TRecordingItem*>(page->Items()->Item(0));
        for (int i = 0; i < entries; ++i)
            item->values << QStringLiteral("v%1").arg(i);
        item->entryHeight = entryHeight;
        item->SetOwnerDrawPickList(entryHeight > 0);
        item->SetEditStyle(esPickList);
        TELPropsPageInplaceEdit* editor = page->InplaceEditor();
        QTest::mouseClick(editor->Button(), Qt::LeftButton);
        QListWidget* list = editor->PickList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->height(), expectedHeight);
        QVERIFY(list->width() >= editor->width());
        if (entries == 0) {
            QTest::keyClick(list, Qt::Key_Escape);
            QVERIFY(!list->isVisible());
            return;
        }
        QCOMPARE(list->currentRow(), 0); // the entry equal to the text ("v0") is selected
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!list->isVisible());
        QCOMPARE(item->written, QStringList{QStringLiteral("v2")});
        QCOMPARE(editor->selectedText(), QStringLiteral("v2"));
        // A mouse click on an entry chooses it as well.
        QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(item->written.last(), QStringLiteral("v1"));
    }

    void editorLooksLikeTextWhenReadOnly() {
        makePage(2);
        page->Items()->Item(1)->SetReadOnly(true);
        QLineEdit* editor = page->InplaceEditor();
        QCOMPARE(editor->palette().color(QPalette::Base), page->palette().color(QPalette::Base));
        page->SetRow(1);
        QVERIFY(editor->isReadOnly());
        QCOMPARE(editor->palette().color(QPalette::Base), page->palette().color(QPalette::Button));
    }
};

KVD_TEST_MAIN(TstPropsPage)
#include "tst_propspage.moc"
