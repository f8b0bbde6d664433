#pragma once
// A transport without a connection that records what its framing delivers: each packet handed to the
// handler, and each error. A handler can be made to fail on one packet type.

#include "link/KvdSocket.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class RecordingSocket : public TKvdSocket {
public:
    RecordingSocket() {
        OnError = [this](QObject*, const QString& message) { Errors.append(message); };
    }
    ~RecordingSocket() override { ShutDown(); }

    static QString HandlerFailed() { return QStringLiteral("handler failed"); }

    QList<QByteArray> Packets;
    QStringList Errors;
    int FailingType = -1; // the handler throws EKvdLink(HandlerFailed()) for a packet of this type

protected:
    void HandlePacket(const TKvdPacket& packet) override {
        Packets.append(QByteArray(reinterpret_cast<const char*>(packet.Data()), packet.Length()));
        if (packet.Type() == FailingType)
            throw EKvdLink(HandlerFailed());
    }
    void Open() override {}
    void Close() override {}
};
