// The kvdui verbs that talk the simulator's language (packets, show), run as separate processes the way
// scripts run them; show talks to the loopback test peer.

#include "link/KvdUI.h"
#include "tests/link/LinkTestUtil.h"
#include "tests/link/TestPeer.h"
#include "tests/tools/KvduiRun.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The interrupt: a signal on Unix, a console control event on Windows.
#include "tests/WindowsApi.h"
#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

constexpr int Timeout = 15000;

const char* const kLayout = R"(<ui>
 <element type="TKvdUIPanel" align="0" anchors="akLeft,akTop" rel_left="40" rel_top="60" width="200"
          height="100" id="1" text="" typein="0" bstyle="32" left="40" top="60">
  <element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="10" rel_top="20" width="60"
           height="30" id="2" text="Lap {score}" typein="0" bstyle="40" left="50" top="80"/>
 </element>
 <element type="TKvdUIText" align="0" anchors="akLeft,akTop" rel_left="100" rel_top="200" width="60"
          height="30" id="7" text="TEXT" typein="0" bstyle="64" left="100" top="200"/>
</ui>
)";

QByteArray Hex(const QByteArray& packet) {
    return packet.toHex(' ');
}

// Adds what the process writes to its standard output to out until out holds that many lines; false when
// they did not come within the timeout. The lines end in "\n" whatever the system writes.
bool WaitForOutputLines(QProcess& process, QByteArray& out, int lines) {
    const bool got = QTest::qWaitFor(
        [&] {
            out += process.readAllStandardOutput();
            return out.count('\n') >= lines;
        },
        Timeout);
    out = UnixLineBreaks(out);
    return got;
}

// What the process wrote to standard error, in Unix line breaks.
QByteArray ErrorText(QProcess& process) {
    return UnixLineBreaks(process.readAllStandardError());
}

} // namespace

class TestKvduiLink : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString file;

private slots:
    void initTestCase();
    void packets_data();
    void packets();
    void packetsMatchTheBuilder();
    void packetsUsage_data();
    void packetsUsage();
    void showSession();
    void showEndsOnSignal_data();
    void showEndsOnSignal();
    void showCannotConnect();
    void showEscapesSimulatorText();
};

void TestKvduiLink::initTestCase() {
    QVERIFY(dir.isValid());
    file = dir.filePath(QStringLiteral("layout.kvdui"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(kLayout);
}

void TestKvduiLink::packets_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << QStringList()
                           << QByteArray(
                                  "04 2d 01 00 01 00 20 00 14 1e 64 32 00 00 00 00\n"
                                  "06 2d 01 00 02 00 28 00 19 28 1e 0f 4c 61 70 20 7b 73 63 6f 72 65 7d 00\n"
                                  "05 2d 01 00 07 00 40 00 32 64 1e 0f 54 45 58 54 00 00 00 00\n");
    QTest::newRow("placeholder and target")
        << QStringList{"--set", "SCORE=12", "--target", "3"}
        << QByteArray("04 2d 01 03 01 00 20 00 14 1e 64 32 00 00 00 00\n"
                      "05 2d 01 03 02 00 28 00 19 28 1e 0f 4c 61 70 20 31 32 00 00\n"
                      "05 2d 01 03 07 00 40 00 32 64 1e 0f 54 45 58 54 00 00 00 00\n");
    QTest::newRow("value holding an equals sign")
        << QStringList{"--set", "score=a=b", "--set", "text=x"}
        << QByteArray("04 2d 01 00 01 00 20 00 14 1e 64 32 00 00 00 00\n"
                      "05 2d 01 00 02 00 28 00 19 28 1e 0f 4c 61 70 20 "
                      "61 3d 62 00\n"
                      "05 2d 01 00 07 00 40 00 32 64 1e 0f 54 45 58 54 "
                      "00 00 00 00\n");
}

void TestKvduiLink::packets() {
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    const KvduiResult result = RunKvdui(QStringList{"packets", file} + options);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, expected);
}

