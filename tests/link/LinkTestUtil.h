#pragma once
// Helpers shared by the link tests: a thread-safe event log, a recording subscriber and the system's
// error messages.

#include "link/KvdDromo.h"

#include <QByteArray>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <mutex>

class EventLog {
public:
    void Append(const QString& line) {
        std::lock_guard lock(m_mutex);
        m_lines.append(line);
    }
    QStringList Lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    int Count(const QString& line) const {
        std::lock_guard lock(m_mutex);
        return int(m_lines.count(line));
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

// Writes "sub:<type>" for every packet and "changed:<active>" for every connection change.
class RecordingSubscriber : public TKvdDromoSubscriber {
public:
    RecordingSubscriber(EventLog& log, QObject* owner = nullptr) : TKvdDromoSubscriber(owner), m_log(log) {}
    ~RecordingSubscriber() override { SetDromo(nullptr); }
    void HandlePacket(const TKvdPacket& packet) override {
        m_log.Append(QStringLiteral("sub:%1").arg(packet.Type()));
    }
    void ConnectionChanged() override {
        m_log.Append(QStringLiteral("changed:%1").arg(Dromo() && Dromo()->Active() ? 1 : 0));
    }

private:
    EventLog& m_log;
};

inline QByteArray ByteList(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

// The initialise packet the client sends by default (protocol 9, no password) for that name.
inline QByteArray ExpectedInit(const QByteArray& name) {
    QByteArray packet(44, '\0');
    packet[0] = 11;
    packet[1] = 1;
    packet[2] = 1;
    packet[8] = 9;
    packet[10] = char(0xE8);
    packet[11] = 3;
    packet.replace(28, name.size(), name);
    return packet;
}

// The rows of a test run once with packets handled on the client's thread and once on the reader's.
inline void AddThreadRows() {
    QTest::addColumn<bool>("synchronized");
    QTest::newRow("synchronized") << true;
    QTest::newRow("reader thread") << false;
}

// A loopback port with nothing listening on it.
quint16 ClosedPort();

// The system's messages that end the link's error lines ("[address:port] message"). Linux words them
// as its C library does; on Windows they are the system's messages for the Winsock codes.
#ifdef Q_OS_WIN
inline QString TimedOutText() {
    return KvdSys::ErrorText(KvdSys::TimedOut);
}
inline QString RefusedText() {
    return KvdSys::ErrorText(10061);
} // WSAECONNREFUSED
inline QString AddressNotAvailableText() {
    return KvdSys::ErrorText(KvdSys::AddressNotAvailable);
}
#else
inline QString TimedOutText() {
    return QStringLiteral("Connection timed out");
}
inline QString RefusedText() {
    return QStringLiteral("Connection refused");
}
inline QString AddressNotAvailableText() {
    return QStringLiteral("Cannot assign requested address");
}
#endif
