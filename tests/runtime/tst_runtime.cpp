// The runtime library used as a program uses it: through <kvdui/kvdui.h> and <kvdui/kvdui.hpp> only,
// against a real kvdsim --headless on 127.0.0.1 whose standard output shows every packet it received and
// whose standard input sends the driver's clicks and typed text.

#include <kvdui/kvdui.h>
#include <kvdui/kvdui.hpp>

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

extern "C" int header_c_version_matches(void);

namespace {

const QString PitStop = QStringLiteral(PIT_STOP_LAYOUT);

// kvdsim --headless as a child: its lines kept as they come, its commands written to it.
class Sim {
public:
    explicit Sim(const QStringList& extra = {}) {
        m_process.start(
            QString::fromLocal8Bit(KVDSIM_PATH),
            QStringList{QStringLiteral("--headless"), QStringLiteral("--port"), QStringLiteral("0")} + extra);
        const QByteArray line = WaitFor("listening ");
        Port = line.mid(line.lastIndexOf(':') + 1).toInt();
    }
    ~Sim() {
        m_process.write("quit\n");
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }

    // The first line not seen yet that starts with prefix, waiting at most 5 s; empty when none came.
    QByteArray WaitFor(const QByteArray& prefix) {
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < 500 && timer.elapsed() < 5000; ++round) {
            Read();
            for (qsizetype i = m_seen; i < m_lines.size(); ++i)
                if (m_lines.at(i).startsWith(prefix)) {
                    m_seen = i + 1;
                    return m_lines.at(i);
                }
            m_process.waitForReadyRead(20);
        }
        return {};
    }
    // Every packet of that type (hex, as "2d") received from client 1 so far, as hex without blanks.
    QList<QByteArray> Received(const char* type, int settleMs = 200) {
        QTest::qWait(settleMs);
        Read();
        QList<QByteArray> packets;
        for (const QByteArray& line : std::as_const(m_lines))
            if (line.startsWith("1 < ")) {
                const QByteArray hex = line.mid(4).replace(' ', "");
                if (hex.mid(2, 2) == type)
                    packets << hex;
            }
        return packets;
    }
    // Waits (at most 5 s) until the stand-in has received count packets of that type.
    bool WaitReceived(const char* type, int count) {
        for (int round = 0; round < 50; ++round)
            if (Received(type, 100).size() >= count)
                return true;
        return false;
    }
    void Command(const QByteArray& line) {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(5000);
    }
    // Every line so far, for a failure's message.
    QByteArray Lines() {
        m_process.waitForReadyRead(200);
        Read();
        return m_lines.join('\n');
    }

    int Port = 0;

private:
    void Read() {
        m_buffer += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            m_lines << m_buffer.left(end).trimmed();
            m_buffer.remove(0, end + 1);
        }
    }
    QProcess m_process;
    QByteArray m_buffer;
    QList<QByteArray> m_lines;
    qsizetype m_seen = 0;
};

kvdui_options Options(int port, int timeoutMs = 3000) {
    return kvdui_options{"127.0.0.1", port, "runtime test", nullptr, timeoutMs};
}

// What kvdui packets gives for the pit-stop layout with these values, as hex without blanks.
QList<QByteArray> KvduiPackets(const QStringList& sets) {
    QStringList args{QStringLiteral("packets"), PitStop};
    for (const QString& set : sets)
        args << QStringLiteral("--set") << set;
    QProcess kvdui;
    kvdui.start(QString::fromLocal8Bit(KVDUI_PATH), args);
    if (!kvdui.waitForFinished(20000))
        kvdui.kill();
    QList<QByteArray> packets;
    for (QByteArray line : kvdui.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            packets << line.replace(' ', "").trimmed();
    return packets;
}

} // namespace

class TstRuntime : public QObject {
    Q_OBJECT

private slots:
    void headerAndVersion() {
        QVERIFY(header_c_version_matches());
        QCOMPARE(QByteArray(kvdui_version()), QByteArray(KVDUI_VERSION_STRING));
    }

