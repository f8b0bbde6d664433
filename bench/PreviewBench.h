#pragma once
// The button packets that the live preview sends to a loopback stand-in for the simulator: counted, and
// awaited while the calling thread's events are handled.

#include "../tests/link/TestPeer.h"
#include "link/Dromo.h"

#include <QCoreApplication>
#include <QElapsedTimer>

inline int ButtonPackets(const TestPeer& peer) {
    int count = 0;
    for (const QByteArray& p : peer.PacketBytes())
        if (p.size() > 1 && quint8(p.at(1)) == Dromo::DR_BTN)
            ++count;
    return count;
}

// True when the peer holds at least count button packets before timeoutMs has passed.
inline bool WaitForButtonPackets(const TestPeer& peer, int count, int timeoutMs = 5000) {
    QElapsedTimer wait;
    wait.start();
    while (ButtonPackets(peer) < count && wait.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    return ButtonPackets(peer) >= count;
}
