// Hostile and broken peers, with received data processed on the client's thread and on the reader
// thread.

#include "LinkTestSystem.h"
#include "LinkTestUtil.h"
#include "TestPeer.h"
#include "link/KvdUI.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr int Timeout = 5000;

struct Client {
    Client(TestPeer& peer, bool synchronized) {
        dromo.SetPort(peer.Port());
        dromo.SetSynchronized(synchronized);
        dromo.OnError = [this](QObject*, const QString& message) { errors.Append(message); };
        dromo.OnConnect = [this](QObject*, DR_VER&) { log.Append(QStringLiteral("connect")); };
        dromo.OnDisconnect = [this](QObject*) { log.Append(QStringLiteral("disconnect")); };
        dromo.OnPacket = [this](QObject*, quint8 type, const TKvdPacket& packet) {
            log.Append(QStringLiteral("packet:%1:%2").arg(type).arg(packet.Length()));
        };
    }
    // Waits while handling events, so that synchronized processing goes on.
    bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, Timeout); }
    // Waits until the log holds that line once.
    bool WaitForLine(const QString& line) {
        return WaitFor([&] { return log.Count(line) == 1; });
    }
    // Activates the client and waits until it reports the connection (the peer answers its init).
    bool Connect() {
        dromo.SetActive(true);
        return WaitForLine(QStringLiteral("connect"));
    }
    // Has the peer leave the init unanswered, activates the client and waits until the init reached the
    // peer.
    bool ActivateUnanswered(TestPeer& peer) {
        peer.SetAnswerInit(false);
        dromo.SetActive(true);
        return peer.WaitForPackets(1, Timeout);
    }
    // Inactive, and Close has run to its end (it may run on the reader thread).
    bool WaitInactive() {
        return WaitFor([&] {
            return !dromo.Active() && dromo.Handle() == -1 && log.Count(QStringLiteral("disconnect")) > 0;
        });
    }

    // The logs outlive the client: its destruction may still report through the handlers.
    EventLog log;
    EventLog errors;
    TKvdDromo dromo;
};

} // namespace

class TestLinkFaults : public QObject {
    Q_OBJECT

private slots:
    // Every case runs twice: packets handled on the client's thread and on the reader thread.
    void initTestCase_data() { AddThreadRows(); }
    void randomBytes();
    void zeroSizeByte();
    void oversizeSizeByte();
    void versionOneBytePerReceive();
    void vanishesMidPacket();
    void silentPeerThenUserCloses();
    void peerClosesAndRefusesWhatFollows();
    void peerThatNeverReads();
    void connectThatNeverCompletes();
};

void TestLinkFaults::randomBytes() {
    QFETCH_GLOBAL(bool, synchronized);
    for (quint32 seed = 1; seed <= 4; ++seed) {
        TestPeer peer;
        Client client(peer, synchronized);
        QVERIFY(client.Connect());
        QRandomGenerator random(seed);
        QByteArray noise(64 * 1024, '\0');
        for (char& byte : noise)
            byte = char(random.bounded(1, 256)); // no zero byte: framing has to survive every size byte
        peer.Send(noise);
        peer.CloseConnection();
        QVERIFY(client.WaitInactive());
        QCOMPARE(client.log.Count(QStringLiteral("disconnect")), 1);
        for (const QString& error : client.errors.Lines())
            QVERIFY2(error.startsWith(QStringLiteral("[127.0.0.1:")), qPrintable(error));
    }
}

void TestLinkFaults::zeroSizeByte() {
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    QVERIFY(client.Connect());
    peer.Send(TestPeer::Tiny(0) + ByteList({0, 3, 0, 0}) + TestPeer::Click(1, 0));
    // The fatal framing error closes the socket; the reader's end then takes the link down.
    QVERIFY(client.WaitInactive());
    QCOMPARE(client.errors.Lines(), QStringList{QStringLiteral("FATAL: Zero packet len detected!")});
    QCOMPARE(client.log.Count(QStringLiteral("packet:3:4")), 1);
    QCOMPARE(client.log.Count(QStringLiteral("packet:46:8")), 0);
    QCOMPARE(client.log.Count(QStringLiteral("disconnect")), 1);
    QVERIFY(peer.WaitForEnded(1, Timeout));
}

void TestLinkFaults::oversizeSizeByte() {
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    QVERIFY(client.Connect());
    // Claims 1020 bytes and delivers 10: the client waits for the rest without delivering anything.
    QByteArray big(10, 'x');
    big[0] = char(255);
    big[1] = 11;
    peer.Send(big);
    QTest::qWait(100);
    QVERIFY(client.dromo.Active());
    QCOMPARE(client.log.Count(QStringLiteral("packet:11:1020")), 0);
    // The rest arrives: one console packet of 1020 bytes.
    peer.Send(QByteArray(1010, 'y'));
    QVERIFY(client.WaitForLine(QStringLiteral("packet:11:1020")));
    peer.CloseConnection();
    QVERIFY(client.WaitInactive());
}