void TestKvduiLink::packetsMatchTheBuilder() {
    // What packets prints is what the presentation sends for the text the builder would save.
    const KvduiResult saved = RunKvdui({"cat", file});
    QCOMPARE(saved.status, 0);
    QByteArray expected;
    for (const QByteArray& packet : TKvdUI::LayoutPackets(QString::fromUtf8(saved.out), {"score", "9"}, 5, 4))
        expected += Hex(packet) + '\n';
    const KvduiResult printed = RunKvdui({"packets", "--target", "5", file, "--set", "score=9"});
    QCOMPARE(printed.status, 0);
    QCOMPARE(printed.out, expected);
}

void TestKvduiLink::packetsUsage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no file") << QStringList{"packets"} << 2 << QByteArray("no file");
    QTest::newRow("target too large") << QStringList{"packets", "f", "--target", "256"} << 2
                                      << QByteArray("--target needs a number from 0 to 255");
    QTest::newRow("set without equals")
        << QStringList{"packets", "f", "--set", "x"} << 2 << QByteArray("--set needs NAME=VALUE");
    QTest::newRow("show has no target")
        << QStringList{"show", "f", "--target", "1"} << 2 << QByteArray("unknown option --target");
    // Messages show a name with the system's separators.
    QTest::newRow("missing file")
        << QStringList{"packets", "/nonexistent/x.kvdui"} << 1
        << QDir::toNativeSeparators(QStringLiteral("/nonexistent/x.kvdui")).toUtf8();
}

void TestKvduiLink::packetsUsage() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QByteArray, message);
    const KvduiResult result = RunKvdui(args);
    QCOMPARE(result.status, status);
    QCOMPARE(result.out, QByteArray());
    QVERIFY2(result.err.contains(message), result.err.constData());
}

void TestKvduiLink::showSession() {
    TestPeer peer;
    QProcess process;
    process.start(ChildProgram(KVDUI_PATH), {"show", file, "--port", QString::number(peer.Port()), "--name",
                                             "scripted", "--set", "score=3"});
    // The initialise packet names the client; the version answer brings the layout.
    QVERIFY(peer.WaitForPackets(5, Timeout));
    const QList<QByteArray> packets = peer.PacketBytes();
    QCOMPARE(packets[0].mid(28, 9), QByteArray("scripted\0", 9));
    // The layout goes out from the connect handler, before the client's update-interval packet.
    QCOMPARE(packets[1][4], char(1));
    QCOMPARE(Hex(packets[2]), QByteArray("05 2d 01 00 02 00 28 00 19 28 1e 0f 4c 61 70 20 33 00 00 00"));
    QCOMPARE(packets[3][4], char(7));
    QCOMPARE(packets[4], ByteList({2, 4, 1, 7, 30, 0, 0, 0}));

    QVERIFY(peer.Send(TestPeer::Click(7, 2) + TestPeer::Typed(2, "abc") + TestPeer::Tiny(0)));
    QVERIFY(peer.WaitForPackets(6, Timeout));
    QCOMPARE(peer.PacketBytes().at(5), ByteList({1, 3, 0, 0}));
    QByteArray out;
    QVERIFY(WaitForOutputLines(process, out, 2));
    QCOMPARE(out, QByteArray("Button 7 clicked []\nButton 2 clicked [abc]\n"));

    // The simulator ends the session: no clearing (the link is gone), exit status 0.
    peer.CloseConnection();
    QVERIFY(process.waitForFinished(Timeout));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QByteArray err = ErrorText(process);
    QCOMPARE(err, QByteArray("Connected to Korvadia [KV 0.9]\nDisconnected from Korvadia.\n"));
    QCOMPARE(peer.PacketBytes().size(), 6);
}

