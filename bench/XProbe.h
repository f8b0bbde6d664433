#pragma once
// A real X server seen from outside a window, as a user's eyes and hand: clicks through the XTest
// extension, and the window's changes through the Damage extension, which reports every place the X
// server has drawn new pixels into it. Each uses an X connection of its own; damage is read on a thread.

#include <QRect>

#include <atomic>
#include <thread>

class TXProbe {
public:
    // Watches the X window for damage inside watched (in the window's coordinates).
    TXProbe(unsigned long window, const QRect& watched);
    ~TXProbe();
    TXProbe(const TXProbe&) = delete;
    TXProbe& operator=(const TXProbe&) = delete;

    // Both connections are open and the server has both extensions.
    bool Ok() const { return m_ok; }
    // A left click at the place on the screen (root window coordinates), sent at once.
    void Click(int x, int y);
    // Steady-clock nanoseconds at which damage inside the watched rectangle was last reported.
    qint64 LastDamageNs() const { return m_lastDamageNs; }

private:
    void Watch(unsigned long window, const QRect& watched);

    void* m_input = nullptr; // Display*
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_watching{false};
    std::atomic<qint64> m_lastDamageNs{0};
    std::thread m_thread;
};
