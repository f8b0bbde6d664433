#include "sim/SimServer.h"

#include "link/Dromo.h"
#include "link/KvdTypes.h"
#include "sim/SimPackets.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <iterator>

namespace {

// What the version answer names: the builder logs "Connected to Korvadia [kvdsim <version>]".
const QByteArray ProductText = QByteArrayLiteral("kvdsim");
const QByteArray VersionText = QByteArrayLiteral(KVD_VERSION_TEXT).left(Dromo::VersionTextArea - 1);

// Qt keeps at most this much unread data per socket; the rest waits in the kernel (TCP back-pressure).
constexpr qint64 SocketReadBuffer = 64 * 1024;

// The fields of a stored button packet.
Dromo::ButtonRecord ReadButton(const QByteArray& packet) {
    return Dromo::ReadButton(reinterpret_cast<const quint8*>(packet.constData()), int(packet.size()));
}

} // namespace

struct TSimServer::Connection {
    explicit Connection(quint8 sizeUnit) : Framer(sizeUnit) {}

    TSimClient Info;
    QTcpSocket* Socket = nullptr;
    TKvdFramer Framer;
    bool Dropped = false;
    qint64 ConnectedAt = 0;
    qint64 LastHeard = 0;
    qint64 LastKeepAlive = 0;
    qint64 PendingSince = -1; // when the first byte of a still incomplete packet arrived
    qint64 LastBytes = 0;     // when the latest bytes arrived
    qint64 WindowStart = 0;   // the flood count covers one second from here
    int WindowPackets = 0;
    qint64 WindowBytes = 0;
};

namespace {
QElapsedTimer& Clock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock;
}
qint64 Now() {
    return Clock().elapsed();
}
} // namespace

TSimServer::TSimServer(quint8 protocol, const TSimLimits& limits, QObject* parent)
    : QObject(parent), m_protocol(protocol), m_framerUnit(Dromo::SizeUnitFor(protocol)), m_limits(limits),
      m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &TSimServer::Accept);
    const int shortest =
        qMin(qMin(m_limits.KeepAliveMs, m_limits.SilentMs), qMin(m_limits.StallMs, m_limits.InitMs));
    m_tick.setInterval(qBound(20, shortest / 4, 250));
    connect(&m_tick, &QTimer::timeout, this, &TSimServer::Housekeeping);
}

TSimServer::~TSimServer() {
    // Sockets are destroyed without reporting: nobody listens any more.
    for (auto& [number, c] : m_connections) {
        if (c->Socket) {
            c->Socket->disconnect(this);
            c->Socket->abort();
            delete c->Socket;
        }
    }
}

bool TSimServer::Listen(const QHostAddress& address, quint16 port) {
    if (!m_server->listen(address, port)) {
        m_error = m_server->errorString();
        return false;
    }
    m_tick.start();
    return true;
}

QHostAddress TSimServer::Address() const {
    return m_server->serverAddress();
}

quint16 TSimServer::Port() const {
    return m_server->serverPort();
}

QList<int> TSimServer::Clients() const {
    QList<int> numbers;
    for (const auto& [number, c] : m_connections)
        if (!c->Dropped)
            numbers << number;
    return numbers;
}

const TSimClient* TSimServer::Client(int number) const {
    const Connection* c = Find(number);
    return c ? &c->Info : nullptr;
}

TSimServer::Connection* TSimServer::Find(int number) const {
    const auto it = m_connections.find(number);
    return it != m_connections.end() && !it->second->Dropped ? it->second.get() : nullptr;
}

TSimServer::Connection* TSimServer::LongestSilent(qint64 now) const {
    Connection* found = nullptr;
    for (const auto& [number, c] : m_connections)
        if (!c->Dropped && c->Info.Initialised && now - c->LastHeard > m_limits.SilentMs &&
            (!found || c->LastHeard < found->LastHeard))
            found = c.get();
    return found;
}

