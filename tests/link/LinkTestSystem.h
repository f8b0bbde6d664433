#pragma once
// What the link tests need from the operating system directly, where Qt's sockets offer no way: a smaller
// send buffer on the client's socket, a listener that never completes a connect, and the number of the
// process's threads.

#include <QtGlobal>

// Sets the socket's send buffer; false when the system refuses.
bool SetSendBufferSize(qintptr socket, int bytes);

// A loopback listener whose backlog is already full: the system leaves further connects to it
// unanswered, so they never complete.
class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener&) = delete;
    StalledListener& operator=(const StalledListener&) = delete;

    // False when the listener could not be set up.
    bool Ready() const { return m_ready; }
    quint16 Port() const { return m_port; }

private:
    qintptr m_listener = -1;
    qintptr m_filler = -1;
    quint16 m_port = 0;
    bool m_ready = false;
    bool m_started = false; // Windows: the socket library was started for this listener
};

// The threads the process runs now.
int ThreadsOfProcess();
