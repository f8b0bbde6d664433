#include "link/KvdSocketBuffer.h"

#include <cstring>

TKvdSocketBuffer::TKvdSocketBuffer(int capacity)
    : m_data(new quint8[size_t(qMax(capacity, 1))]), m_capacity(qMax(capacity, 1)) {}

int TKvdSocketBuffer::Write(const void* source, int length) {
    const int k = qMin(length, m_capacity - m_count);
    if (k <= 0)
        return k;
    const auto* src = static_cast<const quint8*>(source);
    if (m_writePos + k > m_capacity) {
        const int tail = m_capacity - m_writePos;
        std::memcpy(m_data.get() + m_writePos, src, size_t(tail));
        std::memcpy(m_data.get(), src + tail, size_t(k - tail));
        m_writePos = k - tail;
    } else {
        std::memcpy(m_data.get() + m_writePos, src, size_t(k));
        m_writePos += k;
        if (m_writePos == m_capacity)
            m_writePos = 0;
    }
    m_count += k;
    return k;
}

int TKvdSocketBuffer::CopyOut(void* destination, int length) const {
    const int k = qMin(length, m_count);
    if (k <= 0)
        return 0;
    auto* dst = static_cast<quint8*>(destination);
    if (m_readPos + k > m_capacity) {
        const int tail = m_capacity - m_readPos;
        std::memcpy(dst, m_data.get() + m_readPos, size_t(tail));
        std::memcpy(dst + tail, m_data.get(), size_t(k - tail));
    } else {
        std::memcpy(dst, m_data.get() + m_readPos, size_t(k));
    }
    return k;
}

int TKvdSocketBuffer::Read(void* destination, int length) {
    const int k = CopyOut(destination, length);
    return Skip(k);
}

int TKvdSocketBuffer::Peek(void* destination, int length) const {
    return CopyOut(destination, length);
}

int TKvdSocketBuffer::Skip(int length) {
    const int k = qMin(length, m_count);
    if (k <= 0)
        return 0;
    m_readPos = (m_readPos + k) % m_capacity;
    m_count -= k;
    return k;
}