void TSimServer::Accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        // With every slot taken, a client that has stopped answering gives its slot up; while all answer,
        // the newcomer is turned away below.
        if (int(Clients().size()) >= m_limits.MaxClients) {
            const qint64 now = Now();
            if (Connection* silent = LongestSilent(now))
                Drop(*silent, QStringLiteral("not answering for %1 ms: its place goes to a new client")
                                  .arg(now - silent->LastHeard));
        }
        const int number = m_nextNumber++;
        auto c = std::make_unique<Connection>(m_framerUnit);
        c->Info.Number = number;
        c->Info.Peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        c->Socket = socket;
        c->ConnectedAt = c->LastHeard = c->WindowStart = Now();
        socket->setReadBufferSize(SocketReadBuffer);
        connect(socket, &QTcpSocket::readyRead, this, [this, number] {
            if (Connection* found = Find(number))
                Read(*found);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, number] {
            if (Connection* found = Find(number)) {
                Read(*found); // whatever arrived before the end
                if (!found->Dropped)
                    Drop(*found, QStringLiteral("closed by client"));
            }
        });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, number](QAbstractSocket::SocketError error) {
            if (error == QAbstractSocket::RemoteHostClosedError)
                return; // reported by disconnected
            if (Connection* found = Find(number))
                Drop(*found, found->Socket->errorString());
        });
        Connection& added = *c;
        m_connections.emplace(number, std::move(c));
        emit ClientConnected(number);
        if (int(Clients().size()) > m_limits.MaxClients)
            Drop(added, QStringLiteral("too many clients"));
    }
}

void TSimServer::Read(Connection& c) {
    // A half packet past its time is not completed by what comes now: those bytes belong to later packets
    // (keep-alive answers, say), and taking them in would cut the stream in the wrong places.
    if (c.PendingSince >= 0 && Now() - c.PendingSince > m_limits.StallMs) {
        Drop(c, HalfPacketTimedOut(c));
        return;
    }
    char chunk[TKvdFramer::ChunkSize];
    QByteArray packet;
    bool received = false;
    bool completed = false; // a packet was taken out: what is still held began in this read
    while (!c.Dropped) {
        const qint64 got = c.Socket->read(chunk, qMin(c.Framer.FreeSpace(), TKvdFramer::ChunkSize));
        if (got <= 0)
            break;
        received = true;
        c.Framer.Feed(chunk, int(got));
        const qint64 now = Now();
        if (now - c.WindowStart >= 1000) {
            c.WindowStart = now;
            c.WindowPackets = 0;
            c.WindowBytes = 0;
        }
        c.WindowBytes += got;
        if (c.WindowBytes > m_limits.FloodBytes) {
            Drop(c, QStringLiteral("flood: more than %1 bytes in one second").arg(m_limits.FloodBytes));
            return;
        }
        for (;;) {
            const TKvdFramer::Step step = c.Framer.Next(packet);
            if (step == TKvdFramer::Step::More)
                break;
            if (step == TKvdFramer::Step::ZeroSize) {
                Drop(c, QStringLiteral("bad size byte 0"));
                return;
            }
            if (++c.WindowPackets > m_limits.FloodPackets) {
                Drop(c,
                     QStringLiteral("flood: more than %1 packets in one second").arg(m_limits.FloodPackets));
                return;
            }
            completed = true;
            HandlePacket(c, packet);
            if (c.Dropped)
                return;
        }
    }
    if (!received || c.Dropped)
        return;
    // An incomplete packet is timed from its first byte, so that a byte now and then cannot keep it.
    const qint64 now = Now();
    c.LastBytes = now;
    if (c.Framer.Pending() == 0)
        c.PendingSince = -1;
    else if (completed || c.PendingSince < 0)
        c.PendingSince = now;
    // Garbage shows in the head of a packet long before its announced length has arrived.
    if (const int type = c.Framer.HeadType(); type >= 0) {
        const QString problem = CheckType(c, quint8(type));
        if (!problem.isEmpty())
            Drop(c, problem);
    }
}

QString TSimServer::HalfPacketTimedOut(const Connection& c) const {
    const QString how = Now() - c.LastBytes > m_limits.StallMs
                            ? QStringLiteral("incomplete packet (%1 of %2 bytes), then nothing for %3 ms")
                            : QStringLiteral("incomplete packet (%1 of %2 bytes) not completed within %3 ms");
    return how.arg(c.Framer.Pending()).arg(c.Framer.Expected()).arg(m_limits.StallMs);
}