void TestKvduiLink::showEscapesSimulatorText() {
    // Texts from the simulator cannot forge lines or reach the terminal as commands, on either stream.
    TestPeer peer;
    peer.SetAnswerInit(false);
    QProcess process;
    process.start(ChildProgram(KVDUI_PATH), {"show", file, "--port", QString::number(peer.Port())});
    QVERIFY(peer.WaitForPackets(1, Timeout));
    QVERIFY(peer.Send(TestPeer::Version("\x1b[2J", "K\nV")));
    QVERIFY(peer.WaitForPackets(3, Timeout));
    QVERIFY(peer.Send(TestPeer::Typed(2, "a\nButton 9 clicked [x]\x1b]0;t\x07") + TestPeer::Click(3, 0)));
    QByteArray out;
    QVERIFY(WaitForOutputLines(process, out, 2));
    QCOMPARE(out,
             QByteArray("Button 2 clicked [a\\nButton 9 clicked [x]\\e]0;t\\x07]\nButton 3 clicked []\n"));
    peer.CloseConnection();
    QVERIFY(process.waitForFinished(Timeout));
    QCOMPARE(ErrorText(process),
             QByteArray("Connected to Korvadia [K\\nV \\e[2J]\nDisconnected from Korvadia.\n"));
}

// On Windows the interrupt is a console control event: Ctrl+C, sent to every process of the console the
// test shares with the child.
void TestKvduiLink::showEndsOnSignal_data() {
    QTest::addColumn<int>("signal");
#ifdef Q_OS_UNIX
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
#else
    QTest::newRow("Ctrl+C") << int(CTRL_C_EVENT);
#endif
}

void TestKvduiLink::showEndsOnSignal() {
    QFETCH(int, signal);
    TestPeer peer;
    QProcess process;
#ifdef Q_OS_WIN
    // Wine gives a program a console only when it runs on a terminal.
    if (!::GetConsoleCP() && (!::AllocConsole() || !::GetConsoleCP()))
        QSKIP("no console to send a control event on (Wine run without a terminal has none)");
    // The child shares the test's console, also when it has no window.
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* arguments) { arguments->flags &= ~DWORD(CREATE_NO_WINDOW); });
#endif
    process.start(ChildProgram(KVDUI_PATH), {"show", file, "--port", QString::number(peer.Port())});
    QVERIFY(peer.WaitForPackets(5, Timeout));
    QCOMPARE(peer.PacketBytes().at(0).mid(28, 6), QByteArray("kvdui\0", 6));
#ifdef Q_OS_UNIX
    ::kill(pid_t(process.processId()), signal);
#else
    // The test ignores it from now on: it may arrive here after the test has ended.
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    QVERIFY(::GenerateConsoleCtrlEvent(DWORD(signal), 0));
#endif
    QVERIFY(process.waitForFinished(Timeout));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    // Clears its buttons, says goodbye, closes.
    QVERIFY(peer.WaitForEnded(1, Timeout));
    const QList<QByteArray> packets = peer.PacketBytes();
    QCOMPARE(packets.size(), 7);
    QCOMPARE(packets[5], ByteList({2, 42, 1, 1, 0, 0, 0, 0}));
    QCOMPARE(packets[6], ByteList({1, 3, 0, 2}));
}

void TestKvduiLink::showCannotConnect() {
    const quint16 port = ClosedPort();
    const KvduiResult result = RunKvdui({"show", file, "--port", QString::number(port)});
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out, QByteArray());
    const KvduiResult named = RunKvdui({"show", file, "--address", "localhost", "--port", "29999"});
    QCOMPARE(named.status, 1);
#ifdef Q_OS_UNIX
    QCOMPARE(result.err,
             QStringLiteral("Error: [127.0.0.1:%1] Connection refused\n").arg(port).toLocal8Bit());
    QCOMPARE(named.err, QByteArray("Error: [localhost:29999] Cannot assign requested address\n"));
#else
    // Windows words the system's reasons in its own way; each is one line after the address.
    const QByteArray refused = QStringLiteral("Error: [127.0.0.1:%1] ").arg(port).toLocal8Bit();
    QVERIFY2(result.err.startsWith(refused) && result.err.contains("refused") && result.err.count('\n') == 1,
             result.err.constData());
    QVERIFY2(named.err.startsWith("Error: [localhost:29999] ") && named.err.count('\n') == 1,
             named.err.constData());
#endif
}

QTEST_GUILESS_MAIN(TestKvduiLink)
#include "tst_kvduilink.moc"
