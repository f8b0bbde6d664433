#include "link/KvdDromo.h"

#include <QScopeGuard>

#include <algorithm>
#include <exception>

namespace {
// The one-instance check runs before any part of the client is built.
QObject* CheckedOwner(QObject* owner) {
    KvdTypes::CheckOneInstance(owner, &TKvdDromo::staticMetaObject);
    return owner;
}
} // namespace

TKvdDromo::TKvdDromo(QObject* owner) : TKvdSocket(CheckedOwner(owner)) {
    SetAddress(QStringLiteral("127.0.0.1"));
    SetPort(DefaultPort);
}

TKvdDromo::~TKvdDromo() {
    m_destroying = true;
    ShutDown();
    std::lock_guard lock(m_subscribersMutex);
    for (TKvdDromoSubscriber* subscriber : std::as_const(m_subscribers))
        subscriber->m_dromo = nullptr;
    m_subscribers.clear();
}

int TKvdDromo::Send(quint8 PacketType, void* packet, int length, bool more) {
    if (!Active())
        return 0;
    if (!Dromo::FitsSizeByte(length, SizeUnit())) {
        ReportError(QStringLiteral("A packet of %1 bytes cannot be sent with protocol version %2")
                        .arg(length)
                        .arg(Version()));
        return -1;
    }
    Dromo::StampHead(static_cast<quint8*>(packet), length, PacketType, SizeUnit());
    return SendRaw(packet, length, more);
}

int TKvdDromo::SendTiny(quint8 SubCode, quint8 Request) {
    return Send(Dromo::DR_TINY, Dromo::BuildTiny(SubCode, Request));
}

int TKvdDromo::SendSmall(quint8 SubCode, quint8 Request, quint32 Value) {
    return Send(Dromo::DR_SMALL, Dromo::BuildSmall(SubCode, Request, Value));
}

int TKvdDromo::SetUpdateInterval(quint32 value) {
    return SendSmall(Dromo::SMALL_INTERVAL, Dromo::BuiltRequest,
                     value == 0 ? quint32(m_updateRate * 10) : value);
}

void TKvdDromo::Open() {
    if (OpenSocket() == -1) {
        SetActiveDirect(false);
        return;
    }
    Send(Dromo::DR_INIT,
         Dromo::BuildInit(m_flags, Version(), m_adminPassword.toLocal8Bit(), m_iName.toLocal8Bit()));
    if (!m_destroying)
        NotifySubscribers();
}

void TKvdDromo::Close() {
    // The socket is closed even when a handler fails; the first failure is raised afterwards.
    std::exception_ptr failure;
    if (!m_destroying) {
        try {
            quint8 down[4] = {};
            Broadcast(TKvdPacket(down, sizeof down));
            if (OnDisconnect)
                OnDisconnect(this);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (Handle() != -1) {
        // The goodbye goes out although Active already reads false.
        QByteArray tiny = Dromo::BuildTiny(Dromo::TINY_CLOSE, 0);
        Dromo::StampHead(reinterpret_cast<quint8*>(tiny.data()), int(tiny.size()), Dromo::DR_TINY,
                         SizeUnit());
        SendRaw(tiny.constData(), int(tiny.size()));
    }
    CloseSocket();
    if (!m_destroying) {
        try {
            NotifySubscribers();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TKvdDromo::HandlePacket(const TKvdPacket& packet) {
    switch (packet.Type()) {
    case Dromo::DR_VER:
        if (OnConnect) {
            DR_VER version = DR_VER::FromPacket(packet.Data(), packet.Length());
            OnConnect(this, version);
        }
        SetUpdateInterval(0);
        break;
    case Dromo::DR_TINY:
        SendTiny(Dromo::TINY_NONE, 0);
        break;
    case Dromo::DR_CONSOLE:
        if (OnConsole)
            OnConsole(this, packet.Text(Dromo::ConsoleTextOffset, Dromo::ConsoleTextSize),
                      packet.Byte(Dromo::ConsoleChatOffset) == Dromo::ConsoleChatMark);
        break;
    default:
        break;
    }
    Broadcast(packet);
}

template <typename Call> void TKvdDromo::ForEachSubscriber(Call call) {
    const auto self = std::this_thread::get_id();
    int count;
    {
        std::lock_guard lock(m_subscribersMutex);
        count = int(m_subscribers.size());
    }
    for (int i = 0; i < count; ++i) {
        TKvdDromoSubscriber* subscriber;
        {
            std::lock_guard lock(m_subscribersMutex);
            // A subscriber that left during the fan-out is not called; the list may have shrunk.
            if (i >= m_subscribers.size())
                break;
            subscriber = m_subscribers.at(i);
            m_calling.append({subscriber, self});
        }
        const auto done = qScopeGuard([this, entry = std::pair(subscriber, self)] {
            {
                std::lock_guard lock(m_subscribersMutex);
                m_calling.removeOne(entry);
            }
            m_subscribersChanged.notify_all();
        });
        call(subscriber);
    }
}

void TKvdDromo::Broadcast(const TKvdPacket& packet) {
    if (OnPacket)
        OnPacket(this, packet.Type(), packet);
    ForEachSubscriber([&](TKvdDromoSubscriber* subscriber) { subscriber->HandlePacket(packet); });
}

void TKvdDromo::NotifySubscribers() {
    ForEachSubscriber([](TKvdDromoSubscriber* subscriber) { subscriber->ConnectionChanged(); });
}

QList<TKvdDromoSubscriber*> TKvdDromo::Subscribers() const {
    std::lock_guard lock(m_subscribersMutex);
    return m_subscribers;
}

void TKvdDromo::AddSubscriber(TKvdDromoSubscriber* subscriber) {
    std::lock_guard lock(m_subscribersMutex);
    m_subscribers.append(subscriber);
}

void TKvdDromo::RemoveSubscriber(TKvdDromoSubscriber* subscriber) {
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(m_subscribersMutex);
    m_subscribers.removeAll(subscriber);
    m_subscribersChanged.wait(lock, [&] {
        return std::none_of(m_calling.cbegin(), m_calling.cend(), [&](const auto& entry) {
            return entry.first == subscriber && entry.second != self;
        });
    });
}

TKvdDromoSubscriber::TKvdDromoSubscriber(QObject* owner) : QObject(owner) {}

TKvdDromoSubscriber::~TKvdDromoSubscriber() {
    SetDromo(nullptr);
}

void TKvdDromoSubscriber::SetDromo(TKvdDromo* client) {
    if (client == m_dromo)
        return;
    if (m_dromo)
        m_dromo->RemoveSubscriber(this);
    m_dromo = client;
    if (m_dromo)
        m_dromo->AddSubscriber(this);
}
