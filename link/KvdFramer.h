#pragma once
// Cuts a byte stream into packets by their size byte, which gives a packet's length in units of the
// connection's size unit (4 bytes from protocol version 9 on, 1 before). One framer for both ends: the
// builder's socket cuts whole packets straight from each received chunk and keeps only an incomplete tail
// (Cut); the stand-in takes bytes in and takes packets out one by one (Feed, Next). What waits is held in
// a ring buffer of fixed size, so a peer can never make either end hold more than that.

#include "link/KvdSocketBuffer.h"

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#if defined(_MSC_VER)
#include <xmmintrin.h>
#endif

class TKvdFramer {
public:
    // The most bytes one Feed may bring; a caller of Feed reads at most FreeSpace() from its socket.
    static constexpr int ChunkSize = 16384;
    // The longest packet a size byte can describe.
    static constexpr int MaxPacketBytes = 255 * 4;

    explicit TKvdFramer(quint8 sizeUnit, int capacity = ChunkSize + MaxPacketBytes);

    quint8 SizeUnit() const { return m_unit; }
    void SetSizeUnit(quint8 unit) { m_unit = unit ? unit : 1; }
    int FreeSpace() const { return m_buffer.Capacity() - m_buffer.Count(); }
    // Bytes held that do not yet make a whole packet (after Next has returned More, or after Cut).
    int Pending() const { return m_buffer.Count(); }
    // Length of the packet the held bytes begin, or 0 when nothing is held.
    int Expected() const;
    // Type byte of the packet the held bytes begin, or -1 while fewer than two bytes are held.
    int HeadType() const;
    const TKvdSocketBuffer& Buffer() const { return m_buffer; }
    // Drops whatever is held.
    void Clear() { m_buffer.Skip(m_buffer.Count()); }

    // Takes the bytes; returns how many fitted (all of them when length <= FreeSpace()).
    int Feed(const char* data, int length);
    enum class Step {
        Packet,   // packet holds the next whole packet
        More,     // no whole packet yet
        ZeroSize, // the next size byte is 0: the stream cannot be framed any further
    };
    Step Next(QByteArray& packet);

    // Hands deliver(const quint8* packet, int length) every whole packet, in stream order: first the one
    // the held bytes begin, completed from the front of data in area (at least MaxPacketBytes long),
    // then each whole packet straight from data; an incomplete tail is kept. False at a size byte of 0:
    // nothing after it can be framed.
    template <class Deliver> bool Cut(const quint8* data, int length, quint8* area, Deliver&& deliver);

private:
    template <int Shift, class Deliver>
    static const quint8* CutWhole(const quint8* at, const quint8* end, Deliver& deliver);

    TKvdSocketBuffer m_buffer;
    quint8 m_unit;
};

namespace KvdFraming {
// Asks for the cache line at the address ahead of its use; no compiler has one spelling for it.
inline void Prefetch(quintptr address) {
#if defined(_MSC_VER)
    _mm_prefetch(reinterpret_cast<const char*>(address), _MM_HINT_T0);
#else
    __builtin_prefetch(reinterpret_cast<const void*>(address));
#endif
}
} // namespace KvdFraming

template <class Deliver>
bool TKvdFramer::Cut(const quint8* data, int length, quint8* area, Deliver&& deliver) {
    int remaining = std::max(0, length);
    // A packet begun in an earlier chunk is completed in the ring buffer first.
    if (m_buffer.Count() > 0) {
        const int n = Expected();
        if (n == 0)
            return false;
        if (m_buffer.Count() < n) {
            const int taken = std::max(0, m_buffer.Write(data, std::min(remaining, n - m_buffer.Count())));
            data += taken;
            remaining -= taken;
            if (m_buffer.Count() < n)
                return true;
        }
        m_buffer.Read(area, n);
        deliver(static_cast<const quint8*>(area), n);
    }
    // Whole packets are cut straight from the received bytes; only an incomplete tail is kept.
    const quint8* const end = data + remaining;
    const quint8* tail = m_unit == 4 ? CutWhole<2>(data, end, deliver) : CutWhole<0>(data, end, deliver);
    if (!tail)
        return false;
    if (tail < end)
        m_buffer.Write(tail, int(end - tail));
    return true;
}

template <int Shift, class Deliver>
const quint8* TKvdFramer::CutWhole(const quint8* at, const quint8* end, Deliver& deliver) {
    // Where the next packet starts depends on this one's size byte, so the loop is one chain of loads. A
    // received chunk sits in the second-level cache at best; fetching the bytes ahead into the first level
    // keeps each link of that chain short. Each packet asks for four lines a little ahead, without a branch
    // (prefetching past the chunk is harmless and not worth a test).
    constexpr quintptr Lead = 1024, Span = 256, MaxLead = 4096;
    quintptr fetched = quintptr(at);
    while (at < end) {
        fetched = std::max(fetched, quintptr(at) + Lead);
        for (quintptr line = 0; line < Span; line += 64)
            KvdFraming::Prefetch(fetched + line);
        fetched = std::min(fetched + Span, quintptr(at) + MaxLead);
        const size_t n = size_t(at[0]) << Shift;
        if (n == 0)
            return nullptr;
        if (size_t(end - at) < n)
            break;
        deliver(at, int(n));
        at += n;
    }
    return at;
}