QString TSimServer::CheckType(const Connection& c, quint8 type) const {
    if (type < Dromo::MinPacketType || type > Dromo::MaxPacketType)
        return QStringLiteral("bad packet type %1").arg(type);
    if (!c.Info.Initialised && type != Dromo::DR_INIT)
        return QStringLiteral("packet of type %1 before the initialise packet").arg(type);
    return QString();
}

QString TSimServer::CheckPacket(const Connection& c, const QByteArray& packet) const {
    if (packet.size() < Dromo::MinPacketSize)
        return QStringLiteral("packet of %1 byte").arg(packet.size());
    const quint8 type = quint8(packet.at(Dromo::TypeOffset));
    const QString problem = CheckType(c, type);
    if (!problem.isEmpty())
        return problem;
    // The types the stand-in reads must hold what it reads; others are passed over as they come.
    constexpr quint8 readTypes[] = {Dromo::DR_INIT, Dromo::DR_TINY, Dromo::DR_SMALL, Dromo::DR_BTN_DEL,
                                    Dromo::DR_BTN};
    const bool read = std::find(std::begin(readTypes), std::end(readTypes), type) != std::end(readTypes);
    if (read && packet.size() < Dromo::ShortestPacket(type))
        return QStringLiteral("short packet of type %1 (%2 bytes)").arg(type).arg(packet.size());
    return QString();
}

void TSimServer::HandlePacket(Connection& c, const QByteArray& packet) {
    const int number = c.Info.Number;
    emit PacketReceived(number, packet);
    c.LastHeard = Now();
    if (!c.Info.Answering) {
        c.Info.Answering = true;
        emit AnsweringChanged(number, true);
        emit ClientChanged(number);
    }
    const QString problem = CheckPacket(c, packet);
    if (!problem.isEmpty()) {
        Drop(c, problem);
        return;
    }
    const TKvdPacket view(reinterpret_cast<const quint8*>(packet.constData()), int(packet.size()));
    switch (view.Type()) {
    case Dromo::DR_INIT:
        c.Info.Name = view.TextBytes(Dromo::InitNameOffset, Dromo::NameAreaSize);
        c.Info.Version = view.Byte(Dromo::InitVersionOffset);
        c.Info.Initialised = true;
        c.LastKeepAlive = Now();
        emit ClientChanged(number);
        Send(c, SimPackets::Version(m_protocol, view.Byte(Dromo::RequestOffset), ProductText, VersionText,
                                    m_framerUnit));
        break;
    case Dromo::DR_BTN:
        c.Info.Buttons[Dromo::ReadButton(view.Data(), view.Length()).ClickID] = packet;
        emit ButtonsChanged(number);
        break;
    case Dromo::DR_BTN_DEL: {
        const quint8 subCode = view.Byte(Dromo::SubCodeOffset);
        if (subCode == Dromo::BTN_DEL_ALL) {
            c.Info.Buttons.clear();
        } else if (subCode == Dromo::BTN_DEL_ONE) {
            const quint8 a = view.Byte(Dromo::DeleteClickIdOffset);
            const quint8 b = view.Byte(Dromo::DeleteClickMaxOffset);
            const quint8 first = qMin(a, b);
            const quint8 last = qMax(a, b);
            c.Info.Buttons.erase(c.Info.Buttons.lower_bound(first), c.Info.Buttons.upper_bound(last));
        } else {
            break;
        }
        emit ButtonsChanged(number);
        break;
    }
    default:
        // Keep-alive answers, the update interval and every other type need no answer here.
        break;
    }
}

void TSimServer::Send(Connection& c, const QByteArray& packet) {
    if (c.Dropped)
        return;
    c.Socket->write(packet);
    emit PacketSent(c.Info.Number, packet);
    if (c.Socket->bytesToWrite() > m_limits.MaxUnsent)
        Drop(c, QStringLiteral("not reading: more than %1 bytes unsent").arg(m_limits.MaxUnsent));
}

