// Shutdown races, repeated many times against the test peer: the user switching the link off while the
// peer closes it, and the client (or a subscriber) destroyed while the reader thread waits for the
// client's thread. Run under ThreadSanitizer and AddressSanitizer as well; every loop is bounded in
// count and time.

#include "LinkTestSystem.h"
#include "LinkTestUtil.h"
#include "TestPeer.h"
#include "link/KvdUI.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <thread>

namespace {

constexpr int Timeout = 10000;
constexpr int Cycles = 200;
constexpr qint64 Budget = 30000; // ms per test row; sanitizer builds are slow

// Runs action on a helper thread at (nearly) the same moment as the caller goes on.
class Simultaneously {
public:
    explicit Simultaneously(std::function<void()> action)
        : m_thread([this, action = std::move(action)] {
              while (!m_go.load())
                  std::this_thread::yield();
              action();
          }) {}
    void Go() { m_go = true; }
    ~Simultaneously() {
        m_go = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_go{false};
    std::thread m_thread;
};

void Wire(TKvdDromo& client, EventLog& log, EventLog& errors) {
    client.OnConnect = [&log](QObject*, DR_VER&) { log.Append(QStringLiteral("connect")); };
    client.OnDisconnect = [&log](QObject*) { log.Append(QStringLiteral("disconnect")); };
    client.OnPacket = [&log](QObject*, quint8 type, const TKvdPacket&) {
        if (type != Dromo::DR_TINY)
            log.Append(QStringLiteral("packet:%1").arg(type));
    };
    client.OnError = [&errors](QObject*, const QString& message) { errors.Append(message); };
}

QByteArray Burst(int count) {
    QByteArray burst;
    for (int i = 0; i < count; ++i)
        burst += i % 2 ? TestPeer::Tiny(0) : TestPeer::Click(quint8(i), 0);
    return burst;
}

} // namespace

class TestLinkStress : public QObject {
    Q_OBJECT

private slots:
    void userAndPeerClose_data() { AddThreadRows(); }
    void userAndPeerClose();
    void destroyWhileReaderWaits_data() { AddThreadRows(); }
    void destroyWhileReaderWaits();
    void destroyWithChunkPending();
    void peerStopsReading_data() { AddThreadRows(); }
    void peerStopsReading();
    void destroyWhileWriterWaitsForPeer();
};

void TestLinkStress::userAndPeerClose() {
    QFETCH(bool, synchronized);
    TestPeer peer;
    peer.SetKeepAlive(1);
    EventLog log, errors;
    TKvdDromo client;
    client.SetPort(peer.Port());
    client.SetSynchronized(synchronized);
    Wire(client, log, errors);
    QRandomGenerator random(42);
    QElapsedTimer elapsed;
    elapsed.start();
    int cycle = 0;
    for (; cycle < Cycles && elapsed.elapsed() < Budget; ++cycle) {
        client.SetActive(true);
        QVERIFY(QTest::qWaitFor([&] { return log.Count(QStringLiteral("connect")) == cycle + 1; }, Timeout));
        peer.Send(Burst(40));
        // Keep this thread away from its events for a moment, so that a synchronized reader is
        // blocked waiting for it when the link goes down.
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(0, 3000)));
        {
            Simultaneously peerCloses([&] { peer.CloseConnection(); });
            peerCloses.Go();
            if (random.bounded(2))
                std::this_thread::yield();
            client.SetActive(false);
        }
        // Close may still be running on the reader thread when Active already reads false.
        QVERIFY(QTest::qWaitFor(
            [&] {
                return !client.Active() && client.Handle() == -1 &&
                       log.Count(QStringLiteral("disconnect")) == cycle + 1;
            },
            Timeout));
    }
    QVERIFY(cycle >= 10);
    QTest::qWait(50);
    // One Close per connection, whoever came first.
    QCOMPARE(log.Count(QStringLiteral("disconnect")), cycle);
    QCOMPARE(log.Count(QStringLiteral("connect")), cycle);
    QVERIFY(peer.WaitForEnded(cycle, Timeout));
    for (const QString& error : errors.Lines())
        QVERIFY2(error.startsWith(QStringLiteral("[127.0.0.1:%1] ").arg(peer.Port())), qPrintable(error));
}

