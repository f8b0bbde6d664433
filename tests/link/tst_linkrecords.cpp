// Records, ring buffer, framing and button packets, without any socket.

#include "LinkTestUtil.h"
#include "RecordingSocket.h"
#include "core/KvdUIScan.h"
#include "link/KvdDromo.h"
#include "link/KvdUI.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

QByteArray Packet(int length, quint8 type, quint8 unit = 4) {
    QByteArray packet(length, '\0');
    packet[0] = char(length / unit);
    packet[1] = char(type);
    for (int i = 2; i < length; ++i)
        packet[i] = char('a' + i % 26);
    return packet;
}

class Recorder : public TKvdDromoSubscriber {
public:
    using TKvdDromoSubscriber::TKvdDromoSubscriber;
    ~Recorder() override { SetDromo(nullptr); }
    void HandlePacket(const TKvdPacket&) override {}
};

QByteArray Element(const QString& attributes, const QString& children = {}) {
    return QStringLiteral("<element %1>%2</element>").arg(attributes, children).toUtf8();
}

} // namespace

class TestLinkRecords : public QObject {
    Q_OBJECT

private slots:
    void initPacket_data();
    void initPacket();
    void flagWord_data();
    void flagWord();
    void fixedPackets();
    void packetTableMatchesTheBuilders();
    void versionRecord();
    void packetViewStaysInside();

    void ringBuffer();
    void framing_data();
    void framing();
    void framingLongStreamWraps();
    void framingHandlerException();

    void placeholders_data();
    void placeholders();
    void placeholdersOddArgs();
    void placeholdersBoundedByPacket_data();
    void placeholdersBoundedByPacket();
    void placeholdersNeverBuildTheWholeText();
    void escapeControls_data();
    void escapeControls();
    void layoutPackets_data();
    void layoutPackets();
    void smallLayoutBytes();
    void layoutErrors_data();
    void layoutErrors();
    void quickReaderAgreesWithXmlReader_data();
    void quickReaderAgreesWithXmlReader();
    void buttonReports();
    void sendButtonFreesAutoFree();
    void oneInstance();
};

void TestLinkRecords::initPacket_data() {
    QTest::addColumn<quint8>("version");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray base = ExpectedInit({});
    const QByteArray dromo = ExpectedInit("Dromo");
    QTest::newRow("defaults") << quint8(9) << QString() << QStringLiteral("Dromo") << dromo;

    QByteArray cut = base;
    cut.replace(12, 15, "secretsecret123");
    cut.replace(28, 15, "ABCDEFGHIJKLMNO");
    QTest::newRow("long password and name cut to 15")
        << quint8(9) << QStringLiteral("secretsecret12345") << QStringLiteral("ABCDEFGHIJKLMNOPQRST") << cut;

    QByteArray v8 = dromo;
    v8[0] = 44;
    v8[8] = 8;
    QTest::newRow("version 8 counts bytes") << quint8(8) << QString() << QStringLiteral("Dromo") << v8;
}

void TestLinkRecords::initPacket() {
    QFETCH(quint8, version);
    QFETCH(QString, password);
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    QByteArray packet = Dromo::BuildInit({}, version, password.toLatin1(), name.toLatin1());
    Dromo::StampHead(reinterpret_cast<quint8*>(packet.data()), int(packet.size()), Dromo::DR_INIT,
                     Dromo::SizeUnitFor(version));
    QCOMPARE(packet, expected);
}

void TestLinkRecords::flagWord_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("word");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("reserved members add no bit") << int(Dromo::AF_DRF_RES_0 | Dromo::AF_DRF_RES_1) << 0;
    QTest::newRow("local") << int(Dromo::AF_DRF_LOCAL) << 4;
    QTest::newRow("console and join") << int(Dromo::AF_DRF_CON | Dromo::AF_DRF_REQ_JOIN) << 64 + 2048;
    QTest::newRow("all") << 0xFFF << 0xFFC;
}

void TestLinkRecords::flagWord() {
    QFETCH(int, flags);
    QFETCH(int, word);
    const auto set = Dromo::TKvdDromoDRIFlags::fromInt(flags);
    QCOMPARE(int(Dromo::FlagWord(set)), word);
    const QByteArray packet = Dromo::BuildInit(set, 9, {}, {});
    QCOMPARE(quint8(packet[6]) | quint8(packet[7]) << 8, word);
}

void TestLinkRecords::fixedPackets() {
    auto stamped = [](QByteArray packet, quint8 type) {
        Dromo::StampHead(reinterpret_cast<quint8*>(packet.data()), int(packet.size()), type, 4);
        return packet;
    };
    QCOMPARE(stamped(Dromo::BuildTiny(0, 0), Dromo::DR_TINY), Bytes({1, 3, 0, 0}));
    QCOMPARE(stamped(Dromo::BuildTiny(2, 0), Dromo::DR_TINY), Bytes({1, 3, 0, 2}));
    QCOMPARE(stamped(Dromo::BuildSmall(7, 1, 30), Dromo::DR_SMALL), Bytes({2, 4, 1, 7, 30, 0, 0, 0}));
    QCOMPARE(stamped(Dromo::BuildSmall(7, 1, 0x01020304), Dromo::DR_SMALL), Bytes({2, 4, 1, 7, 4, 3, 2, 1}));
    QCOMPARE(stamped(Dromo::BuildDeleteButtons(1, 0, 0, 0), Dromo::DR_BTN_DEL),
             Bytes({2, 42, 1, 1, 0, 0, 0, 0}));
    QCOMPARE(stamped(Dromo::BuildDeleteButtons(0, 5, 5, 0), Dromo::DR_BTN_DEL),
             Bytes({2, 42, 1, 0, 0, 5, 5, 0}));
}

