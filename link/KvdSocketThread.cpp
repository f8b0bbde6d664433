#include "link/KvdSocketThread.h"

#include "link/KvdSocket.h"

#include <QMetaObject>
#include <QScopeGuard>

#include <thread>

namespace {
thread_local const TKvdSocketShared* t_readerOf = nullptr;
}

TKvdSocket* TKvdSocketShared::Acquire() {
    std::lock_guard lock(Mutex);
    if (!Socket)
        return nullptr;
    ++Busy;
    return Socket;
}

void TKvdSocketShared::Release() {
    {
        std::lock_guard lock(Mutex);
        --Busy;
    }
    Changed.notify_all();
}

TKvdConnection::~TKvdConnection() {
    if (Socket != KvdSys::InvalidSocket)
        KvdSys::Close(Socket);
}

bool TKvdSocketThread::IsReaderOf(const TKvdSocketShared* shared) {
    return t_readerOf == shared;
}

void TKvdSocketThread::Create(std::shared_ptr<TKvdSocketShared> shared,
                              std::shared_ptr<TKvdConnection> connection) {
    auto thread = std::make_shared<TKvdSocketThread>(shared, std::move(connection));
    {
        std::lock_guard lock(shared->Mutex);
        ++shared->Alive;
    }
    // A thread that cannot be started is not alive.
    auto notStarted = qScopeGuard([&shared] {
        std::lock_guard lock(shared->Mutex);
        --shared->Alive;
    });
    std::thread([thread] {
        t_readerOf = thread->Shared.get();
        thread->Execute();
        thread->DoTerminate();
    }).detach();
    notStarted.dismiss();
}

void TKvdSocketThread::Execute() {
    if (TKvdSocket* socket = Shared->Acquire()) {
        socket->BeginConnection(Connection->Generation);
        Shared->Release();
    }
    for (;;) {
        {
            std::lock_guard lock(Shared->Mutex);
            if (Connection->Closed || !Shared->Socket)
                return;
        }
        const qint64 received =
            KvdSys::Receive(Connection->Socket, reinterpret_cast<char*>(RecvBuffer), RecvBufferSize);
        // Nothing arrived within a slice: whether the connection is still wanted is checked again.
        if (received == -1 && KvdSys::LastError() == KvdSys::WouldBlock)
            continue;
        if (received <= 0)
            return;
        RecvLength = int(received);
        if (!ProcessReceived())
            return;
    }
}

bool TKvdSocketThread::ProcessReceived() {
    TKvdSocket* socket = Shared->Acquire();
    if (!socket)
        return false;
    if (!socket->Synchronized()) {
        try {
            socket->ProcessChunk(*Connection, RecvBuffer, RecvLength);
        } catch (...) {
            // Handlers' exceptions are reported by ProcessData; nothing may end the thread.
        }
        Shared->Release();
        return true;
    }
    {
        // Posted under the lock: the component's thread takes the same lock before it touches the chunk,
        // which also orders the posted call before its disposal for race checkers that cannot see
        // inside Qt.
        std::lock_guard lock(Shared->Mutex);
        Done = false;
        Shared->Pending.push_back(shared_from_this());
        QMetaObject::invokeMethod(socket, "ProcessPending", Qt::QueuedConnection);
    }
    Shared->Release();

    // Wait for the component's thread, but give up when the connection is closed or the component goes
    // away: that thread may be the one closing or destroying, and it never waits for this chunk.
    std::unique_lock lock(Shared->Mutex);
    Shared->Changed.wait(lock, [this] { return Done || Connection->Closed || !Shared->Socket; });
    if (Done)
        return true;
    std::erase(Shared->Pending, shared_from_this());
    return false;
}

void TKvdSocketThread::DoTerminate() {
    if (TKvdSocket* socket = Shared->Acquire()) {
        socket->EndConnection(Connection->Generation);
        Shared->Release();
    }
    {
        std::lock_guard lock(Shared->Mutex);
        --Shared->Alive;
    }
    Shared->Changed.notify_all();
}
