// The protocol client and the button presentation against the loopback test peer.

#include "LinkTestUtil.h"
#include "TestPeer.h"
#include "link/KvdUI.h"

#include <QtTest>

namespace {

constexpr int Timeout = 5000;

// A client and a presentation owned by one owner, connected to a test peer, logging every event.
struct Rig {
    explicit Rig(TestPeer& peer) {
        client = new TKvdDromo(&owner);
        client->SetPort(peer.Port());
        client->SetIName(QStringLiteral("tester"));
        ui = new TKvdUI(&owner);
        ui->SetDromo(client);
        subscriber = new RecordingSubscriber(log, &owner);
        subscriber->SetDromo(client);
        client->OnConnect = [this](QObject* sender, DR_VER& version) {
            log.Append(QStringLiteral("connect:%1 %2").arg(version.TextAt12(), version.TextAt4()));
            senders.append(sender);
        };
        client->OnDisconnect = [this](QObject*) {
            log.Append(QStringLiteral("disconnect"));
            disconnectOnMain = QThread::currentThread() == owner.thread();
        };
        client->OnPacket = [this](QObject*, quint8 type, const TKvdPacket& packet) {
            log.Append(packet.Type() == type ? QStringLiteral("packet:%1").arg(type)
                                             : QStringLiteral("bad type"));
        };
        client->OnConsole = [this](QObject*, const QString& text, bool chat) {
            log.Append(QStringLiteral("console:%1:%2").arg(chat).arg(text));
        };
        client->OnError = [this](QObject*, const QString& message) { errors.Append(message); };
        ui->OnEvent = [this](QObject*, quint8 id, quint8 flags, const QString& text) {
            log.Append(QStringLiteral("event:%1:%2:%3").arg(id).arg(flags).arg(text));
        };
    }

    bool Connect(TestPeer& peer) {
        client->SetActive(true);
        return client->Active() &&
               QTest::qWaitFor([&] { return log.Lines().contains(QStringLiteral("packet:2")); }, Timeout) &&
               peer.WaitForPackets(2, Timeout);
    }

    // Declared before the owner, so that they outlive the client, whose destruction may still report.
    EventLog log;
    EventLog errors;
    QList<QObject*> senders;
    std::atomic<bool> disconnectOnMain{false};
    QObject owner;
    TKvdDromo* client;
    TKvdUI* ui;
    RecordingSubscriber* subscriber;
};

// After the client took the link down itself: the peer's connection ended, and the last it got was the
// client's close notice (a tiny packet with the close code).
void CheckPeerGotClose(const TestPeer& peer) {
    QVERIFY(peer.WaitForEnded(1, Timeout));
    QCOMPARE(peer.PacketBytes().last(), ByteList({1, 3, 0, 2}));
}

} // namespace

class TestKvdDromo : public QObject {
    Q_OBJECT

private slots:
    void activationSendsOnlyInit();
    void handshake();
    void keepAliveAnswered();
    void console_data();
    void console();
    void buttonReports();
    void deactivationOrder();
    void sameValueDoesNothing();
    void destroyActiveClient();
    void peerCloses();
    void failedConnect_data();
    void failedConnect();
    void shortDottedAddress();
    void sendWhileInactive();
    void showLayoutOnWire();
    void reconnectKeepsNewLink();
    void subscribersFollowClients();
    void handlerFailures();
};

void TestKvdDromo::activationSendsOnlyInit() {
    TestPeer peer;
    peer.SetAnswerInit(false);
    Rig rig(peer);
    rig.client->SetActive(true);
    QVERIFY(rig.client->Active());
    QVERIFY(rig.client->Handle() != -1);
    QVERIFY(peer.WaitForPackets(1, Timeout));
    QTest::qWait(100); // nothing else may follow while the peer says nothing
    QCOMPARE(peer.PacketBytes(), QList<QByteArray>{ExpectedInit("tester")});
    QCOMPARE(rig.log.Lines(), QStringList{QStringLiteral("changed:1")});
    // A peer that never sends its version leaves the client active without OnConnect.
    QVERIFY(rig.client->Active());
}