// The table's shortest length of each type is what its builder makes (the button packet: its head), so
// the stand-in never refuses a packet this program builds, and a type appears in the table once.
void TestLinkRecords::packetTableMatchesTheBuilders() {
    using namespace Dromo;
    const std::pair<quint8, QByteArray> built[] = {
        {DR_INIT, BuildInit({}, 9, "admin", "name")},
        {Dromo::DR_VER, BuildVersion(9, 1, "product", "version")},
        {DR_TINY, BuildTiny(TINY_NONE, 0)},
        {DR_SMALL, BuildSmall(SMALL_INTERVAL, 1, 0x01020304)},
        {DR_CONSOLE, BuildConsole(QByteArray(300, 'x'), true)},
        {DR_BTN_DEL, BuildDeleteButtons(BTN_DEL_ONE, 3, 9, 0)},
        {DR_BTN_CLICK, BuildClick(7, CF_LEFT)},
        {DR_BTN_TYPE, BuildTyped(7, QByteArray(300, 'y'))},
    };
    for (const auto& [type, packet] : built) {
        QVERIFY2(PacketKindOf(type), qPrintable(QString::number(type)));
        QCOMPARE(int(packet.size()), ShortestPacket(type));
    }
    quint8 button[MaxButtonPacketSize];
    QCOMPARE(BuildButton(ButtonRecord{}, 4, button) >= ShortestPacket(DR_BTN), true);
    QSet<quint8> types;
    for (const TPacketKind& kind : PacketKinds)
        types.insert(kind.Type);
    QCOMPARE(int(types.size()), int(std::size(PacketKinds)));
    QCOMPARE(ShortestPacket(DR_NONE), MinPacketSize);
    // What the table's offsets name reads back from the built packets.
    const QByteArray click = BuildClick(7, CF_RIGHT | CF_SHIFT);
    QCOMPARE(quint8(click.at(ReportClickIdOffset)), quint8(7));
    QCOMPARE(quint8(click.at(ClickFlagsOffset)), quint8(CF_RIGHT | CF_SHIFT));
    const QByteArray version = BuildVersion(9, 5, "kvdsim", "0.9.1.0");
    const ::DR_VER record =
        ::DR_VER::FromPacket(reinterpret_cast<const quint8*>(version.constData()), int(version.size()));
    QCOMPARE(record.TextAt12(), QStringLiteral("kvdsim"));
    QCOMPARE(record.TextAt4(), QStringLiteral("0.9.1.0"));
    QCOMPARE(record.ReqI, quint8(5));
    QCOMPARE(quint8(version.at(VersionProtocolOffset)), quint8(9));
}

void TestLinkRecords::versionRecord() {
    QByteArray packet = Bytes({5, 2, 0, 0});
    packet += QByteArray("0.7F") + QByteArray(4, '\0');
    packet += QByteArray("KORVADIA"); // fills its whole area: ends at the end of the record
    const DR_VER version = DR_VER::FromPacket(reinterpret_cast<const quint8*>(packet.constData()), 20);
    QCOMPARE(version.TextAt4(), QStringLiteral("0.7F"));
    QCOMPARE(version.TextAt12(), QStringLiteral("KORVADIA"));
    // A short version packet is padded, never read past its end.
    const DR_VER shortVersion = DR_VER::FromPacket(reinterpret_cast<const quint8*>(packet.constData()), 6);
    QCOMPARE(shortVersion.TextAt4(), QStringLiteral("0."));
    QCOMPARE(shortVersion.TextAt12(), QString());
}

void TestLinkRecords::packetViewStaysInside() {
    const QByteArray bytes = Bytes({3, 11, 0, 0, 0, 0, 1, 0, 'a', 'b', 'c', 'd'});
    const TKvdPacket packet(reinterpret_cast<const quint8*>(bytes.constData()), 10);
    QCOMPARE(packet.Text(8, 128), QStringLiteral("ab")); // the packet ends before the text does
    QCOMPARE(packet.Byte(10), quint8(0));
    QCOMPARE(packet.Byte(-1), quint8(0));
    QCOMPARE(packet.TextBytes(20, 4), QByteArray());
}

