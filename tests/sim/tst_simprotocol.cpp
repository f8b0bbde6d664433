// The stand-in's protocol units without sockets: framing of received bytes, the packets it builds as
// the builder's own link reads them, and the script commands.

#include "link/Dromo.h"
#include "link/KvdFramer.h"
#include "link/KvdUI.h"
#include "sim/SimCommands.h"
#include "sim/SimPackets.h"

#include <QTest>

class TestSimProtocol : public QObject {
    Q_OBJECT

private slots:
    void framerCutsPacketsAcrossFeeds();
    void framerHoldsAtMostItsBuffer();
    void packetsReadByTheBuildersLink();
    void textsAreCutToTheirAreas();
    void parseCommands_data();
    void parseCommands();
};

namespace {
QByteArray Tiny(quint8 sub) {
    return QByteArray("\x01\x03\x00", 3) + char(sub);
}
QList<QByteArray> Drain(TKvdFramer& framer, TKvdFramer::Step* last = nullptr) {
    QList<QByteArray> packets;
    QByteArray packet;
    TKvdFramer::Step step;
    while ((step = framer.Next(packet)) == TKvdFramer::Step::Packet)
        packets << packet;
    if (last)
        *last = step;
    return packets;
}
} // namespace

void TestSimProtocol::framerCutsPacketsAcrossFeeds() {
    TKvdFramer framer(4);
    // Two whole packets and the first half of a third in one feed.
    const QByteArray button =
        QByteArray("\x04\x2d\x01\x00\x07\x00\x08\x00\x01\x02\x03\x04", 12) + QByteArray("ok\0\0", 4);
    const QByteArray stream = Tiny(0) + button + Tiny(2);
    framer.Feed(stream.constData(), 18);
    QCOMPARE(Drain(framer), (QList<QByteArray>{Tiny(0)}));
    QCOMPARE(framer.Expected(), 16);
    QCOMPARE(framer.Pending(), 14);
    framer.Feed(stream.constData() + 18, int(stream.size()) - 18);
    QCOMPARE(Drain(framer), (QList<QByteArray>{button, Tiny(2)}));
    QCOMPARE(framer.Pending(), 0);
    QCOMPARE(framer.Expected(), 0);
}

void TestSimProtocol::framerHoldsAtMostItsBuffer() {
    // A client that only ever announces a long packet cannot make the framer take more than its buffer.
    TKvdFramer framer(4);
    const QByteArray flood(1 << 20, char(0xFF));
    int taken = 0;
    for (int i = 0; i < 100 && framer.FreeSpace() > 0; ++i)
        taken += framer.Feed(flood.constData(), qMin(framer.FreeSpace(), TKvdFramer::ChunkSize));
    QVERIFY(taken < 20000);
    QCOMPARE(framer.Feed(flood.constData(), 100), 0);
    // Whole 1020-byte packets come out of it, after which it takes bytes again.
    QVERIFY(!Drain(framer).isEmpty());
    QVERIFY(framer.FreeSpace() >= TKvdFramer::ChunkSize);
}

void TestSimProtocol::packetsReadByTheBuildersLink() {
    const QByteArray version = SimPackets::Version(9, 1, "kvdsim", "0.9.1.0", 4);
    QCOMPARE(version.size(), Dromo::VersionRecordSize);
    QCOMPARE(quint8(version.at(0)), 5);
    QCOMPARE(quint8(version.at(1)), Dromo::DR_VER);
    const DR_VER record = DR_VER::FromPacket(reinterpret_cast<const quint8*>(version.constData()), 20);
    QCOMPARE(record.TextAt12(), QStringLiteral("kvdsim"));
    QCOMPARE(record.TextAt4(), QStringLiteral("0.9.1.0"));
    // With a size unit of 1 the size byte counts bytes.
    QCOMPARE(quint8(SimPackets::Version(8, 1, "a", "b", 1).at(0)), 20);
    QCOMPARE(SimPackets::KeepAlive(4), QByteArray("\x01\x03\x00\x00", 4));

    // Click and typed-text reports arrive in the builder's button presentation as its events.
    TKvdUI ui;
    QList<std::tuple<int, int, QString>> events;
    ui.OnEvent = [&](QObject*, quint8 id, quint8 flags, const QString& text) {
        events.append({id, flags, text});
    };
    auto deliver = [&](const QByteArray& packet) {
        ui.HandlePacket(TKvdPacket(reinterpret_cast<const quint8*>(packet.constData()), int(packet.size())));
    };
    deliver(SimPackets::Click(7, Dromo::CF_RIGHT | Dromo::CF_SHIFT, 4));
    deliver(SimPackets::Typed(2, "abc", 4));
    QCOMPARE(events,
             (QList<std::tuple<int, int, QString>>{{7, 0x0A, QString()}, {2, 0, QStringLiteral("abc")}}));
    QCOMPARE(SimPackets::Click(7, 1, 4).size() % 4, 0);
    QCOMPARE(SimPackets::Typed(7, "x", 4).size() % 4, 0);
    QCOMPARE(SimPackets::Console("x", false, 4).size() % 4, 0);
}

