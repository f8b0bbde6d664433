#include "link/KvdFramer.h"

#include "link/Dromo.h"

TKvdFramer::TKvdFramer(quint8 sizeUnit, int capacity) : m_buffer(capacity), m_unit(sizeUnit ? sizeUnit : 1) {}

int TKvdFramer::Expected() const {
    quint8 sizeByte = 0;
    if (m_buffer.Peek(&sizeByte, 1) < 1)
        return 0;
    return sizeByte * m_unit;
}

int TKvdFramer::HeadType() const {
    quint8 head[Dromo::MinPacketSize] = {};
    return m_buffer.Peek(head, Dromo::MinPacketSize) < Dromo::MinPacketSize ? -1 : head[Dromo::TypeOffset];
}

int TKvdFramer::Feed(const char* data, int length) {
    return std::max(0, m_buffer.Write(data, length));
}

TKvdFramer::Step TKvdFramer::Next(QByteArray& packet) {
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
