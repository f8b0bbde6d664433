#pragma once
// TKvdDromo: the Dromo client. Activated, it connects and identifies itself with the initialise packet;
// the simulator's version packet completes the connection (OnConnect) and is answered with the
// update-interval packet; keep-alives are answered; console text becomes OnConsole; every received
// packet is reported through OnPacket and handed to each subscriber.
//
// Threads: with Synchronized true every packet handler runs on the client's thread. When the peer
// closes the link, Close and what it raises (the type-0 record to OnPacket and the subscribers,
// OnDisconnect, ConnectionChanged) run on the reader thread; a handler that touches a user interface
// queues its work to that interface's thread. Assign handlers and subscribers while inactive.

#include "link/Dromo.h"
#include "link/KvdSocket.h"

#include <QList>

#include <condition_variable>
#include <thread>

class TKvdDromoSubscriber;

// (Sender, VER): the version record, by reference.
using TKvdDromoConnectEvent = std::function<void(QObject* Sender, DR_VER& VER)>;
// (Sender, PacketType, packet): the packet is valid only during the call.
using TKvdDromoPacketEvent =
    std::function<void(QObject* Sender, quint8 PacketType, const TKvdPacket& packet)>;
// (Sender, Text, Chat).
using TKvdDromoConsoleEvent = std::function<void(QObject* Sender, const QString& Text, bool Chat)>;

class TKvdDromo : public TKvdSocket {
    Q_OBJECT
    Q_PROPERTY(QString AdminPassword READ AdminPassword WRITE SetAdminPassword)
    Q_PROPERTY(QString Address READ Address WRITE SetAddress)
    Q_PROPERTY(QString IName READ IName WRITE SetIName)
    Q_PROPERTY(Dromo::TKvdDromoDRIFlags Flags READ Flags WRITE SetFlags)
    Q_PROPERTY(int UpdateRate READ UpdateRate WRITE SetUpdateRate)
    Q_PROPERTY(bool Active READ Active WRITE SetActive)

public:
    static constexpr int DefaultPort = 29999;

    // Raises EKvdLink "Only one instance of TKvdDromo is allowed." when owner already holds a client.
    explicit TKvdDromo(QObject* owner = nullptr);
    ~TKvdDromo() override;

    TKvdDromoConnectEvent OnConnect;
    TKvdEvent OnDisconnect;
    TKvdDromoPacketEvent OnPacket;
    TKvdDromoConsoleEvent OnConsole;

    QString AdminPassword() const { return m_adminPassword; }
    void SetAdminPassword(const QString& value) { m_adminPassword = value; }
    QString IName() const { return m_iName; }
    void SetIName(const QString& value) { m_iName = value; }
    Dromo::TKvdDromoDRIFlags Flags() const { return m_flags; }
    void SetFlags(Dromo::TKvdDromoDRIFlags value) { m_flags = value; }
    int UpdateRate() const { return m_updateRate; }
    void SetUpdateRate(int value) { m_updateRate = value; }

    // Stamps the size and type bytes and sends the packet; sends nothing and returns 0 while inactive.
    // more: another packet follows at once (see SendRaw).
    int Send(quint8 PacketType, void* packet, int length, bool more = false);
    int Send(quint8 PacketType, QByteArray packet) {
        return Send(PacketType, packet.data(), int(packet.size()));
    }
    int SendTiny(quint8 SubCode, quint8 Request);
    int SendSmall(quint8 SubCode, quint8 Request, quint32 Value);
    // The update-interval packet: UpdateRate x 10 when value is 0, value otherwise.
    int SetUpdateInterval(quint32 value);

    // OnPacket, then every subscriber counted when the fan-out starts.
    void Broadcast(const TKvdPacket& packet);
    void NotifySubscribers();

    // The subscribers in order of subscription.
    QList<TKvdDromoSubscriber*> Subscribers() const;

protected:
    void HandlePacket(const TKvdPacket& packet) override;
    void Open() override;
    void Close() override;

private:
    friend class TKvdDromoSubscriber;
    void AddSubscriber(TKvdDromoSubscriber* subscriber);
    // Removes every occurrence; waits until no other thread is inside a call to that subscriber.
    void RemoveSubscriber(TKvdDromoSubscriber* subscriber);
    template <typename Call> void ForEachSubscriber(Call call);

    QString m_adminPassword;
    QString m_iName = QStringLiteral("Dromo");
    Dromo::TKvdDromoDRIFlags m_flags;
    int m_updateRate = 3;
    std::atomic<bool> m_destroying{false};

    mutable std::mutex m_subscribersMutex;
    std::condition_variable m_subscribersChanged;
    QList<TKvdDromoSubscriber*> m_subscribers;
    // Subscribers being called right now, with the calling thread.
    QList<std::pair<TKvdDromoSubscriber*, std::thread::id>> m_calling;
};

// A component that receives every packet of a client and its connection changes.
class TKvdDromoSubscriber : public QObject {
    Q_OBJECT
    Q_PROPERTY(TKvdDromo* Dromo READ Dromo WRITE SetDromo)

public:
    explicit TKvdDromoSubscriber(QObject* owner = nullptr);
    // Descendants call SetDromo(nullptr) first in their own destructor, so that no reader thread is
    // inside their HandlePacket while their part is destroyed.
    ~TKvdDromoSubscriber() override;

    TKvdDromo* Dromo() const { return m_dromo; }
    // Leaves the current client's list and joins the new one's; nothing when unchanged.
    virtual void SetDromo(TKvdDromo* client);

    virtual void HandlePacket(const TKvdPacket& packet) = 0;
    virtual void ConnectionChanged() {}

private:
    friend class TKvdDromo;
    TKvdDromo* m_dromo = nullptr;
};
