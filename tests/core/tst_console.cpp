// The console layer in the process: standard input read from the event loop, the bounded writer on a
// regular file, and the interrupt on Unix.

#include "core/Console.h"
#include "tests/ChildProcess.h"
#include "tests/TestFiles.h"
#include "tests/TestPipes.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

class TstConsole : public QObject {
    Q_OBJECT

private slots:
    // What the input brings arrives in order on the event loop; the end of input is reported once.
    void inputArrivesThenEnds() {
        int fds[2];
        QVERIFY(MakePipe(fds));
        TConsoleInput input(fds[0]);
        QByteArray got;
        connect(&input, &TConsoleInput::Received, this, [&](const QByteArray& bytes) { got += bytes; });
        QSignalSpy ended(&input, &TConsoleInput::Ended);
        QVERIFY(WriteFd(fds[1], "click 1 3\nquit"));
        QVERIFY(QTest::qWaitFor([&] { return UnixLineBreaks(got) == "click 1 3\nquit"; }, 5000));
        QCOMPARE(ended.count(), 0);
        CloseFd(fds[1]);
        QVERIFY(ended.wait(5000));
        QTest::qWait(50);
        QCOMPARE(ended.count(), 1);
        CloseFd(fds[0]);
    }

    // An input nobody writes to, nor closes, does not hold up the end of the program, and what comes
    // after its end goes nowhere.
    void quietInputDoesNotHoldTheEnd() {
        int fds[2];
        QVERIFY(MakePipe(fds));
        bool received = false;
        {
            TConsoleInput input(fds[0]);
            connect(&input, &TConsoleInput::Received, this, [&] { received = true; });
            QTest::qWait(20);
        }
        QVERIFY(WriteFd(fds[1], "late\n"));
        QTest::qWait(50);
        QVERIFY(!received);
        CloseFd(fds[1]);
        CloseFd(fds[0]);
    }

    // A regular file takes every line at once, however many: nothing is queued or dropped.
    void regularFileTakesEverything() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("out.txt"));
        // Opened for text, as standard output is.
        FILE* file = std::fopen(QFile::encodeName(name).constData(), "w");
        QVERIFY(file);
        QByteArray expected;
        {
            TConsoleWriter writer(fileno(file), 64);
            for (int i = 0; i < 1000; ++i) {
                const QByteArray line = "line " + QByteArray::number(i);
                writer.Write(line);
                expected += line + '\n';
                QCOMPARE(writer.Queued(), qsizetype(0));
            }
            QCOMPARE(writer.Dropped(), qint64(0));
            QVERIFY(writer.Drain(100));
        }
        std::fclose(file);
        QCOMPARE(UnixLineBreaks(ReadFile(name)), expected);
    }

#ifdef Q_OS_UNIX
    // Linux-only: POSIX signals. (On Windows the console's control events reach kvdui show, whose test
    // sends Ctrl+C where the system offers a console.) While the interrupt exists SIGTERM and SIGINT are
    // events; afterwards they act as they did before.
    void signalsBecomeEventsWhileWatched() {
        {
            TConsoleInterrupt interrupt;
            QVERIFY(interrupt.Installed());
            QSignalSpy interrupted(&interrupt, &TConsoleInterrupt::Interrupted);
            QCOMPARE(::raise(SIGTERM), 0);
            QVERIFY(interrupted.wait(5000));
            QCOMPARE(::raise(SIGINT), 0);
            QVERIFY(interrupted.wait(5000));
        }
        struct sigaction now = {};
        QCOMPARE(::sigaction(SIGTERM, nullptr, &now), 0);
        QVERIFY(now.sa_handler == SIG_DFL);
        QCOMPARE(::sigaction(SIGINT, nullptr, &now), 0);
        QVERIFY(now.sa_handler == SIG_DFL);
        // A second one after the first works as well.
        TConsoleInterrupt again;
        QSignalSpy interrupted(&again, &TConsoleInterrupt::Interrupted);
        QCOMPARE(::raise(SIGTERM), 0);
        QVERIFY(interrupted.wait(5000));
    }
#endif
};

QTEST_GUILESS_MAIN(TstConsole)
#include "tst_console.moc"
