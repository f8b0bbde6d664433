#pragma once
// Cuts whole packets out of the bytes one client sends, by their size byte. The bytes wait in a ring
// buffer of fixed size, so a client can never make the stand-in hold more than one receive chunk and
// one incomplete packet, however much it sends.

#include "link/KvdSocketBuffer.h"

#include <QByteArray>

class TSimFramer {
public:
    // The most bytes one Feed may bring; the caller reads at most FreeSpace() from its socket.
    static constexpr int ChunkSize = 16384;

    explicit TSimFramer(quint8 sizeUnit);

    quint8 SizeUnit() const { return m_unit; }
    int FreeSpace() const { return m_buffer.Capacity() - m_buffer.Count(); }
    // Bytes held that do not yet make a whole packet (after Next has returned More).
    int Pending() const { return m_buffer.Count(); }
    // Length of the packet the held bytes begin, or 0 when nothing is held.
    int Expected() const;

    // Type byte of the packet the held bytes begin, or -1 while fewer than two bytes are held.
    int HeadType() const;

    // Takes the bytes; returns how many fitted (all of them when length <= FreeSpace()).
    int Feed(const char* data, int length);

    enum class Step {
        Packet,   // packet holds the next whole packet
        More,     // no whole packet yet
        ZeroSize, // the next size byte is 0: the stream cannot be framed any further
    };
    Step Next(QByteArray& packet);

private:
    TKvdSocketBuffer m_buffer;
    quint8 m_unit;
};
