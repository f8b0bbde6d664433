#pragma once
// The client handle of the runtime: one connection through the builder's own link (TKvdDromo, TKvdUI),
// the layouts it shows with the bytes last sent for each of their buttons, and the queue that carries the
// simulator's reports from the link's reader thread to the program's thread.
//
// Threads. The link runs unsynchronised: its reader thread answers keep-alives and hands reports to the
// queue under m_mutex, so the program need not call in for them. Everything else (the shown layouts,
// sending) belongs to the thread calling the C interface, one at a time.

#include "link/KvdUI.h"
#include "runtime/KvduiLayout.h"
#include "runtime/KvduiSignal.h"

#include "kvdui/kvdui.h"

#include <QStringList>

#include <condition_variable>
#include <deque>
#include <mutex>

struct kvdui_client {
    kvdui_client();
    ~kvdui_client();

    // Connects and waits for the simulator's version packet; raises KVDUI_ERR_CONNECT.
    void Connect(const QString& address, int port, const QString& name, const QString& password,
                 int timeoutMs);
    int Show(const kvdui_layout* layout, const QStringList& values, int target, int idOffset);
    int Set(const kvdui_layout* layout, const QString& name, const QString& value);
    int Hide(const kvdui_layout* layout);
    // 1 with an event, 0 when none came within timeoutMs (negative: no limit).
    int Wait(kvdui_event* event, int timeoutMs);
    // Deletes every button shown and takes the link down.
    void Close();
    intptr_t WaitHandle() const { return m_signal.Handle(); }
    bool SignalValid() const { return m_signal.Valid(); }

    // Reports kept for the program at most; later ones are dropped until it takes some.
    static constexpr size_t MaxPending = 4096;

private:
    struct Pending {
        int Kind;
        int ID;
        int Flags;
        QByteArray Text;
    };
    // One layout shown to one target.
    struct Shown {
        const kvdui_layout* Layout;
        quint8 Target;
        int Offset;
        QStringList Values;
        std::vector<QByteArray> Sent; // the packet last sent for each element
    };

    void Push(Pending pending);
    // Raises KVDUI_ERR_DISCONNECTED once the connection has ended.
    void CheckConnected();
    // The packet of element index of shown with its current values.
    QByteArray Packet(const Shown& shown, size_t index) const;
    // Sends one packet and hands it back, so that a caller keeps it without another copy; raises
    // KVDUI_ERR_SEND or KVDUI_ERR_DISCONNECTED when it cannot go.
    QByteArray Send(quint8 type, QByteArray packet, bool more);
    // Sends packets that are stamped already, back to back.
    void SendRun(const QByteArray& packets);
    // Raises the error of a send that returned sent.
    void CheckSent(int sent);
    QString LastError();
    QString Peer() const;

    TKvdDromo m_dromo;
    TKvdUI m_ui;
    std::vector<Shown> m_shown;
    int m_timeoutMs = 5000;

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_changed;
    std::deque<Pending> m_pending;
    TKvduiSignal m_signal;
    bool m_connected = false;
    bool m_ended = false;
    bool m_endDelivered = false;
    bool m_closing = false;
    QString m_endReason;
    QString m_lastError;

    // What the last event handed out points to.
    QByteArray m_eventName;
    QByteArray m_eventText;
};
