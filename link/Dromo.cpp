#include "link/Dromo.h"

#include "link/KvdTypes.h"

#include <cstring>

namespace Dromo {

quint16 FlagWord(TKvdDromoDRIFlags flags) {
    // The reserved members have no bit on the wire.
    return quint16(flags.toInt() & ~(AF_DRF_RES_0 | AF_DRF_RES_1) & 0xFFF);
}

void StampHead(quint8* packet, int length, quint8 type, quint8 sizeUnit) {
    packet[SizeOffset] = quint8(length / sizeUnit);
    packet[TypeOffset] = type;
}

// Little-endian 16-bit value.
static void PutWord(quint8* at, quint16 value) {
    at[0] = quint8(value & 0xFF);
    at[1] = quint8(value >> 8);
}

// Copies at most limit bytes of text to offset; the rest of the area stays zero.
static void PutText(QByteArray& packet, int offset, const QByteArray& text, int limit) {
    std::memcpy(packet.data() + offset, text.constData(), size_t(qMin(int(text.size()), limit)));
}

QByteArray BuildInit(TKvdDromoDRIFlags flags, quint8 version, const QByteArray& adminPassword,
                     const QByteArray& name) {
    QByteArray packet(InitPacketSize, '\0');
    auto* p = reinterpret_cast<quint8*>(packet.data());
    p[RequestOffset] = BuiltRequest;
    PutWord(p + InitFlagsOffset, FlagWord(flags));
    p[InitVersionOffset] = version;
    PutWord(p + InitConstOffset, InitConstValue);
    // Each area holds at most 15 characters and the terminator.
    PutText(packet, InitPasswordOffset, adminPassword, NameAreaSize - 1);
    PutText(packet, InitNameOffset, name, NameAreaSize - 1);
    return packet;
}

// A zeroed packet of that size with its request byte and the byte after it (a sub-code, or the version
// packet's protocol) set; the size and type bytes are left for StampHead.
static QByteArray Headed(int size, quint8 request, quint8 subCode) {
    QByteArray packet(size, '\0');
    packet[RequestOffset] = char(request);
    packet[SubCodeOffset] = char(subCode);
    return packet;
}

QByteArray BuildTiny(quint8 subCode, quint8 request) {
    return Headed(TinyPacketSize, request, subCode);
}

QByteArray BuildSmall(quint8 subCode, quint8 request, quint32 value) {
    QByteArray packet = Headed(SmallPacketSize, request, subCode);
    for (int i = 0; i < 4; ++i)
        packet[SmallValueOffset + i] = char((value >> (8 * i)) & 0xFF);
    return packet;
}

QByteArray BuildDeleteButtons(quint8 subCode, quint8 clickId, quint8 clickMax, quint8 target) {
    QByteArray packet = Headed(DeletePacketSize, BuiltRequest, subCode);
    packet[DeleteTargetOffset] = char(target);
    packet[DeleteClickIdOffset] = char(clickId);
    packet[DeleteClickMaxOffset] = char(clickMax);
    return packet;
}

QByteArray BuildVersion(quint8 protocol, quint8 request, const QByteArray& product,
                        const QByteArray& version) {
    QByteArray packet = Headed(VersionRecordSize, request, protocol);
    PutText(packet, VersionText4Offset, version, VersionTextArea - 1);
    PutText(packet, VersionText12Offset, product, VersionTextArea - 1);
    return packet;
}

QByteArray BuildClick(quint8 clickId, quint8 flags) {
    QByteArray packet(ClickPacketSize, '\0');
    packet[ReportClickIdOffset] = char(clickId);
    packet[ClickFlagsOffset] = char(flags);
    return packet;
}

QByteArray BuildTyped(quint8 clickId, const QByteArray& text) {
    QByteArray packet(TypedPacketSize, '\0');
    packet[ReportClickIdOffset] = char(clickId);
    PutText(packet, TypedTextOffset, text, TypedTextSize);
    return packet;
}

QByteArray BuildConsole(const QByteArray& text, bool chat) {
    QByteArray packet(ConsolePacketSize, '\0');
    packet[ConsoleChatOffset] = char(chat ? ConsoleChatMark : 0);
    PutText(packet, ConsoleTextOffset, text, ConsoleTextSize);
    return packet;
}

int BuildButton(const ButtonRecord& button, quint8 sizeUnit, quint8* out) {
    const int n = qMin(int(button.Text.size()), MaxButtonTextFor(sizeUnit));
    const int length = ButtonPacketLength(n, sizeUnit);
    std::memset(out, 0, size_t(length));
    out[RequestOffset] = BuiltRequest;
    button.Write(out);
    std::memcpy(out + ButtonTextOffset, button.Text.constData(), size_t(n));
    return length;
}

ButtonRecord ReadButton(const quint8* packet, int length) {
    ButtonRecord button;
    static_cast<TKvdButtonFields&>(button) = TKvdButtonFields::Read(packet, length);
    button.Text = TKvdPacket(packet, length).TextBytes(ButtonTextOffset, length);
    return button;
}

} // namespace Dromo

DR_VER DR_VER::FromPacket(const quint8* data, int length) {
    DR_VER record;
    std::memcpy(&record, data, size_t(qBound(0, length, int(sizeof(DR_VER)))));
    return record;
}

QString DR_VER::TextAt4() const {
    return TKvdPacket(reinterpret_cast<const quint8*>(this), sizeof(DR_VER))
        .Text(Dromo::VersionText4Offset, Dromo::VersionTextArea);
}

QString DR_VER::TextAt12() const {
    return TKvdPacket(reinterpret_cast<const quint8*>(this), sizeof(DR_VER))
        .Text(Dromo::VersionText12Offset, Dromo::VersionTextArea);
}