void TestSimProtocol::textsAreCutToTheirAreas() {
    const QByteArray typed = SimPackets::Typed(1, QByteArray(200, 'x'), 4);
    QCOMPARE(TKvdPacket(reinterpret_cast<const quint8*>(typed.constData()), int(typed.size()))
                 .TextBytes(Dromo::TypedTextOffset, 1000),
             QByteArray(96, 'x'));
    const QByteArray console = SimPackets::Console(QByteArray(300, 'y'), true, 4);
    const TKvdPacket view(reinterpret_cast<const quint8*>(console.constData()), int(console.size()));
    QCOMPARE(view.TextBytes(Dromo::ConsoleTextOffset, 1000), QByteArray(128, 'y'));
    QCOMPARE(view.Byte(6), 1);
    QCOMPARE(quint8(console.at(0)) * 4, console.size());
}

void TestSimProtocol::parseCommands_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("what");
    QTest::addColumn<int>("client");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    using C = TSimCommand;
    QTest::newRow("empty") << QByteArray("  ") << int(C::None) << 0 << 0 << 0 << QByteArray() << QString();
    QTest::newRow("click default flags")
        << QByteArray("click 1 7") << int(C::Click) << 1 << 7 << 1 << QByteArray() << QString();
    QTest::newRow("click hex flags, CR")
        << QByteArray("click 2 255 0x0c\r") << int(C::Click) << 2 << 255 << 12 << QByteArray() << QString();
    QTest::newRow("type keeps blanks") << QByteArray("type 3 4 Lap  12 ") << int(C::Type) << 3 << 4 << 0
                                       << QByteArray("Lap  12 ") << QString();
    QTest::newRow("type empty text") << QByteArray("type 3 4") << int(C::Type) << 3 << 4 << 0 << QByteArray()
                                     << QString();
    QTest::newRow("console") << QByteArray("console 1 hello there") << int(C::Console) << 1 << 0 << 0
                             << QByteArray("hello there") << QString();
    QTest::newRow("close") << QByteArray("close 12") << int(C::Close) << 12 << 0 << 0 << QByteArray()
                           << QString();
    QTest::newRow("quit") << QByteArray("quit") << int(C::Quit) << 0 << 0 << 0 << QByteArray() << QString();
    const auto bad = [](const char* name, const char* line, const char* error) {
        QTest::newRow(name) << QByteArray(line) << int(C::Invalid) << 0 << 0 << 0 << QByteArray()
                            << QString::fromLatin1(error);
    };
    bad("unknown", "press 1 2", "unknown command: press");
    bad("case matters", "Click 1 2", "unknown command: Click");
    bad("id too big", "click 1 256", "usage: click N ID [FLAGS]");
    bad("client 0", "click 0 1", "usage: click N ID [FLAGS]");
    bad("extra word", "click 1 2 3 4", "usage: click N ID [FLAGS]");
    bad("no id", "type 1", "usage: type N ID TEXT");
    bad("not a number", "close one", "usage: close N");
    bad("quit with words", "quit now", "usage: quit");
}

void TestSimProtocol::parseCommands() {
    QFETCH(QByteArray, line);
    QFETCH(int, what);
    const TSimCommand command = TSimCommand::Parse(line);
    QCOMPARE(int(command.What), what);
    QTEST(command.Error, "error");
    if (what == TSimCommand::Invalid || what == TSimCommand::None)
        return;
    QTEST(command.Client, "client");
    QTEST(int(command.ClickID), "id");
    QTEST(int(command.Flags), "flags");
    QTEST(command.Text, "text");
}

QTEST_GUILESS_MAIN(TestSimProtocol)
#include "tst_simprotocol.moc"
