#pragma once
// The Dromo records: type codes, the initialise flags, the version record and builders for every packet
// this program sends. Builders fill the body and the fixed head bytes; the sender stamps the size and
// type bytes (StampHead) just before the bytes go out.

#include <QByteArray>
#include <QFlags>
#include <QObject>
#include <QtGlobal>

namespace Dromo {
Q_NAMESPACE

// Packet type codes used by this program (the protocol numbers its types 0 to 67).
enum : quint8 {
    DR_NONE = 0, // local record: the link went down; never on the wire
    DR_INIT = 1,
    DR_VER = 2,
    DR_TINY = 3,
    DR_SMALL = 4,
    DR_CONSOLE = 11,
    DR_BTN_DEL = 42,
    DR_BTN = 45,
    DR_BTN_CLICK = 46,
    DR_BTN_TYPE = 47,
};
constexpr int MinPacketType = 1;
constexpr int MaxPacketType = 67;

// Initialise flags; a member stands for the bit 1 << ordinal.
enum TKvdDromoDRIFlag {
    AF_DRF_RES_0 = 0x1,
    AF_DRF_RES_1 = 0x2,
    AF_DRF_LOCAL = 0x4,
    AF_DRF_MSO_COLS = 0x8,
    AF_DRF_NLP = 0x10,
    AF_DRF_MCI = 0x20,
    AF_DRF_CON = 0x40,
    AF_DRF_OBH = 0x80,
    AF_DRF_HLV = 0x100,
    AF_DRF_AXM_LOAD = 0x200,
    AF_DRF_AXM_EDIT = 0x400,
    AF_DRF_REQ_JOIN = 0x800,
};
Q_DECLARE_FLAGS(TKvdDromoDRIFlags, TKvdDromoDRIFlag)
Q_FLAG_NS(TKvdDromoDRIFlags)

// Bits of the button style byte.
enum : quint8 {
    BST_CLICK = 0x08,
    BST_LIGHT = 0x10,
    BST_DARK = 0x20,
    BST_LEFT = 0x40,
    BST_RIGHT = 0x80,
};

constexpr int InitPacketSize = 44;
constexpr int TinyPacketSize = 4;
constexpr int SmallPacketSize = 8;
constexpr int DeletePacketSize = 8;
constexpr int VersionRecordSize = 20;
constexpr int ButtonHeadSize = 12;
constexpr int MaxButtonText = 240;
constexpr int MaxButtonPacketSize = 256;
constexpr int ConsoleTextOffset = 8;
constexpr int ConsoleTextSize = 128;
constexpr int TypedTextOffset = 8;
constexpr int TypedTextSize = 96;
constexpr int NameAreaSize = 16; // password and name areas, terminator included

// The unit of the size byte: 4 from protocol version 9 on, 1 before.
constexpr quint8 SizeUnitFor(quint8 version) {
    return version > 8 ? 4 : 1;
}
// Whether a packet of that length can be described by the size byte of that unit.
constexpr bool FitsSizeByte(int length, quint8 sizeUnit) {
    return length > 0 && length % sizeUnit == 0 && length / sizeUnit <= 255;
}
// The longest button text whose packet the size byte of that unit can describe: 240 bytes with unit 4;
// with unit 1 the packet must stay at 252 bytes, which leaves 239.
constexpr int MaxButtonTextFor(quint8 sizeUnit) {
    return sizeUnit == 1 ? 239 : MaxButtonText;
}

// The flag word of the initialise packet. The two reserved members have no defined bit and add none.
quint16 FlagWord(TKvdDromoDRIFlags flags);

// Writes offset 0 (length / sizeUnit, low 8 bits) and offset 1 (type) of a packet about to be sent.
void StampHead(quint8* packet, int length, quint8 type, quint8 sizeUnit);

// Builders. The size and type bytes are left for StampHead.
QByteArray BuildInit(TKvdDromoDRIFlags flags, quint8 version, const QByteArray& adminPassword,
                     const QByteArray& name);
QByteArray BuildTiny(quint8 subCode, quint8 request);
QByteArray BuildSmall(quint8 subCode, quint8 request, quint32 value);
QByteArray BuildDeleteButtons(quint8 subCode, quint8 clickId, quint8 clickMax, quint8 target);
} // namespace Dromo

Q_DECLARE_OPERATORS_FOR_FLAGS(Dromo::TKvdDromoDRIFlags)

// The version record as handed to the connect handler: the first 20 bytes of the version packet (a
// shorter packet is padded with zeros).
struct DR_VER {
    quint8 Size = 0;
    quint8 Type = 0;
    quint8 ReqI = 0;
    quint8 Zero = 0;
    char Text4[8] = {};  // text at offset 4
    char Text12[8] = {}; // text at offset 12, ends within the record

    static DR_VER FromPacket(const quint8* data, int length);
    // The two texts, each ending at its first zero byte or at the end of its area.
    QString TextAt4() const;
    QString TextAt12() const;
};
static_assert(sizeof(DR_VER) == Dromo::VersionRecordSize);
