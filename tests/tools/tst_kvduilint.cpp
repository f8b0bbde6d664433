// kvdui lint, run as a child process: the finding lines, the JSON form, placeholders from --set, and the
// exit status for clean layouts, warnings, errors, --strict and bad usage.

#include "tests/tools/KvduiRun.h"
#include "tests/tools/LayoutFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One button on the surface; positions in design pixels.
QByteArray button(int id, int left, int top, const QByteArray& text, int width = 60, int height = 30) {
    return ElementLine("TKvdUIButton", left, top, width, height, id, 40, text, 0, true);
}

} // namespace

class TstKvduiLint : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString file(const QString& name, const QByteArray& body) { return WriteLayoutFile(dir, name, body); }
    QString clean() { return file(QStringLiteral("clean.kvdui"), button(1, 20, 20, "GO")); }
    // Button 4 lies over button 3.
    QString overlapping() {
        return file(QStringLiteral("overlap.kvdui"), button(3, 100, 100, "A") + button(4, 120, 110, "B"));
    }

private Q_SLOTS:
    void cleanLayoutPrintsNothing() {
        const KvduiResult r = RunKvdui({QStringLiteral("lint"), clean()});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, QByteArray());
    }

    void findingLines() {
        const QString path = overlapping();
        const KvduiResult r = RunKvdui({QStringLiteral("lint"), path});
        QCOMPARE(r.status, 0); // a warning alone does not fail
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        const QByteArray prefix = path.toUtf8() + ": ID 4: overlap: warning: ";
        QVERIFY2(lines.first().startsWith(prefix), lines.first().constData());
        QVERIFY2(lines.first().contains("button ID 3"), lines.first().constData());
    }

    // Names in a hand-edited file: one used twice and one that is not a name are errors.
    void names() {
        QByteArray first = button(3, 20, 20, "A"), second = button(4, 200, 20, "B"),
                   third = button(5, 20, 200, "C");
        first.replace("/>", " name=\"go\"/>");
        second.replace("/>", " name=\"go\"/>");
        third.replace("/>", " name=\"1st\"/>");
        const KvduiResult r =
            RunKvdui({QStringLiteral("lint"), file(QStringLiteral("names.kvdui"), first + second + third)});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains(
                     ": ID 4: duplicate-name: error: the name go is also used by the element with ID 3"),
                 r.out.constData());
        QVERIFY2(r.out.contains(": ID 5: invalid-name: error: \"1st\" is not a valid element name"),
                 r.out.constData());
        QCOMPARE(r.out.trimmed().split('\n').size(), 2); // nothing about the first "go"
    }

    // Exit status 1 for an error, and for a warning under --strict; information never fails.
    void exitStatus_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("finding");
        const QByteArray overlap = button(3, 100, 100, "A") + button(4, 120, 110, "B");
        const QByteArray twice = button(3, 0, 0, "A") + button(3, 200, 0, "B");
        const QByteArray tooLong = button(0, 0, 0, QByteArray(241, 'x'));
        const QByteArray lap = button(0, 0, 0, "{lap}", 200);
        const QString longLap = QStringLiteral("lap=") + QString(241, QLatin1Char('9'));
        QTest::newRow("warning") << overlap << QStringList() << 0 << QByteArray(": ID 4: overlap: warning: ");
        QTest::newRow("warning, strict")
            << overlap << QStringList{"--strict"} << 1 << QByteArray(": ID 4: overlap: warning: ");
        QTest::newRow("information, strict")
            << twice << QStringList{"--strict"} << 0 << QByteArray(": ID 3: duplicate-id: information: ");
        QTest::newRow("error") << tooLong << QStringList() << 1
                               << QByteArray(": ID 0: caption-too-long: error: ");
        QTest::newRow("placeholder as written") << lap << QStringList() << 0 << QByteArray();
        QTest::newRow("placeholder filled in")
            << lap << QStringList{"--set", longLap} << 1 << QByteArray(": ID 0: caption-too-long: error: ");
    }
    void exitStatus() {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QByteArray, finding);
        const QString path = file(QStringLiteral("status.kvdui"), body);
        const KvduiResult r = RunKvdui(QStringList{QStringLiteral("lint"), path} + options);
        QCOMPARE(r.status, status);
        if (finding.isEmpty())
            QCOMPARE(r.out, QByteArray());
        else
            QVERIFY2(r.out.contains(path.toUtf8() + finding), r.out.constData());
    }

    // After "--" every argument is the file, also one named like an option.
    void doubleDashEndsOptions() {
        file(QStringLiteral("--strict"), button(3, 100, 100, "A") + button(4, 120, 110, "B"));
        QVERIFY(QDir::setCurrent(dir.path()));
        const KvduiResult r =
            RunKvdui({QStringLiteral("lint"), QStringLiteral("--"), QStringLiteral("--strict")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith("--strict: ID 4: overlap: warning: "), r.out.constData());
    }

    void json() {
        const QString path = overlapping();
        const KvduiResult r = RunKvdui({QStringLiteral("lint"), path, QStringLiteral("--format"), "json"});
        QCOMPARE(r.status, 0);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(r.out, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(document.isArray());
        const QJsonArray findings = document.array();
        QCOMPARE(findings.size(), 1);
        const QJsonObject f = findings.first().toObject();
        QCOMPARE(f.value("file").toString(), path);
        QCOMPARE(f.value("id").toInt(-2), 4);
        QCOMPARE(f.value("rule").toString(), QStringLiteral("overlap"));
        QCOMPARE(f.value("severity").toString(), QStringLiteral("warning"));
        QVERIFY(f.value("message").toString().contains(QStringLiteral("button ID 3")));
        QCOMPARE(f.keys().size(), 5);

        const KvduiResult empty =
            RunKvdui({QStringLiteral("lint"), "--format", "json", clean(), QStringLiteral("--strict")});
        QCOMPARE(empty.status, 0);
        const QJsonDocument none = QJsonDocument::fromJson(empty.out, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(none.isArray());
        QVERIFY(none.array().isEmpty());
    }

    // Unusable arguments exit 2 with the usage; a file that does not read exits 1 with the builder's
    // message, as kvdui check does, and prints no findings.
    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        const QString good = dir.filePath(QStringLiteral("good.kvdui"));
        QTest::newRow("no file") << QStringList{"--strict"} << 2 << QByteArray("usage: kvdui lint");
        QTest::newRow("unknown format")
            << QStringList{good, "--format", "xml"} << 2 << QByteArray("--format needs text or json");
        QTest::newRow("format without value")
            << QStringList{good, "--format"} << 2 << QByteArray("--format needs text or json");
        QTest::newRow("unknown option")
            << QStringList{good, "--target", "1"} << 2 << QByteArray("unknown option --target");
        QTest::newRow("missing file")
            << QStringList{dir.filePath("none.kvdui")} << 1 << QByteArray("none.kvdui");
        QTest::newRow("malformed file")
            << QStringList{dir.filePath("bad.kvdui")} << 1 << QByteArray("line 1");
        QTest::newRow("missing attribute")
            << QStringList{dir.filePath("partial.kvdui")} << 1
            << QByteArray("Could not convert variant of type (Null) into type (String)");
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        file(QStringLiteral("good.kvdui"), button(1, 0, 0, "A"));
        QFile bad(dir.filePath(QStringLiteral("bad.kvdui")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("<ui><element");
        bad.close();
        file(QStringLiteral("partial.kvdui"), "<element type=\"TKvdUIButton\"/>");
        const KvduiResult r = RunKvdui(QStringList{QStringLiteral("lint")} + args);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.err.contains(message), r.err.constData());
    }

    // Lint reads the numbers as the builder's reader leaves them, which is what kvdui packets sends: a
    // width of -60 is sent as 0 and lint says so rather than "sent as 226"; a button past the surface's
    // edge is moved inside it. IDs used twice are still seen as the file gives them.
    void numbersAsThePacketsSendThem() {
        const QString path =
            file(QStringLiteral("numbers.kvdui"),
                 button(1, 10, 10, "A", -60) + button(2, 390, 10, "B") + button(2, 10, 60, "C"));
        const KvduiResult lint = RunKvdui({QStringLiteral("lint"), path});
        QVERIFY2(!lint.out.contains("226") && !lint.out.contains("wraps"), lint.out.constData());
        QVERIFY2(lint.out.contains(
                     "ID 1: caption-cut: warning: the button has no room for its caption: it is 0 x 15"),
                 lint.out.constData());
        QVERIFY2(lint.out.contains("ID 2: duplicate-id: information"), lint.out.constData());
        const KvduiResult packets = RunKvdui({QStringLiteral("packets"), path});
        QCOMPARE(packets.status, 0);
        const QList<QByteArray> lines = packets.out.split('\n');
        QVERIFY2(lines.size() >= 3, packets.out.constData());
        // Width (offset 10) 0 for the first button; the second placed at 340 / 2 = 170 = 0xaa across.
        QVERIFY2(lines.at(0).startsWith("04 2d 01 00 01 00 28 00 05 05 00 0f"), lines.at(0).constData());
        QVERIFY2(lines.at(1).startsWith("04 2d 01 00 02 00 28 00 aa 05 1e 0f"), lines.at(1).constData());
    }

    // A byte that is not UTF-8 is reported on its own line, not on the line where decoding began.
    void badByteOnItsLine() {
        const QString path = dir.filePath(QStringLiteral("latin.kvdui"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui>\n" + button(1, 0, 0, "A") +
                           "\n\n" + button(2, 0, 40, "cafe") + "\n</ui>\n";
        f.write(bytes.replace("cafe", "caf\xe9"));
        f.close();
        for (const char* verb : {"lint", "check"}) {
            const KvduiResult r = RunKvdui({QString::fromLatin1(verb), path});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains("Encountered incorrectly encoded content. (line 5, column "),
                     r.err.constData());
        }
    }
};

QTEST_MAIN(TstKvduiLint)
#include "tst_kvduilint.moc"
