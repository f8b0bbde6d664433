// The stand-in's server against the builder's own link and against raw sockets: the handshake, the
// buttons each client keeps, clicks and typed text, keep-alives and silence, several clients, and
// broken or hostile clients that are dropped while the others are still served.

#include "SimTestClients.h"

#include "link/Dromo.h"
#include "sim/SimPackets.h"
#include "sim/SimServer.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <vector>

class TestSimServer : public QObject {
    Q_OBJECT

private slots:
    void handshakeAndButtons();
    void clicksTypedTextAndConsole();
    void keepAlivesAndSilentClients();
    void severalClientsKeepTheirOwnButtons();
    void hostileClientsAreDropped_data();
    void hostileClientsAreDropped();
    void tooManyClients();
    void silentClientsGiveWayToANewcomer();
    void halfPacketIsTimedFromItsFirstByte();
    void lateBytesDoNotCompleteATimedOutHalfPacket();
    void unsentDataIsCapped();

private:
    static TSimLimits Fast() {
        TSimLimits limits;
        limits.KeepAliveMs = 100;
        limits.SilentMs = 400;
        limits.StallMs = 300;
        limits.InitMs = 500;
        return limits;
    }
    static QString Layout(const QString& elements) { return QStringLiteral("<ui>%1</ui>").arg(elements); }
    static QString Element(int id, int bstyle, int typein = 0, const QString& text = QStringLiteral("b")) {
        return QStringLiteral(
                   "<element id=\"%1\" text=\"%2\" typein=\"%3\" left=\"%4\" top=\"20\" width=\"60\" "
                   "height=\"20\" bstyle=\"%5\"/>")
            .arg(id)
            .arg(text)
            .arg(typein)
            .arg(10 + 70 * id)
            .arg(bstyle);
    }
};

void TestSimServer::handshakeAndButtons() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    QSignalSpy received(&server, &TSimServer::PacketReceived);
    BuilderClient builder(server.Port(), QStringLiteral("A very long client name"));
    QVERIFY(builder.Connect());
    QCOMPARE(builder.Connected, QStringLiteral("kvdsim %1").arg(QStringLiteral(KVD_VERSION_TEXT).left(7)));
    QCOMPARE(server.Clients(), QList<int>{1});
    QCOMPARE(server.Client(1)->Name, QByteArray("A very long cli"));
    QCOMPARE(server.Client(1)->Version, 9);
    QVERIFY(server.Client(1)->Peer.startsWith(QStringLiteral("127.0.0.1:")));

    // Every button packet is kept by click id; sending an id again replaces it.
    const QString layout = Layout(Element(0, 0x28) + Element(1, 0x50, 5) + Element(2, 0x90));
    builder.UI->ShowLayout(layout);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1), TKvdUI::LayoutPackets(layout, {}, 0, 4), 5000);
    const QString replaced = Layout(Element(1, 0x10, 0, QStringLiteral("new text")));
    builder.UI->ShowLayout(replaced);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1).value(1),
                              TKvdUI::LayoutPackets(replaced, {}, 0, 4).value(0), 5000);
    QCOMPARE(ServerButtons(server, 1).size(), 3);

    // Delete one, a range (ClickMax below the click id counts as well), then everything.
    builder.UI->DeleteButtons(0, 1, 1, 0);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1).size(), 2, 5000);
    builder.UI->ShowLayout(layout);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1).size(), 3, 5000);
    builder.Dromo->Send(Dromo::DR_BTN_DEL, Dromo::BuildDeleteButtons(0, 2, 1, 0));
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1), TKvdUI::LayoutPackets(layout, {}, 0, 4).mid(0, 1),
                              5000);
    builder.UI->ShowLayout(layout);
    builder.UI->DeleteButtons(1, 0, 0, 0);
    QTRY_VERIFY_WITH_TIMEOUT(ServerButtons(server, 1).isEmpty(), 5000);
    QVERIFY(received.size() >= 10);

    // The builder ending the link: the client leaves with its reason.
    QSignalSpy left(&server, &TSimServer::ClientLeft);
    builder.Dromo->SetActive(false);
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, 5000);
    QCOMPARE(left.at(0).at(1).toString(), QStringLiteral("closed by client"));
    QVERIFY(server.Clients().isEmpty());
}