    // Every call refuses NULL pointers with an error, never a crash; a NULL error is allowed.
    void nullArguments() {
        kvdui_error err;
        QVERIFY(!kvdui_layout_open(nullptr, &err));
        QCOMPARE(err.code, int(KVDUI_ERR_ARGUMENT));
        QVERIFY(!kvdui_layout_from_text(nullptr, 3, nullptr));
        QCOMPARE(kvdui_layout_count(nullptr), 0);
        QCOMPARE(kvdui_layout_id(nullptr, "x"), -1);
        QVERIFY(!kvdui_layout_name(nullptr, 3));
        QCOMPARE(kvdui_show(nullptr, nullptr, nullptr, 0, &err), -KVDUI_ERR_ARGUMENT);
        QCOMPARE(QByteArray(err.message), QByteArray("The client is NULL"));
        QCOMPARE(kvdui_set(nullptr, nullptr, "lap", "1", nullptr), -KVDUI_ERR_ARGUMENT);
        QCOMPARE(kvdui_hide(nullptr, nullptr, &err), -KVDUI_ERR_ARGUMENT);
        QCOMPARE(kvdui_wait_event(nullptr, nullptr, 0, &err), -KVDUI_ERR_ARGUMENT);
        QCOMPARE(kvdui_poll_event(nullptr, nullptr, &err), -KVDUI_ERR_ARGUMENT);
        QCOMPARE(kvdui_wait_handle(nullptr), intptr_t(-1));
        kvdui_close(nullptr);
        kvdui_layout_free(nullptr);
    }

