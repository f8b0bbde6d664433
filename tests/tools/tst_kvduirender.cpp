// kvdui render, run as a child process: the picture's size, the buttons' colours where the layout puts
// them, placeholders filled in as for the live preview, and the failures.

#include "simview/KvdSimPaint.h"
#include "tests/tools/KvduiRun.h"
#include "tests/tools/LayoutFiles.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

KvduiResult run(const QStringList& args) {
    return RunKvdui(QStringList{QStringLiteral("render")} + args);
}

} // namespace

class TstKvduiRender : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString layout;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        // A dark panel holding a clickable dark button and a light type-in button; a transparent
        // text label beside it.
        layout = WriteLayoutFile(dir, QStringLiteral("styles.kvdui"),
                                 QByteArray(R"(<element type="TKvdUIPanel" align="0" anchors="akLeft,akTop" )"
                                            R"(rel_left="20" rel_top="20" width="200" height="200" id="0" )"
                                            R"(text="" typein="0" bstyle="32">)") +
                                     ElementLine("TKvdUIButton", 20, 20, 120, 40, 1, 8 | 32, "Go") +
                                     ElementLine("TKvdUIButton", 20, 100, 120, 40, 2, 16, "Name", 12) +
                                     "</element>" + ElementLine("TKvdUIText", 260, 20, 100, 40, 3, 0, "Lap"));
    }

    void drawsTheButtonArea_data() {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("scale");
        QTest::newRow("default scale") << QStringList() << 2;
        QTest::newRow("scale 1") << QStringList{QStringLiteral("--scale"), QStringLiteral("1")} << 1;
        QTest::newRow("scale 3") << QStringList{QStringLiteral("--scale"), QStringLiteral("3")} << 3;
    }
    void drawsTheButtonArea() {
        QFETCH(QStringList, extra);
        QFETCH(int, scale);
        const QString out = dir.filePath(QStringLiteral("out%1.png").arg(scale));
        const KvduiResult r = run(extra + QStringList{layout, QStringLiteral("-o"), out});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.isEmpty());
        QImage image;
        QVERIFY(image.load(out));
        QCOMPARE(image.size(), QSize(200 * scale, 200 * scale));
        const TKvdSimLook look;
        // Sample points in simulator units (design pixels halved).
        const auto at = [&](qreal x, qreal y) { return image.pixelColor(int(x * scale), int(y * scale)); };
        QCOMPARE(at(5, 5), look.Screen);        // nothing there
        QCOMPARE(at(12, 100), look.DarkBack);   // the panel, below its buttons
        QCOMPARE(at(20, 30), look.ClickFrame);  // the clickable button's left edge
        QCOMPARE(at(21.5, 22), look.DarkBack);  // just inside its frame, above the text
        QCOMPARE(at(21.5, 62), look.LightBack); // the light button's corner
        QCOMPARE(at(185, 12), look.Screen);     // the transparent label lets the screen through
        // The light button's entry line, near its bottom edge.
        int entry = 0;
        for (int y = 70 * scale; y < 80 * scale; ++y)
            for (int x = 21 * scale; x < 79 * scale; ++x)
                entry += image.pixelColor(x, y) == look.TypeInMark;
        QVERIFY(entry >= 50 * scale);
    }

    // --set fills placeholders exactly as the packets carry them: the same picture as the filled text.
    void placeholdersExpanded() {
        const QString withName = WriteLayoutFile(
            dir, QStringLiteral("p.kvdui"), ElementLine("TKvdUIButton", 0, 0, 200, 40, 1, 32, "Lap {LAP}"));
        const QString filled = WriteLayoutFile(dir, QStringLiteral("f.kvdui"),
                                               ElementLine("TKvdUIButton", 0, 0, 200, 40, 1, 32, "Lap 12"));
        const QString a = dir.filePath(QStringLiteral("a.png")), b = dir.filePath(QStringLiteral("b.png")),
                      c = dir.filePath(QStringLiteral("c.png"));
        QCOMPARE(run({withName, QStringLiteral("--set"), QStringLiteral("lap=12"), QStringLiteral("-o"), a})
                     .status,
                 0);
        QCOMPARE(run({filled, QStringLiteral("-o"), b}).status, 0);
        QCOMPARE(run({withName, QStringLiteral("-o"), c}).status, 0);
        QCOMPARE(QImage(a), QImage(b));
        QVERIFY(QImage(a) != QImage(c));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        const QString out = QDir::temp().filePath(QStringLiteral("kvdui-render-never.png"));
        QTest::newRow("no output") << QStringList{QStringLiteral("x.kvdui")} << 2
                                   << QByteArray("no output file");
        QTest::newRow("no file") << QStringList{QStringLiteral("-o"), out} << 2 << QByteArray("no file");
        QTest::newRow("-o without value") << QStringList{QStringLiteral("x.kvdui"), QStringLiteral("-o")} << 2
                                          << QByteArray("-o needs a value");
        QTest::newRow("scale 0") << QStringList{QStringLiteral("x"), QStringLiteral("-o"), out,
                                                QStringLiteral("--scale"), QStringLiteral("0")}
                                 << 2 << QByteArray("--scale needs a number from 1 to 16");
        QTest::newRow("missing layout")
            << QStringList{QStringLiteral("/nonexistent/none.kvdui"), QStringLiteral("-o"), out} << 1
            << QByteArray();
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        const KvduiResult r = run(args);
        QCOMPARE(r.status, status);
        QVERIFY2(!r.err.isEmpty() && r.err.contains(message), r.err.constData());
        if (status == 2)
            QVERIFY(r.err.contains("usage: kvdui render FILE -o OUT.png"));
    }

    void unreadableLayout() {
        const QString bad = WriteLayoutFile(
            dir, QStringLiteral("bad.kvdui"),
            ElementLine("TKvdUIButton", 0, 0, 20, 20, 1, 0, "x").replace("width=\"20\"", "width=\"x1\""));
        const QString out = dir.filePath(QStringLiteral("bad.png"));
        const KvduiResult r = run({bad, QStringLiteral("-o"), out});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, QByteArray("'x1' is not a valid integer value\n"));
        QVERIFY(!QFile::exists(out));
    }

    void unwritableOutput() {
        const KvduiResult r =
            run({layout, QStringLiteral("-o"), dir.filePath(QStringLiteral("no/such/dir/x.png"))});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.startsWith("kvdui render: cannot write "));
    }
};

QTEST_MAIN(TstKvduiRender)
#include "tst_kvduirender.moc"
