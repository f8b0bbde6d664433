// What a packet is, in a few words, for the logs of the stand-in simulator.

#include "link/Dromo.h"

#include "link/KvdTypes.h"

namespace Dromo {

QString Describe(const quint8* data, int length) {
    const TKvdPacket view(data, length);
    // Texts come from the other end: escaped, a line break in one cannot start a line of its own.
    auto quoted = [&view](int offset, int area) {
        return QLatin1Char('"') + KvdTypes::EscapeControls(view.Text(offset, area)) + QLatin1Char('"');
    };
    const auto word = [&view](int offset) {
        return quint32(view.Byte(offset)) | quint32(view.Byte(offset + 1)) << 8 |
               quint32(view.Byte(offset + 2)) << 16 | quint32(view.Byte(offset + 3)) << 24;
    };
    switch (view.Type()) {
    case DR_INIT:
        return QStringLiteral("initialise %1, protocol %2")
            .arg(quoted(InitNameOffset, NameAreaSize))
            .arg(view.Byte(InitVersionOffset));
    case DR_VER:
        return QStringLiteral("version %1 %2")
            .arg(quoted(VersionText12Offset, VersionTextArea), quoted(VersionText4Offset, VersionTextArea));
    case DR_TINY:
        return view.Byte(SubCodeOffset) == TINY_CLOSE ? QStringLiteral("closing")
                                                      : QStringLiteral("keep-alive");
    case DR_SMALL:
        return QStringLiteral("small %1, value %2").arg(view.Byte(SubCodeOffset)).arg(word(SmallValueOffset));
    case DR_CONSOLE:
        return QStringLiteral("console %1").arg(quoted(ConsoleTextOffset, ConsoleTextSize));
    case DR_BTN_DEL: {
        if (view.Byte(SubCodeOffset) == BTN_DEL_ALL)
            return QStringLiteral("clear all buttons");
        const quint8 first = view.Byte(DeleteClickIdOffset);
        const quint8 last = view.Byte(DeleteClickMaxOffset);
        return first == last ? QStringLiteral("delete button %1").arg(first)
                             : QStringLiteral("delete buttons %1 to %2").arg(first).arg(last);
    }
    case DR_BTN:
        return QStringLiteral("button %1 %2")
            .arg(view.Byte(ButtonHead::ClickID))
            .arg(quoted(ButtonTextOffset, MaxButtonPacketSize));
    case DR_BTN_CLICK:
        return QStringLiteral("click on %1, flags %2")
            .arg(view.Byte(ReportClickIdOffset))
            .arg(view.Byte(ClickFlagsOffset));
    case DR_BTN_TYPE:
        return QStringLiteral("typed %1 into %2")
            .arg(quoted(TypedTextOffset, TypedTextSize))
            .arg(view.Byte(ReportClickIdOffset));
    default:
        return QStringLiteral("type %1").arg(view.Type());
    }
}

} // namespace Dromo