void TestLinkRecords::ringBuffer() {
    TKvdSocketBuffer buffer(8);
    QCOMPARE(buffer.Write("abcdef", 6), 6);
    char out[16] = {};
    QCOMPARE(buffer.Read(out, 4), 4);
    QCOMPARE(QByteArray(out, 4), QByteArray("abcd"));
    // Wraps: 2 bytes at the end of the storage, 3 at its start; one more than fits is refused.
    QCOMPARE(buffer.Write("123456789", 9), 6);
    QCOMPARE(buffer.Count(), 8);
    QCOMPARE(buffer.WritePos(), (buffer.ReadPos() + buffer.Count()) % buffer.Capacity());
    QCOMPARE(buffer.Write("x", 1), 0);
    QCOMPARE(buffer.Peek(out, 16), 8);
    QCOMPARE(QByteArray(out, 8), QByteArray("ef123456"));
    QCOMPARE(buffer.Count(), 8);
    QCOMPARE(buffer.Read(out, 3), 3);
    QCOMPARE(QByteArray(out, 3), QByteArray("ef1"));
    QCOMPARE(buffer.Read(out, 16), 5);
    QCOMPARE(QByteArray(out, 5), QByteArray("23456"));
    QCOMPARE(buffer.Count(), 0);
    QCOMPARE(buffer.Read(out, 4), 0);
    QCOMPARE(buffer.WritePos(), buffer.ReadPos());
}

void TestLinkRecords::framing_data() {
    QTest::addColumn<quint8>("version");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("delivered");
    QTest::addColumn<QStringList>("errors");

    const QByteArray tiny = Bytes({1, 3, 0, 0});
    const QByteArray click = Bytes({2, 46, 0, 0, 7, 0, 2, 0});
    const QByteArray version = Packet(20, 2);
    const QStringList none;
    const QStringList zero{QStringLiteral("FATAL: Zero packet len detected!")};

    QTest::newRow("two packets in one receive")
        << quint8(9) << QList<QByteArray>{tiny + click} << QList<QByteArray>{tiny, click} << none;
    QTest::newRow("packet split over two receives")
        << quint8(9) << QList<QByteArray>{version.left(7), version.mid(7) + tiny}
        << QList<QByteArray>{version, tiny} << none;
    QList<QByteArray> single;
    for (char byte : click + version)
        single.append(QByteArray(1, byte));
    QTest::newRow("one byte per receive") << quint8(9) << single << QList<QByteArray>{click, version} << none;
    QTest::newRow("types 0 and 68 dropped, later packets delivered")
        << quint8(9)
        << QList<QByteArray>{Bytes({1, 0, 0, 0}) + Bytes({1, 68, 0, 0}) + Bytes({1, 255, 0, 0}) + tiny}
        << QList<QByteArray>{tiny} << none;
    QTest::newRow("zero size byte is fatal once")
        << quint8(9) << QList<QByteArray>{tiny + Bytes({0, 3, 0, 0}) + tiny, tiny}
        << QList<QByteArray>{tiny, tiny} << zero;
    QTest::newRow("zero size byte after a partial packet")
        << quint8(9) << QList<QByteArray>{version.left(3), version.mid(3) + Bytes({0}), click}
        << QList<QByteArray>{version, click} << zero;
    QTest::newRow("oversize packet waits for its bytes")
        << quint8(9) << QList<QByteArray>{Packet(1020, 11).left(600), Packet(1020, 11).mid(600)}
        << QList<QByteArray>{Packet(1020, 11)} << none;
    QTest::newRow("version 8: size byte 44 frames 44 bytes")
        << quint8(8) << QList<QByteArray>{Packet(44, 2, 1) + Bytes({4, 3, 0, 0})}
        << QList<QByteArray>{Packet(44, 2, 1), Bytes({4, 3, 0, 0})} << none;
    QTest::newRow("version 9: size byte 11 frames 44 bytes")
        << quint8(9) << QList<QByteArray>{Packet(44, 2)} << QList<QByteArray>{Packet(44, 2)} << none;
    QTest::newRow("version 8: a one-byte packet has no type and is dropped")
        << quint8(8) << QList<QByteArray>{Bytes({1}) + Bytes({4, 3, 0, 0})}
        << QList<QByteArray>{Bytes({4, 3, 0, 0})} << none;
}

void TestLinkRecords::framing() {
    QFETCH(quint8, version);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, delivered);
    QFETCH(QStringList, errors);
    RecordingSocket socket;
    socket.SetVersion(version);
    QCOMPARE(socket.SizeUnit(), Dromo::SizeUnitFor(version));
    for (const QByteArray& chunk : chunks)
        socket.ProcessData(chunk.constData(), int(chunk.size()));
    QCOMPARE(socket.Packets, delivered);
    QCOMPARE(socket.Errors, errors);
}

