// The transport's framing and the client's packet handling, fed an arbitrary byte stream in arbitrary
// chunks without a connection. The first input byte picks the protocol version and the packet type whose
// handler fails; the second and third seed the chunk sizes; the rest is the stream. A reference
// splitter walks the same stream in one piece: the framing must deliver exactly the packets it finds
// (whatever the chunking), keep exactly the incomplete tail, stop at a zero size byte with the fatal
// message, and go on after a handler failure. The client (with a button presentation subscribed) must
// report the same packets through OnPacket and raise one button event per click or typed-text packet.

#include "link/KvdDromo.h"
#include "link/KvdUI.h"
#include "tests/link/RecordingSocket.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

const QString ZeroLength = QStringLiteral("FATAL: Zero packet len detected!");
const QString HandlerFailed = RecordingSocket::HandlerFailed();

struct Reference {
    QList<QByteArray> Packets; // the packets that pass the delivery test, in stream order
    qsizetype Tail = 0;        // bytes of an incomplete last packet
    bool ZeroSize = false;     // the stream stops at a zero size byte
};

Reference Split(const QByteArray& stream, int unit) {
    Reference r;
    qsizetype at = 0;
    while (at < stream.size()) {
        const qsizetype n = quint8(stream.at(at)) * unit;
        if (n == 0) {
            r.ZeroSize = true;
            return r;
        }
        if (stream.size() - at < n)
            break;
        const QByteArray packet = stream.mid(at, n);
        const int type = quint8(packet.size() > 1 ? packet.at(1) : 0);
        if (n >= 2 && type >= 1 && type <= 67)
            r.Packets.append(packet);
        at += n;
    }
    r.Tail = stream.size() - at;
    return r;
}

// Chunk lengths from a small generator: mostly short, sometimes long, sometimes empty.
class Chunker {
public:
    explicit Chunker(quint16 seed) : m_state(seed * 2654435761u + 1) {}
    int Next() {
        m_state = m_state * 1103515245u + 12345u;
        const quint32 r = m_state >> 8;
        switch (r % 8) {
        case 0:
            return 0;
        case 1:
            return 1 + int(r / 8 % 3000);
        default:
            return 1 + int(r / 8 % 17);
        }
    }

private:
    quint32 m_state;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "framing oracle: %s\n", what);
    std::abort();
}

// Feeds the stream in chunks until it ends or the framing reports a fatal error (a real connection is
// closed then and its further bytes are never framed).
template <typename Socket>
void Feed(Socket& socket, const QByteArray& stream, quint16 seed, const QStringList& errors) {
    Chunker chunker(seed);
    for (qsizetype at = 0; at < stream.size();) {
        const int chunk = int(qMin<qsizetype>(chunker.Next(), stream.size() - at));
        socket.ProcessData(stream.constData() + at, chunk);
        at += chunk;
        if (errors.contains(ZeroLength))
            break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const quint8 version = (data[0] & 1) ? 9 : 8;
    const int failingType = (data[0] >> 1) % 68;
    const quint16 seed = quint16(data[1] | data[2] << 8);
    const QByteArray stream(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));
    const Reference expected = Split(stream, Dromo::SizeUnitFor(version));

    RecordingSocket socket;
    socket.SetVersion(version);
    socket.FailingType = failingType;
    Feed(socket, stream, seed, socket.Errors);
    if (socket.Packets != expected.Packets)
        Fail("delivered packets differ from the reference splitter");
    QStringList errors;
    for (const QByteArray& packet : expected.Packets)
        if (quint8(packet.at(1)) == failingType)
            errors.append(HandlerFailed);
    if (expected.ZeroSize)
        errors.append(ZeroLength);
    if (socket.Errors != errors)
        Fail("reported errors differ");
    if (socket.Buffer().Count() != (expected.ZeroSize ? 0 : expected.Tail))
        Fail("the buffer does not hold exactly the incomplete tail");

    TKvdDromo client;
    client.SetVersion(version);
    QStringList clientErrors;
    client.OnError = [&](QObject*, const QString& message) { clientErrors.append(message); };
    QList<QByteArray> reported;
    client.OnPacket = [&](QObject*, quint8 type, const TKvdPacket& packet) {
        if (type != packet.Type())
            Fail("OnPacket type differs from the packet's");
        reported.append(QByteArray(reinterpret_cast<const char*>(packet.Data()), packet.Length()));
    };
    int versions = 0;
    client.OnConnect = [&](QObject*, DR_VER&) { ++versions; };
    client.OnConsole = [&](QObject*, const QString& text, bool) {
        if (text.size() > Dromo::ConsoleTextSize)
            Fail("console text longer than its area");
    };
    TKvdUI ui;
    ui.SetDromo(&client);
    int buttonEvents = 0;
    ui.OnEvent = [&](QObject*, quint8, quint8, const QString& text) {
        if (text.size() > Dromo::TypedTextSize)
            Fail("typed text longer than its area");
        ++buttonEvents;
    };
    Feed(client, stream, seed, clientErrors);
    if (reported != expected.Packets)
        Fail("OnPacket differs from the reference splitter");
    int expectedVersions = 0;
    int expectedButtons = 0;
    for (const QByteArray& packet : expected.Packets) {
        const quint8 type = quint8(packet.at(1));
        expectedVersions += type == Dromo::DR_VER;
        expectedButtons += type == Dromo::DR_BTN_CLICK || type == Dromo::DR_BTN_TYPE;
    }
    if (versions != expectedVersions || buttonEvents != expectedButtons)
        Fail("client events differ from the packets delivered");
    if (clientErrors != (expected.ZeroSize ? QStringList{ZeroLength} : QStringList()))
        Fail("client reported unexpected errors");
    return 0;
}
