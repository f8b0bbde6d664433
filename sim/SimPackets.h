#pragma once
// The packets the stand-in simulator sends: the version answer, keep-alives, click reports, typed
// text and console text, each returned whole (size and type bytes stamped for the size unit), and
// the click-flag bits of a click report.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace SimPackets {

// Bits of the click flags (offset 6 of a click report): which mouse button clicked and which keys
// were held. A click from a script without flags reports the left button alone.
enum : quint8 {
    CF_LEFT = 0x01,
    CF_RIGHT = 0x02,
    CF_CTRL = 0x04,
    CF_SHIFT = 0x08,
};

constexpr int ClickPacketSize = 8;
constexpr int TypedPacketSize = 8 + 96;    // head, then the 96-byte text area
constexpr int ConsolePacketSize = 8 + 128; // head, then the 128-byte text area
constexpr int VersionTextSize = 7;         // each version text with its terminator fits 8 bytes
constexpr int InitNameOffset = 28;
constexpr int InitNameSize = 16;
constexpr int InitVersionOffset = 8;

// The answer to an initialise packet: the product text at offset 12 and the version text at offset 4,
// which the builder shows as "Connected to Korvadia [product version]"; offset 3 carries the protocol.
QByteArray Version(quint8 protocol, quint8 request, const QByteArray& product, const QByteArray& version,
                   quint8 sizeUnit);
QByteArray KeepAlive(quint8 sizeUnit);
QByteArray Click(quint8 clickId, quint8 flags, quint8 sizeUnit);
// The text is cut to the 96 bytes of its area.
QByteArray Typed(quint8 clickId, const QByteArray& text, quint8 sizeUnit);
// The text is cut to the 128 bytes of its area; chat marks it as a chat line.
QByteArray Console(const QByteArray& text, bool chat, quint8 sizeUnit);

// A few words on what a packet is, for the stand-in's log ("button 3 \"Go\"", "keep-alive", ...).
QString Describe(const QByteArray& packet);

} // namespace SimPackets