void TestLinkRecords::framingLongStreamWraps() {
    // Far more than the ring's capacity, in chunks of random size, so that the incomplete tails travel
    // all the way round the storage several times.
    QRandomGenerator random(1234);
    QList<QByteArray> sent;
    QByteArray stream;
    while (stream.size() < 5 * TKvdSocket::BufferCapacity) {
        const int words = random.bounded(1, 256);
        QByteArray packet = Packet(words * 4, quint8(random.bounded(1, 68)));
        for (int i = 2; i < packet.size(); ++i)
            packet[i] = char(random.bounded(256));
        sent.append(packet);
        stream += packet;
    }
    RecordingSocket socket;
    for (qsizetype at = 0; at < stream.size();) {
        const int chunk = qMin<int>(random.bounded(1, 3000), int(stream.size() - at));
        socket.ProcessData(stream.constData() + at, chunk);
        at += chunk;
    }
    QCOMPARE(socket.Errors, QStringList());
    QCOMPARE(socket.Packets.size(), sent.size());
    QVERIFY(socket.Packets == sent);
    QCOMPARE(socket.Buffer().Count(), 0);
}

void TestLinkRecords::framingHandlerException() {
    RecordingSocket socket;
    socket.FailingType = 46;
    const QByteArray data = Bytes({1, 3, 0, 0, 2, 46, 0, 0, 7, 0, 0, 0, 1, 3, 0, 1});
    socket.ProcessData(data.constData(), int(data.size()));
    QCOMPARE(socket.Packets.size(), 3);
    QCOMPARE(socket.Errors, QStringList{QStringLiteral("handler failed")});
}

void TestLinkRecords::placeholders_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no args") << QStringLiteral("Lap {SCORE}") << QStringList()
                             << QStringLiteral("Lap {SCORE}");
    QTest::newRow("bare name, any case")
        << QStringLiteral("Lap {SCORE}") << QStringList{"score", "12"} << QStringLiteral("Lap 12");
    QTest::newRow("braced name with equals sign")
        << QStringLiteral("Lap {SCORE}") << QStringList{"{score}=", "12"} << QStringLiteral("Lap 12");
    QTest::newRow("every occurrence")
        << QStringLiteral("{Name} and {NAME}") << QStringList{"name", "x"} << QStringLiteral("x and x");
    QTest::newRow("blanks and controls trimmed, then cut at =")
        << QStringLiteral("[{a}]") << QStringList{QStringLiteral("\t a \x01= junk"), "1"}
        << QStringLiteral("[1]");
    QTest::newRow("empty name replaces nothing")
        << QStringLiteral("{}x") << QStringList{" = ", "y"} << QStringLiteral("{}x");
    QTest::newRow("pairs in order") << QStringLiteral("{a}{b}") << QStringList{"a", "{b}", "b", "2"}
                                    << QStringLiteral("22");
    QTest::newRow("replacement not rescanned")
        << QStringLiteral("{a}") << QStringList{"a", "{a}{a}"} << QStringLiteral("{a}{a}");
    QTest::newRow("empty replacements pull later text forward")
        << QStringLiteral("{a}{A}{a}z{b}") << QStringList{"a", "", "b", "{a}", "a", "y"}
        << QStringLiteral("zy");
    QTest::newRow("letter case beyond ASCII")
        << QStringLiteral("{Änderung}/{ÄNDERUNG}/{änderunG}") << QStringList{QStringLiteral("änderung"), "1"}
        << QStringLiteral("1/1/1");
    QTest::newRow("overlapping candidates, left to right")
        << QStringLiteral("{{a}}{a}}") << QStringList{"{a}}", "X"} << QStringLiteral("{XX");
}

void TestLinkRecords::placeholders() {
    QFETCH(QString, text);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QCOMPARE(ExpandPlaceholders(text, args), expected);
    // A cut result is the same characters, wherever the cut falls (also inside a name).
    for (qsizetype limit = 0; limit <= expected.size() + 1; ++limit)
        QCOMPARE(ExpandPlaceholders(text, args, limit), expected.left(limit));
}

void TestLinkRecords::placeholdersBoundedByPacket_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("args");
    const QString tail = QString(239, 'x') + QStringLiteral("{N}");
    QTest::newRow("name straddling the cut") << tail << QStringList{"n", "yz"};
    QTest::newRow("two-byte character at the cut") << tail << QStringList{"n", QStringLiteral("é")};
    QTest::newRow("surrogate pair at the cut") << tail << QStringList{"n", QStringLiteral("😀")};
    QTest::newRow("1000-character value, many placeholders")
        << QString(QStringLiteral("{n} ")).repeated(2000) << QStringList{"n", QString(1000, 'v')};
    QTest::newRow("shrinking after growing") << QStringLiteral("{a}").repeated(300) + QStringLiteral("end")
                                             << QStringList{"a", QStringLiteral("{b}").repeated(50), "b", ""};
}

void TestLinkRecords::placeholdersBoundedByPacket() {
    // The packet carries the first 240 bytes of the expanded text; the layout's packet must hold those
    // bytes exactly as a full expansion cut afterwards gives them.
    QFETCH(QString, text);
    QFETCH(QStringList, args);
    QString full = text;
    for (qsizetype i = 0; i < args.size(); i += 2)
        full.replace(QLatin1Char('{') + args.at(i) + QLatin1Char('}'), args.at(i + 1), Qt::CaseInsensitive);
    const QByteArray bytes = full.toLocal8Bit().left(240);
    const QString layout =
        QStringLiteral("<ui><element id=\"1\" text=\"%1\"/></ui>").arg(text.toHtmlEscaped());
    const QList<QByteArray> packets = TKvdUI::LayoutPackets(layout, args, 0, 4);
    QCOMPARE(packets.size(), 1);
    QCOMPARE(packets.at(0).mid(12, bytes.size()), bytes);
    QCOMPARE(packets.at(0).at(12 + bytes.size()), '\0');
}

