// The kvdui command-line companion, run as a separate process as scripts run it.

#include "tests/TestFiles.h"
#include "tests/tools/KvduiRun.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Result = KvduiResult;

Result run(const QStringList& args) {
    return RunKvdui(args);
}

const char* kButton =
    R"(<element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="%1" rel_top="11" )"
    R"(width="61" height="30" id="3" text="Hi" typein="0" bstyle="40" left="0" top="0"/>)";

} // namespace

class TstKvdui : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString layout; // one button
    QByteArray layoutText;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        layout = dir.filePath(QStringLiteral("one.kvdui"));
        layoutText = "<ui>" + QByteArray(kButton).replace("%1", "20") + "</ui>";
        WriteFile(layout, layoutText);
    }

    void catPrintsWhatSaveWouldWrite() {
        const QString path = dir.filePath(QStringLiteral("a.kvdui"));
        WriteFile(path, "<ui>" + QByteArray(kButton).replace("%1", "351") +
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
        WriteFile(again, r.out);
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
        WriteFile(path, content);
        const Result r = run({verb, path});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        if (message.isEmpty())
            QVERIFY(!r.err.isEmpty());
        else
            QCOMPARE(r.err, message);
    }

    // A FIFO (Unix) or a device such as NUL (Windows) used to block both verbs for ever or read as an
    // empty layout; now it is refused at once, as is any other non-file.
    void nonRegularFilesAreRefused() {
        QStringList others{dir.path()};
#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath(QStringLiteral("pipe.kvdui"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        others << fifo << QStringLiteral("/dev/null");
#else
        // A reserved device name stays the device in any folder.
        others << QStringLiteral("NUL") << QStringLiteral("\\\\.\\NUL")
               << dir.filePath(QStringLiteral("nul.kvdui"));
#endif
        for (const QString& path : std::as_const(others))
            for (const QString& verb : {QStringLiteral("cat"), QStringLiteral("check")}) {
                const Result r = run({verb, path});
                QCOMPARE(r.status, 1);
                QCOMPARE(r.err, QStringLiteral("Cannot open file \"%1\". It is not a regular file\n")
                                    .arg(QDir::toNativeSeparators(path))
                                    .toUtf8());
            }
    }

    void checkIsSilentOnSuccess() {
        const QString path = dir.filePath(QStringLiteral("ok.kvdui"));
        WriteFile(path, "<ui/>");
        const Result r = run({QStringLiteral("check"), path});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.isEmpty());
    }

    // What kvdui prints is text in the system's line breaks: "\r\n" on Windows, where the C runtime writes
    // text so, and "\n" elsewhere.
    void textOutputHasTheSystemsLineBreaks() {
        QProcess process;
        process.start(ChildProgram(KVDUI_PATH), {QStringLiteral("cat"), layout});
        const ChildResult r = FinishChild(process);
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.count('\n') > 1);
#ifdef Q_OS_WIN
        QCOMPARE(r.out.count("\r\n"), r.out.count('\n'));
#else
        QVERIFY(!r.out.contains('\r'));
#endif
    }

