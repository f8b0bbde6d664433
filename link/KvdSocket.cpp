#include "link/KvdSocket.h"

#include "link/Dromo.h"
#include "link/KvdSocketThread.h"
#include "link/KvdSysSocket.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

// The message of an exception that escaped a handler.
QString ExceptionMessage(const std::exception& e) {
    if (const auto* error = dynamic_cast<const Exception*>(&e))
        return error->Message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

TKvdSocket::TKvdSocket(QObject* owner)
    : QObject(owner), m_shared(std::make_shared<TKvdSocketShared>()),
      m_packetArea(new quint8[PacketAreaSize]()) {
    m_shared->Socket = this;
}

TKvdSocket::~TKvdSocket() {
    // A descendant has normally called ShutDown already; Close cannot run any more at this point.
    m_active = false;
    CloseSocket();
    DetachReaders();
    m_writers.JoinAll();
}

void TKvdSocket::ShutDown() {
    SetActive(false);
    CloseSocket();
    DetachReaders();
    m_writers.JoinAll();
}

void TKvdSocket::DetachReaders() {
    if (m_detached)
        return;
    m_detached = true;
    std::unique_lock lock(m_shared->Mutex);
    m_shared->Socket = nullptr;
    m_shared->Pending.clear();
    m_shared->Changed.notify_all();
    // Wait until no reader uses this component any more and every reader has finished. A reader that
    // destroys the component from one of its own handlers does not wait for itself.
    const int self = TKvdSocketThread::IsReaderOf(m_shared.get()) ? 1 : 0;
    m_shared->Changed.wait(lock, [&] { return m_shared->Busy <= self && m_shared->Alive <= self; });
}

QString TKvdSocket::Address() const {
    std::lock_guard lock(m_propsMutex);
    return m_address;
}

void TKvdSocket::SetAddress(const QString& value) {
    std::lock_guard lock(m_propsMutex);
    m_address = value;
}

int TKvdSocket::Port() const {
    std::lock_guard lock(m_propsMutex);
    return m_port;
}

void TKvdSocket::SetPort(int value) {
    std::lock_guard lock(m_propsMutex);
    m_port = value;
}

void TKvdSocket::SetVersion(quint8 value) {
    m_version = value;
    m_sizeUnit = Dromo::SizeUnitFor(value);
}

void TKvdSocket::SetActive(bool value) {
    if (value == m_active)
        return;
    std::lock_guard lock(m_activeLock);
    if (value == m_active)
        return;
    m_active = value;
    if (value)
        Open();
    else
        Close();
}

void TKvdSocket::EndConnection(quint64 generation) {
    if (!m_active)
        return;
    try {
        std::lock_guard lock(m_activeLock);
        // A connection that has been replaced by a newer one must not take that one down.
        if (!m_active || generation != m_generation)
            return;
        m_active = false;
        Close();
    } catch (const std::exception& e) {
        ReportError(ExceptionMessage(e));
    } catch (...) {
    }
}

std::shared_ptr<TKvdConnection> TKvdSocket::CurrentConnection() const {
    std::lock_guard lock(m_connectionMutex);
    return m_connection;
}

KvdSys::SocketHandle TKvdSocket::Handle() const {
    const auto connection = CurrentConnection();
    return connection && !connection->Closed ? connection->Socket : KvdSys::InvalidSocket;
}

KvdSys::SocketHandle TKvdSocket::OpenSocket() {
    const KvdSys::SocketHandle socket = KvdSys::OpenTcpSocket();
    if (socket == KvdSys::InvalidSocket) {
        CheckResult(-1);
        return KvdSys::InvalidSocket;
    }
    CheckResult(KvdSys::SetReceiveBufferSize(socket, RecvSize) ? 0 : -1);
    CheckResult(KvdSys::SetSendTimeout(socket, SendTimeout()) ? 0 : -1);

    auto connection = std::make_shared<TKvdConnection>(socket, ++m_generation);
    {
        std::lock_guard lock(m_connectionMutex);
        m_connection = connection;
    }

    // Dotted IPv4 only: a host name is not looked up and fails like an unreachable address.
    const int result =
        KvdSys::ConnectWithin(socket, Address().toLatin1(), quint16(Port() & 0xFFFF), ConnectTimeout());
    if (CheckResult(result) == -1) {
        CloseSocket();
        return KvdSys::InvalidSocket;
    }
    m_writers.Start(m_shared, connection);
    TKvdSocketThread::Create(m_shared, connection);
    return socket;
}

void TKvdSocket::CloseSocket() {
    std::shared_ptr<TKvdConnection> connection;
    {
        std::lock_guard lock(m_connectionMutex);
        connection.swap(m_connection);
    }
    if (!connection)
        return;
    {
        std::lock_guard lock(m_shared->Mutex);
        connection->Closed = true;
    }
    // The receiving side ends at once; the sending side when the writer has sent what is queued.
    KvdSys::ShutdownReceive(connection->Socket);
    connection->Outgoing.Finish();
    m_shared->Changed.notify_all();
    // The descriptor itself is closed when the reader and the writer have let go of the connection.
}

int TKvdSocket::SendRaw(const void* data, int length, bool more) {
    const auto connection = CurrentConnection();
    if (!connection) {
        ReportSystemError(KvdSys::BadHandle);
        return -1;
    }
    return connection->Outgoing.Append(data, length, more) ? length : -1;
}

int TKvdSocket::CheckResult(int result) {
    if (result != -1)
        return result;
    const int code = KvdSys::LastError();
    if (code == KvdSys::WouldBlock)
        return result;
    ReportSystemError(code);
    return result;
}

void TKvdSocket::ReportSystemError(int code) {
    ReportError(QStringLiteral("[%1:%2] %3").arg(Address()).arg(Port()).arg(KvdSys::ErrorText(code)));
}

void TKvdSocket::GiveUp(TKvdConnection& connection, int code) {
    // Under the framing lock no packet of the connection is being delivered; it is held through the
    // report, so that the error line comes after every packet delivered and before the link goes down.
    std::lock_guard processing(m_processLock);
    bool wasClosed;
    {
        std::lock_guard lock(m_shared->Mutex);
        wasClosed = connection.Closed;
    }
    // Once the link has gone inactive its connection is ending anyway: a send refused then (the peer
    // has closed and resets what still arrives) is part of that ending, not news for the user.
    if (!wasClosed && Active())
        ReportSystemError(code);
    // Marked only after the report: a reader that finds its connection closed takes the link down at
    // once, and the disconnection must not overtake the error.
    std::lock_guard lock(m_shared->Mutex);
    connection.Closed = true;
}

void TKvdSocket::ReportError(const QString& message) {
    if (!OnError)
        return;
    try {
        OnError(this, message);
    } catch (...) {
        // An error handler's own failure has nowhere to go: it may run on the reader thread.
    }
}

void TKvdSocket::Fatal(const QString& message) {
    ReportError(message);
    CloseSocket();
    // The rest of the stream is abandoned.
    m_framer.Clear();
}

inline bool TKvdSocket::Deliverable(const quint8* packet, int areaLength) {
    // Types 1 to 67 are 0 to 66 after subtracting 1; type 0 wraps to 255.
    return areaLength >= Dromo::MinPacketSize && packet[Dromo::SizeOffset] != 0 &&
           quint8(packet[Dromo::TypeOffset] - Dromo::MinPacketType) <=
               Dromo::MaxPacketType - Dromo::MinPacketType;
}

inline void TKvdSocket::Handle(const quint8* packet, int length) {
    try {
        HandlePacket(TKvdPacket(packet, length));
    } catch (const std::exception& e) {
        ReportError(ExceptionMessage(e));
    } catch (...) {
        ReportError(QStringLiteral("Unknown error in a packet handler"));
    }
}

void TKvdSocket::ProcessData(const void* data, int length) {
    std::lock_guard lock(m_processLock);
    m_framer.SetSizeUnit(SizeUnit());
    static const std::atomic<bool> neverClosed{false};
    const std::atomic<bool>& closed = m_framing ? m_framing->Closed : neverClosed;
    const bool framed = m_framer.Cut(static_cast<const quint8*>(data), length, m_packetArea.get(),
                                     [this, &closed](const quint8* packet, int n) {
                                         if (Deliverable(packet, n) && !closed)
                                             Handle(packet, n);
                                     });
    if (!framed)
        Fatal(QStringLiteral("FATAL: Zero packet len detected!"));
}

void TKvdSocket::DrainBuffer() {
    std::lock_guard lock(m_processLock);
    m_framer.Clear();
}

void TKvdSocket::BeginConnection(quint64 generation) {
    std::lock_guard lock(m_processLock);
    // Reader threads may start in any order; the reader of an older connection must not claim the
    // buffer from a newer one.
    if (generation <= m_bufferGeneration)
        return;
    DrainBuffer();
    m_bufferGeneration = generation;
}

void TKvdSocket::ProcessChunk(const TKvdConnection& connection, const quint8* data, int length) {
    std::lock_guard lock(m_processLock);
    {
        std::lock_guard sharedLock(m_shared->Mutex);
        if (connection.Closed)
            return;
    }
    if (connection.Generation != m_bufferGeneration)
        return;
    m_framing = &connection;
    const auto framed = qScopeGuard([this] { m_framing = nullptr; });
    ProcessData(data, length);
}

void TKvdSocket::ProcessPending() {
    for (;;) {
        std::shared_ptr<TKvdSocketThread> chunk;
        {
            std::lock_guard lock(m_shared->Mutex);
            if (m_shared->Pending.empty())
                return;
            chunk = std::move(m_shared->Pending.front());
            m_shared->Pending.pop_front();
        }
        try {
            ProcessChunk(*chunk->Connection, chunk->RecvBuffer, chunk->RecvLength);
        } catch (...) {
            // Handlers' exceptions are reported by ProcessData; nothing may cross the event loop.
        }
        {
            std::lock_guard lock(m_shared->Mutex);
            chunk->Done = true;
        }
        m_shared->Changed.notify_all();
    }
}