void TestLinkRecords::placeholdersNeverBuildTheWholeText() {
    // Three nested hundredfold expansions of a 1000-character value: 10^9 characters in full, more
    // than this test may allocate. Only the characters a packet can carry are made.
    const QStringList args{"a", QStringLiteral("{b}").repeated(100),
                           "b", QStringLiteral("{c}").repeated(100),
                           "c", QString(1000, 'v')};
    const QString text = QStringLiteral("{a}").repeated(100);
    QCOMPARE(ExpandPlaceholders(text, args, 241), QString(241, 'v'));
    const QList<QByteArray> packets = TKvdUI::LayoutPackets(
        QStringLiteral("<ui><element id=\"1\" text=\"%1\"/></ui>").arg(text), args, 0, 4);
    QCOMPARE(packets.size(), 1);
    QCOMPARE(packets.at(0).size(), 256);
    QCOMPARE(packets.at(0).mid(12, 240), QByteArray(240, 'v'));
    QCOMPARE(packets.at(0).at(252), '\0');
}

void TestLinkRecords::escapeControls_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain text unchanged")
        << QStringLiteral("Lap 3 [ok] \\n é") << QStringLiteral("Lap 3 [ok] \\n é");
    QTest::newRow("a newline cannot start a second line")
        << QStringLiteral("abc\nButton 9 clicked [x]") << QStringLiteral("abc\\nButton 9 clicked [x]");
    QTest::newRow("terminal commands")
        << QStringLiteral("\x1b]0;title\x07\x1b[2J\r\t") << QStringLiteral("\\e]0;title\\x07\\e[2J\\r\\t");
    QTest::newRow("DEL, C1 and line separators")
        << QString(QChar(0x7F)) + QChar(0x9B) + QChar(0x2028) + QChar(0x2029) + QChar(0xA0)
        << QStringLiteral("\\x7f\\x9b\\u2028\\u2029") + QChar(0xA0);
    QTest::newRow("zero byte") << QString(QChar(0)) << QStringLiteral("\\x00");
}

void TestLinkRecords::escapeControls() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(KvdTypes::EscapeControls(text), expected);
}

void TestLinkRecords::placeholdersOddArgs() {
    try {
        ExpandPlaceholders(QStringLiteral("x"), {"a", "b", "c"});
        QFAIL("no exception");
    } catch (const EKvdLink& e) {
        QCOMPARE(e.Message(), QStringLiteral("Args array must have an even number of elements"));
    }
}