void TestKvdDromo::handshake() {
    TestPeer peer;
    Rig rig(peer);
    rig.log.Append(QStringLiteral("start"));
    QVERIFY(rig.Connect(peer));
    QCOMPARE(rig.log.Lines(), (QStringList{"start", "changed:1", "connect:KV 0.9", "packet:2", "sub:2"}));
    QCOMPARE(rig.senders, QList<QObject*>{rig.client});
    const auto packets = peer.PacketBytes();
    QCOMPARE(packets.size(), 2);
    QCOMPARE(packets[1], ByteList({2, 4, 1, 7, 30, 0, 0, 0}));
    // A second version packet repeats OnConnect and the interval packet.
    QVERIFY(peer.Send(TestPeer::Version("1.0", "SIM")));
    QVERIFY(peer.WaitForPackets(3, Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.Count(QStringLiteral("connect:SIM 1.0")), 1, Timeout);
    QCOMPARE(peer.PacketBytes().at(2), ByteList({2, 4, 1, 7, 30, 0, 0, 0}));
    QCOMPARE(rig.errors.Lines(), QStringList());
}

void TestKvdDromo::keepAliveAnswered() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    rig.log.Clear();
    QVERIFY(peer.Send(TestPeer::Tiny(0) + TestPeer::Tiny(9)));
    QVERIFY(peer.WaitForPackets(4, Timeout));
    QCOMPARE(peer.PacketBytes().mid(2), (QList<QByteArray>{ByteList({1, 3, 0, 0}), ByteList({1, 3, 0, 0})}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.Lines(), (QStringList{"packet:3", "sub:3", "packet:3", "sub:3"}),
                              Timeout);
}

void TestKvdDromo::console_data() {
    QTest::addColumn<quint8>("chatByte");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("chat") << quint8(1) << QByteArray("hello") << QStringLiteral("console:1:hello");
    QTest::newRow("message") << quint8(0) << QByteArray("note") << QStringLiteral("console:0:note");
    QTest::newRow("other value is no chat") << quint8(2) << QByteArray("x") << QStringLiteral("console:0:x");
    QTest::newRow("128 bytes fill the area")
        << quint8(0) << QByteArray(128, 'c') << QStringLiteral("console:0:") + QString(128, 'c');
}

void TestKvdDromo::console() {
    QFETCH(quint8, chatByte);
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    QByteArray record = TestPeer::Console(text, chatByte);
    if (text.size() == 128)
        record[136] = 'z'; // a non-zero byte right after the area must not join the text
    QVERIFY(peer.Send(record));
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.Count(expected), 1, Timeout);
    QCOMPARE(rig.log.Count(QStringLiteral("packet:11")), 1);
}

void TestKvdDromo::buttonReports() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    QVERIFY(peer.Send(TestPeer::Click(7, 2) + TestPeer::Typed(2, "abc")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.Count(QStringLiteral("event:2:0:abc")), 1, Timeout);
    QCOMPARE(rig.log.Count(QStringLiteral("event:7:2:")), 1);
}

void TestKvdDromo::deactivationOrder() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    rig.log.Clear();
    rig.client->SetActive(false);
    QVERIFY(!rig.client->Active());
    QCOMPARE(rig.client->Handle(), -1);
    QCOMPARE(rig.log.Lines(), (QStringList{"packet:0", "sub:0", "disconnect", "changed:0"}));
    QVERIFY(rig.disconnectOnMain);
    CheckPeerGotClose(peer);
    QCOMPARE(peer.PacketBytes().size(), 3);
    QTest::qWait(50); // the reader's end changes nothing more
    QCOMPARE(rig.log.Count(QStringLiteral("disconnect")), 1);
    QCOMPARE(rig.errors.Lines(), QStringList());
}

void TestKvdDromo::sameValueDoesNothing() {
    TestPeer peer;
    Rig rig(peer);
    rig.client->SetActive(false);
    QCOMPARE(rig.log.Lines(), QStringList());
    QVERIFY(rig.Connect(peer));
    rig.client->SetActive(true);
    QTest::qWait(50);
    QCOMPARE(peer.Accepted(), 1);
    QCOMPARE(peer.PacketBytes().size(), 2);
    QCOMPARE(rig.log.Count(QStringLiteral("changed:1")), 1);
}

