#include "link/KvdTypes.h"

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
