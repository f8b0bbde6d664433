#include "link/KvdSocketWriter.h"

#include "link/KvdSocket.h"
#include "link/KvdSocketThread.h"

#include <cerrno>
#include <sys/socket.h>
#include <thread>

bool TKvdOutgoing::Append(const void* data, int length, bool more) {
    {
        std::lock_guard lock(m_mutex);
        if (m_failed || m_finishing || m_overflowed)
            return false;
        if (m_pending.size() + length > Capacity) {
            m_overflowed = true;
        } else {
            m_pending.append(static_cast<const char*>(data), length);
            if (more)
                return true;
            m_wake = true;
        }
    }
    m_changed.notify_one();
    return !m_overflowed;
}

void TKvdOutgoing::Finish() {
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_changed.notify_one();
}

TKvdSocketWriter::TKvdSocketWriter(std::shared_ptr<TKvdSocketShared> shared,
                                   std::shared_ptr<TKvdConnection> connection)
    : m_shared(std::move(shared)), m_connection(std::move(connection)) {}

void TKvdSocketWriter::Create(std::shared_ptr<TKvdSocketShared> shared,
                              std::shared_ptr<TKvdConnection> connection) {
    std::thread([writer = TKvdSocketWriter(std::move(shared), std::move(connection))]() mutable {
        writer.Run();
    }).detach();
}

void TKvdSocketWriter::Run() {
    TKvdOutgoing& queue = m_connection->Outgoing;
    QByteArray batch;
    for (;;) {
        bool overflowed;
        {
            std::unique_lock lock(queue.m_mutex);
            queue.m_changed.wait(lock, [&] {
                return queue.m_overflowed || queue.m_finishing ||
                       (queue.m_wake && !queue.m_pending.isEmpty());
            });
            overflowed = queue.m_overflowed;
            // The two buffers change places, so neither side allocates once both have grown.
            batch.swap(queue.m_pending);
            queue.m_pending.clear();
            queue.m_wake = false;
        }
        const int code = SendAll(batch);
        if (code != 0 || overflowed) {
            Fail(code != 0 ? code : ETIMEDOUT);
            return;
        }
        std::lock_guard lock(queue.m_mutex);
        if (queue.m_finishing && queue.m_pending.isEmpty())
            break;
    }
    ::shutdown(m_connection->Fd, SHUT_RDWR);
}

int TKvdSocketWriter::SendAll(const QByteArray& bytes) {
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t sent = ::send(m_connection->Fd, at, size_t(left), MSG_NOSIGNAL);
        if (sent == -1 && errno == EINTR)
            continue;
        if (sent == -1)
            return errno == EAGAIN || errno == EWOULDBLOCK ? ETIMEDOUT : errno;
        at += sent;
        left -= sent;
    }
    return 0;
}

void TKvdSocketWriter::Fail(int code) {
    {
        std::lock_guard lock(m_connection->Outgoing.m_mutex);
        m_connection->Outgoing.m_failed = true;
        m_connection->Outgoing.m_pending.clear();
    }
    if (TKvdSocket* socket = m_shared->Acquire()) {
        socket->GiveUp(*m_connection, code);
        m_shared->Release();
    } else {
        m_connection->Closed = true;
    }
    // The reader is woken only now, so that the error comes before the disconnection.
    ::shutdown(m_connection->Fd, SHUT_RDWR);
    { std::lock_guard lock(m_shared->Mutex); }
    m_shared->Changed.notify_all();
}