void TSimServer::SendNow(Connection& c) {
    // What the user did goes out before the event loop turns again (it may have a long paint ahead).
    if (!c.Dropped)
        c.Socket->flush();
}

void TSimServer::Drop(Connection& c, const QString& reason) {
    if (c.Dropped)
        return;
    c.Dropped = true;
    c.Socket->disconnect(this);
    c.Socket->abort();
    c.Socket->deleteLater();
    c.Socket = nullptr;
    const int number = c.Info.Number;
    // The record goes once the current handler has returned: callers may still hold it.
    QMetaObject::invokeMethod(
        this, [this, number] { m_connections.erase(number); }, Qt::QueuedConnection);
    emit ClientLeft(number, reason);
}

void TSimServer::Housekeeping() {
    const qint64 now = Now();
    for (const int number : Clients()) {
        Connection* c = Find(number);
        if (!c)
            continue;
        if (!c->Info.Initialised && now - c->ConnectedAt > m_limits.InitMs) {
            Drop(*c, QStringLiteral("no initialise packet within %1 ms").arg(m_limits.InitMs));
            continue;
        }
        if (c->PendingSince >= 0 && now - c->PendingSince > m_limits.StallMs) {
            Drop(*c, HalfPacketTimedOut(*c));
            continue;
        }
        if (!c->Info.Initialised)
            continue;
        if (now - c->LastKeepAlive >= m_limits.KeepAliveMs) {
            c->LastKeepAlive = now;
            Send(*c, SimPackets::KeepAlive(m_framerUnit));
            if (c->Dropped)
                continue;
        }
        if (c->Info.Answering && now - c->LastHeard > m_limits.SilentMs) {
            c->Info.Answering = false;
            emit AnsweringChanged(number, false);
            emit ClientChanged(number);
        }
    }
}

const QByteArray* TSimServer::FindButton(int number, quint8 clickId, Connection*& c, QString& error) const {
    c = Find(number);
    if (!c) {
        error = QStringLiteral("no client %1").arg(number);
        return nullptr;
    }
    const auto it = c->Info.Buttons.find(clickId);
    if (it == c->Info.Buttons.end()) {
        error = QStringLiteral("client %1 has no button %2").arg(number).arg(clickId);
        return nullptr;
    }
    return &it->second;
}

QString TSimServer::Click(int number, quint8 clickId, quint8 flags) {
    Connection* c = nullptr;
    QString error;
    const QByteArray* button = FindButton(number, clickId, c, error);
    if (!button)
        return error;
    if (!(ReadButton(*button).BStyle & sbClickable))
        return QStringLiteral("button %2 of client %1 is not clickable").arg(number).arg(clickId);
    Send(*c, SimPackets::Click(clickId, flags, m_framerUnit));
    SendNow(*c);
    return QString();
}

QString TSimServer::Type(int number, quint8 clickId, const QByteArray& text) {
    Connection* c = nullptr;
    QString error;
    const QByteArray* button = FindButton(number, clickId, c, error);
    if (!button)
        return error;
    const int typeIn = ReadButton(*button).TypeIn;
    if (typeIn == 0)
        return QStringLiteral("button %2 of client %1 takes no text").arg(number).arg(clickId);
    Send(*c, SimPackets::Typed(clickId, text.left(typeIn), m_framerUnit));
    SendNow(*c);
    return QString();
}

QString TSimServer::Console(int number, const QByteArray& text) {
    Connection* c = Find(number);
    if (!c)
        return QStringLiteral("no client %1").arg(number);
    Send(*c, SimPackets::Console(text, false, m_framerUnit));
    return QString();
}

QString TSimServer::Close(int number) {
    Connection* c = Find(number);
    if (!c)
        return QStringLiteral("no client %1").arg(number);
    Drop(*c, QStringLiteral("closed by kvdsim"));
    return QString();
}

void TSimServer::CloseAll(const QString& reason) {
    for (const int number : Clients())
        if (Connection* c = Find(number))
            Drop(*c, reason);
}
