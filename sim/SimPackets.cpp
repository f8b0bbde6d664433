#include "sim/SimPackets.h"

#include "link/Dromo.h"

namespace SimPackets {

namespace {
QByteArray Stamped(QByteArray packet, quint8 type, quint8 sizeUnit) {
    Dromo::StampHead(reinterpret_cast<quint8*>(packet.data()), int(packet.size()), type, sizeUnit);
    return packet;
}
} // namespace

QByteArray Version(quint8 protocol, quint8 request, const QByteArray& product, const QByteArray& version,
                   quint8 sizeUnit) {
    return Stamped(Dromo::BuildVersion(protocol, request, product, version), Dromo::DR_VER, sizeUnit);
}

QByteArray KeepAlive(quint8 sizeUnit) {
    return Stamped(Dromo::BuildTiny(Dromo::TINY_NONE, 0), Dromo::DR_TINY, sizeUnit);
}

QByteArray Click(quint8 clickId, quint8 flags, quint8 sizeUnit) {
    return Stamped(Dromo::BuildClick(clickId, flags), Dromo::DR_BTN_CLICK, sizeUnit);
}

QByteArray Typed(quint8 clickId, const QByteArray& text, quint8 sizeUnit) {
    return Stamped(Dromo::BuildTyped(clickId, text), Dromo::DR_BTN_TYPE, sizeUnit);
}

QByteArray Console(const QByteArray& text, bool chat, quint8 sizeUnit) {
    return Stamped(Dromo::BuildConsole(text, chat), Dromo::DR_CONSOLE, sizeUnit);
}

} // namespace SimPackets