#ifdef Q_OS_UNIX
    // Output that did not arrive is a failure, with the system's reason: a full disk behind standard
    // output, or behind the picture. Linux-only: Windows has no device that is always full, and mounting a
    // small file system needs Linux's mount.
    void fullDiskIsAnError_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("stdoutFile");
        QTest::addColumn<QByteArray>("message");
        const QString full = QStringLiteral("/dev/full");
        QTest::newRow("cat") << QStringList{QStringLiteral("cat"), layout} << full
                             << QByteArray(
                                    "kvdui cat: cannot write to standard output: No space left on device\n");
        QTest::newRow("packets")
            << QStringList{QStringLiteral("packets"), layout} << full
            << QByteArray("kvdui packets: cannot write to standard output: No space left on device\n");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << full
                              << QByteArray(
                                     "kvdui: cannot write to standard output: No space left on device\n");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << full
                                 << QByteArray(
                                        "kvdui: cannot write to standard output: No space left on device\n");
        QTest::newRow("render") << QStringList{QStringLiteral("render"), layout, QStringLiteral("-o"), full}
                                << QString()
                                << QByteArray(
                                       "kvdui render: cannot write /dev/full: No space left on device\n");
    }
    void fullDiskIsAnError() {
        QFETCH(QStringList, args);
        QFETCH(QString, stdoutFile);
        QFETCH(QByteArray, message);
        const Result r = RunKvdui(args, stdoutFile);
        QCOMPARE(r.err, message);
        QCOMPARE(r.status, 1);
    }

    // A picture that cannot be written whole leaves the old one as it was, and no half-written file.
    void renderOnFullDiskKeepsTheOldPicture() {
        QTemporaryDir small;
        QVERIFY(small.isValid());
        const QByteArray point = QFile::encodeName(small.path());
        if (::mount("kvdui-test", point.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a small tmpfs here (needs root and mount permission)");
        const auto unmount = qScopeGuard([&point] { ::umount2(point.constData(), MNT_DETACH); });
        const QString picture = small.filePath(QStringLiteral("old.png"));
        const QByteArray old(3000, 'p');
        WriteFile(picture, old);
        // Fill the rest, a page at a time (64 KiB are 16 pages; the bound only guards the loop).
        QFile filler(small.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'f');
        for (int i = 0; i < 100 && filler.write(page) == page.size(); ++i) {
        }
        filler.close();
        const Result r = RunKvdui({QStringLiteral("render"), layout, QStringLiteral("-o"), picture,
                                   QStringLiteral("--scale"), QStringLiteral("16")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith("kvdui render: cannot write ") && r.err.contains("No space left on device"),
                 r.err.constData());
        QCOMPARE(ReadFile(picture), old);
        QCOMPARE(QDir(small.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("filler"), QStringLiteral("old.png")}));
    }
#endif

    // render never writes over the layout it draws, whatever name the output is given.
    void renderRefusesToReplaceItsLayout() {
        const QString own = dir.filePath(QStringLiteral("own.kvdui"));
        WriteFile(own, layoutText);
        const QString dotted = dir.path() + QStringLiteral("/./own.kvdui");
        QStringList outputs{own, dotted};
#ifdef Q_OS_UNIX
        const QString symlink = dir.filePath(QStringLiteral("own-symlink.png"));
        const QString hardlink = dir.filePath(QStringLiteral("own-hardlink.png"));
        QVERIFY(QFile::link(own, symlink));
        QCOMPARE(::link(QFile::encodeName(own).constData(), QFile::encodeName(hardlink).constData()), 0);
        outputs << symlink << hardlink;
#else
        // Names on Windows differ neither in case nor in the kind of slash.
        outputs << dir.filePath(QStringLiteral("OWN.KVDUI")) << QDir::toNativeSeparators(own);
#endif
        for (const QString& output : std::as_const(outputs)) {
            const Result r = run({QStringLiteral("render"), own, QStringLiteral("-o"), output});
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains("is the layout file") && r.err.contains("usage: kvdui render"),
                     r.err.constData());
            QCOMPARE(ReadFile(own), layoutText);
        }
    }

    // An empty name is no name: the usage, not an attempt to read a file called "".
    void emptyFileNameIsBadUsage_data() {
        QTest::addColumn<QStringList>("args");
        const QString none;
        const QString png = dir.filePath(QStringLiteral("empty.png"));
        QTest::newRow("check") << QStringList{QStringLiteral("check"), none};
        QTest::newRow("cat") << QStringList{QStringLiteral("cat"), none};
        QTest::newRow("check --") << QStringList{QStringLiteral("check"), QStringLiteral("--"), none};
        QTest::newRow("packets") << QStringList{QStringLiteral("packets"), none};
        QTest::newRow("packets then a file") << QStringList{QStringLiteral("packets"), none, layout};
        QTest::newRow("render") << QStringList{QStringLiteral("render"), none, QStringLiteral("-o"), png};
        QTest::newRow("show") << QStringList{QStringLiteral("show"), none};
    }
    void emptyFileNameIsBadUsage() {
        QFETCH(QStringList, args);
        const Result r = run(args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("usage: kvdui"), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }

    // After "--" every argument is a file name, also one that looks like an option.
    void doubleDashEndsTheOptions() {
        // Named relative to the working folder, so that they start with '-' as given.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        for (const char* name : {"-x.kvdui", "--odd.kvdui", "-o"})
            WriteFile(QString::fromLatin1(name), layoutText);
        const QString dd = QStringLiteral("--");
        QCOMPARE(run({QStringLiteral("check"), dd, QStringLiteral("-x.kvdui")}).status, 0);
        const Result cat = run({QStringLiteral("cat"), dd, QStringLiteral("--odd.kvdui")});
        QCOMPARE(cat.status, 0);
        QCOMPARE(cat.out, run({QStringLiteral("cat"), layout}).out);
        const Result packets = run({QStringLiteral("packets"), QStringLiteral("--target"),
                                    QStringLiteral("2"), dd, QStringLiteral("--odd.kvdui")});
        QCOMPARE(packets.status, 0);
        QCOMPARE(packets.out.count('\n'), 1);
        const QString png = dir.filePath(QStringLiteral("dash.png"));
        QCOMPARE(run({QStringLiteral("render"), QStringLiteral("-o"), png, dd, QStringLiteral("-o")}).status,
                 0);
        QVERIFY(QFile::exists(png));
        // Options after "--" are file names too.
        QCOMPARE(run({QStringLiteral("check"), dd, QStringLiteral("-x.kvdui"), QStringLiteral("--odd.kvdui")})
                     .status,
                 2);
        QCOMPARE(run({QStringLiteral("packets"), dd, QStringLiteral("-x.kvdui"), QStringLiteral("--target"),
                      QStringLiteral("2")})
                     .status,
                 2);
    }

#ifdef Q_OS_UNIX
    // A name Linux allows but that is not valid UTF-8 opens by its bytes in every verb that reads a layout;
    // messages show it with replacement characters. Linux-only: names on Windows are always text.
    void namesThatAreNotUtf8() {
        const QByteArray folder = QFile::encodeName(dir.path());
        const QByteArray name = folder + "/caf\xe9.kvdui";
        QVERIFY(WriteByName(name, layoutText));
        // Out of reach of a name as text, which is why the test removes it itself.
        QVERIFY(!QFile::exists(QFile::decodeName(name)));
        const auto remove = qScopeGuard([&name] { ::unlink(name.constData()); });

        const Result check = RunKvduiBytes({"check", name});
        QCOMPARE(check.err, QByteArray());
        QCOMPARE(check.status, 0);
        const Result cat = RunKvduiBytes({"cat", "--", name});
        QCOMPARE(cat.status, 0);
        QCOMPARE(cat.out, run({QStringLiteral("cat"), layout}).out);
        const Result packets = RunKvduiBytes({"packets", name});
        QCOMPARE(packets.status, 0);
        QCOMPARE(packets.out, run({QStringLiteral("packets"), layout}).out);
        const QString png = dir.filePath(QStringLiteral("cafe.png"));
        QCOMPARE(RunKvduiBytes({"render", name, "-o", QFile::encodeName(png)}).status, 0);
        QVERIFY(QFile::exists(png));
        // show reads the layout before it connects: with no simulator it fails on the connection.
        const Result show = RunKvduiBytes({"show", name, "--port", "1"});
        QCOMPARE(show.status, 1);
        QVERIFY2(show.err.startsWith("Error: ") && !show.err.contains("Cannot open"), show.err.constData());

        // The name as text (with U+FFFD, as a file dialog shows it) opens nothing; the message says why.
        const Result shown = run({QStringLiteral("check"), QFile::decodeName(name)});
        QCOMPARE(shown.status, 1);
        QCOMPARE(shown.err, QStringLiteral("Cannot open file \"%1\". The file name is not valid UTF-8\n")
                                .arg(QFile::decodeName(name))
                                .toUtf8());

        const QByteArray missing = folder + "/gon\xe9.kvdui";
        const Result gone = RunKvduiBytes({"check", missing});
        QCOMPARE(gone.status, 1);
        QCOMPARE(gone.err, QStringLiteral("Cannot open file \"%1\". No such file or directory\n")
                               .arg(QFile::decodeName(missing))
                               .toUtf8());
        // The picture is written by a name as text; one that is not is refused rather than changed.
        const QByteArray badOutput = folder + "/pictur\xe9.png";
        const Result render = RunKvduiBytes({"render", name, "-o", badOutput});
        QCOMPARE(render.status, 2);
        QVERIFY2(render.err.contains("is not valid UTF-8"), render.err.constData());
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("pictur*")}), QStringList());
    }