void TestLinkRecords::layoutPackets_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<quint8>("target");
    QTest::addColumn<quint8>("version");
    QTest::addColumn<QList<QByteArray>>("expected");

    auto button = [](int id, int style, int typeIn, int left, int top, int width, int height,
                     const QByteArray& text, int target = 0, int unit = 4) {
        QByteArray packet = Bytes({0, 45, 1, target, id, 0, style, typeIn, left, top, width, height});
        packet += text + QByteArray(1, '\0');
        while (packet.size() % 4)
            packet += '\0';
        packet[0] = char(packet.size() / unit);
        return packet;
    };
    const QString full = QStringLiteral(R"(type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="%1"
        rel_top="%2" width="%3" height="%4" id="%5" text="%6" typein="0" bstyle="40" left="%1" top="%2")");

    QTest::newRow("panel then its children in document order")
        << QByteArray(
               "<ui>" +
               Element(R"(id="1" left="40" top="60" width="200" height="100" bstyle="32" text="")",
                       Element(R"(id="2" left="50" top="80" width="60" height="30" bstyle="40" text="A")") +
                           Element(R"(id="3" left="120" top="80" width="60" height="30" text="B")")) +
               "</ui>")
        << QStringList() << quint8(0) << quint8(9)
        << QList<QByteArray>{button(1, 32, 0, 20, 30, 100, 50, ""), button(2, 40, 0, 25, 40, 30, 15, "A"),
                             button(3, 0, 0, 60, 40, 30, 15, "B")};
    QTest::newRow("all attributes, halved")
        << QByteArray("<ui>" + Element(full.arg(100).arg(50).arg(60).arg(30).arg(7).arg("Go")) + "</ui>")
        << QStringList() << quint8(0) << quint8(9)
        << QList<QByteArray>{button(7, 40, 0, 50, 25, 30, 15, "Go")};
    QTest::newRow("odd, negative, large and missing values")
        << QByteArray("<ui>" +
                      Element(R"(id="300" left="101" top="51" width="-3" height="600" typein="x" text="T")") +
                      "</ui>")
        << QStringList() << quint8(0) << quint8(9)
        << QList<QByteArray>{button(44, 0, 0, 50, 25, 255, 44, "T")};
    QTest::newRow("empty text: 16 bytes")
        << QByteArray("<ui>" + Element(R"(id="1")") + "</ui>") << QStringList() << quint8(0) << quint8(9)
        << QList<QByteArray>{button(1, 0, 0, 0, 0, 0, 0, "")};
    QTest::newRow("4 characters: 20 bytes, target copied")
        << QByteArray("<ui>" + Element(R"(id="1" text="abcd" typein="12")") + "</ui>") << QStringList()
        << quint8(9) << quint8(9) << QList<QByteArray>{button(1, 0, 12, 0, 0, 0, 0, "abcd", 9)};
    QTest::newRow("300 characters: first 240 in 256 bytes")
        << QByteArray("<ui>" + Element(QStringLiteral(R"(id="1" text="%1")").arg(QString(300, 'x'))) +
                      "</ui>")
        << QStringList() << quint8(0) << quint8(9)
        << QList<QByteArray>{button(1, 0, 0, 0, 0, 0, 0, QByteArray(240, 'x'))};
    QTest::newRow("version 8 keeps the packet within 252 bytes")
        << QByteArray("<ui>" + Element(QStringLiteral(R"(id="1" text="%1")").arg(QString(300, 'x'))) +
                      "</ui>")
        << QStringList() << quint8(0) << quint8(8)
        << QList<QByteArray>{button(1, 0, 0, 0, 0, 0, 0, QByteArray(239, 'x'), 0, 1)};
    QTest::newRow("placeholders in texts")
        << QByteArray("<ui>" + Element(R"(id="1" text="Lap {SCORE}")") + "</ui>")
        << QStringList{"score", "12"} << quint8(0) << quint8(9)
        << QList<QByteArray>{button(1, 0, 0, 0, 0, 0, 0, "Lap 12")};
    QTest::newRow("other nodes and names ignored, root never sent")
        << QByteArray("<?xml version=\"1.0\"?><ui><!-- note --><Element id=\"9\"/>text<x><element "
                      "id=\"4\"/></x></ui>")
        << QStringList() << quint8(0) << quint8(9) << QList<QByteArray>{button(4, 0, 0, 0, 0, 0, 0, "")};
    QTest::newRow("empty text is an empty layout")
        << QByteArray("  \n") << QStringList() << quint8(0) << quint8(9) << QList<QByteArray>();
    QTest::newRow("empty root") << QByteArray("<ui/>") << QStringList{"a"} << quint8(0) << quint8(9)
                                << QList<QByteArray>();
}

void TestLinkRecords::layoutPackets() {
    QFETCH(QByteArray, xml);
    QFETCH(QStringList, args);
    QFETCH(quint8, target);
    QFETCH(quint8, version);
    QFETCH(QList<QByteArray>, expected);
    QCOMPARE(TKvdUI::LayoutPackets(QString::fromUtf8(xml), args, target, Dromo::SizeUnitFor(version)),
             expected);
}

void TestLinkRecords::smallLayoutBytes() {
    // A panel holding a button and a text, as the layout file stores them; the expected bytes are
    // written out from the packet table, not computed.
    const QString xml = QStringLiteral(
        R"(<?xml version="1.0"?>
<ui>
  <element type="TKvdUIPanel" align="0" anchors="akLeft,akTop" rel_left="40" rel_top="60" width="200" height="100" id="1" text="" typein="0" bstyle="32" left="40" top="60">
    <element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="10" rel_top="20" width="60" height="30" id="2" text="Go" typein="0" bstyle="40" left="50" top="80"/>
    <element type="TKvdUIText" align="0" anchors="akLeft,akTop" rel_left="80" rel_top="20" width="70" height="20" id="3" text="Lap {n}" typein="4" bstyle="64" left="120" top="80"/>
  </element>
</ui>
)");
    const QList<QByteArray> expected{
        Bytes({4, 45, 1, 0, 1, 0, 32, 0, 20, 30, 100, 50, 0, 0, 0, 0}),
        Bytes({4, 45, 1, 0, 2, 0, 40, 0, 25, 40, 30, 15, 'G', 'o', 0, 0}),
        Bytes({5, 45, 1, 0, 3, 0, 64, 4, 60, 40, 35, 10, 'L', 'a', 'p', ' ', '{', 'n', '}', 0}),
    };
    QCOMPARE(TKvdUI::LayoutPackets(xml, {}, 0, 4), expected);
    // With a byte-counting size unit only the size bytes change.
    QList<QByteArray> bytewise = expected;
    bytewise[0][0] = 16;
    bytewise[1][0] = 16;
    bytewise[2][0] = 20;
    QCOMPARE(TKvdUI::LayoutPackets(xml, {}, 0, 1), bytewise);

    // Reading the text's packet back gives the values it was built from.
    const QByteArray& text = expected.at(2);
    const Dromo::ButtonRecord read =
        Dromo::ReadButton(reinterpret_cast<const quint8*>(text.constData()), int(text.size()));
    QCOMPARE(std::tuple(read.Target, read.ClickID, read.BStyle, read.TypeIn, read.Left, read.Top, read.Width,
                        read.Height, read.Text),
             std::tuple(quint8(0), quint8(3), quint8(64), quint8(4), quint8(60), quint8(40), quint8(35),
                        quint8(10), QByteArray("Lap {n}")));
    // A text running to the packet's end (no terminator) stops there.
    const QByteArray cut = Bytes({4, 45, 1, 9, 8, 0, 0, 0, 1, 2, 3, 4, 'a', 'b', 'c', 'd'});
    const Dromo::ButtonRecord unterminated =
        Dromo::ReadButton(reinterpret_cast<const quint8*>(cut.constData()), int(cut.size()));
    QCOMPARE(unterminated.Text, QByteArray("abcd"));
    QCOMPARE(unterminated.Target, quint8(9));
    QCOMPARE(unterminated.Height, quint8(4));
}

