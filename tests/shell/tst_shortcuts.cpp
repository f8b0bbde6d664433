// The standard keys, sent as real key events to the widget that has the focus: on the design surface and
// in the tree they act on the elements; in the inspector's editor, the log pane and a dialog they act on
// that widget's text and leave the elements alone.

#include "ShellFixture.h"
#include "inspector/ELPropInspInplace.h"
#include "shell/KvdUIBuilder_frmConnect.h"

#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

namespace {

// Sends a key to the widget that has the focus (or to the active window), as the keyboard would.
void Press(const QKeySequence& key) {
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY2(focus, "no window is active");
    const QKeyCombination combination = key[0];
    // Keys follow each other without the event loop waiting in between (which is when the enabled states
    // are brought up to date otherwise), as when the user types fast.
    QTest::keyClick(focus, combination.key(), combination.keyboardModifiers());
    QCoreApplication::processEvents();
}

void FocusOn(QWidget* widget) {
    widget->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY_WITH_TIMEOUT(widget->hasFocus(), 2000);
}

// Three buttons in a new document.
void ThreeButtons(ShellFixture& f) {
    f.Click(f.Main->actNew);
    f.Settle();
    f.Insert("TKvdUIButton", QRect(10, 10, 60, 30));
    f.Insert("TKvdUIButton", QRect(10, 60, 60, 30));
    f.Insert("TKvdUIButton", QRect(10, 110, 60, 30));
    f.Settle();
    QCOMPARE(f.Elements().size(), 3);
}

} // namespace

class TestShortcuts : public QObject {
    Q_OBJECT

private slots:
    void menusShowTheStandardKeys();
    void surfaceKeysActOnElements();
    void treeKeysActOnElements();
    void inspectorEditorKeepsItsTextKeys();
    void logPaneKeepsItsTextKeys();
    void dialogKeepsItsTextKeys();
    void documentKeys();
};

void TestShortcuts::menusShowTheStandardKeys() {
    ShellFixture f;
    TfrmMain* m = f.Main.get();
    const QList<std::pair<QAction*, QKeySequence::StandardKey>> expected = {
        {m->actNew, QKeySequence::New},
        {m->actOpen, QKeySequence::Open},
        {m->actSave, QKeySequence::Save},
        {m->actSaveAs, QKeySequence::SaveAs},
        {m->actClose, QKeySequence::Close},
        {m->actExit, QKeySequence::Quit},
        {m->actUndo, QKeySequence::Undo},
        {m->actRedo, QKeySequence::Redo},
        {m->actCut, QKeySequence::Cut},
        {m->actCopy, QKeySequence::Copy},
        {m->actPaste, QKeySequence::Paste},
        {m->actDelete, QKeySequence::Delete},
        {m->actSelectAll, QKeySequence::SelectAll}};
    // The key theme's own keys; one without a key for a command still gets one.
    for (const auto& [action, key] : expected) {
        QVERIFY2(!action->shortcuts().isEmpty(), qPrintable(action->objectName()));
        if (!QKeySequence::keyBindings(key).isEmpty())
            QCOMPARE(action->shortcuts(), QKeySequence::keyBindings(key));
    }
    QVERIFY(!m->actPreview->shortcut().isEmpty());

    // Select all has a place in the Edit menu and in the surface's context menu.
    QMenu* edit = m->MainMenu1->findChild<QMenu*>(QStringLiteral("Edit1"));
    QVERIFY(edit);
    QVERIFY(edit->actions().contains(m->actSelectAll));
    QVERIFY(m->PopupMenu1->actions().contains(m->actSelectAll));
    // No two actions share a key.
    QSet<QKeySequence> seen;
    for (QAction* a : m->Actions())
        for (const QKeySequence& key : a->shortcuts()) {
            QVERIFY2(!seen.contains(key), qPrintable(key.toString()));
            seen.insert(key);
        }
}

void TestShortcuts::surfaceKeysActOnElements() {
    ShellFixture f;
    ThreeButtons(f);
    TELDesigner* designer = f.Main->ELDesigner1;
    // A click on the empty surface selects the layout and gives the surface the focus.
    f.ClickOn(f.Surface(), QPoint(300, 300));
    QVERIFY(f.Main->Panel3->isAncestorOf(QApplication::focusWidget()));

    // Select all takes the layout itself too.
    Press(QKeySequence::SelectAll);
    QCOMPARE(designer->SelectedControls()->Count(), 4);
    Press(QKeySequence::Copy);
    Press(QKeySequence::Paste);
    QCOMPARE(f.Elements().size(), 6);
    f.Settle();
    Press(QKeySequence::Undo);
    QCOMPARE(f.Elements().size(), 3);
    f.Settle();
    Press(QKeySequence::Redo);
    QCOMPARE(f.Elements().size(), 6);
    f.Settle();

    // The designer's own keys are still its own: Ctrl+arrow moves, Delete deletes the selection.
    f.ClickOn(f.Elements().first());
    QCOMPARE(designer->SelectedControls()->Count(), 1);
    TControl* clicked = designer->SelectedControls()->Items(0); // a pasted copy may lie on top
    const int left = clicked->Left();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(clicked->Left(), left + designer->PixelStep());
    Press(QKeySequence::Delete);
    QCOMPARE(f.Elements().size(), 5);

    Press(QKeySequence::SelectAll);
    Press(QKeySequence::Cut);
    QCOMPARE(f.Elements().size(), 0);
    Press(QKeySequence::Paste);
    QCOMPARE(f.Elements().size(), 5);
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestShortcuts::treeKeysActOnElements() {
    ShellFixture f;
    ThreeButtons(f);
    TKvdUIElement* second = f.Elements().at(1);
    f.Main->TreeView1->setCurrentItem(f.Main->NodeOf(second));
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Items(0), second);
    FocusOn(f.Main->TreeView1);

    Press(QKeySequence::Delete);
    QCOMPARE(f.Elements().size(), 2);
    QVERIFY(!f.Elements().contains(second));
    f.Settle();
    Press(QKeySequence::SelectAll);
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 3);
    Press(QKeySequence::Copy);
    Press(QKeySequence::Paste);
    QCOMPARE(f.Elements().size(), 4);
    f.Settle();
    Press(QKeySequence::Undo);
    QCOMPARE(f.Elements().size(), 2);
}

