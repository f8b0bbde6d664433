// The console classes on Unix: descriptors watched by the event loop's socket notifiers, non-blocking
// writes, and signals turned into events through a pipe.

#include "core/Console.h"
#include "core/LineQueue.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

bool GuardStandardStreams() {
    ::signal(SIGPIPE, SIG_IGN);
    bool outputClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        outputClosed = outputClosed || fd == StandardOutput;
        // The lowest free number is fd itself, as the ones below it are open by now.
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    return outputClosed;
}

// ---- input ----

struct TConsoleInput::Impl {
    int Fd;
    QSocketNotifier Notifier;
    Impl(int fd) : Fd(fd), Notifier(qintptr(fd), QSocketNotifier::Read) {}
};

TConsoleInput::TConsoleInput(int fd, QObject* parent) : QObject(parent), d(std::make_unique<Impl>(fd)) {
    connect(&d->Notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[4096];
        const ssize_t got = ::read(d->Fd, buffer, sizeof buffer);
        if (got > 0) {
            emit Received(QByteArray(buffer, qsizetype(got)));
            return;
        }
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        d->Notifier.setEnabled(false);
        emit Ended();
    });
}

TConsoleInput::~TConsoleInput() = default;

// ---- output ----

struct TConsoleWriter::Impl {
    int Fd;
    bool OwnFd = false;    // Fd was opened here, non-blocking, for the descriptor given
    int RestoreFlags = -1; // the descriptor's flags before it was made non-blocking
    bool Broken = false;   // the reader has gone: lines are thrown away
    TLineQueue Queue;
    std::unique_ptr<QSocketNotifier> Notifier;

    Impl(int fd, qsizetype maxQueued) : Fd(fd), Queue(maxQueued) {}

    void Flush() {
        while (Queue.Size() > 0) {
            const ssize_t n = ::write(Fd, Queue.Data(), size_t(Queue.Size()));
            if (n > 0) {
                Queue.Consume(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && Notifier) {
                Notifier->setEnabled(true);
                return;
            }
            // The reader has gone (or the descriptor is unusable): nothing more can be written.
            Broken = true;
            break;
        }
        Queue.Clear();
        if (Notifier)
            Notifier->setEnabled(false);
    }
};

TConsoleWriter::TConsoleWriter(int fd, qsizetype maxQueued, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(fd, maxQueued)) {
    // A regular file takes every write at once. Anything else (pipe, terminal, socket) is written without
    // blocking, and written further when it is ready again.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        return;
    // Pipes and terminals are opened once more, non-blocking: the descriptor given stays blocking for
    // the others that share it (a shell's terminal), even when this program is killed. Sockets cannot
    // be opened so; their descriptor is switched, and switched back at the end.
    const QByteArray again = "/proc/self/fd/" + QByteArray::number(fd);
    const int own = ::open(again.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (own >= 0) {
        d->Fd = own;
        d->OwnFd = true;
    } else if (const int flags = ::fcntl(fd, F_GETFL);
               flags >= 0 && !(flags & O_NONBLOCK) && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0) {
        d->RestoreFlags = flags;
    }
    d->Notifier = std::make_unique<QSocketNotifier>(qintptr(d->Fd), QSocketNotifier::Write);
    d->Notifier->setEnabled(false);
    connect(d->Notifier.get(), &QSocketNotifier::activated, this, [this] { d->Flush(); });
}

TConsoleWriter::~TConsoleWriter() {
    d->Notifier.reset();
    if (d->OwnFd)
        ::close(d->Fd);
    else if (d->RestoreFlags >= 0)
        ::fcntl(d->Fd, F_SETFL, d->RestoreFlags);
}

void TConsoleWriter::Write(const QByteArray& line) {
    if (d->Broken || !d->Queue.Add(line))
        return;
    if (!d->Notifier || !d->Notifier->isEnabled())
        d->Flush();
}

bool TConsoleWriter::Drain(int idleMs) {
    if (!d->Broken)
        d->Queue.AddDropNotice();
    for (;;) {
        d->Flush();
        if (d->Queue.Size() == 0)
            return !d->Broken;
        pollfd ready{d->Fd, POLLOUT, 0};
        int got;
        do
            got = ::poll(&ready, 1, idleMs);
        while (got < 0 && errno == EINTR);
        if (got <= 0)
            return false;
    }
}

qsizetype TConsoleWriter::Queued() const {
    return d->Queue.Size();
}

qint64 TConsoleWriter::Dropped() const {
    return d->Queue.Dropped();
}

// ---- interrupt ----

namespace {
// The signal handler can only write to a pipe; the event loop reads it.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

struct TConsoleInterrupt::Impl {
    std::unique_ptr<QSocketNotifier> Notifier;
};

TConsoleInterrupt::TConsoleInterrupt(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    Q_ASSERT(g_signalPipe[0] < 0);
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("cannot watch for interrupts");
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return;
    }
    d->Notifier = std::make_unique<QSocketNotifier>(qintptr(g_signalPipe[0]), QSocketNotifier::Read);
    connect(d->Notifier.get(), &QSocketNotifier::activated, this, [this] {
        char drain[16];
        while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
        }
        emit Interrupted();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

TConsoleInterrupt::~TConsoleInterrupt() {
    if (!d->Notifier)
        return;
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    d->Notifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

bool TConsoleInterrupt::Installed() const {
    return d->Notifier != nullptr;
}
