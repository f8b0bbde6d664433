// kvdsim --headless as a child process: its line protocol on stdout, its commands on stdin, and hostile
// clients dropped with a line while the builder's link is still served.

#include "SimTestClients.h"

#include "sim/SimPackets.h"

#include "core/Console.h"
#include "tests/ChildProcess.h"
#include "tests/TestPipes.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

// The headless stand-in as a child whose standard input and output are pipes of the test's own, which
// QProcess would always read.
struct RawChild {
    int In = -1;  // the child's standard input
    int Out = -1; // the child's standard output
#ifdef Q_OS_UNIX
    pid_t Pid = -1;
#else
    HANDLE Process = nullptr;
#endif

    bool Start() {
        int out[2], in[2];
        if (!MakePipe(out) || !MakePipe(in))
            return false;
        In = in[1];
        Out = out[0];
#ifdef Q_OS_UNIX
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        QByteArray path = KVDSIM_PATH;
        char headless[] = "--headless", portOption[] = "--port", zero[] = "0";
        char* argv[] = {path.data(), headless, portOption, zero, nullptr};
        const int spawned = ::posix_spawn(&Pid, path.constData(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        const bool started = spawned == 0;
#else
        const auto inherited = [](int fd) {
            HANDLE copy = nullptr;
            ::DuplicateHandle(::GetCurrentProcess(), reinterpret_cast<HANDLE>(::_get_osfhandle(fd)),
                              ::GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
            return copy;
        };
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inherited(in[0]);
        startup.hStdOutput = inherited(out[1]);
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        const QString program = QDir::toNativeSeparators(ChildProgram(KVDSIM_PATH));
        std::wstring line = QStringLiteral("\"%1\" --headless --port 0").arg(program).toStdWString();
        PROCESS_INFORMATION info{};
        const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                              nullptr, &startup, &info);
        ::CloseHandle(startup.hStdInput);
        ::CloseHandle(startup.hStdOutput);
        if (started) {
            ::CloseHandle(info.hThread);
            Process = info.hProcess;
        }
#endif
        CloseFd(in[0]);
        CloseFd(out[1]);
        return started;
    }

    // The exit status once the child has ended within the bound; -1 when it has not.
    int Wait(int timeoutMs) {
        int code = -1;
#ifdef Q_OS_UNIX
        int status = -1;
        if (QTest::qWaitFor([&] { return ::waitpid(Pid, &status, WNOHANG) == Pid; }, timeoutMs)) {
            Pid = -1;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
#else
        if (QTest::qWaitFor([&] { return ::WaitForSingleObject(Process, 0) == WAIT_OBJECT_0; }, timeoutMs)) {
            DWORD status = 0;
            code = ::GetExitCodeProcess(Process, &status) ? int(status) : -1;
            ::CloseHandle(Process);
            Process = nullptr;
        }
#endif
        return code;
    }

    ~RawChild() {
#ifdef Q_OS_UNIX
        if (Pid > 0 && ::waitpid(Pid, nullptr, WNOHANG) == 0) {
            ::kill(Pid, SIGKILL);
            ::waitpid(Pid, nullptr, 0);
        }
#else
        if (Process) {
            ::TerminateProcess(Process, 9);
            ::WaitForSingleObject(Process, 5000);
            ::CloseHandle(Process);
        }
#endif
        if (In >= 0)
            CloseFd(In);
        if (Out >= 0)
            CloseFd(Out);
    }
};

} // namespace

class TestSimHeadless : public QObject {
    Q_OBJECT

private slots:
    void sessionWithTheBuildersLink();
    void brokenClientsAndCommandErrors();
    void optionsAndBusyPort();
    void endOfInputKeepsServing();
    void startedWithoutItsStreams();
    void unreadOutputHoldsNothingUp();
    void slowReaderLearnsWhatWasDropped();

private:
    // The stand-in as a child; its lines are collected while the test waits.
    struct Child {
        QProcess Process;
        QList<QByteArray> Lines;
        QByteArray Rest;
        quint16 Port = 0;

        explicit Child(const QStringList& args = {}) {
            QObject::connect(&Process, &QProcess::readyReadStandardOutput, [this] {
                Rest += Process.readAllStandardOutput();
                qsizetype end;
                while ((end = Rest.indexOf('\n')) >= 0) {
                    Lines << UnixLineBreaks(Rest.left(end + 1)).chopped(1);
                    Rest.remove(0, end + 1);
                }
            });
            Process.start(
                ChildProgram(KVDSIM_PATH),
                QStringList{QStringLiteral("--headless"), QStringLiteral("--port"), QStringLiteral("0")} +
                    args);
        }
        ~Child() {
            if (Process.state() != QProcess::NotRunning) {
                Process.kill();
                Process.waitForFinished(5000);
            }
        }
        bool Started() {
            if (!Process.waitForStarted(5000) || !QTest::qWaitFor([this] { return !Lines.isEmpty(); }, 5000))
                return false;
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$"))
                    .match(QString::fromLatin1(Lines.at(0)));
            Port = quint16(m.captured(1).toUInt());
            return m.hasMatch() && Port != 0;
        }
        void Command(const QByteArray& line) { Process.write(line + '\n'); }
        // Waits (bounded) for the end; it may have come already while the test waited for a line.
        bool Finished() { return Process.state() == QProcess::NotRunning || Process.waitForFinished(5000); }
        // Waits (bounded) until a line equal to want has been printed.
        bool WaitFor(const QByteArray& want) {
            return QTest::qWaitFor([&] { return Lines.contains(want); }, 5000);
        }
        bool WaitForPrefix(const QByteArray& prefix) {
            return QTest::qWaitFor(
                [&] {
                    return std::any_of(Lines.begin(), Lines.end(),
                                       [&](const QByteArray& l) { return l.startsWith(prefix); });
                },
                5000);
        }
    };
    static QByteArray Hex(const QByteArray& packet) { return packet.toHex(' '); }
};

void TestSimHeadless::sessionWithTheBuildersLink() {
    Child sim;
    QVERIFY(sim.Started());
    BuilderClient builder(sim.Port);
    QVERIFY(builder.Connect());
    QCOMPARE(sim.Lines.value(1).left(14), QByteArray("1 + 127.0.0.1:"));
    QByteArray init = Dromo::BuildInit({}, 9, QByteArray(), "KvdUIBuilder");
    Dromo::StampHead(reinterpret_cast<quint8*>(init.data()), 44, Dromo::DR_INIT, 4);
    QVERIFY(sim.WaitFor("1 < " + Hex(init)));
    const QByteArray version = SimPackets::Version(9, 1, "kvdsim", QByteArray(KVD_VERSION_TEXT).left(7), 4);
    QVERIFY(sim.WaitFor("1 > " + Hex(version)));
    // The builder answers the version packet with its update interval.
    QVERIFY(sim.WaitFor("1 < 02 04 01 07 1e 00 00 00"));

    // Every button packet shows as it is received, in the hexadecimal of kvdui packets.
    const QString layout = QStringLiteral(
        "<ui><element id=\"3\" text=\"Go\" left=\"20\" top=\"20\" width=\"60\" height=\"30\" bstyle=\"40\"/>"
        "<element id=\"4\" text=\"\" typein=\"8\" left=\"20\" top=\"60\" width=\"60\" height=\"30\" "
        "bstyle=\"32\"/></ui>");
    builder.UI->ShowLayout(layout);
    for (const QByteArray& packet : TKvdUI::LayoutPackets(layout, {}, 0, 4))
        QVERIFY(sim.WaitFor("1 < " + Hex(packet)));

    sim.Command("click 1 3");
    sim.Command("click 1 3 0x0a");
    sim.Command("type 1 4 Lap 12 and more");
    sim.Command("console 1 Yellow flag");
    using E = BuilderClient::Event;
    QTRY_COMPARE_WITH_TIMEOUT(
        builder.Events, (QList<E>{{3, 1, QString()}, {3, 10, QString()}, {4, 0, QStringLiteral("Lap 12 a")}}),
        5000);
    QTRY_COMPARE_WITH_TIMEOUT(builder.Console, QStringList{QStringLiteral("Yellow flag")}, 5000);
    QVERIFY(sim.Lines.contains("1 > " + Hex(SimPackets::Click(3, 10, 4))));
    QVERIFY(sim.Lines.contains("1 > " + Hex(SimPackets::Typed(4, "Lap 12 a", 4))));

    // Deleting a button and closing from the stand-in.
    builder.UI->DeleteButtons(0, 3, 3, 0);
    QVERIFY(sim.WaitFor("1 < 02 2a 01 00 00 03 03 00"));
    sim.Command("click 1 3");
    QVERIFY(sim.WaitFor("error client 1 has no button 3"));
    sim.Command("close 1");
    QVERIFY(sim.WaitFor("1 - closed by kvdsim"));
    QTRY_VERIFY_WITH_TIMEOUT(builder.Disconnected->load(), 5000);
    sim.Command("quit");
    QVERIFY(sim.Finished());
    QCOMPARE(sim.Process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.Process.exitCode(), 0);
    // Every line printed is one of the protocol's forms.
    const QRegularExpression form(
        QStringLiteral("^(listening \\S+|\\d+ \\+ \\S+|\\d+ [<>]( [0-9a-f]{2})+|\\d+ - .+|error .+)$"));
    for (const QByteArray& line : std::as_const(sim.Lines))
        QVERIFY2(form.match(QString::fromLatin1(line)).hasMatch(), line.constData());
}

void TestSimHeadless::brokenClientsAndCommandErrors() {
    Child sim;
    QVERIFY(sim.Started());
    BuilderClient builder(sim.Port);
    QVERIFY(builder.Connect());

    // A broken client is dropped with its reason (the server's tests go through every kind); quitting
    // closes the one still connected.
    RawClient zero(sim.Port);
    QVERIFY(zero.WaitConnected());
    zero.Send(RawClient::Init() + QByteArray(4, '\0'));
    QVERIFY(sim.WaitFor("2 - bad size byte 0"));
    sim.Command("press 1");
    sim.Command("click 7 1");
    sim.Command("click 1");
    sim.Command("close 2");
    QVERIFY(sim.WaitFor("error no client 2"));
    QCOMPARE(sim.Lines.mid(sim.Lines.size() - 4),
             (QList<QByteArray>{"error unknown command: press", "error no client 7",
                                "error usage: click N ID [FLAGS]", "error no client 2"}));
    sim.Command("quit");
    QVERIFY(sim.WaitFor("1 - kvdsim quits"));
    QVERIFY(sim.Finished());
    QCOMPARE(sim.Process.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(builder.Disconnected->load(), 5000);
}

void TestSimHeadless::startedWithoutItsStreams() {
#ifdef Q_OS_UNIX
    // Started with standard input and output closed, as from a careless service script: it says so on
    // standard error, keeps serving, and neither dies of a closed pipe nor writes into whatever file took
    // descriptor 1.
    QProcess sim;
    sim.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --headless --port 0 <&- >&-"),
               ChildProgram(KVDSIM_PATH)});
    QVERIFY(sim.waitForStarted(5000));
    QByteArray errors;
    QTRY_VERIFY_WITH_TIMEOUT((errors += sim.readAllStandardError()).contains("standard output is closed"),
                             5000);
    QTest::qWait(1000);
    QVERIFY2(sim.state() == QProcess::Running, errors.constData());
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QVERIFY2(sim.exitStatus() == QProcess::NormalExit || sim.exitCode() != 141,
             qPrintable(QString::number(sim.exitCode())));
#else
    QSKIP("closing a child's streams is a Unix shell's trick");
#endif
}

void TestSimHeadless::optionsAndBusyPort() {
    Child first;
    QVERIFY(first.Started());
    // A port in use, and options that are not usable, end the program with a message and no lines; the
    // options are read before any display is needed, so the windowed stand-in reports them too.
    const QList<QStringList> bad = {
        {QStringLiteral("--headless"), QStringLiteral("--port"), QString::number(first.Port)},
        {QStringLiteral("--port"), QStringLiteral("70000")},
        {QStringLiteral("--address"), QStringLiteral("localhost")},
        {QStringLiteral("--headless"), QStringLiteral("--protocol"), QStringLiteral("0")},
        {QStringLiteral("--bogus")},
    };
    const QList<int> codes = {1, 2, 2, 2, 2};
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    noDisplay.remove(QStringLiteral("QT_QPA_PLATFORM"));
    noDisplay.remove(QStringLiteral("DISPLAY"));
    noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
    for (qsizetype i = 0; i < bad.size(); ++i) {
        QProcess p;
        p.setProcessEnvironment(noDisplay);
        p.start(ChildProgram(KVDSIM_PATH), bad.at(i));
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), codes.at(i));
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(p.readAllStandardError().startsWith("kvdsim: "));
    }
    QProcess version;
    version.setProcessEnvironment(noDisplay);
    version.start(ChildProgram(KVDSIM_PATH), {QStringLiteral("--version")});
    QVERIFY(version.waitForFinished(5000));
    QCOMPARE(version.exitCode(), 0);
    QCOMPARE(UnixLineBreaks(version.readAllStandardOutput()), QByteArray("kvdsim " KVD_VERSION_TEXT "\n"));
    // Protocol 8 frames by bytes: the builder's link set to version 8 is served.
    Child old({QStringLiteral("--protocol"), QStringLiteral("8")});
    QVERIFY(old.Started());
    BuilderClient builder(old.Port);
    builder.Dromo->SetVersion(8);
    QVERIFY(builder.Connect());
    QVERIFY(old.WaitForPrefix("1 > 14 02 01 08 "));
}