void TestSimServer::clicksTypedTextAndConsole() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    BuilderClient builder(server.Port());
    QVERIFY(builder.Connect());
    // 0: clickable; 1: type-in of 5; 2: neither.
    builder.UI->ShowLayout(Layout(Element(0, 0x28) + Element(1, 0x20, 5) + Element(2, 0x20)));
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1).size(), 3, 5000);

    QCOMPARE(server.Click(1, 0, Dromo::CF_LEFT | Dromo::CF_CTRL), QString());
    QCOMPARE(server.Type(1, 1, "hello world"), QString());
    QCOMPARE(server.Console(1, "Race starts"), QString());
    using E = BuilderClient::Event;
    QTRY_COMPARE_WITH_TIMEOUT(builder.Events, (QList<E>{{0, 5, QString()}, {1, 0, QStringLiteral("hello")}}),
                              5000);
    QTRY_COMPARE_WITH_TIMEOUT(builder.Console, QStringList{QStringLiteral("Race starts")}, 5000);

    // What the simulator would not report is refused, and nothing is sent for it.
    QCOMPARE(server.Click(1, 2, 1), QStringLiteral("button 2 of client 1 is not clickable"));
    QCOMPARE(server.Click(1, 9, 1), QStringLiteral("client 1 has no button 9"));
    QCOMPARE(server.Type(1, 0, "x"), QStringLiteral("button 0 of client 1 takes no text"));
    QCOMPARE(server.Click(2, 0, 1), QStringLiteral("no client 2"));
    QCOMPARE(server.Console(2, "x"), QStringLiteral("no client 2"));
    QCOMPARE(server.Close(2), QStringLiteral("no client 2"));
    QTest::qWait(100);
    QCOMPARE(builder.Events.size(), 2);

    // Closing from the stand-in ends the builder's link.
    QCOMPARE(server.Close(1), QString());
    QTRY_VERIFY_WITH_TIMEOUT(builder.Disconnected->load(), 5000);
    QVERIFY(server.Clients().isEmpty());
}

void TestSimServer::keepAlivesAndSilentClients() {
    TSimServer server(9, Fast());
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    QSignalSpy changed(&server, &TSimServer::ClientChanged);
    BuilderClient builder(server.Port());
    QVERIFY(builder.Connect());
    RawClient silent(server.Port());
    QVERIFY(silent.WaitConnected());
    silent.Send(RawClient::Init());
    // The raw client gets its version answer and keep-alives, and never answers them.
    QTRY_VERIFY_WITH_TIMEOUT(silent.Received.count(SimPackets::KeepAlive(4)) >= 2, 5000);
    QCOMPARE(silent.Received.value(0).at(1), char(Dromo::DR_VER));
    QTRY_VERIFY_WITH_TIMEOUT(!server.Client(2)->Answering, 5000);
    // The builder answers every keep-alive and stays answering.
    QVERIFY(server.Client(1)->Answering);
    // Anything from the silent one makes it answering again; silence is not a reason to drop it.
    silent.Send(QByteArray("\x01\x03\x00\x00", 4));
    QTRY_VERIFY_WITH_TIMEOUT(server.Client(2)->Answering, 5000);
    QCOMPARE(server.Clients(), (QList<int>{1, 2}));
    QVERIFY(changed.size() >= 4);
}

void TestSimServer::severalClientsKeepTheirOwnButtons() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    BuilderClient first(server.Port(), QStringLiteral("first"));
    BuilderClient second(server.Port(), QStringLiteral("second"));
    QVERIFY(first.Connect());
    QVERIFY(second.Connect());
    QCOMPARE(server.Client(1)->Name, QByteArray("first"));
    QCOMPARE(server.Client(2)->Name, QByteArray("second"));
    // The same click ids on both; clearing one client's buttons leaves the other's.
    const QString a = Layout(Element(0, 0x28) + Element(1, 0x28));
    const QString b = Layout(Element(0, 0x18, 0, QStringLiteral("other")) + Element(1, 0x28));
    first.UI->ShowLayout(a);
    second.UI->ShowLayout(b);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1), TKvdUI::LayoutPackets(a, {}, 0, 4), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 2), TKvdUI::LayoutPackets(b, {}, 0, 4), 5000);
    first.UI->DeleteButtons(1, 0, 0, 0);
    QTRY_VERIFY_WITH_TIMEOUT(ServerButtons(server, 1).isEmpty(), 5000);
    QCOMPARE(ServerButtons(server, 2).size(), 2);
    // A click goes to the client named, and only there.
    QCOMPARE(server.Click(2, 1, 2), QString());
    QTRY_COMPARE_WITH_TIMEOUT(second.Events.size(), 1, 5000);
    QCOMPARE(second.Events.at(0).Flags, 2);
    QTest::qWait(50);
    QVERIFY(first.Events.isEmpty());
}

