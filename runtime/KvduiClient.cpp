#include "runtime/KvduiClient.h"

#include "core/Placeholders.h"
#include "runtime/KvduiFailure.h"

#include <QScopeGuard>

#include <algorithm>
#include <chrono>

namespace {

constexpr quint8 ProtocolVersion = 9;

bool SameName(const QString& a, const QString& b) {
    return PlaceholderDetail::PlaceholderName(a).compare(PlaceholderDetail::PlaceholderName(b),
                                                         Qt::CaseInsensitive) == 0;
}

} // namespace

kvdui_client::kvdui_client() {
    m_dromo.SetSynchronized(false);
    m_dromo.SetVersion(ProtocolVersion);
    m_ui.SetDromo(&m_dromo);
    m_dromo.OnError = [this](QObject*, const QString& message) {
        std::lock_guard lock(m_mutex);
        m_lastError = message;
        m_changed.notify_all();
    };
    m_dromo.OnConnect = [this](QObject*, DR_VER&) {
        std::lock_guard lock(m_mutex);
        m_connected = true;
        m_changed.notify_all();
    };
    m_dromo.OnDisconnect = [this](QObject*) {
        std::lock_guard lock(m_mutex);
        if (m_ended)
            return;
        m_ended = true;
        m_endReason = m_closing               ? QStringLiteral("The client was closed")
                      : m_lastError.isEmpty() ? QStringLiteral("The simulator closed the connection")
                                              : QStringLiteral("The connection failed: %1").arg(m_lastError);
        m_pending.push_back({KVDUI_EVENT_DISCONNECTED, -1, 0, m_endReason.toUtf8()});
        m_signal.Raise();
        m_changed.notify_all();
    };
    // Reports arrive on the link's reader thread, which only queues them.
    m_dromo.OnPacket = [this](QObject*, quint8 type, const TKvdPacket& packet) {
        if (type == Dromo::DR_BTN_CLICK)
            Push({KVDUI_EVENT_CLICK, packet.Byte(Dromo::ReportClickIdOffset),
                  packet.Byte(Dromo::ClickFlagsOffset), QByteArray()});
        else if (type == Dromo::DR_BTN_TYPE)
            Push({KVDUI_EVENT_TEXT, packet.Byte(Dromo::ReportClickIdOffset), 0,
                  packet.Text(Dromo::TypedTextOffset, Dromo::TypedTextSize).toUtf8()});
    };
}

kvdui_client::~kvdui_client() {
    m_ui.SetDromo(nullptr);
    for (const Shown& shown : m_shown)
        shown.Layout->Release();
}

void kvdui_client::Push(Pending pending) {
    std::lock_guard lock(m_mutex);
    if (m_pending.size() >= MaxPending)
        return;
    m_pending.push_back(std::move(pending));
    m_signal.Raise();
    m_changed.notify_all();
}