void TestKvdDromo::destroyActiveClient() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    rig.log.Clear();
    delete rig.client;
    QCOMPARE(rig.log.Lines(), QStringList());
    QCOMPARE(rig.ui->Dromo(), nullptr);
    QCOMPARE(rig.subscriber->Dromo(), nullptr);
    CheckPeerGotClose(peer);
    // Without a client the presentation sends nothing and raises nothing.
    rig.ui->ShowLayout(QStringLiteral("<ui><element id=\"1\"/></ui>"));
    rig.ui->DeleteButtons(1, 0, 0, 0);
}

void TestKvdDromo::peerCloses() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    rig.log.Clear();
    peer.CloseConnection();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.client->Active(), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.Lines(), (QStringList{"packet:0", "sub:0", "disconnect", "changed:0"}),
                              Timeout);
    // The reader thread took the link down, so OnDisconnect came from it.
    QVERIFY(!rig.disconnectOnMain);
    QCOMPARE(rig.client->Handle(), -1);
    // Reactivating works after the peer's close.
    rig.log.Clear();
    QVERIFY(rig.Connect(peer));
    QCOMPARE(peer.Accepted(), 2);
}

void TestKvdDromo::failedConnect_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("closedPort");
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused") << QStringLiteral("127.0.0.1") << true << RefusedText();
    QTest::newRow("host name is not looked up")
        << QStringLiteral("localhost") << false << AddressNotAvailableText();
    QTest::newRow("empty address") << QString() << false << AddressNotAvailableText();
    QTest::newRow("trailing garbage") << QStringLiteral("127.0.0.1x") << false << AddressNotAvailableText();
}

void TestKvdDromo::failedConnect() {
    QFETCH(QString, address);
    QFETCH(bool, closedPort);
    QFETCH(QString, reason);
    TestPeer peer; // listening, but a host name never reaches it
    Rig rig(peer);
    const int port = closedPort ? ClosedPort() : peer.Port();
    rig.client->SetPort(port);
    rig.client->SetAddress(address);
    rig.client->SetActive(true);
    QVERIFY(!rig.client->Active());
    QCOMPARE(rig.client->Handle(), -1);
    QCOMPARE(rig.errors.Lines(),
             QStringList{QStringLiteral("[%1:%2] %3").arg(address).arg(port).arg(reason)});
    // The system's message is one line of text, without the line break some systems end it with.
    QVERIFY(!reason.isEmpty() && !reason.contains(QLatin1Char('\n')) && !reason.contains(QLatin1Char('\r')));
    QTest::qWait(20);
    QCOMPARE(rig.log.Lines(), QStringList()); // neither OnDisconnect nor ConnectionChanged
    QCOMPARE(peer.Accepted(), 0);
}

void TestKvdDromo::shortDottedAddress() {
    // The address is read as the C library reads dotted IPv4, short forms included, on every system.
    TestPeer peer;
    Rig rig(peer);
    rig.client->SetAddress(QStringLiteral("127.1"));
    QVERIFY(rig.Connect(peer));
    QCOMPARE(rig.errors.Lines(), QStringList());
}

void TestKvdDromo::sendWhileInactive() {
    TestPeer peer;
    Rig rig(peer);
    QCOMPARE(rig.client->SendTiny(0, 0), 0);
    QByteArray packet(8, '\0');
    QCOMPARE(rig.client->Send(42, packet.data(), 8), 0);
    QCOMPARE(packet, QByteArray(8, '\0')); // not even stamped
    rig.ui->ShowLayout(QStringLiteral("<ui><element id=\"1\"/></ui>"));
    QCOMPARE(rig.errors.Lines(), QStringList());
}