void TestSimServer::hostileClientsAreDropped_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray init = RawClient::Init();
    QTest::newRow("zero size byte") << init + QByteArray("\x00\x2d\x01\x00", 4)
                                    << QStringLiteral("bad size byte 0");
    QTest::newRow("garbage") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n")
                             << QStringLiteral("bad packet type 69");
    QTest::newRow("button before initialise")
        << QByteArray("\x04\x2d\x01\x00\x00\x00\x28\x00\x01\x01\x05\x05", 12) + QByteArray(4, '\0')
        << QStringLiteral("packet of type 45 before the initialise packet");
    QTest::newRow("type out of range")
        << init + QByteArray("\x01\x44\x00\x00", 4) << QStringLiteral("bad packet type 68");
    QTest::newRow("short initialise")
        << QByteArray("\x01\x01\x01\x00", 4) << QStringLiteral("short packet of type 1 (4 bytes)");
    QTest::newRow("short button") << init + QByteArray("\x02\x2d\x01\x00\x00\x00\x00\x00", 8)
                                  << QStringLiteral("short packet of type 45 (8 bytes)");
    QByteArray flood = init;
    for (int i = 0; i < 100000; ++i)
        flood += QByteArray("\x01\x03\x00\x00", 4);
    QTest::newRow("flood") << flood << QStringLiteral("flood: more than 20000 packets in one second");
    QTest::newRow("half packet then silence")
        << init + QByteArray("\x10\x2d\x01\x00\x05", 5)
        << QStringLiteral("incomplete packet (5 of 64 bytes), then nothing for 300 ms");
    QTest::newRow("never initialises")
        << QByteArray() << QStringLiteral("no initialise packet within 500 ms");
}

void TestSimServer::hostileClientsAreDropped() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TSimServer server(9, Fast());
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    BuilderClient builder(server.Port());
    QVERIFY(builder.Connect());
    QSignalSpy left(&server, &TSimServer::ClientLeft);

    RawClient hostile(server.Port());
    QVERIFY(hostile.WaitConnected());
    hostile.Send(bytes);
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, 5000);
    QCOMPARE(left.at(0).at(0).toInt(), 2);
    QCOMPARE(left.at(0).at(1).toString(), reason);
    QVERIFY(hostile.WaitClosed());
    QCOMPARE(server.Clients(), QList<int>{1});

    // The well-behaved client is still served.
    const QString layout = Layout(Element(4, 0x28));
    builder.UI->ShowLayout(layout);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1), TKvdUI::LayoutPackets(layout, {}, 0, 4), 5000);
    QCOMPARE(server.Click(1, 4, 1), QString());
    QTRY_COMPARE_WITH_TIMEOUT(builder.Events.size(), 1, 5000);
    QCOMPARE(left.size(), 1);
}

void TestSimServer::tooManyClients() {
    TSimLimits limits;
    limits.MaxClients = 2;
    TSimServer server(9, limits);
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    QSignalSpy left(&server, &TSimServer::ClientLeft);
    RawClient a(server.Port()), b(server.Port()), c(server.Port());
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, 5000);
    QCOMPARE(left.at(0).at(0).toInt(), 3);
    QCOMPARE(left.at(0).at(1).toString(), QStringLiteral("too many clients"));
    QVERIFY(c.WaitClosed());
    QCOMPARE(server.Clients(), (QList<int>{1, 2}));
}

