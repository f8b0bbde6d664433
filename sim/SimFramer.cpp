#include "sim/SimFramer.h"

#include "link/Dromo.h"

namespace {
// One receive chunk plus the longest packet a size byte can describe (255 units of 4 bytes).
constexpr int BufferSize = TSimFramer::ChunkSize + 255 * 4;
} // namespace

TSimFramer::TSimFramer(quint8 sizeUnit) : m_buffer(BufferSize), m_unit(sizeUnit ? sizeUnit : 1) {}

int TSimFramer::Expected() const {
    quint8 sizeByte = 0;
    if (m_buffer.Peek(&sizeByte, 1) < 1)
        return 0;
    return sizeByte * m_unit;
}

int TSimFramer::HeadType() const {
    quint8 head[Dromo::MinPacketSize] = {};
    return m_buffer.Peek(head, Dromo::MinPacketSize) < Dromo::MinPacketSize ? -1 : head[Dromo::TypeOffset];
}

int TSimFramer::Feed(const char* data, int length) {
    return qMax(0, m_buffer.Write(data, length));
}

TSimFramer::Step TSimFramer::Next(QByteArray& packet) {
    if (m_buffer.Count() == 0)
        return Step::More;
    const int n = Expected();
    if (n == 0)
        return Step::ZeroSize;
    if (m_buffer.Count() < n)
        return Step::More;
    packet.resize(n);
    m_buffer.Read(packet.data(), n);
    return Step::Packet;
}