#endif

    void missingFileAndBadUsage() {
        const Result missing = run({QStringLiteral("check"), dir.filePath(QStringLiteral("none.kvdui"))});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.err.startsWith("Cannot open file"));
        QCOMPARE(run({QStringLiteral("cat")}).status, 2);
        QCOMPARE(run({QStringLiteral("frobnicate")}).status, 2);
    }

    // gen takes the file as a program takes it: a layout the runtime refuses gives no header, and the
    // names it writes are the layout's own, prefixed or namespaced as asked.
    void genNamesAndRefusals() {
        const QString named = dir.filePath(QStringLiteral("2 laps-board.kvdui"));
        WriteFile(named, "<ui><element id=\"3\" name=\"fuel_plus\" text=\"Lap {lap}\"/>"
                         "<element id=\"4\" name=\"delete\"/><element id=\"5\"/></ui>");
        const Result c = run({QStringLiteral("gen"), named, QStringLiteral("--lang"), QStringLiteral("c")});
        QCOMPARE(c.status, 0);
        QVERIFY2(c.out.contains("#ifndef _2_LAPS_BOARD_KVDUI_H\n"), c.out.constData());
        QVERIFY(c.out.contains("    _2_LAPS_BOARD_FUEL_PLUS = 3,\n    _2_LAPS_BOARD_DELETE = 4,\n};"));
        QVERIFY(c.out.contains("#define _2_LAPS_BOARD_PLACEHOLDER_LAP \"lap\"\n"));
        QVERIFY(!c.out.contains("LAYOUT"));
        {
            // A build machine has no display: gen starts no GUI, so even a platform that does not exist
            // (which a GUI start aborts on) leaves it working.
            const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
            qputenv("QT_QPA_PLATFORM", "kvd-no-such-platform");
            const Result headless =
                run({QStringLiteral("gen"), named, QStringLiteral("--lang"), QStringLiteral("c")});
            qputenv("QT_QPA_PLATFORM", platform);
            QCOMPARE(headless.status, 0);
            QCOMPARE(headless.out, c.out);
        }
        const Result cpp = run({QStringLiteral("gen"), named, QStringLiteral("--lang"), QStringLiteral("cpp"),
                                QStringLiteral("--namespace"), QStringLiteral("pit")});
        QCOMPARE(cpp.status, 0);
        QVERIFY(cpp.out.contains("namespace pit {\n"));
        QVERIFY(cpp.out.contains("inline constexpr int delete_ = 4;\n"));

        // The other languages follow the same names, each in its own idiom.
        const auto gen = [&](const char* lang) {
            return run({QStringLiteral("gen"), named, QStringLiteral("--lang"), QString::fromLatin1(lang)});
        };
        const Result python = gen("python");
        QCOMPARE(python.status, 0);
        QVERIFY(python.out.contains("\nfuel_plus = 3\ndelete = 4\n"));
        QVERIFY(python.out.contains("class placeholder:") && python.out.contains("    lap = \"lap\"\n"));
        const Result csharp = gen("csharp");
        QCOMPARE(csharp.status, 0);
        QVERIFY2(csharp.out.contains("public static class _2LapsBoard\n"), csharp.out.constData());
        QVERIFY(csharp.out.contains("public const int FuelPlus = 3;\n") &&
                csharp.out.contains("public const int Delete = 4;\n"));
        QVERIFY(csharp.out.contains("public const string Lap = \"lap\";\n"));
        const Result typescript = gen("typescript");
        QCOMPARE(typescript.status, 0);
        QVERIFY(typescript.out.contains("export const fuel_plus = 3;\nexport const delete_ = 4;\n"));
        QVERIFY(typescript.out.contains("    lap: \"lap\",\n} as const;"));

        // cat keeps the names, as Save does.
        const QString full = dir.filePath(QStringLiteral("full.kvdui"));
        WriteFile(full, "<ui>" +
                            QByteArray(kButton).replace("%1", "20").replace("/>", " name=\"fuel_plus\"/>") +
                            "</ui>");
        const Result cat = run({QStringLiteral("cat"), full});
        QCOMPARE(cat.status, 0);
        QVERIFY2(cat.out.contains("top=\"12\" name=\"fuel_plus\"/>"), cat.out.constData());

        const QString twice = dir.filePath(QStringLiteral("twice.kvdui"));
        WriteFile(twice, "<ui><element id=\"3\" name=\"go\"/><element id=\"4\" name=\"go\"/></ui>");
        const Result refused =
            run({QStringLiteral("gen"), twice, QStringLiteral("--lang"), QStringLiteral("c")});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains("The name go is used by the elements with IDs 3 and 4"),
                 refused.err.constData());
        QVERIFY(refused.out.isEmpty());
        QCOMPARE(run({QStringLiteral("gen"), named}).status, 2);
        QCOMPARE(run({QStringLiteral("gen"), named, QStringLiteral("--lang"), QStringLiteral("c"),
                      QStringLiteral("--prefix"), QStringLiteral("no way")})
                     .status,
                 2);
    }
};

QTEST_GUILESS_MAIN(TstKvdui)
#include "tst_kvdui.moc"