    void layoutsThatDoNotRead_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("malformed") << QByteArray("<ui><element id=\"1\"></ui>") << int(KVDUI_ERR_LAYOUT)
                                   << QByteArray("(line 1, column");
        QTest::newRow("invalid UTF-8")
            << QByteArray("<ui><element text=\"\xff\"/></ui>") << int(KVDUI_ERR_ENCODING)
            << QByteArray("The layout text is not valid UTF-8");
        QTest::newRow("name twice")
            << QByteArray("<ui><element id=\"1\" name=\"a\"/><element id=\"2\" name=\"a\"/></ui>")
            << int(KVDUI_ERR_LAYOUT) << QByteArray("The name a is used by the elements with IDs 1 and 2");
        QTest::newRow("not a name") << QByteArray("<ui><element id=\"1\" name=\"2x\"/></ui>")
                                    << int(KVDUI_ERR_LAYOUT)
                                    << QByteArray("\"2x\" (ID 1) is not a valid element name");
        QTest::newRow("ID twice") << QByteArray("<ui><element id=\"4\"/><element id=\"4\"/></ui>")
                                  << int(KVDUI_ERR_LAYOUT) << QByteArray("uses IDs more than once (4)");
        QTest::newRow("ID past 255") << QByteArray("<ui><element id=\"300\"/></ui>") << int(KVDUI_ERR_LAYOUT)
                                     << QByteArray("The element ID 300 is outside 0 to 255");
    }
    void layoutsThatDoNotRead() {
        QFETCH(QByteArray, text);
        QFETCH(int, code);
        QFETCH(QByteArray, message);
        kvdui_error err;
        QVERIFY(!kvdui_layout_from_text(text.constData(), size_t(text.size()), &err));
        QCOMPARE(err.code, code);
        QVERIFY2(QByteArray(err.message).contains(message), err.message);
    }

    void filesThatDoNotOpen() {
        kvdui_error err;
        QTemporaryDir dir;
        QVERIFY(!kvdui_layout_open(dir.filePath(QStringLiteral("none.kvdui")).toUtf8().constData(), &err));
        QCOMPARE(err.code, int(KVDUI_ERR_FILE));
        QVERIFY2(QByteArray(err.message).contains("No such file"), err.message);
        QVERIFY(!kvdui_layout_open(dir.path().toUtf8().constData(), &err));
        QCOMPARE(err.code, int(KVDUI_ERR_FILE));
        QVERIFY2(QByteArray(err.message).contains("not a regular file"), err.message);
        QVERIFY(!kvdui_layout_open("caf\xe9.kvdui", &err));
        QCOMPARE(err.code, int(KVDUI_ERR_ENCODING));
    }

    void namesAndIds() {
        const kvdui::Layout board = kvdui::Layout::open(PitStop.toStdString());
        QCOMPARE(board.count(), 9);
        QCOMPARE(board.id("fuel_plus"), 3);
        QCOMPARE(board.id("driver"), 8);
        QCOMPARE(*board.name(3), std::string("fuel_plus"));
        QCOMPARE(*board.name(1), std::string()); // the panel has no name
        QVERIFY(!board.name(77));
        QVERIFY(!board.find("Fuel_plus")); // names are compared as written
        try {
            board.id("nothing");
            QFAIL("no error for an unknown name");
        } catch (const kvdui::Error& e) {
            QCOMPARE(e.code(), int(KVDUI_ERR_NAME));
        }
    }

    void simulatorAbsent() {
        // A port nobody listens on: the listening socket is closed again at once.
        int port = 0;
        {
            QTcpServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost));
            port = server.serverPort();
        }
        kvdui_error err;
        const kvdui_options options = Options(port, 2000);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!kvdui_connect(&options, &err));
        QCOMPARE(err.code, int(KVDUI_ERR_CONNECT));
        QVERIFY2(QByteArray(err.message).startsWith("Cannot connect to the simulator at 127.0.0.1:"),
                 err.message);
        QVERIFY(timer.elapsed() < 4000);
        // A peer that accepts and never answers: the connect gives up after its timeout.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const kvdui_options silentOptions = Options(silent.serverPort(), 500);
        QVERIFY(!kvdui_connect(&silentOptions, &err));
        QCOMPARE(err.code, int(KVDUI_ERR_CONNECT));
        QVERIFY2(QByteArray(err.message).contains("did not answer within 500 ms"), err.message);
    }

    // The packets a show sends are the builder's own; set sends only what changes; hide deletes the
    // layout's IDs and no other.
    void showSetHide() {
        Sim sim;
        QVERIFY(sim.Port > 0);
        kvdui_error err;
        kvdui_layout* board = kvdui_layout_open(PitStop.toUtf8().constData(), &err);
        QVERIFY2(board, err.message);
        const kvdui_options options = Options(sim.Port);
        kvdui_client* client = kvdui_connect(&options, &err);
        QVERIFY2(client, err.message);

        const char* values[] = {"lap", "12", "{laps}", "57", nullptr};
        QCOMPARE(kvdui_show(client, board, values, 0, &err), 9);
        QCOMPARE(err.code, int(KVDUI_OK));
        QVERIFY(sim.WaitReceived("2d", 9));
        const QList<QByteArray> shown = sim.Received("2d");
        QCOMPARE(shown, KvduiPackets({QStringLiteral("lap=12"), QStringLiteral("laps=57")}));

        QCOMPARE(kvdui_set(client, board, "lap", "13", &err), 1);
        QCOMPARE(kvdui_set(client, board, "LAP", "13", &err), 0); // same text: nothing sent
        QCOMPARE(kvdui_set(client, board, "fuel", "1", &err), -KVDUI_ERR_NAME);
        QVERIFY(sim.WaitReceived("2d", 10));
        const QList<QByteArray> afterSet = sim.Received("2d");
        QCOMPARE(afterSet.size(), 10);
        QCOMPARE(afterSet.last(), KvduiPackets({QStringLiteral("lap=13"), QStringLiteral("laps=57")}).last());

        const char odd[] = "lap";
        const char* oddValues[] = {odd, nullptr};
        QCOMPARE(kvdui_show(client, board, oddValues, 0, &err), -KVDUI_ERR_ARGUMENT);
        QCOMPARE(kvdui_show(client, board, nullptr, 256, &err), -KVDUI_ERR_ARGUMENT);

        // Another layout whose IDs meet this one's is refused, naming the IDs; moved by an offset it is
        // shown.
        const QByteArray other =
            "<ui><element type=\"TKvdUIButton\" id=\"3\" left=\"300\" top=\"0\" width=\"20\" "
            "height=\"20\" bstyle=\"8\" text=\"x\"/><element id=\"40\"/></ui>";
        kvdui_layout* second = kvdui_layout_from_text(other.constData(), size_t(other.size()), &err);
        QVERIFY2(second, err.message);
        QCOMPARE(kvdui_show(client, second, nullptr, 0, &err), -KVDUI_ERR_OVERLAP);
        QVERIFY2(QByteArray(err.message).startsWith("The IDs 3 are already shown to target 0"), err.message);
        QCOMPARE(kvdui_show(client, second, nullptr, 1, &err), 2); // another target shares no IDs
        QCOMPARE(kvdui_show_at(client, second, nullptr, 0, 100, &err), 2);
        QCOMPARE(kvdui_show_at(client, second, nullptr, 0, 250, &err), -KVDUI_ERR_ARGUMENT);

        // Hiding the pit-stop board deletes IDs 1 to 9 in one packet, and leaves the other layout.
        QCOMPARE(kvdui_hide(client, board, &err), 1);
        QCOMPARE(kvdui_hide(client, board, &err), -KVDUI_ERR_NOT_SHOWN);
        QVERIFY(sim.WaitReceived("2a", 1));
        const QList<QByteArray> deletes = sim.Received("2a");
        QVERIFY2(deletes.size() == 1, sim.Lines().constData());
        QCOMPARE(deletes.first().mid(8, 6), QByteArray("000109")); // target 0, IDs 1 to 9
        // Shown to targets 1 and 0+100: IDs 3 and 40 apart, so two delete packets each.
        QCOMPARE(kvdui_hide(client, second, &err), 4);

        kvdui_close(client);
        kvdui_layout_free(second);
        kvdui_layout_free(board);
    }

    // Clicks and typed text come back as events in the calling thread, with the element's name.
    void eventsInTheCallingThread() {
        Sim sim;
        kvdui::Layout board = kvdui::Layout::open(PitStop.toStdString());
        kvdui::Options options;
        options.port = sim.Port;
        kvdui::Client client = kvdui::Client::connect(options);
        QCOMPARE(client.show(board, {{"lap", "1"}, {"laps", "57"}}), 9);
        QVERIFY(sim.WaitReceived("2d", 9)); // clicks reach only buttons the stand-in has
        QVERIFY(!client.poll_event());
        QVERIFY(client.wait_handle() >= 0);

        sim.Command("click 1 3");
        const auto click = client.wait_event(std::chrono::seconds(5));
        QVERIFY2(click, sim.Lines().constData());
        QVERIFY(click->is_click());
        QCOMPARE(click->id, 3);
        QCOMPARE(click->name, std::string("fuel_plus"));
        QCOMPARE(click->flags, int(KVDUI_CLICK_LEFT));
        QCOMPARE(click->layout, board.handle());

        sim.Command("type 1 8 Max Power");
        const auto typed = client.wait_event(std::chrono::seconds(5));
        QVERIFY(typed);
        QVERIFY(typed->is_text());
        QCOMPARE(typed->name, std::string("driver"));
        QCOMPARE(typed->text, std::string("Max Power"));

        QVERIFY(!client.wait_event(std::chrono::milliseconds(50)));

        // Events wait for the thread that asks: none is handed out while nobody calls.
        sim.Command("click 1 4");
        sim.WaitFor("1 > "); // the stand-in has sent it
        QTest::qWait(200);
        const auto later = client.poll_event();
        QVERIFY(later);
        QCOMPARE(later->name, std::string("fuel_minus"));

        // Close with events pending: they are dropped, the buttons deleted.
        sim.Command("click 1 5");
        sim.Command("click 1 6");
        QTest::qWait(200);
    }

    // The library answers keep-alives while the program does nothing; the stand-in drops a client that
    // stays silent for twice the interval and a second.
    void keepAlivesWhileTheProgramSleeps() {
        Sim sim({QStringLiteral("--keepalive"), QStringLiteral("300")});
        kvdui::Options options;
        options.port = sim.Port;
        kvdui::Client client = kvdui::Client::connect(options);
        QThread::sleep(4); // the stand-in would have dropped a silent client after 1.6 s
        QVERIFY(!client.poll_event());
        kvdui::Layout board = kvdui::Layout::open(PitStop.toStdString());
        QCOMPARE(client.show(board), 9);
        QCOMPARE(sim.WaitFor("1 - "), QByteArray());
    }

    // The simulator closing ends the session with one DISCONNECTED event; later calls fail clearly.
    void simulatorCloses() {
        Sim sim;
        kvdui_error err;
        const kvdui_options options = Options(sim.Port);
        kvdui_client* client = kvdui_connect(&options, &err);
        QVERIFY2(client, err.message);
        kvdui_layout* board = kvdui_layout_open(PitStop.toUtf8().constData(), &err);
        sim.Command("close 1");
        kvdui_event event;
        QCOMPARE(kvdui_wait_event(client, &event, 5000, &err), 1);
        QCOMPARE(event.kind, int(KVDUI_EVENT_DISCONNECTED));
        QCOMPARE(event.id, -1);
        QVERIFY(QByteArray(event.text).size() > 0);
        QCOMPARE(kvdui_wait_event(client, &event, 100, &err), -KVDUI_ERR_DISCONNECTED);
        QCOMPARE(kvdui_show(client, board, nullptr, 0, &err), -KVDUI_ERR_DISCONNECTED);
        QVERIFY2(QByteArray(err.message).startsWith("The connection to the simulator has ended"),
                 err.message);
        kvdui_close(client);
        kvdui_layout_free(board);
    }

    // The C pit-stop example, built in the tree from examples/c with its layout embedded (cross-built and
    // run under Wine on Windows), at the stand-in with a click and typed text from its standard input.
    void cExampleAtTheStandIn() {
#ifndef PIT_STOP_C_EXAMPLE
        QSKIP("the C example is built only where kvdui gen can run at build time");
#else
        Sim sim;
        QProcess example;
        example.start(QString::fromLocal8Bit(PIT_STOP_C_EXAMPLE),
                      {QStringLiteral("-"), QString::number(sim.Port), QStringLiteral("3")});
        QVERIFY(example.waitForStarted(10000));
        QVERIFY2(sim.WaitReceived("2d", 9), sim.Lines().constData());
        QCOMPARE(sim.Received("2d").mid(0, 9),
                 KvduiPackets({QStringLiteral("lap=1"), QStringLiteral("laps=57")}));
        sim.Command("click 1 3");
        sim.Command("type 1 8 Max Power");
        QVERIFY(example.waitForFinished(15000));
        QCOMPARE(example.exitCode(), 0);
        const QByteArray out = example.readAllStandardOutput().replace("\r\n", "\n");
        QVERIFY2(out.contains("click fuel_plus: fuel +5 L\n"), out.constData());
        QVERIFY2(out.contains("typed into driver: Max Power\n"), out.constData());
        // The lap moved on at least once, and the board was hidden at the end. The stand-in prints what
        // it received on its own time, so the hide may come after the example has ended.
        QVERIFY2(sim.WaitReceived("2d", 10), sim.Lines().constData());
        QVERIFY2(sim.WaitReceived("2a", 1), sim.Lines().constData());
#endif
    }

    // Clients on different threads at the same time, each with its own stand-in connection.
    void clientsOnTwoThreads() {
        Sim sim;
        const kvdui::Layout board = kvdui::Layout::open(PitStop.toStdString());
        std::atomic<int> shown{0};
        const auto run = [&](int target) {
            kvdui::Options options;
            options.port = sim.Port;
            kvdui::Client client = kvdui::Client::connect(options);
            for (int lap = 0; lap < 20; ++lap) {
                client.show(board, {{"lap", std::to_string(lap)}}, target);
                shown += client.set(board, "laps", std::to_string(lap));
            }
            client.hide(board);
        };
        std::thread first(run, 0), second(run, 1);
        first.join();
        second.join();
        QCOMPARE(shown.load(), 2 * 20);
    }
};

QTEST_GUILESS_MAIN(TstRuntime)
#include "tst_runtime.moc"
