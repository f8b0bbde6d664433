#include "link/Dromo.h"

#include "link/KvdTypes.h"

#include <cstring>

namespace Dromo {

quint16 FlagWord(TKvdDromoDRIFlags flags) {
    // The reserved members have no bit on the wire.
    return quint16(flags.toInt() & ~(AF_DRF_RES_0 | AF_DRF_RES_1) & 0xFFF);
}

void StampHead(quint8* packet, int length, quint8 type, quint8 sizeUnit) {
    packet[0] = quint8(length / sizeUnit);
    packet[1] = type;
}

static void PutText(QByteArray& packet, int offset, const QByteArray& text) {
    // The area holds at most 15 characters and the terminator; the rest stays zero.
    const int length = qMin(int(text.size()), NameAreaSize - 1);
    std::memcpy(packet.data() + offset, text.constData(), size_t(length));
}

QByteArray BuildInit(TKvdDromoDRIFlags flags, quint8 version, const QByteArray& adminPassword,
                     const QByteArray& name) {
    QByteArray packet(InitPacketSize, '\0');
    auto* p = reinterpret_cast<quint8*>(packet.data());
    p[2] = 1;
    const quint16 word = FlagWord(flags);
    p[6] = quint8(word & 0xFF);
    p[7] = quint8(word >> 8);
    p[8] = version;
    p[10] = quint8(1000 & 0xFF);
    p[11] = quint8(1000 >> 8);
    PutText(packet, 12, adminPassword);
    PutText(packet, 28, name);
    return packet;
}

QByteArray BuildTiny(quint8 subCode, quint8 request) {
    QByteArray packet(TinyPacketSize, '\0');
    packet[2] = char(request);
    packet[3] = char(subCode);
    return packet;
}

QByteArray BuildSmall(quint8 subCode, quint8 request, quint32 value) {
    QByteArray packet(SmallPacketSize, '\0');
    packet[2] = char(request);
    packet[3] = char(subCode);
    for (int i = 0; i < 4; ++i)
        packet[4 + i] = char((value >> (8 * i)) & 0xFF);
    return packet;
}

QByteArray BuildDeleteButtons(quint8 subCode, quint8 clickId, quint8 clickMax, quint8 target) {
    QByteArray packet(DeletePacketSize, '\0');
    packet[2] = 1;
    packet[3] = char(subCode);
    packet[4] = char(target);
    packet[5] = char(clickId);
    packet[6] = char(clickMax);
    return packet;
}

} // namespace Dromo

DR_VER DR_VER::FromPacket(const quint8* data, int length) {
    DR_VER record;
    std::memcpy(&record, data, size_t(qBound(0, length, int(sizeof(DR_VER)))));
    return record;
}

QString DR_VER::TextAt4() const {
    return TKvdPacket(reinterpret_cast<const quint8*>(this), sizeof(DR_VER)).Text(4, 8);
}

QString DR_VER::TextAt12() const {
    return TKvdPacket(reinterpret_cast<const quint8*>(this), sizeof(DR_VER)).Text(12, 8);
}