void TestLinkStress::destroyWhileReaderWaits() {
    QFETCH(bool, synchronized);
    TestPeer peer;
    peer.SetKeepAlive(1);
    EventLog errors;
    QRandomGenerator random(7);
    QElapsedTimer elapsed;
    elapsed.start();
    int cycle = 0;
    for (; cycle < Cycles && elapsed.elapsed() < Budget; ++cycle) {
        EventLog log;
        QObject owner;
        auto* client = new TKvdDromo(&owner);
        client->SetPort(peer.Port());
        client->SetSynchronized(synchronized);
        Wire(*client, log, errors);
        auto* ui = new TKvdUI(&owner);
        ui->SetDromo(client);
        ui->OnEvent = [&log](QObject*, quint8, quint8, const QString&) {
            log.Append(QStringLiteral("event"));
        };
        client->SetActive(true);
        QVERIFY(QTest::qWaitFor([&] { return log.Count(QStringLiteral("connect")) == 1; }, Timeout));
        peer.Send(Burst(60));
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(0, 3000)));
        const int variant = random.bounded(4);
        {
            // 0: the client alone; 1: the peer closes at the same moment; 2: the subscriber goes first,
            // while the peer closes; 3: the link was switched off just before.
            Simultaneously peerCloses([&] {
                if (variant == 1 || variant == 2)
                    peer.CloseConnection();
            });
            peerCloses.Go();
            if (variant == 2)
                delete ui;
            if (variant == 3)
                client->SetActive(false);
            delete client;
        }
        const QStringList after = log.Lines();
        // Nothing of the destroyed client may run any more, on any thread.
        QTest::qWait(random.bounded(0, 5));
        QCOMPARE(log.Lines(), after);
    }
    QVERIFY(cycle >= 10);
    QVERIFY(peer.WaitForEnded(cycle, Timeout));
    for (const QString& error : errors.Lines())
        QVERIFY2(error.startsWith(QStringLiteral("[127.0.0.1:%1] ").arg(peer.Port())), qPrintable(error));
}

