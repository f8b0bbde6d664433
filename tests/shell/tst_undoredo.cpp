// The undo/redo history: limits, redo invalidation, and the order of states through undo and redo.

#include "shell/UndoRedoManager.h"

#include <QTest>

namespace {
// The changes "a" and "b", then Undo: "a" is the present state and "b" can be redone.
void PushTwoAndUndoOne(TUndoRedoManager& history) {
    history.Push(QStringLiteral("a"));
    history.Push(QStringLiteral("b"));
    QCOMPARE(history.Undo(), QStringLiteral("a"));
}
} // namespace

class TestUndoRedo : public QObject {
    Q_OBJECT

private slots:
    void limitKeepsTheNewestStates_data();
    void limitKeepsTheNewestStates();
    void undoRedoWalkTheStatesInOrder();
    void pushAfterUndoDropsRedo();
    void pushOfThePresentChangesNothing();
    void emptyStacksReturnThePresent();
    void clearForgetsEverything();
};

void TestUndoRedo::limitKeepsTheNewestStates_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("pushes");
    QTest::addColumn<int>("undos");
    QTest::addColumn<QString>("oldest");
    // After a clear, twelve changes: the empty state and the first change fall off a limit of 10.
    QTest::newRow("twelve over ten") << 10 << 12 << 10 << "s2";
    QTest::newRow("below the limit") << 10 << 3 << 3 << "";
    QTest::newRow("exactly the limit") << 10 << 10 << 10 << "";
    QTest::newRow("limit one") << 1 << 5 << 1 << "s4";
    QTest::newRow("limit zero") << 0 << 3 << 0 << "s3";
}

void TestUndoRedo::limitKeepsTheNewestStates() {
    QFETCH(int, limit);
    QFETCH(int, pushes);
    QFETCH(int, undos);
    QFETCH(QString, oldest);
    TUndoRedoManager history(limit);
    for (int i = 1; i <= pushes; ++i)
        history.Push(QStringLiteral("s%1").arg(i));
    QCOMPARE(history.UndoCount(), undos);
    QString state = history.Current();
    int steps = 0;
    while (history.CanUndo() && steps < 100) {
        state = history.Undo();
        ++steps;
    }
    QCOMPARE(steps, undos);
    QCOMPARE(state, oldest);
    QCOMPARE(history.RedoCount(), undos);
}

void TestUndoRedo::undoRedoWalkTheStatesInOrder() {
    TUndoRedoManager history(10);
    history.Push(QStringLiteral("a"));
    history.Push(QStringLiteral("b"));
    history.Push(QStringLiteral("c"));
    QCOMPARE(history.Undo(), QStringLiteral("b"));
    QCOMPARE(history.Undo(), QStringLiteral("a"));
    QCOMPARE(history.Undo(), QString()); // the empty state before the first change
    QVERIFY(!history.CanUndo());
    QCOMPARE(history.Redo(), QStringLiteral("a"));
    QCOMPARE(history.Redo(), QStringLiteral("b"));
    QCOMPARE(history.Redo(), QStringLiteral("c"));
    QVERIFY(!history.CanRedo());
    QCOMPARE(history.UndoCount(), 3);
}

void TestUndoRedo::pushAfterUndoDropsRedo() {
    TUndoRedoManager history(10);
    PushTwoAndUndoOne(history);
    QVERIFY(history.CanRedo());
    history.Push(QStringLiteral("x"));
    QVERIFY(!history.CanRedo());
    QCOMPARE(history.Undo(), QStringLiteral("a"));
}

void TestUndoRedo::pushOfThePresentChangesNothing() {
    TUndoRedoManager history(10);
    PushTwoAndUndoOne(history);
    history.Push(QStringLiteral("a")); // the present state: not a change, redo survives
    QVERIFY(history.CanRedo());
    QCOMPARE(history.UndoCount(), 1);
    history.Push(QStringLiteral("A")); // letter case counts
    QVERIFY(!history.CanRedo());
    QCOMPARE(history.UndoCount(), 2);
}

void TestUndoRedo::emptyStacksReturnThePresent() {
    TUndoRedoManager history(10);
    QCOMPARE(history.Undo(), QString());
    QCOMPARE(history.Redo(), QString());
    history.Push(QStringLiteral("a"));
    QCOMPARE(history.Redo(), QStringLiteral("a"));
    QCOMPARE(history.UndoCount(), 1);
    QCOMPARE(history.RedoCount(), 0);
}

void TestUndoRedo::clearForgetsEverything() {
    TUndoRedoManager history(10);
    PushTwoAndUndoOne(history);
    history.Clear();
    QVERIFY(!history.CanUndo());
    QVERIFY(!history.CanRedo());
    QCOMPARE(history.Current(), QString());
    // The first change after a clear records the empty state as its undo step.
    history.Push(QStringLiteral("c"));
    QCOMPARE(history.Undo(), QString());
}

QTEST_APPLESS_MAIN(TestUndoRedo)
#include "tst_undoredo.moc"
