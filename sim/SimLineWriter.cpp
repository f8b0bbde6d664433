#include "sim/SimLineWriter.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

TSimLineWriter::TSimLineWriter(int fd, qsizetype maxQueued, QObject* parent)
    : QObject(parent), m_fd(fd), m_maxQueued(maxQueued) {
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
        m_fd = own;
        m_ownFd = true;
    } else if (const int flags = ::fcntl(fd, F_GETFL);
               flags >= 0 && !(flags & O_NONBLOCK) && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0) {
        m_restoreFlags = flags;
    }
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Write, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &TSimLineWriter::Flush);
}

TSimLineWriter::~TSimLineWriter() {
    delete m_notifier;
    if (m_ownFd)
        ::close(m_fd);
    else if (m_restoreFlags >= 0)
        ::fcntl(m_fd, F_SETFL, m_restoreFlags);
}

void TSimLineWriter::Append(const QByteArray& line) {
    if (m_head > 0 && m_head >= m_queue.size() / 2) {
        m_queue.remove(0, m_head);
        m_head = 0;
    }
    m_queue += line;
    m_queue += '\n';
}

void TSimLineWriter::Write(const QByteArray& line) {
    if (m_broken)
        return;
    const QByteArray notice =
        m_dropped > 0 ? "dropped " + QByteArray::number(m_dropped) + " lines" : QByteArray();
    const qsizetype room = m_maxQueued - Queued();
    const qsizetype needed = line.size() + 1 + (notice.isEmpty() ? 0 : notice.size() + 1);
    if (needed > room) {
        ++m_dropped;
        return;
    }
    if (!notice.isEmpty()) {
        Append(notice);
        m_dropped = 0;
    }
    Append(line);
    if (!m_notifier || !m_notifier->isEnabled())
        Flush();
}

void TSimLineWriter::Flush() {
    while (Queued() > 0) {
        const ssize_t n = ::write(m_fd, m_queue.constData() + m_head, size_t(Queued()));
        if (n > 0) {
            m_head += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && m_notifier) {
            m_notifier->setEnabled(true);
            return;
        }
        // The reader has gone (or the descriptor is unusable): nothing more can be written.
        m_broken = true;
        break;
    }
    m_queue.clear();
    m_head = 0;
    if (m_notifier)
        m_notifier->setEnabled(false);
}

bool TSimLineWriter::Drain(int idleMs) {
    if (m_dropped > 0 && !m_broken) {
        // The reader learns of the gap even when the notice no longer fits.
        Append("dropped " + QByteArray::number(m_dropped) + " lines");
        m_dropped = 0;
    }
    for (;;) {
        Flush();
        if (Queued() == 0)
            return !m_broken;
        pollfd ready{m_fd, POLLOUT, 0};
        int got;
        do
            got = ::poll(&ready, 1, idleMs);
        while (got < 0 && errno == EINTR);
        if (got <= 0)
            return false;
    }
}