void TestLinkStress::destroyWithChunkPending() {
    // The reader has received a click and waits for this thread, which does not handle its events
    // before destroying the client: the click is never handled and nothing hangs.
    TestPeer peer;
    EventLog log, errors;
    QObject owner;
    auto* client = new TKvdDromo(&owner);
    client->SetPort(peer.Port());
    Wire(*client, log, errors);
    auto* ui = new TKvdUI(&owner);
    ui->SetDromo(client);
    ui->OnEvent = [&log](QObject*, quint8, quint8, const QString&) { log.Append(QStringLiteral("event")); };
    client->SetActive(true);
    QVERIFY(QTest::qWaitFor([&] { return log.Count(QStringLiteral("connect")) == 1; }, Timeout));
    peer.Send(TestPeer::Click(1, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    delete client;
    QTest::qWait(20);
    QCOMPARE(log.Lines(), (QStringList{"connect", "packet:2"}));
    QVERIFY(peer.WaitForEnded(1, Timeout));
    QCOMPARE(errors.Lines(), QStringList());
}

void TestLinkStress::peerStopsReading() {
    // The peer keeps sending clicks but stops reading. The sending thread never waits for it: the
    // writer gives the connection up after the send timeout (or when its queue overflows), with one
    // error line, and nothing received afterwards is delivered.
    QFETCH(bool, synchronized);
    TestPeer peer;
    EventLog log, errors;
    TKvdDromo client;
    client.SetPort(peer.Port());
    client.SetSynchronized(synchronized);
    client.SetSendTimeout(300);
    Wire(client, log, errors);
    const auto testThread = std::this_thread::get_id();
    std::atomic<bool> errorOnTestThread{false};
    client.OnError = [&](QObject*, const QString& message) {
        errors.Append(message);
        log.Append(QStringLiteral("error"));
        if (std::this_thread::get_id() == testThread)
            errorOnTestThread = true;
    };
    TKvdUI ui;
    ui.SetDromo(&client);
    QString layout = QStringLiteral("<ui>");
    for (int i = 0; i < 256; ++i)
        layout += QStringLiteral("<element id=\"%1\" text=\"%2\"/>").arg(i).arg(QString(200, 'w'));
    layout += QStringLiteral("</ui>");

    client.SetActive(true);
    QVERIFY(QTest::qWaitFor([&] { return log.Count(QStringLiteral("connect")) == 1; }, Timeout));
    // While the peer reads, runs of packets arrive whole and in order.
    for (int round = 0; round < 3; ++round)
        ui.ShowLayout(layout);
    QVERIFY(peer.WaitForPackets(2 + 3 * 256, Timeout));
    int next = 0;
    for (const QByteArray& packet : peer.PacketBytes()) {
        if (quint8(packet.at(1)) != Dromo::DR_BTN)
            continue;
        QCOMPARE(packet.size(), 216);
        QCOMPARE(quint8(packet.at(4)), quint8(next++ % 256));
    }
    QCOMPARE(next, 3 * 256);

    peer.SetReading(false);
    QElapsedTimer elapsed;
    elapsed.start();
    int round = 0;
    for (; round < 5000 && elapsed.elapsed() < Budget && client.Handle() != -1; ++round) {
        ui.ShowLayout(layout);
        peer.Send(TestPeer::Click(quint8(round), 0));
        QCoreApplication::processEvents();
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return !client.Active() && client.Handle() == -1 && log.Count(QStringLiteral("disconnect")) == 1;
        },
        Timeout));
    for (int i = 0; i < 20; ++i) { // clicks still on their way are dropped
        peer.Send(TestPeer::Click(quint8(i), 0));
        QTest::qWait(5);
    }
    QCOMPARE(errors.Lines(),
             QStringList{QStringLiteral("[127.0.0.1:%1] %2").arg(peer.Port()).arg(TimedOutText())});
    QVERIFY(!errorOnTestThread);
    const QStringList lines = log.Lines();
    QCOMPARE(lines.mid(lines.indexOf(QStringLiteral("error"))),
             (QStringList{"error", "packet:0", "disconnect"}));
    QCOMPARE(log.Count(QStringLiteral("disconnect")), 1);
}

void TestLinkStress::destroyWhileWriterWaitsForPeer() {
    // The peer stops reading and the send timeout is far away, so the writer thread sits in a send.
    // Destroying the client must neither wait for that send nor leave the thread behind it.
    TestPeer peer;
    const int threadsBefore = ThreadsOfProcess();
    QVERIFY(threadsBefore > 1); // the peer's thread at least
    {
        EventLog log, errors;
        TKvdDromo client;
        client.SetPort(peer.Port());
        client.SetSendTimeout(600000);
        Wire(client, log, errors);
        TKvdUI ui;
        ui.SetDromo(&client);
        client.SetActive(true);
        QVERIFY(QTest::qWaitFor([&] { return log.Count(QStringLiteral("connect")) == 1; }, Timeout));
        peer.SetReading(false);
        // A small send buffer, so that the loopback buffers surely fill before the outgoing queue does.
        const int sendBuffer = 4096;
        QVERIFY(SetSendBufferSize(client.Handle(), sendBuffer));
        QString layout = QStringLiteral("<ui>");
        for (int i = 0; i < 256; ++i)
            layout += QStringLiteral("<element id=\"%1\" text=\"%2\"/>").arg(i).arg(QString(200, 'w'));
        layout += QStringLiteral("</ui>");
        // 15 runs of 55 KiB: more than the loopback buffers hold, less than the outgoing queue.
        for (int round = 0; round < 15; ++round) {
            ui.ShowLayout(layout);
            QTest::qWait(5);
        }
        QVERIFY(client.Active());
        QCOMPARE(errors.Lines(), QStringList());
    }
    // Every thread the client started has been joined (bounded wait for the reader's last steps).
    QVERIFY(QTest::qWaitFor([&] { return ThreadsOfProcess() == threadsBefore; }, 2000));
}

QTEST_GUILESS_MAIN(TestLinkStress)
#include "tst_linkstress.moc"