void TestShortcuts::inspectorEditorKeepsItsTextKeys() {
    ShellFixture f;
    ThreeButtons(f);
    TKvdUIElement* first = f.Elements().first();
    f.ClickOn(first);
    TELPropertyInspector* insp = f.Main->ELPropertyInspector1;
    TELPropsPageItem* row = insp->ItemByName(QStringLiteral("Left"));
    QVERIFY(row);
    QTest::mouseClick(insp->viewport(), Qt::LeftButton, {}, insp->CellRect(1, row->Row()).center());
    QLineEdit* editor = insp->InplaceEditor();
    QTRY_VERIFY_WITH_TIMEOUT(editor->isVisible(), 2000);
    FocusOn(editor);
    const QString value = editor->text();
    const int steps = f.Main->History()->UndoCount();

    Press(QKeySequence::SelectAll);
    QCOMPARE(editor->selectedText(), value);
    Press(QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), value);
    Press(QKeySequence::Delete);
    QCOMPARE(editor->text(), QString());
    Press(QKeySequence::Paste);
    QCOMPARE(editor->text(), value);
    Press(QKeySequence::Undo);
    QCOMPARE(editor->text(), QString());
    Press(QKeySequence::Cut);

    // Nothing reached the elements.
    QCOMPARE(f.Elements().size(), 3);
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 1);
    f.Settle();
    QCOMPARE(f.Main->History()->UndoCount(), steps);
    QTest::keyClick(editor, Qt::Key_Escape);
}

void TestShortcuts::logPaneKeepsItsTextKeys() {
    ShellFixture f;
    ThreeButtons(f);
    f.Main->Log("first line");
    f.Main->Log("second line");
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().size(), 2, 2000);
    const QString log = f.Main->Memo1->toPlainText();
    f.ClickOn(f.Elements().first());
    FocusOn(f.Main->Memo1);
    const int steps = f.Main->History()->UndoCount();

    Press(QKeySequence::SelectAll);
    QCOMPARE(f.Main->Memo1->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
             log);
    Press(QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), log);
    for (auto key : {QKeySequence::Paste, QKeySequence::Delete, QKeySequence::Cut, QKeySequence::Undo,
                     QKeySequence::Redo})
        Press(key);
    QCOMPARE(f.Main->Memo1->toPlainText(), log);
    QCOMPARE(f.Elements().size(), 3);
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 1);
    f.Settle();
    QCOMPARE(f.Main->History()->UndoCount(), steps);
}

void TestShortcuts::dialogKeepsItsTextKeys() {
    ShellFixture f;
    ThreeButtons(f);
    f.ClickOn(f.Elements().first());
    QString copied, afterDelete, afterPaste;
    int elementsInside = -1;
    auto answered = AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TfrmConnect*>(modal);
        QVERIFY(dialog);
        FocusOn(dialog->edAddress);
        Press(QKeySequence::SelectAll);
        Press(QKeySequence::Copy);
        copied = QApplication::clipboard()->text();
        Press(QKeySequence::Delete);
        afterDelete = dialog->edAddress->text();
        Press(QKeySequence::Paste);
        afterPaste = dialog->edAddress->text();
        elementsInside = int(f.Elements().size());
        dialog->reject();
    });
    f.Click(f.Main->actPreview);
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
    QCOMPARE(copied, QStringLiteral("127.0.0.1"));
    QCOMPARE(afterDelete, QString());
    QCOMPARE(afterPaste, QStringLiteral("127.0.0.1"));
    QCOMPARE(elementsInside, 3);
    QCOMPARE(f.Elements().size(), 3);
    QVERIFY(!f.Main->actPreview->isChecked());
}

void TestShortcuts::documentKeys() {
    ShellFixture f;
    ThreeButtons(f);
    f.ClickOn(f.Surface(), QPoint(300, 300));
    const QString file = f.Path(QStringLiteral("keys.kvdui"));
    // Save on a new document asks for a name.
    auto answered = AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, file); });
    Press(QKeySequence::Save);
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
    // The offscreen platform does not hand the activation back when the dialog closes.
    f.Main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.Main.get()));
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [%1]").arg(QDir::toNativeSeparators(file)));
    QVERIFY(!f.Main->Modified());

    Press(QKeySequence::Close);
    QCOMPARE(f.Main->FileName(), QString());
    Press(QKeySequence::New);
    QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [Unsaved.kvdui]"));
}

KVD_SHELL_TEST_MAIN(TestShortcuts)
#include "tst_shortcuts.moc"
