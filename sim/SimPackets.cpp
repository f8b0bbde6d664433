#include "sim/SimPackets.h"

#include "link/Dromo.h"
#include "link/KvdTypes.h"

#include <cstring>

namespace SimPackets {

namespace {

QByteArray Stamped(QByteArray packet, quint8 type, quint8 sizeUnit) {
    Dromo::StampHead(reinterpret_cast<quint8*>(packet.data()), int(packet.size()), type, sizeUnit);
    return packet;
}

void PutText(QByteArray& packet, int offset, const QByteArray& text, int area) {
    std::memcpy(packet.data() + offset, text.constData(), size_t(qMin(int(text.size()), area)));
}

} // namespace

QByteArray Version(quint8 protocol, quint8 request, const QByteArray& product, const QByteArray& version,
                   quint8 sizeUnit) {
    QByteArray packet(Dromo::VersionRecordSize, '\0');
    packet[2] = char(request);
    packet[3] = char(protocol);
    PutText(packet, 4, version, VersionTextSize);
    PutText(packet, 12, product, VersionTextSize);
    return Stamped(packet, Dromo::DR_VER, sizeUnit);
}

QByteArray KeepAlive(quint8 sizeUnit) {
    return Stamped(Dromo::BuildTiny(0, 0), Dromo::DR_TINY, sizeUnit);
}

QByteArray Click(quint8 clickId, quint8 flags, quint8 sizeUnit) {
    QByteArray packet(ClickPacketSize, '\0');
    packet[4] = char(clickId);
    packet[6] = char(flags);
    return Stamped(packet, Dromo::DR_BTN_CLICK, sizeUnit);
}

QByteArray Typed(quint8 clickId, const QByteArray& text, quint8 sizeUnit) {
    QByteArray packet(TypedPacketSize, '\0');
    packet[4] = char(clickId);
    PutText(packet, Dromo::TypedTextOffset, text, Dromo::TypedTextSize);
    return Stamped(packet, Dromo::DR_BTN_TYPE, sizeUnit);
}

QByteArray Console(const QByteArray& text, bool chat, quint8 sizeUnit) {
    QByteArray packet(ConsolePacketSize, '\0');
    packet[6] = chat ? 1 : 0;
    PutText(packet, Dromo::ConsoleTextOffset, text, Dromo::ConsoleTextSize);
    return Stamped(packet, Dromo::DR_CONSOLE, sizeUnit);
}

QString Describe(const QByteArray& packet) {
    const TKvdPacket view(reinterpret_cast<const quint8*>(packet.constData()), int(packet.size()));
    // Texts come from the client: escaped, a line break in one cannot start a line of its own.
    auto quoted = [&view](int offset, int area) {
        return QLatin1Char('"') + KvdTypes::EscapeControls(view.Text(offset, area)) + QLatin1Char('"');
    };
    switch (view.Type()) {
    case Dromo::DR_INIT:
        return QStringLiteral("initialise %1, protocol %2")
            .arg(quoted(InitNameOffset, InitNameSize))
            .arg(view.Byte(InitVersionOffset));
    case Dromo::DR_VER:
        return QStringLiteral("version %1 %2").arg(quoted(12, 8), quoted(4, 8));
    case Dromo::DR_TINY:
        return view.Byte(3) == 2 ? QStringLiteral("closing") : QStringLiteral("keep-alive");
    case Dromo::DR_SMALL:
        return QStringLiteral("small %1, value %2")
            .arg(view.Byte(3))
            .arg(view.Byte(4) | view.Byte(5) << 8 | view.Byte(6) << 16 | quint32(view.Byte(7)) << 24);
    case Dromo::DR_CONSOLE:
        return QStringLiteral("console %1").arg(quoted(Dromo::ConsoleTextOffset, Dromo::ConsoleTextSize));
    case Dromo::DR_BTN_DEL:
        if (view.Byte(3) == 1)
            return QStringLiteral("clear all buttons");
        return view.Byte(5) == view.Byte(6)
                   ? QStringLiteral("delete button %1").arg(view.Byte(5))
                   : QStringLiteral("delete buttons %1 to %2").arg(view.Byte(5)).arg(view.Byte(6));
    case Dromo::DR_BTN:
        return QStringLiteral("button %1 %2")
            .arg(view.Byte(4))
            .arg(quoted(Dromo::ButtonHeadSize, Dromo::MaxButtonPacketSize));
    case Dromo::DR_BTN_CLICK:
        return QStringLiteral("click on %1, flags %2").arg(view.Byte(4)).arg(view.Byte(6));
    case Dromo::DR_BTN_TYPE:
        return QStringLiteral("typed %1 into %2")
            .arg(quoted(Dromo::TypedTextOffset, Dromo::TypedTextSize))
            .arg(view.Byte(4));
    default:
        return QStringLiteral("type %1").arg(view.Type());
    }
}

} // namespace SimPackets
