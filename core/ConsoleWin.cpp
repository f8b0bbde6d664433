// The console classes on Windows. Pipes and consoles can be neither watched by the event loop nor made
// non-blocking, so reading and writing them is done on threads of their own that hand their results to
// the event loop; the console's control events arrive on a thread of the system's and are handed on too.

#include "core/Console.h"
#include "core/LineQueue.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <io.h>
#include <mutex>
#include <thread>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

using namespace std::chrono_literals;

// A thread blocked in a read or write of a pipe nobody serves cannot be joined. At the end it is asked to
// give up its call; one that still does not end is left behind (the state it uses is shared, so it stays
// valid) and ends with the process.
void StopThread(std::thread& thread, HANDLE handle, const std::function<bool()>& finished) {
    for (int i = 0; i < 20 && !finished(); ++i) {
        if (handle)
            ::CancelSynchronousIo(handle);
        std::this_thread::sleep_for(50ms);
    }
    if (finished())
        thread.join();
    else
        thread.detach();
}

// The calling thread's handle, good for CancelSynchronousIo from another thread.
HANDLE OwnThreadHandle() {
    HANDLE handle = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &handle, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    return handle;
}

} // namespace

// A program started without a stream has no valid handle behind its C runtime descriptor; there is no
// SIGPIPE to ignore.
bool GuardStandardStreams() {
    bool outputClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) != -1)
            continue;
        outputClosed = outputClosed || fd == StandardOutput;
        const int null = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (null >= 0 && null != fd) {
            _dup2(null, fd);
            _close(null);
        }
    }
    return outputClosed;
}

// ---- input ----

namespace {
struct InputShared {
    std::mutex Lock;
    TConsoleInput* Target = nullptr; // null once the object is going
    HANDLE Thread = nullptr;
    bool Finished = false;
    ~InputShared() {
        if (Thread)
            ::CloseHandle(Thread);
    }
};
} // namespace

struct TConsoleInput::Impl {
    std::shared_ptr<InputShared> Shared = std::make_shared<InputShared>();
    std::thread Reader;
};

TConsoleInput::TConsoleInput(int fd, QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    d->Shared->Target = this;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    d->Reader = std::thread([shared = d->Shared, handle] {
        {
            const std::lock_guard lock(shared->Lock);
            shared->Thread = OwnThreadHandle();
        }
        // Raw bytes: the command reader takes a carriage return before the line feed as part of the break.
        char buffer[4096];
        DWORD got = 0;
        bool ok;
        while ((ok = handle != INVALID_HANDLE_VALUE &&
                     ::ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) &&
               got > 0) {
            const QByteArray bytes(buffer, qsizetype(got));
            const std::lock_guard lock(shared->Lock);
            if (!shared->Target)
                break;
            TConsoleInput* target = shared->Target;
            QMetaObject::invokeMethod(
                target, [target, bytes] { emit target->Received(bytes); }, Qt::QueuedConnection);
        }
        const std::lock_guard lock(shared->Lock);
        if (TConsoleInput* target = shared->Target)
            QMetaObject::invokeMethod(
                target, [target] { emit target->Ended(); }, Qt::QueuedConnection);
        shared->Finished = true;
    });
}

TConsoleInput::~TConsoleInput() {
    HANDLE thread;
    {
        const std::lock_guard lock(d->Shared->Lock);
        d->Shared->Target = nullptr;
        thread = d->Shared->Thread;
    }
    const std::shared_ptr<InputShared> shared = d->Shared;
    StopThread(d->Reader, thread, [shared] {
        const std::lock_guard lock(shared->Lock);
        return shared->Finished;
    });
}

// ---- output ----

namespace {
struct OutputShared {
    explicit OutputShared(qsizetype maxQueued) : Queue(maxQueued) {}
    std::mutex Lock;
    std::condition_variable Changed;
    TLineQueue Queue;
    qint64 Written = 0;  // bytes taken by the reader so far, to tell progress
    bool Broken = false; // the reader has gone: lines are thrown away
    bool Stop = false;
    bool Finished = false;
    HANDLE Thread = nullptr;
    ~OutputShared() {
        if (Thread)
            ::CloseHandle(Thread);
    }
};

// What the writer thread hands to one write: small, so that a reader that takes a little at a time is
// seen to make progress.
constexpr qsizetype ChunkBytes = 4096;

// Writes through the C runtime so that text mode gives the lines the system's line break; what it counts
// are bytes of the line given.
bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const int n = ::_write(fd, data, unsigned(std::min<qsizetype>(size, 1 << 20)));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}
} // namespace

struct TConsoleWriter::Impl {
    int Fd;
    bool Direct = false; // a file on disk: written at once, no thread
    std::shared_ptr<OutputShared> Shared;
    std::thread Writer;
};

