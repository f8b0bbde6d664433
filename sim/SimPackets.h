#pragma once
// The packets the stand-in simulator sends, each returned whole: built by the packet table's builders
// (link/Dromo.h) and stamped with the size and type bytes for the connection's size unit.

#include <QByteArray>
#include <QtGlobal>

namespace SimPackets {

// The answer to an initialise packet: the product text at offset 12 and the version text at offset 4,
// which the builder shows as "Connected to Korvadia [product version]"; offset 3 carries the protocol.
QByteArray Version(quint8 protocol, quint8 request, const QByteArray& product, const QByteArray& version,
                   quint8 sizeUnit);
QByteArray KeepAlive(quint8 sizeUnit);
// A click from a script without flags reports the left button alone (Dromo::CF_LEFT).
QByteArray Click(quint8 clickId, quint8 flags, quint8 sizeUnit);
// The text is cut to the 96 bytes of its area.
QByteArray Typed(quint8 clickId, const QByteArray& text, quint8 sizeUnit);
// The text is cut to the 128 bytes of its area; chat marks it as a chat line.
QByteArray Console(const QByteArray& text, bool chat, quint8 sizeUnit);

} // namespace SimPackets