void TestLinkFaults::versionOneBytePerReceive() {
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    QVERIFY(client.ActivateUnanswered(peer));
    QVERIFY(peer.SendBytewise(TestPeer::Version() + TestPeer::Tiny(0), 1));
    QVERIFY(client.WaitForLine(QStringLiteral("packet:3:4")));
    QCOMPARE(client.log.Lines(), (QStringList{"connect", "packet:2:20", "packet:3:4"}));
    QVERIFY(peer.WaitForPackets(3, Timeout));
    QCOMPARE(client.errors.Lines(), QStringList());
}

void TestLinkFaults::vanishesMidPacket() {
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    QVERIFY(client.Connect());
    peer.Send(TestPeer::Typed(4, "half").left(50));
    peer.CloseConnection();
    QVERIFY(client.WaitInactive());
    QCOMPARE(client.log.Count(QStringLiteral("disconnect")), 1);
    QCOMPARE(client.errors.Lines().filter(QStringLiteral("FATAL")), QStringList());
    // The abandoned half packet does not survive into the next connection.
    client.log.Clear();
    QVERIFY(client.Connect());
    peer.Send(TestPeer::Tiny(0));
    QVERIFY(client.WaitForLine(QStringLiteral("packet:3:4")));
    QCOMPARE(client.log.Lines().filter(QStringLiteral("packet:47")), QStringList());
}

void TestLinkFaults::silentPeerThenUserCloses() {
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    QVERIFY(client.ActivateUnanswered(peer));
    QTest::qWait(50);
    QVERIFY(client.dromo.Active());
    QCOMPARE(client.log.Lines(), QStringList());
    client.dromo.SetActive(false);
    QCOMPARE(client.dromo.Handle(), -1);
    QCOMPARE(client.log.Lines(), (QStringList{"packet:0:4", "disconnect"}));
    QTest::qWait(50); // the reader's end changes nothing more
    QCOMPARE(client.log.Lines().size(), 2);
    QVERIFY(peer.WaitForEnded(1, Timeout));
}

void TestLinkFaults::peerClosesAndRefusesWhatFollows() {
    // The peer closes; what the client still sends meets a reset. Those sends fail while the link is
    // going down, and that ending is reported once as a disconnection, never as an error after it.
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    client.dromo.OnDisconnect = [&client](QObject*) {
        client.log.Append(QStringLiteral("disconnect"));
        // The connection is not released yet: these reach the writer, the second after the reset.
        const QByteArray tiny = TestPeer::Tiny(0);
        for (int i = 0; i < 2; ++i) {
            client.dromo.SendRaw(tiny.constData(), int(tiny.size()));
            QThread::msleep(150);
        }
    };
    QVERIFY(client.Connect());
    peer.CloseConnection();
    QVERIFY(client.WaitInactive());
    QTest::qWait(100);
    QCOMPARE(client.errors.Lines(), QStringList());
    QCOMPARE(client.log.Count(QStringLiteral("disconnect")), 1);
}

void TestLinkFaults::peerThatNeverReads() {
    // A peer that stops taking data would block every send; after the send timeout the link is taken
    // down instead of hanging the client's thread.
    QFETCH_GLOBAL(bool, synchronized);
    TestPeer peer;
    Client client(peer, synchronized);
    client.dromo.SetSendTimeout(200);
    TKvdUI ui;
    ui.SetDromo(&client.dromo);
    QVERIFY(client.Connect());
    peer.SetReading(false);
    QString layout = QStringLiteral("<ui>");
    for (int i = 0; i < 256; ++i)
        layout += QStringLiteral("<element id=\"%1\" text=\"%2\"/>").arg(i).arg(QString(200, 'w'));
    layout += QStringLiteral("</ui>");
    // Far more than the outgoing queue holds; the writer gives up once its send has timed out.
    for (int round = 0; round < 2000 && client.dromo.Handle() != -1; ++round)
        ui.ShowLayout(layout);
    QVERIFY(client.WaitFor([&] { return client.dromo.Handle() == -1; }));
    QVERIFY(client.WaitInactive());
    const QStringList errors = client.errors.Lines();
    QVERIFY(!errors.isEmpty());
    QCOMPARE(errors.first(), QStringLiteral("[127.0.0.1:%1] %2").arg(peer.Port()).arg(TimedOutText()));
    QCOMPARE(client.log.Count(QStringLiteral("disconnect")), 1);
}

void TestLinkFaults::connectThatNeverCompletes() {
    // A listener whose backlog is full drops further connection requests, so a connect to it never
    // completes; the client gives up after its connect timeout instead of blocking its thread.
    // No packet ever arrives, so both rows must give up in the same way.
    QFETCH_GLOBAL(bool, synchronized);
    StalledListener listener;
    QVERIFY(listener.Ready());
    EventLog errors;
    TKvdDromo client;
    client.SetSynchronized(synchronized);
    client.OnError = [&](QObject*, const QString& message) { errors.Append(message); };
    client.SetPort(listener.Port());
    client.SetConnectTimeout(300);
    client.SetActive(true);
    QVERIFY(!client.Active());
    QCOMPARE(client.Handle(), -1);
    QCOMPARE(errors.Lines(),
             QStringList{QStringLiteral("[127.0.0.1:%1] %2").arg(listener.Port()).arg(TimedOutText())});
}

QTEST_GUILESS_MAIN(TestLinkFaults)
#include "tst_linkfaults.moc"