TConsoleWriter::TConsoleWriter(int fd, qsizetype maxQueued, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {
    d->Fd = fd;
    d->Shared = std::make_shared<OutputShared>(maxQueued);
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    d->Direct = handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) == FILE_TYPE_DISK;
    if (d->Direct)
        return;
    d->Writer = std::thread([shared = d->Shared, fd] {
        std::unique_lock lock(shared->Lock);
        shared->Thread = OwnThreadHandle();
        for (;;) {
            shared->Changed.wait(lock, [&] { return shared->Stop || shared->Queue.Size() > 0; });
            if (shared->Stop)
                break;
            // A copy: Write may move the queue's bytes while this thread writes without the lock.
            const QByteArray chunk(shared->Queue.Data(),
                                   std::min<qsizetype>(shared->Queue.Size(), ChunkBytes));
            lock.unlock();
            const bool ok = WriteAll(fd, chunk.constData(), chunk.size());
            lock.lock();
            if (ok) {
                shared->Queue.Consume(chunk.size());
                shared->Written += chunk.size();
            } else {
                shared->Broken = true;
                shared->Queue.Clear();
            }
            shared->Changed.notify_all();
        }
        shared->Finished = true;
        shared->Changed.notify_all();
    });
}

TConsoleWriter::~TConsoleWriter() {
    if (!d->Writer.joinable())
        return;
    HANDLE thread;
    {
        const std::lock_guard lock(d->Shared->Lock);
        d->Shared->Stop = true;
        thread = d->Shared->Thread;
    }
    d->Shared->Changed.notify_all();
    const std::shared_ptr<OutputShared> shared = d->Shared;
    StopThread(d->Writer, thread, [shared] {
        const std::lock_guard lock(shared->Lock);
        return shared->Finished;
    });
}

void TConsoleWriter::Write(const QByteArray& line) {
    OutputShared& s = *d->Shared;
    if (d->Direct) {
        if (s.Broken || !s.Queue.Add(line))
            return;
        if (!WriteAll(d->Fd, s.Queue.Data(), s.Queue.Size()))
            s.Broken = true;
        s.Queue.Clear();
        return;
    }
    {
        const std::lock_guard lock(s.Lock);
        if (s.Broken || !s.Queue.Add(line))
            return;
    }
    s.Changed.notify_all();
}

bool TConsoleWriter::Drain(int idleMs) {
    OutputShared& s = *d->Shared;
    std::unique_lock lock(s.Lock);
    if (s.Broken)
        return false;
    s.Queue.AddDropNotice();
    if (d->Direct) {
        const bool ok = WriteAll(d->Fd, s.Queue.Data(), s.Queue.Size());
        s.Queue.Clear();
        return ok;
    }
    s.Changed.notify_all();
    while (s.Queue.Size() > 0 && !s.Broken) {
        const qint64 before = s.Written;
        if (!s.Changed.wait_for(lock, std::chrono::milliseconds(idleMs),
                                [&] { return s.Written != before || s.Queue.Size() == 0 || s.Broken; }))
            return false;
    }
    return !s.Broken;
}

qsizetype TConsoleWriter::Queued() const {
    const std::lock_guard lock(d->Shared->Lock);
    return d->Shared->Queue.Size();
}

qint64 TConsoleWriter::Dropped() const {
    const std::lock_guard lock(d->Shared->Lock);
    return d->Shared->Queue.Dropped();
}

// ---- interrupt ----

namespace {
std::mutex g_interruptLock;
TConsoleInterrupt* g_interruptTarget = nullptr;
HANDLE g_interruptDone = nullptr; // set when the object is gone, so that a closing console may end us

BOOL WINAPI OnControl(DWORD event) {
    {
        const std::lock_guard lock(g_interruptLock);
        TConsoleInterrupt* target = g_interruptTarget;
        if (!target)
            return FALSE;
        QMetaObject::invokeMethod(
            target, [target] { emit target->Interrupted(); }, Qt::QueuedConnection);
    }
    // The system ends the process once this returns from a close, log-off or shut-down event: give the
    // program a few seconds to finish first.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::WaitForSingleObject(g_interruptDone, 5000);
    return TRUE;
}
} // namespace

struct TConsoleInterrupt::Impl {
    bool Installed = false;
};

TConsoleInterrupt::TConsoleInterrupt(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    {
        const std::lock_guard lock(g_interruptLock);
        Q_ASSERT(!g_interruptTarget);
        g_interruptTarget = this;
        if (!g_interruptDone)
            g_interruptDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ::ResetEvent(g_interruptDone);
    }
    // A program started in a process group of its own ignores Ctrl+C until it asks for it.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    d->Installed = ::SetConsoleCtrlHandler(OnControl, TRUE) != 0;
    if (!d->Installed)
        std::fprintf(stderr, "cannot watch for interrupts (error %lu)\n", ::GetLastError());
}

TConsoleInterrupt::~TConsoleInterrupt() {
    if (d->Installed)
        ::SetConsoleCtrlHandler(OnControl, FALSE);
    const std::lock_guard lock(g_interruptLock);
    g_interruptTarget = nullptr;
    ::SetEvent(g_interruptDone);
}

bool TConsoleInterrupt::Installed() const {
    return d->Installed;
}
