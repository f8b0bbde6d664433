#pragma once
// TKvdSocketBuffer: the fixed-size ring buffer in which the received byte stream is reassembled. It
// never grows; bytes that do not fit are not taken.

#include <QtGlobal>

#include <memory>

class TKvdSocketBuffer {
public:
    explicit TKvdSocketBuffer(int capacity);

    int Capacity() const { return m_capacity; }
    int WritePos() const { return m_writePos; }
    int ReadPos() const { return m_readPos; }
    int Count() const { return m_count; }

    // Takes min(length, free space) bytes and returns that number (0 or less when nothing fits).
    int Write(const void* source, int length);
    // Delivers and consumes min(length, Count) bytes.
    int Read(void* destination, int length);
    // Delivers the same bytes as Read without consuming them.
    int Peek(void* destination, int length) const;
    // Consumes min(length, Count) bytes without copying them.
    int Skip(int length);

private:
    int CopyOut(void* destination, int length) const;

    std::unique_ptr<quint8[]> m_data;
    int m_capacity;
    int m_writePos = 0;
    int m_readPos = 0;
    int m_count = 0;
};