void TestLinkRecords::layoutErrors_data() {
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("not well-formed") << QStringLiteral("<ui><element id=\"1\"></ui>") << QStringList()
                                     << QString();
    QTest::newRow("unclosed root") << QStringLiteral("<ui><element id=\"1\"/>") << QStringList() << QString();
    QTest::newRow("odd args") << QStringLiteral("<ui><element id=\"1\"/></ui>") << QStringList{"a"}
                              << QStringLiteral("Args array must have an even number of elements");
}

void TestLinkRecords::layoutErrors() {
    QFETCH(QString, xml);
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    try {
        TKvdUI::LayoutPackets(xml, args, 0, 4);
        QFAIL("no exception");
    } catch (const EKvdLink& e) {
        QVERIFY(!e.Message().isEmpty());
        if (!message.isEmpty())
            QCOMPARE(e.Message(), message);
    }
}

void TestLinkRecords::quickReaderAgreesWithXmlReader_data() {
    // Layout text in the writer's shape is read by a quick scanner, anything else by the XML reader.
    // Each row says whether the scanner takes it; either way the packets (or the failure) must be what
    // the XML reader gives, which a comment after the root forces.
    QTest::addColumn<QString>("xml");
    QTest::addColumn<bool>("quick");
    const QString head = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui>\n");
    auto doc = [&](const QString& elements) { return head + elements + QStringLiteral("\n</ui>\n"); };
    QTest::newRow("writer shape, nested")
        << doc(R"(  <element type="TKvdUIPanel" id="1" text="" left="40" top="60" width="200" height="100" bstyle="32">
    <element id="2" text="Go" typein="3" bstyle="40" left="50" top="80" width="60" height="30"/>
  </element>)")
        << true;
    QTest::newRow("references in texts")
        << doc(R"(<element id="5" text="a&amp;b &lt;c&gt; &quot;q&quot; &apos;s&apos; &#10;&#x9;&#13;&#x1F600;&#233;"/>)")
        << true;
    QTest::newRow("raw non-ASCII and a surrogate pair")
        << doc(QStringLiteral("<element id='6' text = 'Rennstrecke \u00e9\U0001F3C1 >'/>")) << true;
    QTest::newRow("numbers with blanks, signs and junk")
        << doc(R"(<element id=" 12 " left="+8" top="-6" width="abc" height="" bstyle="1e2" typein="0x4"/>)")
        << true;
    QTest::newRow("the root itself named element") << QStringLiteral("<element id=\"3\"/>") << true;
    QTest::newRow("short declaration, no white space")
        << QStringLiteral("<?xml version=\"1.0\"?><ui><element id=\"1\"/></ui>") << true;
    QTest::newRow("raw line break in a value") << doc("<element id=\"1\" text=\"a\nb\"/>") << false;
    QTest::newRow("raw tab in a value") << doc("<element id=\"1\" text=\"a\tb\"/>") << false;
    QTest::newRow("comment") << doc("<!-- c --><element id=\"1\"/>") << false;
    QTest::newRow("text content") << doc("x<element id=\"1\"/>") << false;
    QTest::newRow("namespace") << doc("<element xmlns:k=\"urn:k\" k:id=\"2\" id=\"1\"/>") << false;
    QTest::newRow("default namespace") << doc("<element xmlns=\"urn:k\" id=\"1\"/>") << false;
    QTest::newRow("other declaration")
        << QStringLiteral("<?xml version=\"1.0\" standalone=\"yes\"?><ui/>") << false;
    QTest::newRow("CDATA") << doc("<element id=\"1\"><![CDATA[x]]></element>") << false;
    // Malformed text: the XML reader's failure stands.
    QTest::newRow("attribute twice") << doc("<element id=\"1\" id=\"2\"/>") << false;
    QTest::newRow("no blank between attributes") << doc("<element id=\"1\"text=\"a\"/>") << false;
    QTest::newRow("mismatched end tag") << doc("<element id=\"1\"></elemen>") << false;
    QTest::newRow("unknown entity") << doc("<element id=\"1\" text=\"&nbsp;\"/>") << false;
    QTest::newRow("reference to a forbidden character") << doc("<element text=\"&#1;\"/>") << false;
    QTest::newRow("decimal reference with non-ASCII digits")
        << doc(QStringLiteral("<element text=\"&#\u0661\u0662;\"/>")) << false;
    QTest::newRow("raw control character") << doc(QStringLiteral("<element text=\"\u0001\"/>")) << false;
    QTest::newRow("lone surrogate") << doc(QStringLiteral("<element text=\"") + QChar(0xD800) +
                                           QStringLiteral("\"/>"))
                                    << false;
    QTest::newRow("unclosed root") << QStringLiteral("<ui><element id=\"1\"/>") << false;
    QTest::newRow("second root") << QStringLiteral("<ui/><ui/>") << false;
    QTest::newRow("blank before the declaration") << QStringLiteral(" <?xml version=\"1.0\"?><ui/>") << false;
    QTest::newRow("less-than in a value") << doc("<element text=\"a<b\"/>") << false;
}

void TestLinkRecords::quickReaderAgreesWithXmlReader() {
    QFETCH(QString, xml);
    QFETCH(bool, quick);
    int seen = 0;
    QCOMPARE(KvdUIScan::Elements(xml, u"element", [&](const KvdUIScan::Tag&) { ++seen; }), quick);
    auto read = [](const QString& text) {
        try {
            return TKvdUI::LayoutPackets(text, {}, 0, 4);
        } catch (const EKvdLink&) {
            return QList<QByteArray>{"failed"};
        }
    };
    const QList<QByteArray> packets = read(xml);
    QCOMPARE(packets, read(xml + QStringLiteral("<!-- read by the XML reader -->")));
    if (quick)
        QCOMPARE(packets.size(), seen);
}

void TestLinkRecords::buttonReports() {
    TKvdUI ui;
    QList<std::tuple<int, int, QString>> events;
    ui.OnEvent = [&](QObject* sender, quint8 id, quint8 flags, const QString& text) {
        QCOMPARE(sender, &ui);
        events.append({id, flags, text});
    };
    const QByteArray click = Bytes({2, 46, 0, 0, 7, 0, 2, 0});
    QByteArray typed = Bytes({28, 47, 0, 0, 7, 0, 5, 0}) + QByteArray("abc") + QByteArray(101, '\0');
    QByteArray longTyped = Bytes({28, 47, 0, 0, 2, 0, 0, 0}) + QByteArray(104, 'z');
    const QByteArray shortTyped = Bytes({2, 47, 0, 0, 3, 0, 0, 0});
    const QByteArray other = Bytes({1, 3, 0, 0});
    for (const QByteArray& packet : {click, typed, longTyped, shortTyped, other, Bytes({1, 0, 0, 0})})
        ui.HandlePacket(TKvdPacket(reinterpret_cast<const quint8*>(packet.constData()), int(packet.size())));
    QCOMPARE(events.size(), 4);
    QCOMPARE(events[0], std::make_tuple(7, 2, QString()));
    QCOMPARE(events[1], std::make_tuple(7, 0, QStringLiteral("abc")));
    QCOMPARE(events[2], std::make_tuple(2, 0, QString(96, 'z')));
    QCOMPARE(events[3], std::make_tuple(3, 0, QString()));
}

void TestLinkRecords::sendButtonFreesAutoFree() {
    // With no client there is nowhere to send; an AutoFree button is still freed (ASan checks the
    // leak and a double free), a kept one is not.
    TKvdUI ui;
    ui.SendButton(new TKvdButton(true), 0);
    TKvdButton kept(false);
    kept.Text = QStringLiteral("kept");
    ui.SendButton(&kept, 0);
    QCOMPARE(kept.Text, QStringLiteral("kept"));
    ui.ShowLayout(QStringLiteral("<ui><element id=\"1\"/></ui>"));
    ui.DeleteButtons(1, 0, 0, 0);
    QVERIFY_THROWS_EXCEPTION(EKvdLink, ui.ShowLayout(QStringLiteral("<ui>")));
}

void TestLinkRecords::oneInstance() {
    QObject owner;
    auto* first = new TKvdDromo(&owner);
    new Recorder(&owner);
    try {
        new TKvdDromo(&owner);
        QFAIL("no exception");
    } catch (const EKvdLink& e) {
        QCOMPARE(e.Message(), QStringLiteral("Only one instance of TKvdDromo is allowed."));
    }
    QCOMPARE(owner.findChildren<TKvdDromo*>().size(), 1);
    QCOMPARE(first->Port(), 29999);
    QCOMPARE(first->Address(), QStringLiteral("127.0.0.1"));
    QCOMPARE(first->IName(), QStringLiteral("Dromo"));
    QCOMPARE(first->UpdateRate(), 3);
    QCOMPARE(first->Version(), quint8(9));
    QCOMPARE(first->SizeUnit(), quint8(4));
    QVERIFY(first->Synchronized());
    QVERIFY(!first->Active());
    TKvdDromo unowned; // no owner, nothing to check
    QVERIFY(!unowned.Active());
}

QTEST_GUILESS_MAIN(TestLinkRecords)
#include "tst_linkrecords.moc"