void TestSimHeadless::endOfInputKeepsServing() {
    // Standard input ends: the stand-in serves on, and ends only when it is stopped.
    Child sim;
    QVERIFY(sim.Started());
    sim.Process.closeWriteChannel();
    QTest::qWait(100);
    BuilderClient builder(sim.Port);
    QVERIFY(builder.Connect());
    QVERIFY(sim.WaitForPrefix("1 > "));
    QCOMPARE(sim.Process.state(), QProcess::Running);
}

void TestSimHeadless::unreadOutputHoldsNothingUp() {
    // The stand-in as a child whose standard output is a pipe that is read for the first line only.
    RawChild child;
    QVERIFY(child.Start());
    QByteArray first;
    for (int i = 0; i < 100 && !first.contains('\n'); ++i) {
        first += ReadAvailable(child.Out);
        if (!first.contains('\n'))
            QTest::qWait(50);
    }
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)\n$"))
            .match(QString::fromLatin1(UnixLineBreaks(first)));
    QVERIFY2(m.hasMatch(), first.constData());
    const quint16 port = quint16(m.captured(1).toUInt());

    // A client whose packets make far more lines than the pipe and the stand-in's queue hold.
    RawClient chatty(port);
    QVERIFY(chatty.WaitConnected());
    QByteArray burst = RawClient::Init();
    for (int i = 0; i < 1500; ++i)
        burst += ButtonPacket(quint8(i), QByteArray(240, 'x'));
    chatty.Send(burst);
    QTest::qWait(500);
    // The builder is still answered, and quit is taken, while nobody reads what the stand-in writes.
    BuilderClient builder(port);
    QVERIFY(builder.Connect());
    QVERIFY(WriteFd(child.In, "quit\n"));
    QCOMPARE(child.Wait(10000), 0);
    QTRY_VERIFY_WITH_TIMEOUT(builder.Disconnected->load(), 5000);
}

