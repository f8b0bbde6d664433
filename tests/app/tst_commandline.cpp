// The command lines of both programs, run as child processes: --help and --version answer on standard
// output and exit 0 without a display; an unknown option prints the usage on standard error and exits 2;
// the builder still opens its file argument.

#include "tests/ChildProcess.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Runs a program without a display (neither DISPLAY nor a Qt platform is set), for at most 20 s. With
// stdoutFile, standard output goes to that file.
Run Start(const QString& program, const QStringList& args, const QString& stdoutFile = QString()) {
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    const ChildResult run = FinishChild(p, 20000);
    return {run.status, QString::fromLocal8Bit(UnixLineBreaks(run.out)),
            QString::fromLocal8Bit(UnixLineBreaks(run.err))};
}

// Copies the builder into dir, where its settings file then goes, writes an empty layout named fileName
// there and starts the copy in dir on Qt's offscreen platform with the given arguments after that option.
// The environment has no Qt platform of its own.
void StartBuilderCopy(QProcess& p, const QTemporaryDir& dir, const QString& fileName, const QStringList& args,
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    const QString copy = dir.filePath(QStringLiteral("KvdUIBuilder"));
    QVERIFY(QFile::copy(ChildProgram(KVDUIBUILDER_PATH), copy));
    QFile out(dir.filePath(fileName));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("<ui/>");
    out.close();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(copy, QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")} + args);
    QVERIFY(p.waitForStarted(10000));
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void options_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        const QString builder = ChildProgram(KVDUIBUILDER_PATH);
        const QString kvdui = ChildProgram(KVDUI_PATH);
        QTest::newRow("builder") << builder << QStringLiteral("KvdUIBuilder")
                                 << QStringLiteral("Korvadia UI Builder");
        QTest::newRow("kvdui") << kvdui << QStringLiteral("kvdui") << QStringLiteral("kvdui");
    }

    void options() {
        QFETCH(QString, program);
        QFETCH(QString, name);
        QFETCH(QString, title);
        for (const QString& help : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            const Run run = Start(program, {help});
            QCOMPARE(run.status, 0);
            QVERIFY2(run.out.startsWith(QStringLiteral("Usage: %1 [options]").arg(name)),
                     qPrintable(run.out));
            QVERIFY(run.out.contains(QStringLiteral("--version")));
            QVERIFY(!run.out.contains(QStringLiteral("-platform")));
            QCOMPARE(run.err, QString());
        }
        for (const QString& version : {QStringLiteral("--version"), QStringLiteral("-v")}) {
            const Run run = Start(program, {version});
            QCOMPARE(run.status, 0);
            QCOMPARE(run.out, QStringLiteral("%1 0.9.1.0\n").arg(title));
        }
        // Text that could not be written is a failure, with the reason.
        for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
            const Run run = Start(program, {option}, QStringLiteral("/dev/full"));
            QCOMPARE(run.status, 1);
            QCOMPARE(
                run.err,
                QStringLiteral("%1: cannot write to standard output: No space left on device\n").arg(name));
        }
        for (const QStringList& wrong : {QStringList{QStringLiteral("--frobnicate")},
                                         QStringList{QStringLiteral("-x"), QStringLiteral("file.kvdui")}}) {
            const Run run = Start(program, wrong);
            QCOMPARE(run.status, 2);
            QCOMPARE(run.out, QString());
            QVERIFY2(run.err.contains(QStringLiteral("Unknown option")), qPrintable(run.err));
            QVERIFY(run.err.contains(QStringLiteral("Usage: %1").arg(name)));
        }
    }

    void kvduiVerbsKeepTheirStatus() {
        const QString kvdui = ChildProgram(KVDUI_PATH);
        QTemporaryDir dir;
        // Options after the verb are the verb's own.
        Run run = Start(kvdui, {QStringLiteral("check"), dir.filePath(QStringLiteral("missing.kvdui"))});
        QCOMPARE(run.status, 1);
        QVERIFY(!run.err.isEmpty());
        run = Start(kvdui, {QStringLiteral("packets"), QStringLiteral("--frobnicate"), QStringLiteral("x")});
        QCOMPARE(run.status, 2);
        run = Start(kvdui, {});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(QStringLiteral("Verbs:")));
        run = Start(kvdui, {QStringLiteral("dance")});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(QStringLiteral("unknown verb 'dance'")));
    }

    // Qt's own options are still taken by the builder: with -platform it starts without a display and
    // keeps running. It runs as a copy in a folder of its own, where its settings file goes.
    void builderTakesQtOptionsAndItsFile() {
        QTemporaryDir dir;
        QProcess p;
        StartBuilderCopy(p, dir, QStringLiteral("given.kvdui"), {QStringLiteral("given.kvdui")});
        if (QTest::currentTestFailed())
            return;
        // Still running after a second: it did not take "-platform" for an unknown option.
        QVERIFY(!p.waitForFinished(1000));
        QVERIFY(StopChild(p));
    }

    // "--" ends the options: a file whose name starts with '-' opens. The open shows in the recent-file list
    // of the copy's settings file.
    void builderOpensAFileAfterDoubleDash() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("-x.kvdui"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // A data folder of its own: recovery copies other builders left would be offered first.
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        QProcess p;
        StartBuilderCopy(p, dir, QStringLiteral("-x.kvdui"),
                         {QStringLiteral("--"), QStringLiteral("-x.kvdui")}, env);
        if (QTest::currentTestFailed())
            return;
        const bool opened = QTest::qWaitFor(
            [&] {
                return QSettings(dir.filePath(QStringLiteral("KvdUIBuilder.ini")), QSettings::IniFormat)
                           .value(QStringLiteral("MRU/File0"))
                           .toString() == file;
            },
            60000); // a bound only: a builder under Wine on a loaded machine takes seconds to start
        QVERIFY(StopChild(p));
        QFile ini(dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
        const QByteArray settings =
            ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray("(no settings file)");
        QVERIFY2(opened, (settings + "\n" + p.readAllStandardError()).constData());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
