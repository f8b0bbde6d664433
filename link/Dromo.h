#pragma once
// The Dromo records, for both ends of the link: type codes, the table of packet kinds (code, shortest
// length, name), the named offsets of every field, the initialise flags, the version record, builders for
// every packet the builder and the stand-in simulator send, and a short description of any packet for a
// log. Nothing outside this file names a packet offset or type number. Builders fill the body and the
// fixed head bytes; the sender stamps the size and type bytes (StampHead) just before the bytes go out.

#include "core/ButtonFields.h"

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
    DR_BTN = ButtonPacketType,
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

// Sub-codes at offset 3 of the tiny, small and delete packets this program sends.
enum : quint8 {
    TINY_NONE = 0,      // keep-alive answer
    TINY_CLOSE = 2,     // the client closes the link
    SMALL_INTERVAL = 7, // the update interval
    BTN_DEL_ONE = 0,    // delete the button named by click id
    BTN_DEL_ALL = 1,    // clear every button of this client
};

// Offsets of the head every packet starts with; the size and type bytes are the least a packet has.
constexpr int SizeOffset = 0;
constexpr int TypeOffset = 1;
constexpr int RequestOffset = 2;
constexpr int SubCodeOffset = 3;
constexpr int MinPacketSize = 2;
// The request byte of every packet this program builds, tiny packets excepted.
constexpr quint8 BuiltRequest = 1;

// Initialise packet.
constexpr int InitFlagsOffset = 6;   // 16-bit flag word
constexpr int InitVersionOffset = 8; // protocol version
constexpr int InitConstOffset = 10;  // 16-bit constant below
constexpr quint16 InitConstValue = 1000;
constexpr int InitPasswordOffset = 12;
constexpr int InitNameOffset = 28;

// Small packet: the 32-bit value.
constexpr int SmallValueOffset = 4;

// Delete-buttons packet.
constexpr int DeleteTargetOffset = 4;
constexpr int DeleteClickIdOffset = 5;
constexpr int DeleteClickMaxOffset = 6;

// Button packet: the head (its fields in core/ButtonFields.h), then the text with its terminator,
// zero-padded to a multiple of 4.
constexpr int ButtonTextOffset = ButtonHead::Size;

// Received reports: click (46) and typed text (47) name the button at offset 4; a click carries its
// flags at offset 6, a console text its chat mark there.
constexpr int ReportClickIdOffset = 4;
constexpr int ClickFlagsOffset = 6;
constexpr int ConsoleChatOffset = 6;
constexpr quint8 ConsoleChatMark = 1;

// Bits of a click report's flags: which mouse button clicked and which keys were held.
enum : quint8 {
    CF_LEFT = 0x01,
    CF_RIGHT = 0x02,
    CF_CTRL = 0x04,
    CF_SHIFT = 0x08,
};

// Version packet: the protocol at offset 3, then two texts of 8 bytes each (terminator included).
constexpr int VersionProtocolOffset = SubCodeOffset;
constexpr int VersionText4Offset = 4;
constexpr int VersionText12Offset = 12;
constexpr int VersionTextArea = 8;

constexpr int InitPacketSize = 44;
constexpr int TinyPacketSize = 4;
constexpr int SmallPacketSize = 8;
constexpr int DeletePacketSize = 8;
constexpr int VersionRecordSize = 20;
constexpr int ButtonHeadSize = ButtonHead::Size;
constexpr int MaxButtonText = MaxButtonTextBytes;
constexpr int MaxButtonPacketSize = MaxButtonPacketBytes;
constexpr int ConsoleTextOffset = 8;
constexpr int ConsoleTextSize = 128;
constexpr int TypedTextOffset = 8;
constexpr int TypedTextSize = 96;
constexpr int NameAreaSize = 16; // password and name areas, terminator included
constexpr int ClickPacketSize = 8;
constexpr int TypedPacketSize = TypedTextOffset + TypedTextSize;
constexpr int ConsolePacketSize = ConsoleTextOffset + ConsoleTextSize;

// One row of the packet table.
struct TPacketKind {
    quint8 Type;
    int MinSize;      // a shorter packet of this type is malformed
    const char* Name; // for logs
};
// Every type this program sends or reads.
inline constexpr TPacketKind PacketKinds[] = {
    {DR_INIT, InitPacketSize, "initialise"},
    {DR_VER, VersionRecordSize, "version"},
    {DR_TINY, TinyPacketSize, "tiny"},
    {DR_SMALL, SmallPacketSize, "small"},
    {DR_CONSOLE, ConsolePacketSize, "console"},
    {DR_BTN_DEL, DeletePacketSize, "delete buttons"},
    {DR_BTN, ButtonHead::Size, "button"},
    {DR_BTN_CLICK, ClickPacketSize, "click"},
    {DR_BTN_TYPE, TypedPacketSize, "typed text"},
};
// The table's row of that type; nullptr for a type it does not list.
constexpr const TPacketKind* PacketKindOf(quint8 type) {
    for (const TPacketKind& kind : PacketKinds)
        if (kind.Type == type)
            return &kind;
    return nullptr;
}
// The shortest packet of that type that is well-formed; the bare head for types not in the table.
constexpr int ShortestPacket(quint8 type) {
    const TPacketKind* kind = PacketKindOf(type);
    return kind ? kind->MinSize : MinPacketSize;
}

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
// The simulator's side: the answer to an initialise packet (each text cut to 7 bytes), click and typed
// text reports (the text cut to its area), console text (chat marks it as a chat line).
QByteArray BuildVersion(quint8 protocol, quint8 request, const QByteArray& product,
                        const QByteArray& version);
QByteArray BuildClick(quint8 clickId, quint8 flags);
QByteArray BuildTyped(quint8 clickId, const QByteArray& text);
QByteArray BuildConsole(const QByteArray& text, bool chat);

// A few words on what a packet is, for a log ("button 3 \"Go\"", "keep-alive", ...); texts from the
// other end are shown with their control characters escaped.
QString Describe(const quint8* packet, int length);

// The values of one button packet (type 45) as they stand on the wire.
struct ButtonRecord : TKvdButtonFields {
    QByteArray Text; // 8-bit text; cut to what the size unit allows when built
};
// The length of the button packet of a text of that many bytes: head, text cut to the limit of the
// size unit, terminator, padding to a multiple of 4.
constexpr int ButtonPacketLength(int textBytes, quint8 sizeUnit) {
    const int n = textBytes < MaxButtonTextFor(sizeUnit) ? textBytes : MaxButtonTextFor(sizeUnit);
    return (ButtonHeadSize + n + 1 + 3) / 4 * 4;
}
// Writes the button packet into out (room for MaxButtonPacketSize bytes) and returns its length; the
// size and type bytes are left 0 for StampHead.
int BuildButton(const ButtonRecord& button, quint8 sizeUnit, quint8* out);
// The values of a received button packet; the text ends at its first zero byte or at the packet's end.
ButtonRecord ReadButton(const quint8* packet, int length);
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
