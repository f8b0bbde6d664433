#pragma once
// The reader side of a TKvdSocket: the state shared between the component and its reader threads, one
// connected socket, and the reader thread itself.

#include "link/KvdSocketWriter.h"
#include "link/KvdSysSocket.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class TKvdSocket;
class TKvdSocketThread;

// Shared by a component and every reader thread it started; outlives whichever lets go last.
struct TKvdSocketShared {
    std::mutex Mutex;
    std::condition_variable Changed;
    // The component; null once it is being destroyed. Readers use it only between Acquire and Release.
    TKvdSocket* Socket = nullptr;
    int Busy = 0;  // readers between Acquire and Release
    int Alive = 0; // reader threads that have not finished
    // Chunks handed to the component's thread and not yet picked up.
    std::deque<std::shared_ptr<TKvdSocketThread>> Pending;

    // The component with the caller counted as busy, or null when it is gone.
    TKvdSocket* Acquire();
    void Release();
};

// One connected socket. The socket is closed when the last holder (the component, the writer, the
// reader thread) lets go, so a reader can never receive on a handle that was closed and reused by a
// later connection.
class TKvdConnection {
public:
    TKvdConnection(KvdSys::SocketHandle socket, quint64 generation)
        : Socket(socket), Generation(generation) {}
    ~TKvdConnection();
    TKvdConnection(const TKvdConnection&) = delete;
    TKvdConnection& operator=(const TKvdConnection&) = delete;

    const KvdSys::SocketHandle Socket;
    const quint64 Generation;
    // Set by CloseSocket, or by the writer when it gives the connection up: nothing more received on it
    // is delivered. Set under TKvdSocketShared::Mutex before Changed is notified.
    std::atomic<bool> Closed{false};
    TKvdOutgoing Outgoing;
};

// The receive loop of one connection. It frees itself when it ends (the thread is detached and the
// object is shared with any chunk still waiting for the component's thread).
class TKvdSocketThread : public std::enable_shared_from_this<TKvdSocketThread> {
public:
    static constexpr int RecvBufferSize = 16384;

    // Starts the thread at once.
    static void Create(std::shared_ptr<TKvdSocketShared> shared, std::shared_ptr<TKvdConnection> connection);

    TKvdSocketThread(std::shared_ptr<TKvdSocketShared> shared, std::shared_ptr<TKvdConnection> connection)
        : Shared(std::move(shared)), Connection(std::move(connection)) {}

    const std::shared_ptr<TKvdSocketShared> Shared;
    const std::shared_ptr<TKvdConnection> Connection;
    quint8 RecvBuffer[RecvBufferSize];
    int RecvLength = 0;
    bool Done = false; // the handed-over chunk has been processed; guarded by Shared->Mutex

    // Whether the calling thread is a reader thread of that shared state.
    static bool IsReaderOf(const TKvdSocketShared* shared);

private:
    void Execute();
    void DoTerminate();
    // Hands the chunk to the component's thread and waits; false when the reader is to stop.
    bool ProcessReceived();
};
