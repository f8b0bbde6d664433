#pragma once
// Types shared by the link components: the event signatures, the exception class of the link, the
// read-only view of one received packet and the check that an owner holds at most one component of a
// class.

#include "core/Exceptions.h"
#include "link/Dromo.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>

// Errors raised by the link components.
class EKvdLink : public Exception {
public:
    using Exception::Exception;
};

// The plain notification: (Sender).
using TKvdEvent = std::function<void(QObject* Sender)>;
// Every failed socket call as one line of text: (Sender, ErrorMessage).
using TKvdSocketErrorEvent = std::function<void(QObject* Sender, const QString& ErrorMessage)>;

// One whole packet as it was cut from the stream (or a local record). The bytes are only valid during
// the call that receives the view; a handler that keeps packet data copies it. Reads past the end of
// the packet give 0 or stop the text, so a short packet never exposes bytes of an earlier one.
class TKvdPacket {
public:
    TKvdPacket() = default;
    TKvdPacket(const quint8* data, int length) : m_data(data), m_length(data ? qMax(0, length) : 0) {}

    const quint8* Data() const { return m_data; }
    int Length() const { return m_length; }
    quint8 Size() const { return Byte(Dromo::SizeOffset); }
    quint8 Type() const { return Byte(Dromo::TypeOffset); }
    quint8 Byte(int offset) const { return offset >= 0 && offset < m_length ? m_data[offset] : 0; }
    // The 8-bit text of the area [offset, offset + maxLength), ending at the first zero byte or at the
    // end of the area or of the packet, whichever comes first.
    QByteArray TextBytes(int offset, int maxLength) const;
    // The same text converted with the local 8-bit encoding.
    QString Text(int offset, int maxLength) const {
        return QString::fromLocal8Bit(TextBytes(offset, maxLength));
    }

private:
    const quint8* m_data = nullptr;
    int m_length = 0;
};

namespace KvdTypes {
// A text from the simulator made safe to print or show on one line: control characters (C0, DEL, C1)
// and the Unicode line and paragraph separators become escapes (\n, \r, \t, \e, \xHH, \u2028), so that
// they can neither start a new line nor reach a terminal as a command. Everything else is unchanged.
QString EscapeControls(const QString& text);

// Raises EKvdLink "Only one instance of <class> is allowed." when owner already holds a component of
// the class described by metaObject, or of a descendant. Nothing to check without an owner.
void CheckOneInstance(const QObject* owner, const QMetaObject* metaObject);
} // namespace KvdTypes
