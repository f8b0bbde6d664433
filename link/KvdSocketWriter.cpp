#include "link/KvdSocketWriter.h"

#include "link/KvdSocket.h"
#include "link/KvdSocketThread.h"
#include "link/KvdSysSocket.h"

#include <QScopeGuard>

#include <algorithm>

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
    m_changed.notify_all();
    return !m_overflowed;
}

void TKvdOutgoing::Finish() {
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_changed.notify_all();
}

bool TKvdOutgoing::Ended() {
    std::lock_guard lock(m_mutex);
    return m_ended;
}

bool TKvdOutgoing::FinishAndWait(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    m_finishing = true;
    m_changed.notify_all();
    return m_changed.wait_until(lock, deadline, [this] { return m_ended; });
}

TKvdSocketWriter::TKvdSocketWriter(std::shared_ptr<TKvdSocketShared> shared,
                                   std::shared_ptr<TKvdConnection> connection)
    : m_shared(std::move(shared)), m_connection(std::move(connection)) {}

void TKvdSocketWriter::Run() {
    TKvdOutgoing& queue = m_connection->Outgoing;
    const auto ended = qScopeGuard([&queue] {
        {
            std::lock_guard lock(queue.m_mutex);
            queue.m_ended = true;
        }
        queue.m_changed.notify_all();
    });
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
            Fail(code != 0 ? code : KvdSys::TimedOut);
            return;
        }
        std::lock_guard lock(queue.m_mutex);
        if (queue.m_finishing && queue.m_pending.isEmpty())
            break;
    }
    KvdSys::ShutdownBoth(m_connection->Socket);
}

int TKvdSocketWriter::SendAll(const QByteArray& bytes) {
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const qint64 sent = KvdSys::Send(m_connection->Socket, at, left);
        if (sent == -1) {
            // A send that the peer did not take within the send timeout.
            const int code = KvdSys::LastError();
            return code == KvdSys::WouldBlock ? KvdSys::TimedOut : code;
        }
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
    KvdSys::ShutdownBoth(m_connection->Socket);
    { std::lock_guard lock(m_shared->Mutex); }
    m_shared->Changed.notify_all();
}

void TKvdWriterThreads::Start(std::shared_ptr<TKvdSocketShared> shared,
                              std::shared_ptr<TKvdConnection> connection) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_writers, [](Writer& writer) {
        // A writer that has let go of its connection has left its loop as well.
        const auto held = writer.Connection.lock();
        if (held && !held->Outgoing.Ended())
            return false;
        writer.Thread.join(); // it has left its loop: returns at once
        return true;
    });
    std::thread thread(
        [writer = TKvdSocketWriter(std::move(shared), connection)]() mutable { writer.Run(); });
    m_writers.push_back({std::move(thread), std::move(connection)});
}

void TKvdWriterThreads::JoinAll() {
    std::vector<Writer> writers;
    {
        std::lock_guard lock(m_mutex);
        writers.swap(m_writers);
    }
    const auto deadline = std::chrono::steady_clock::now() + FlushGrace;
    for (Writer& writer : writers) {
        // Normally the connection has been closed already; this also ends a writer waiting for work.
        if (const auto connection = writer.Connection.lock())
            if (!connection->Outgoing.FinishAndWait(deadline))
                KvdSys::ShutdownBoth(connection->Socket);
        // A component destroyed by its own OnError handler runs this on that writer's thread.
        if (writer.Thread.get_id() == std::this_thread::get_id())
            writer.Thread.detach();
        else
            writer.Thread.join();
    }
}
