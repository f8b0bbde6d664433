// The log pane: newest line on top, at most its limit of lines however many arrive, and lines that
// arrive within one frame shown together with the next frame.

#include "ShellFixture.h"
#include "shell/KvdUIBuilder_LogPane.h"

namespace {
QStringList Lines(const QPlainTextEdit& view) {
    return view.toPlainText().split(QLatin1Char('\n'));
}
} // namespace

class TestLogPane : public QObject {
    Q_OBJECT

private slots:
    void keepsTheNewestLinesOnTop_data() {
        QTest::addColumn<int>("flushEvery");
        QTest::newRow("shown line by line") << 1;
        QTest::newRow("shown in batches") << 37;
        QTest::newRow("all in one frame") << 0;
    }

    void keepsTheNewestLinesOnTop() {
        QFETCH(int, flushEvery);
        QPlainTextEdit view;
        TLogPane pane(&view, 100);
        for (int i = 0; i < 1000; ++i) {
            pane.Add(QStringLiteral("line %1").arg(i));
            if (flushEvery && i % flushEvery == 0)
                pane.Flush();
            QVERIFY(pane.Pending() <= pane.Limit());
        }
        pane.Flush();
        const QStringList lines = Lines(view);
        QCOMPARE(lines.size(), 100);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(lines.at(i), QStringLiteral("line %1").arg(999 - i));
        QCOMPARE(view.document()->blockCount(), 100);
    }

    void linesWithinAFrameWaitForIt() {
        QPlainTextEdit view;
        TLogPane pane(&view);
        pane.Add(QStringLiteral("first"));
        QCOMPARE(Lines(view), QStringList{QStringLiteral("first")});
        pane.Add(QStringLiteral("second"));
        pane.Add(QStringLiteral("third"));
        QCOMPARE(pane.Pending(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(
            Lines(view),
            (QStringList{QStringLiteral("third"), QStringLiteral("second"), QStringLiteral("first")}), 2000);
        QCOMPARE(pane.Pending(), 0);
    }

    // The main window's pane, written through its log function, stays within its limit.
    void mainWindowLogIsBounded() {
        ShellFixture f;
        const int total = TLogPane::DefaultLimit + 250;
        for (int i = 0; i < total; ++i)
            f.Main->Log("Button %d clicked [%d]", i % 256, i);
        QTRY_COMPARE_WITH_TIMEOUT(
            f.LogLines().value(0),
            QStringLiteral("Button %1 clicked [%2]").arg((total - 1) % 256).arg(total - 1), 5000);
        const QStringList lines = f.LogLines();
        QCOMPARE(lines.size(), TLogPane::DefaultLimit);
        QCOMPARE(lines.last(), QStringLiteral("Button %1 clicked [%2]").arg(250 % 256).arg(250));
    }
};

KVD_SHELL_TEST_MAIN(TestLogPane)
#include "tst_logpane.moc"