void TestKvdDromo::showLayoutOnWire() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    peer.ClearPackets();
    rig.ui->ShowLayout(
        QStringLiteral("<ui><element id=\"1\" left=\"100\" top=\"50\" width=\"60\" height=\"30\" "
                       "bstyle=\"40\" text=\"Go\"><element id=\"2\"/></element></ui>"),
        {}, 3);
    rig.ui->DeleteButtons(0, 5, 5, 0);
    rig.ui->DeleteButtons(1, 0, 0, 0);
    QVERIFY(peer.WaitForPackets(4, Timeout));
    QCOMPARE(peer.PacketBytes(),
             (QList<QByteArray>{ByteList({4, 45, 1, 3, 1, 0, 40, 0, 50, 25, 30, 15, 'G', 'o', 0, 0}),
                                ByteList({4, 45, 1, 3, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                ByteList({2, 42, 1, 0, 0, 5, 5, 0}), ByteList({2, 42, 1, 1, 0, 0, 0, 0})}));
    // A malformed layout raises and sends nothing.
    QVERIFY_THROWS_EXCEPTION(EKvdLink, rig.ui->ShowLayout(QStringLiteral("<ui><element id=\"9\"/>")));
    QTest::qWait(50);
    QCOMPARE(peer.PacketBytes().size(), 4);
}

void TestKvdDromo::reconnectKeepsNewLink() {
    // The first connection's reader ends after the second connection is up; it must not take the new
    // connection down.
    TestPeer peer;
    Rig rig(peer);
    for (int round = 0; round < 5; ++round) {
        rig.client->SetActive(true);
        rig.client->SetActive(false);
    }
    QVERIFY(rig.Connect(peer));
    QTest::qWait(100);
    QVERIFY(rig.client->Active());
    peer.ClearPackets();
    QVERIFY(peer.Send(TestPeer::Tiny(0)));
    QVERIFY(peer.WaitForPackets(1, Timeout));
    QCOMPARE(peer.Packets().first().Connection, 5);
    QCOMPARE(rig.log.Count(QStringLiteral("disconnect")), 5);
}

void TestKvdDromo::subscribersFollowClients() {
    EventLog log;
    QObject ownerA, ownerB;
    auto* a = new TKvdDromo(&ownerA);
    auto* b = new TKvdDromo(&ownerB);
    auto* first = new RecordingSubscriber(log, &ownerA);
    auto* second = new RecordingSubscriber(log, &ownerA);
    first->SetDromo(a);
    second->SetDromo(a);
    first->SetDromo(a); // unchanged: still once
    QCOMPARE(a->Subscribers(), (QList<TKvdDromoSubscriber*>{first, second}));
    first->SetDromo(b);
    QCOMPARE(a->Subscribers(), QList<TKvdDromoSubscriber*>{second});
    QCOMPARE(b->Subscribers(), QList<TKvdDromoSubscriber*>{first});
    first->SetDromo(nullptr);
    QCOMPARE(b->Subscribers(), QList<TKvdDromoSubscriber*>());
    first->SetDromo(a);
    delete second;
    QCOMPARE(a->Subscribers(), QList<TKvdDromoSubscriber*>{first});
    // Broadcast reaches the subscribers in order of subscription.
    auto* third = new RecordingSubscriber(log, &ownerB);
    third->SetDromo(a);
    const QByteArray tiny = ByteList({1, 3, 0, 0});
    a->Broadcast(TKvdPacket(reinterpret_cast<const quint8*>(tiny.constData()), 4));
    QCOMPARE(log.Lines(), (QStringList{"sub:3", "sub:3"}));
    delete a;
    QCOMPARE(first->Dromo(), nullptr);
    QCOMPARE(third->Dromo(), nullptr);
    delete b;
}

void TestKvdDromo::handlerFailures() {
    TestPeer peer;
    Rig rig(peer);
    QVERIFY(rig.Connect(peer));
    // A failing packet handler is reported; the keep-alive was answered and the link stays up.
    rig.client->OnPacket = [](QObject*, quint8, const TKvdPacket&) {
        throw EKvdLink(QStringLiteral("packet handler"));
    };
    QVERIFY(peer.Send(TestPeer::Tiny(0)));
    QVERIFY(peer.WaitForPackets(3, Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(rig.errors.Lines(), QStringList{QStringLiteral("packet handler")}, Timeout);
    QVERIFY(rig.client->Active());
    // A failing disconnect handler reaches the caller, but the link is taken down all the same.
    rig.client->OnPacket = nullptr;
    rig.client->OnDisconnect = [](QObject*) { throw EKvdLink(QStringLiteral("disconnect handler")); };
    rig.log.Clear();
    QVERIFY_THROWS_EXCEPTION(EKvdLink, rig.client->SetActive(false));
    QVERIFY(!rig.client->Active());
    QCOMPARE(rig.client->Handle(), -1);
    QCOMPARE(rig.log.Lines(), (QStringList{"sub:0", "changed:0"}));
    CheckPeerGotClose(peer);
}

QTEST_GUILESS_MAIN(TestKvdDromo)
#include "tst_kvddromo.moc"
