#include "link/KvdTypes.h"

#include <algorithm>
#include <cstring>

QByteArray TKvdPacket::TextBytes(int offset, int maxLength) const {
    if (offset < 0 || offset >= m_length || maxLength <= 0)
        return {};
    const int area = qMin(maxLength, m_length - offset);
    const void* zero = std::memchr(m_data + offset, 0, size_t(area));
    const int length = zero ? int(static_cast<const quint8*>(zero) - (m_data + offset)) : area;
    return QByteArray(reinterpret_cast<const char*>(m_data + offset), length);
}

void KvdTypes::CheckOneInstance(const QObject* owner, const QMetaObject* metaObject) {
    if (!owner)
        return;
    for (const QObject* component : owner->children()) {
        if (component->metaObject()->inherits(metaObject))
            throw EKvdLink(QStringLiteral("Only one instance of %1 is allowed.")
                               .arg(QString::fromLatin1(component->metaObject()->className())));
    }
}

QString KvdTypes::EscapeControls(const QString& text) {
    auto special = [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
    };
    if (std::none_of(text.cbegin(), text.cend(), special))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (QChar c : text) {
        if (!special(c)) {
            escaped.append(c);
            continue;
        }
        switch (c.unicode()) {
        case '\n':
            escaped.append(QLatin1StringView("\\n"));
            break;
        case '\r':
            escaped.append(QLatin1StringView("\\r"));
            break;
        case '\t':
            escaped.append(QLatin1StringView("\\t"));
            break;
        case 0x1B:
            escaped.append(QLatin1StringView("\\e"));
            break;
        case 0x2028:
        case 0x2029:
            escaped.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
            break;
        default:
            escaped.append(QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')));
            break;
        }
    }
    return escaped;
}
