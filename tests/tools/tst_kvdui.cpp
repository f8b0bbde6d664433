// The kvdui command-line companion, run as a separate process as scripts run it.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

struct Result {
    int status;
    QByteArray out;
    QByteArray err;
};

Result run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KVDUI_PATH), args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        return {-1, {}, "timeout"};
    }
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const char* kButton =
    R"(<element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="%1" rel_top="11" )"
    R"(width="61" height="30" id="3" text="Hi" typein="0" bstyle="40" left="0" top="0"/>)";

} // namespace

class TstKvdui : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void catPrintsWhatSaveWouldWrite() {
        const QString path = dir.filePath(QStringLiteral("a.kvdui"));
        write(path, "<ui>" + QByteArray(kButton).replace("%1", "351") +
                        QByteArray(kButton).replace("%1", "9") + "</ui>");
        const Result r = run({QStringLiteral("cat"), path});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.isEmpty());
        // Normalised as the builder reads it: even values clamped to the 400-pixel surface, duplicate IDs
        // moved on.
        QVERIFY(r.out.contains(R"(rel_left="340" rel_top="12" width="60" height="30" id="3")"));
        QVERIFY(r.out.contains(R"(rel_left="8" rel_top="12" width="60" height="30" id="4")"));
        // Its own output reads back to the same text.
        const QString again = dir.filePath(QStringLiteral("b.kvdui"));
        write(again, r.out);
        QCOMPARE(run({QStringLiteral("cat"), again}).out, r.out);
        QCOMPARE(run({QStringLiteral("check"), again}).status, 0);
    }

    void failuresGoToStderr_data() {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("message");
        for (const QString& verb : {QStringLiteral("cat"), QStringLiteral("check")}) {
            QTest::addRow("%s bad integer", qPrintable(verb))
                << verb << ("<ui>" + QByteArray(kButton).replace("%1", "x1") + "</ui>")
                << QByteArray("'x1' is not a valid integer value\n");
            QTest::addRow("%s missing attribute", qPrintable(verb))
                << verb << QByteArray("<ui><element type=\"TKvdUIButton\"/></ui>")
                << QByteArray("Could not convert variant of type (Null) into type (String)\n");
            QTest::addRow("%s malformed", qPrintable(verb))
                << verb << QByteArray("<ui><element") << QByteArray();
        }
    }
    void failuresGoToStderr() {
        QFETCH(QString, verb);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, message);
        const QString path = dir.filePath(QStringLiteral("bad.kvdui"));
        write(path, content);
        const Result r = run({verb, path});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        if (message.isEmpty())
            QVERIFY(!r.err.isEmpty());
        else
            QCOMPARE(r.err, message);
    }

    // A FIFO used to block both verbs for ever; now it is refused at once, as is any other non-file.
    void nonRegularFilesAreRefused() {
        const QString fifo = dir.filePath(QStringLiteral("pipe.kvdui"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {fifo, dir.path()})
            for (const QString& verb : {QStringLiteral("cat"), QStringLiteral("check")}) {
                const Result r = run({verb, path});
                QCOMPARE(r.status, 1);
                QCOMPARE(
                    r.err,
                    QStringLiteral("Cannot open file \"%1\". It is not a regular file\n").arg(path).toUtf8());
            }
    }

    void checkIsSilentOnSuccess() {
        const QString path = dir.filePath(QStringLiteral("ok.kvdui"));
        write(path, "<ui/>");
        const Result r = run({QStringLiteral("check"), path});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.isEmpty());
    }

    void missingFileAndBadUsage() {
        const Result missing = run({QStringLiteral("check"), dir.filePath(QStringLiteral("none.kvdui"))});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.err.startsWith("Cannot open file"));
        QCOMPARE(run({QStringLiteral("cat")}).status, 2);
        QCOMPARE(run({QStringLiteral("frobnicate")}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TstKvdui)
#include "tst_kvdui.moc"
