#include "runtime/KvduiSignal.h"

#include <fcntl.h>
#include <unistd.h>

TKvduiSignal::TKvduiSignal() {
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    for (int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    m_read = ends[0];
    m_write = ends[1];
}

TKvduiSignal::~TKvduiSignal() {
    if (m_read >= 0)
        ::close(int(m_read));
    if (m_write >= 0)
        ::close(int(m_write));
}

bool TKvduiSignal::Valid() const {
    return m_read >= 0;
}

void TKvduiSignal::Raise() {
    if (m_raised || m_write < 0)
        return;
    const char byte = 1;
    m_raised = ::write(int(m_write), &byte, 1) == 1;
}

void TKvduiSignal::Clear() {
    if (!m_raised)
        return;
    char byte;
    while (::read(int(m_read), &byte, 1) == 1) {
    }
    m_raised = false;
}

std::intptr_t TKvduiSignal::Handle() const {
    return m_read;
}