QString kvdui_client::LastError() {
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

QString kvdui_client::Peer() const {
    return QStringLiteral("%1:%2").arg(m_dromo.Address()).arg(m_dromo.Port());
}

void kvdui_client::Connect(const QString& address, int port, const QString& name, const QString& password,
                           int timeoutMs) {
    m_timeoutMs = timeoutMs;
    m_dromo.SetAddress(address);
    m_dromo.SetPort(port);
    m_dromo.SetIName(name);
    m_dromo.SetAdminPassword(password);
    m_dromo.SetConnectTimeout(timeoutMs);
    m_dromo.SetSendTimeout(timeoutMs);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    m_dromo.SetActive(true);
    bool answered = false;
    QString reason;
    {
        std::unique_lock lock(m_mutex);
        if (m_dromo.Active())
            m_changed.wait_until(lock, deadline, [this] { return m_connected || m_ended; });
        answered = m_connected && !m_ended;
        reason = m_lastError;
        if (!answered && reason.isEmpty())
            reason = m_ended
                         ? QStringLiteral("the simulator closed the connection before it answered (is the "
                                          "admin password right?)")
                         : QStringLiteral("the simulator did not answer within %1 ms").arg(timeoutMs);
    }
    if (answered)
        return;
    m_closing = true;
    m_dromo.SetActive(false);
    throw TKvduiFailure(KVDUI_ERR_CONNECT,
                        QStringLiteral("Cannot connect to the simulator at %1: %2").arg(Peer(), reason));
}

void kvdui_client::CheckConnected() {
    std::lock_guard lock(m_mutex);
    if (m_ended || !m_dromo.Active())
        throw TKvduiFailure(KVDUI_ERR_DISCONNECTED,
                            QStringLiteral("The connection to the simulator has ended: %1")
                                .arg(m_endReason.isEmpty() ? QStringLiteral("closed") : m_endReason));
}

QByteArray kvdui_client::Send(quint8 type, QByteArray packet, bool more) {
    CheckSent(m_dromo.Send(type, packet.data(), int(packet.size()), more));
    return packet;
}

void kvdui_client::SendRun(const QByteArray& packets) {
    CheckSent(m_dromo.SendRaw(packets.constData(), int(packets.size())));
}

void kvdui_client::CheckSent(int sent) {
    if (sent > 0)
        return;
    if (sent == 0)
        CheckConnected();
    const QString error = LastError();
    throw TKvduiFailure(KVDUI_ERR_SEND,
                        QStringLiteral("Cannot send to the simulator at %1: %2")
                            .arg(Peer(), error.isEmpty() ? QStringLiteral("the link is down") : error));
}

QByteArray kvdui_client::Packet(const Shown& shown, size_t index) const {
    TKvdButton button = ButtonOf(shown.Layout->Elements[index], shown.Values);
    button.ClickID = quint8(button.ClickID + shown.Offset);
    quint8 bytes[Dromo::MaxButtonPacketSize];
    const quint8 unit = m_dromo.SizeUnit();
    const int length = Dromo::BuildButton(ButtonRecordOf(button, shown.Target), unit, bytes);
    Dromo::StampHead(bytes, length, Dromo::DR_BTN, unit);
    return QByteArray(reinterpret_cast<const char*>(bytes), length);
}

int kvdui_client::Show(const kvdui_layout* layout, const QStringList& values, int target, int idOffset) {
    CheckConnected();
    if (target < 0 || target > 255)
        throw TKvduiFailure(KVDUI_ERR_ARGUMENT,
                            QStringLiteral("The target %1 is outside 0 to 255").arg(target));
    if (idOffset < 0 || idOffset > 255)
        throw TKvduiFailure(KVDUI_ERR_ARGUMENT,
                            QStringLiteral("The ID offset %1 is outside 0 to 255").arg(idOffset));
    if (values.size() % 2 != 0)
        throw TKvduiFailure(
            KVDUI_ERR_ARGUMENT,
            QStringLiteral("The values must come in pairs of name and value; the last name has "
                           "no value"));
    std::array<bool, 256> ids{};
    for (const TLayoutElement& e : layout->Elements) {
        if (e.ID + idOffset > 255)
            throw TKvduiFailure(
                KVDUI_ERR_ARGUMENT,
                QStringLiteral("The ID offset %1 moves the ID %2 past 255").arg(idOffset).arg(e.ID));
        ids[size_t(e.ID + idOffset)] = true;
    }
    QStringList overlap;
    Shown* same = nullptr;
    for (Shown& shown : m_shown) {
        if (shown.Target != target)
            continue;
        if (shown.Layout == layout && shown.Offset == idOffset) {
            same = &shown;
            continue;
        }
        for (const TLayoutElement& e : shown.Layout->Elements)
            if (ids[size_t(e.ID + shown.Offset)])
                overlap << QString::number(e.ID + shown.Offset);
    }
    if (!overlap.isEmpty())
        throw TKvduiFailure(
            KVDUI_ERR_OVERLAP,
            QStringLiteral("The IDs %1 are already shown to target %2 by another layout; hide "
                           "it first, or show this one with an ID offset")
                .arg(overlap.join(QStringLiteral(", ")))
                .arg(target));
    if (!same) {
        layout->Retain();
        m_shown.push_back({layout, quint8(target), idOffset, {}, {}});
        same = &m_shown.back();
    }
    same->Values = values;
    same->Sent.assign(layout->Elements.size(), QByteArray());
    // The packets come stamped from Packet and go out as one run: one hand-over to the writer thread
    // instead of one per button.
    const size_t count = layout->Elements.size();
    QByteArray run;
    run.reserve(qsizetype(count) * 48);
    for (size_t i = 0; i < count; ++i) {
        same->Sent[i] = Packet(*same, i);
        run += same->Sent[i];
    }
    if (!run.isEmpty())
        SendRun(run);
    return int(count);
}

int kvdui_client::Set(const kvdui_layout* layout, const QString& name, const QString& value) {
    CheckConnected();
    const QString placeholder = PlaceholderDetail::PlaceholderName(name);
    // Only texts with a brace can hold it.
    bool used = false;
    for (size_t i = 0; i < layout->Elements.size() && !used && !placeholder.isEmpty(); ++i)
        used =
            layout->HasPlaceholders[i] && layout->Elements[i].Text.contains(placeholder, Qt::CaseInsensitive);
    if (!used)
        throw TKvduiFailure(KVDUI_ERR_NAME,
                            QStringLiteral("No text of the layout holds the placeholder %1")
                                .arg(placeholder.isEmpty() ? QStringLiteral("\"\"") : placeholder));
    int sent = 0;
    bool shownAnywhere = false;
    for (Shown& shown : m_shown) {
        if (shown.Layout != layout)
            continue;
        shownAnywhere = true;
        qsizetype at = 0;
        while (at < shown.Values.size() && !SameName(shown.Values.at(at), name))
            at += 2;
        if (at < shown.Values.size())
            shown.Values[at + 1] = value;
        else
            shown.Values << name << value;
        // Only texts with a brace can change; of those, only the buttons whose packet changes go out.
        for (size_t i = 0; i < layout->Elements.size(); ++i) {
            if (!layout->HasPlaceholders[i])
                continue;
            QByteArray packet = Packet(shown, i);
            if (packet == shown.Sent[i])
                continue;
            shown.Sent[i] = Send(Dromo::DR_BTN, std::move(packet), false);
            ++sent;
        }
    }
    if (!shownAnywhere)
        throw TKvduiFailure(KVDUI_ERR_NOT_SHOWN, QStringLiteral("The layout is not shown on this client"));
    return sent;
}

int kvdui_client::Hide(const kvdui_layout* layout) {
    std::vector<Shown> hidden;
    std::vector<Shown> kept;
    for (Shown& shown : m_shown)
        (shown.Layout == layout ? hidden : kept).push_back(std::move(shown));
    m_shown = std::move(kept);
    if (hidden.empty())
        throw TKvduiFailure(KVDUI_ERR_NOT_SHOWN, QStringLiteral("The layout is not shown on this client"));
    const auto release = qScopeGuard([&hidden] {
        for (const Shown& shown : hidden)
            shown.Layout->Release();
    });
    CheckConnected();
    int sent = 0;
    for (const Shown& shown : hidden) {
        std::array<bool, 256> ids{};
        for (const TLayoutElement& e : layout->Elements)
            ids[size_t(e.ID + shown.Offset)] = true;
        // One delete packet per run of consecutive IDs: the layout's buttons, and no other.
        for (int id = 0; id < 256;) {
            if (!ids[size_t(id)]) {
                ++id;
                continue;
            }
            int last = id;
            while (last < 255 && ids[size_t(last + 1)])
                ++last;
            Send(Dromo::DR_BTN_DEL,
                 Dromo::BuildDeleteButtons(Dromo::BTN_DEL_ONE, quint8(id), quint8(last), shown.Target),
                 false);
            ++sent;
            id = last + 1;
        }
    }
    return sent;
}

int kvdui_client::Wait(kvdui_event* event, int timeoutMs) {
    Pending next;
    {
        std::unique_lock lock(m_mutex);
        if (m_endDelivered)
            throw TKvduiFailure(
                KVDUI_ERR_DISCONNECTED,
                QStringLiteral("The connection to the simulator has ended: %1").arg(m_endReason));
        const auto ready = [this] { return !m_pending.empty(); };
        if (timeoutMs < 0)
            m_changed.wait(lock, ready);
        else if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
            return 0;
        next = std::move(m_pending.front());
        m_pending.pop_front();
        if (m_pending.empty())
            m_signal.Clear();
        if (next.Kind == KVDUI_EVENT_DISCONNECTED)
            m_endDelivered = true;
    }
    m_eventText = next.Text;
    m_eventName.clear();
    event->kind = next.Kind;
    event->id = next.ID;
    event->flags = next.Flags;
    event->layout = nullptr;
    if (next.ID >= 0) {
        for (const Shown& shown : m_shown) {
            const int id = next.ID - shown.Offset;
            const int index = id >= 0 ? shown.Layout->IndexOfID[size_t(id)] : -1;
            if (index >= 0) {
                event->layout = shown.Layout;
                m_eventName = shown.Layout->Names[size_t(index)];
                break;
            }
        }
    }
    event->name = m_eventName.constData();
    event->text = m_eventText.constData();
    return 1;
}

void kvdui_client::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    if (m_dromo.Active() && !m_ended) {
        // The buttons of a program that ends leave the screen with it.
        while (!m_shown.empty()) {
            try {
                Hide(m_shown.front().Layout);
            } catch (const TKvduiFailure&) {
                break;
            }
        }
    }
    m_dromo.SetActive(false);
}