void TestSimHeadless::slowReaderLearnsWhatWasDropped() {
    // The writer on a pipe nobody reads for a while: lines beyond its queue are dropped and counted, and
    // the reader finds the count where the gap is once it reads again.
    int pipe[2];
    QVERIFY(MakePipe(pipe));
    auto closePipe = qScopeGuard([&] {
        CloseFd(pipe[0]);
        CloseFd(pipe[1]);
    });
    constexpr qsizetype Queue = 4096;
    auto writer = std::make_unique<TConsoleWriter>(pipe[1], Queue);
    const QByteArray line(99, 'a');
    int written = 0;
    while (written < 100000 && writer->Dropped() == 0)
        writer->Write(line + QByteArray::number(written++));
#ifdef Q_OS_UNIX
    QVERIFY(writer->Dropped() == 1);
    for (int i = 0; i < 9; ++i)
        writer->Write(line);
    QCOMPARE(writer->Dropped(), qint64(10));
    // The descriptor given stays blocking for whoever else writes to it.
    QVERIFY(!(::fcntl(pipe[1], F_GETFL) & O_NONBLOCK));

    // Read everything while the writer writes on as the pipe takes it.
    QByteArray got;
    const auto readSome = [&] { got += ReadAvailable(pipe[0]); };
    QVERIFY(QTest::qWaitFor(
        [&] {
            readSome();
            return writer->Queued() == 0;
        },
        5000));
    writer->Write("after");
    readSome();
    const QList<QByteArray> lines = got.split('\n');
    QCOMPARE(int(lines.size()), written + 2); // written - 1 kept, the notice, "after" and the empty rest
    for (int i = 0; i < written - 1; ++i)
        QCOMPARE(lines.at(i), line + QByteArray::number(i));
    QCOMPARE(lines.at(written - 1), QByteArray("dropped 10 lines"));
    QCOMPARE(lines.at(written), QByteArray("after"));
    writer.reset();
    QVERIFY(!(::fcntl(pipe[1], F_GETFL) & O_NONBLOCK));
#else
    // Here a thread of the writer's moves the queue into the pipe while lines are queued, so where the
    // first gap falls depends on it; every line is numbered, and each gap must be announced with its size.
    QVERIFY(writer->Dropped() > 0);
    for (int i = 0; i < 9; ++i)
        writer->Write(line + QByteArray::number(written++));
    QByteArray got;
    QVERIFY(QTest::qWaitFor(
        [&] {
            got += ReadAvailable(pipe[0]);
            return writer->Queued() == 0;
        },
        5000));
    writer->Write("after");
    QVERIFY(QTest::qWaitFor(
        [&] {
            got += ReadAvailable(pipe[0]);
            return got.endsWith("after\r\n");
        },
        5000));
    // Text mode: every line break as the system writes it.
    QCOMPARE(got.count("\r\n"), got.count('\n'));
    QList<QByteArray> lines = UnixLineBreaks(got).split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(lines.takeLast(), QByteArray("after"));
    int next = 0, notices = 0;
    for (const QByteArray& l : std::as_const(lines)) {
        if (l.startsWith("dropped ")) {
            QVERIFY2(l.endsWith(" lines"), l.constData());
            next += l.mid(8, l.size() - 14).toInt();
            ++notices;
        } else {
            QCOMPARE(l, line + QByteArray::number(next++));
        }
    }
    QVERIFY(notices > 0);
    QCOMPARE(next, written);
#endif
}

QTEST_GUILESS_MAIN(TestSimHeadless)
#include "tst_simheadless.moc"
