#pragma once
// TSimServer: the simulator's side of the Dromo protocol for any number of clients at once, on the
// thread that creates it (event driven, nothing blocks). It answers the initialise packet with a
// version packet, sends keep-alives and notices clients that stop answering, keeps each client's
// buttons as the button and delete packets leave them, and sends clicks, typed text and console text
// on request. A client that breaks the protocol or floods the stand-in is dropped with its reason.

#include "link/KvdFramer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>

class QTcpServer;
class QTcpSocket;

struct TSimLimits {
    int KeepAliveMs = 3000; // between two keep-alives to a client
    int SilentMs = 7000;    // nothing heard for this long: the client is shown as not answering
    int StallMs = 5000; // an incomplete packet not completed this long after its first byte drops the client
    int InitMs = 10000; // no initialise packet within this long drops the client
    int FloodPackets = 20000; // more packets than this within one second drops the client
    int FloodBytes = 4 << 20; // more bytes than this within one second drops the client
    int MaxUnsent = 1 << 20;  // more unsent bytes than this to a client that does not read drops it
    int MaxClients = 64;      // beyond this a newcomer takes the place of the client silent longest (not
                              // answering), or is dropped at once when every client answers
};

// One connected client as the stand-in sees it.
struct TSimClient {
    int Number = 0;
    QString Peer;       // ADDRESS:PORT
    QByteArray Name;    // from the initialise packet
    quint8 Version = 0; // protocol version the client asked for
    bool Initialised = false;
    bool Answering = true;
    // Its buttons by click id: the last button packet received for each.
    std::map<quint8, QByteArray> Buttons;
};

class TSimServer : public QObject {
    Q_OBJECT

public:
    explicit TSimServer(quint8 protocol = 9, const TSimLimits& limits = TSimLimits(),
                        QObject* parent = nullptr);
    ~TSimServer() override;

    // Starts listening; false with ErrorString() when the address cannot be used.
    bool Listen(const QHostAddress& address, quint16 port);
    QString ErrorString() const { return m_error; }
    QHostAddress Address() const;
    quint16 Port() const;
    quint8 Protocol() const { return m_protocol; }
    quint8 SizeUnit() const { return m_framerUnit; }
    const TSimLimits& Limits() const { return m_limits; }

    // Connected clients in connection order.
    QList<int> Clients() const;
    const TSimClient* Client(int number) const;

    // Requests from the user or a script. Each returns an empty string when the packet was sent, else
    // why it was not.
    QString Click(int number, quint8 clickId, quint8 flags);
    // The text is cut to the button's type-in length.
    QString Type(int number, quint8 clickId, const QByteArray& text);
    QString Console(int number, const QByteArray& text);
    QString Close(int number);
    // Drops every client with that reason.
    void CloseAll(const QString& reason);

signals:
    void ClientConnected(int number);
    void ClientLeft(int number, const QString& reason);
    void PacketReceived(int number, const QByteArray& packet);
    void PacketSent(int number, const QByteArray& packet);
    // The name, version or answering state of the client changed.
    void ClientChanged(int number);
    // The client went silent, or was heard again after being silent.
    void AnsweringChanged(int number, bool answering);
    void ButtonsChanged(int number);

private:
    struct Connection;

    void Accept();
    void Read(Connection& c);
    void HandlePacket(Connection& c, const QByteArray& packet);
    // Why a client whose half packet is past StallMs is dropped.
    QString HalfPacketTimedOut(const Connection& c) const;
    QString CheckType(const Connection& c, quint8 type) const;
    QString CheckPacket(const Connection& c, const QByteArray& packet) const;
    void Send(Connection& c, const QByteArray& packet);
    // Hands what waits for the client to the system now rather than on the next turn of the event loop.
    void SendNow(Connection& c);
    void Drop(Connection& c, const QString& reason);
    void Housekeeping();
    Connection* Find(int number) const;
    // The initialised client not answering that has been silent longest, or nullptr.
    Connection* LongestSilent(qint64 now) const;
    // The last packet of a client's button, or nullptr with why there is none in error.
    const QByteArray* FindButton(int number, quint8 clickId, Connection*& c, QString& error) const;

    quint8 m_protocol;
    quint8 m_framerUnit;
    TSimLimits m_limits;
    QTcpServer* m_server;
    QTimer m_tick;
    QString m_error;
    int m_nextNumber = 1;
    std::map<int, std::unique_ptr<Connection>> m_connections;
};
