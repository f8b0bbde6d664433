#pragma once
// The wait handle of a client: ready while events are pending, for a program that waits in its own loop
// (poll, select, WaitForMultipleObjects). A pipe on POSIX systems, a manual-reset event on Windows; the
// only place of the runtime that calls the system.

#include <cstdint>

class TKvduiSignal {
public:
    TKvduiSignal();
    ~TKvduiSignal();
    TKvduiSignal(const TKvduiSignal&) = delete;
    TKvduiSignal& operator=(const TKvduiSignal&) = delete;

    // False when the system gave no handle (the client is then refused).
    bool Valid() const;
    // Makes the handle ready; Clear makes it not ready. The caller serialises the two.
    void Raise();
    void Clear();
    // The file descriptor, or the HANDLE as an integer.
    std::intptr_t Handle() const;

private:
    std::intptr_t m_read = -1;
    std::intptr_t m_write = -1;
    bool m_raised = false;
};
