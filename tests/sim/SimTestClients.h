#pragma once
// Clients for the stand-in in tests: the builder's own link (client and button presentation) and a
// raw socket that sends whatever a test asks, including what no real client would send.

#include "link/KvdDromo.h"
#include "link/KvdFramer.h"
#include "link/KvdUI.h"
#include "sim/SimServer.h"

#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <memory>

struct BuilderClient {
    struct Event {
        int ClickID;
        int Flags;
        QString Text;
        bool operator==(const Event&) const = default;
    };

    std::unique_ptr<TKvdDromo> Dromo = std::make_unique<TKvdDromo>();
    std::unique_ptr<TKvdUI> UI = std::make_unique<TKvdUI>();
    QString Connected; // "[text at 12] [text at 4]" of the version record
    QList<Event> Events;
    QStringList Console;
    std::shared_ptr<std::atomic<bool>> Disconnected = std::make_shared<std::atomic<bool>>(false);

    explicit BuilderClient(quint16 port, const QString& name = QStringLiteral("KvdUIBuilder")) {
        Dromo->SetAddress(QStringLiteral("127.0.0.1"));
        Dromo->SetPort(port);
        Dromo->SetIName(name);
        Dromo->OnConnect = [this](QObject*, DR_VER& ver) {
            Connected = ver.TextAt12() + ' ' + ver.TextAt4();
        };
        Dromo->OnConsole = [this](QObject*, const QString& text, bool) { Console << text; };
        // Runs on the reader thread when the stand-in ends the link.
        Dromo->OnDisconnect = [flag = Disconnected](QObject*) { *flag = true; };
        UI->OnEvent = [this](QObject*, quint8 id, quint8 flags, const QString& text) {
            Events.append({id, flags, text});
        };
        UI->SetDromo(Dromo.get());
    }
    ~BuilderClient() {
        UI.reset();
        Dromo.reset();
    }
    // Connects and waits (bounded) for the version answer.
    bool Connect() {
        Dromo->SetActive(true);
        return QTest::qWaitFor([this] { return !Connected.isEmpty(); }, 5000);
    }
};

struct RawClient {
    QTcpSocket Socket;
    TKvdFramer Framer{4};
    QList<QByteArray> Received;

    explicit RawClient(quint16 port) {
        QObject::connect(&Socket, &QTcpSocket::readyRead, [this] {
            const QByteArray bytes = Socket.readAll();
            Framer.Feed(bytes.constData(), int(bytes.size()));
            QByteArray packet;
            while (Framer.Next(packet) == TKvdFramer::Step::Packet)
                Received << packet;
        });
        Socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    bool WaitConnected() { return Socket.waitForConnected(5000); }
    void Send(const QByteArray& bytes) {
        Socket.write(bytes);
        Socket.flush();
    }
    bool WaitClosed() {
        return QTest::qWaitFor([this] { return Socket.state() == QAbstractSocket::UnconnectedState; }, 5000);
    }
    // The initialise packet the builder's link sends, with that name.
    static QByteArray Init(const QByteArray& name = "raw") {
        QByteArray init = Dromo::BuildInit({}, 9, QByteArray(), name);
        Dromo::StampHead(reinterpret_cast<quint8*>(init.data()), int(init.size()), Dromo::DR_INIT, 4);
        return init;
    }
};

// A button packet of protocol 9 with those fields and text (cut to 240 bytes).
inline QByteArray ButtonPacket(quint8 clickId, const QByteArray& text, quint8 style = 0x28,
                               const QRect& units = QRect(10, 10, 40, 20)) {
    Dromo::ButtonRecord button;
    button.ClickID = clickId;
    button.BStyle = style;
    button.Left = quint8(units.x());
    button.Top = quint8(units.y());
    button.Width = quint8(units.width());
    button.Height = quint8(units.height());
    button.Text = text;
    QByteArray packet(Dromo::MaxButtonPacketSize, '\0');
    const int length = Dromo::BuildButton(button, 4, reinterpret_cast<quint8*>(packet.data()));
    packet.truncate(length);
    Dromo::StampHead(reinterpret_cast<quint8*>(packet.data()), length, Dromo::DR_BTN, 4);
    return packet;
}

// The button packets the stand-in keeps for a client, in click-id order.
inline QList<QByteArray> ServerButtons(const TSimServer& server, int client) {
    QList<QByteArray> out;
    if (const TSimClient* c = server.Client(client))
        for (const auto& [id, packet] : c->Buttons)
            out << packet;
    return out;
}