void TestSimServer::silentClientsGiveWayToANewcomer() {
    // Every slot taken by a client that sent its initialise packet and then nothing: once they count as
    // not answering, a newcomer takes the place of the one silent longest instead of being turned away.
    TSimLimits limits = Fast();
    limits.InitMs = 10000;
    TSimServer server(9, limits);
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    const int places = server.Limits().MaxClients;
    QCOMPARE(places, 64);
    std::vector<std::unique_ptr<RawClient>> silent;
    // More connections than the listen queue holds: the last ones are accepted a second or so later, and
    // each sends its initialise packet once connected.
    for (int i = 0; i < places; ++i) {
        silent.push_back(std::make_unique<RawClient>(server.Port()));
        RawClient* client = silent.back().get();
        QObject::connect(&client->Socket, &QTcpSocket::connected,
                         [client] { client->Send(RawClient::Init()); });
    }
    QTRY_COMPARE_WITH_TIMEOUT(int(server.Clients().size()), places, 10000);
    const auto allSilent = [&] {
        const QList<int> clients = server.Clients();
        return std::none_of(clients.begin(), clients.end(), [&](int n) {
            return !server.Client(n)->Initialised || server.Client(n)->Answering;
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allSilent(), 5000);
    QSignalSpy left(&server, &TSimServer::ClientLeft);
    BuilderClient builder(server.Port());
    QVERIFY(builder.Connect());
    QCOMPARE(left.size(), 1);
    const int evicted = left.at(0).at(0).toInt();
    QVERIFY(evicted >= 1 && evicted <= places);
    QVERIFY2(left.at(0).at(1).toString().contains(QRegularExpression(
                 QStringLiteral("^not answering for \\d+ ms: its place goes to a new client$"))),
             qPrintable(left.at(0).at(1).toString()));
    QCOMPARE(int(server.Clients().size()), places);
    QVERIFY(server.Clients().contains(places + 1));
    QVERIFY(!server.Clients().contains(evicted));

    // While every client answers, a newcomer is turned away as before.
    TSimLimits two = Fast();
    two.MaxClients = 2;
    // Silence counted generously: a loaded machine may answer a keep-alive late, which would count as
    // not answering and let the newcomer in.
    two.SilentMs = 2000;
    TSimServer busy(9, two);
    QVERIFY(busy.Listen(QHostAddress::LocalHost, 0));
    BuilderClient first(busy.Port()), second(busy.Port());
    QVERIFY(first.Connect());
    QVERIFY(second.Connect());
    QTest::qWait(2 * two.SilentMs); // longer than a silence, had they not answered the keep-alives
    QSignalSpy refused(&busy, &TSimServer::ClientLeft);
    RawClient late(busy.Port());
    QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 1, 5000);
    QCOMPARE(refused.at(0).at(0).toInt(), 3);
    QCOMPARE(refused.at(0).at(1).toString(), QStringLiteral("too many clients"));
    QCOMPARE(busy.Clients(), (QList<int>{1, 2}));
}

void TestSimServer::halfPacketIsTimedFromItsFirstByte() {
    // A byte every 100 ms, well inside the 300 ms allowed between bytes, does not keep a packet that is
    // never completed: it is dropped 300 ms after its first byte, while the trickle goes on.
    TSimServer server(9, Fast());
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    QSignalSpy left(&server, &TSimServer::ClientLeft);
    RawClient trickle(server.Port());
    QVERIFY(trickle.WaitConnected());
    trickle.Send(RawClient::Init() + QByteArray("\x10\x2d", 2));
    constexpr int MostBytes = 40; // the packet announces 64 bytes: never complete
    int trickled = 0;
    while (trickled < MostBytes && left.isEmpty()) {
        QTest::qWait(100);
        if (trickle.Socket.state() == QAbstractSocket::ConnectedState)
            trickle.Send(QByteArray(1, '\0'));
        ++trickled;
    }
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, 5000);
    QVERIFY2(trickled < MostBytes, "still held while bytes trickled in");
    QVERIFY2(left.at(0).at(1).toString().contains(QRegularExpression(
                 QStringLiteral("^incomplete packet \\(\\d+ of 64 bytes\\) not completed within 300 ms$"))),
             qPrintable(left.at(0).at(1).toString()));
}

void TestSimServer::lateBytesDoNotCompleteATimedOutHalfPacket() {
    // The housekeeping runs every 250 ms here. Keep-alive answers arriving just after the half packet's
    // time ran out, before the housekeeping has seen it, must not complete it: the stream would then be cut
    // in the wrong places and the client dropped for a garbage "packet type".
    TSimLimits limits;
    limits.KeepAliveMs = 1000;
    limits.SilentMs = 5000;
    limits.StallMs = 1000;
    limits.InitMs = 5000;
    TSimServer server(9, limits);
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    QSignalSpy left(&server, &TSimServer::ClientLeft);
    RawClient client(server.Port());
    QVERIFY(client.WaitConnected());
    client.Send(RawClient::Init() + QByteArray("\x10\x2d", 2)); // a 64-byte packet's first two bytes
    // Just past the time, with room for the stand-in reading the two bytes late on a loaded machine (its
    // clock starts when it reads them); the housekeeping may or may not have dropped the client by then.
    QTest::qWait(1150);
    QByteArray answers;
    for (int i = 0; i < 20; ++i)
        answers += QByteArray("\x01\x03\x00\x00", 4); // tiny packets, as a keep-alive is answered
    if (left.isEmpty())
        client.Send(answers);
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, 5000);
    QVERIFY2(left.at(0).at(1).toString().startsWith(QStringLiteral("incomplete packet (2 of 64 bytes)")),
             qPrintable(left.at(0).at(1).toString()));
}

void TestSimServer::unsentDataIsCapped() {
    // Sending more than a client takes in drops it instead of holding the data; the limit is small here
    // so that Qt's own write buffer reaches it before the event loop runs.
    TSimLimits limits;
    limits.MaxUnsent = 64 * 1024;
    TSimServer server(9, limits);
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    QSignalSpy left(&server, &TSimServer::ClientLeft);
    BuilderClient builder(server.Port());
    QVERIFY(builder.Connect());
    int sent = 0;
    while (sent < 10000 && server.Console(1, QByteArray(120, 'x')).isEmpty())
        ++sent;
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.at(0).at(1).toString(), QStringLiteral("not reading: more than 65536 bytes unsent"));
    QVERIFY(sent > 400 && sent < 600);
    QCOMPARE(server.Console(1, "x"), QStringLiteral("no client 1"));
    QTRY_VERIFY_WITH_TIMEOUT(builder.Disconnected->load(), 5000);
}

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
