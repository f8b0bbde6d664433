#include "core/KvdUIScan.h"

#include <algorithm>

namespace KvdUIScan {

QStringView Tag::Value(QStringView name) const {
    for (const Attribute& attribute : m_attributes)
        if (attribute.Name == name)
            return attribute.References ? QStringView(attribute.Resolved) : attribute.Raw;
    return {};
}

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool IsNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool IsNameChar(char16_t c) {
    return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
}

// A code point XML allows in a document.
bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The value of an ASCII digit in that base, or -1.
int DigitValue(char16_t c, int base) {
    int value = -1;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

class Scanner {
public:
    explicit Scanner(QStringView text) : m_at(text.utf16()), m_end(text.utf16() + text.size()) {}

    bool Run(QStringView element, const std::function<void(const Tag&)>& onElement) {
        if (!Declaration())
            return false;
        std::vector<QStringView> open;
        SkipSpace();
        do {
            if (m_at == m_end || *m_at != u'<')
                return false; // text content, or the end before the root is closed
            ++m_at;
            if (m_at != m_end && *m_at == u'/') {
                ++m_at;
                if (open.empty() || Name() != open.back())
                    return false;
                SkipSpace();
                if (!Take(u'>'))
                    return false;
                open.pop_back();
            } else {
                const QStringView name = Name();
                bool empty = false;
                if (name.isEmpty() || !Attributes(empty))
                    return false;
                if (name == element) {
                    m_tag.m_depth = int(open.size());
                    onElement(m_tag);
                }
                if (!empty)
                    open.push_back(name);
            }
            SkipSpace();
        } while (!open.empty());
        return m_at == m_end;
    }

private:
    // Nothing, or exactly the declaration the writer (or a hand-written file) starts with.
    bool Declaration() {
        static const char16_t* const forms[] = {u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                                u"<?xml version=\"1.0\"?>"};
        const QStringView rest(m_at, m_end);
        if (!rest.startsWith(u"<?"))
            return true;
        for (const char16_t* form : forms) {
            const QStringView declaration(form);
            if (rest.startsWith(declaration)) {
                m_at += declaration.size();
                return true;
            }
        }
        return false;
    }

    void SkipSpace() {
        while (m_at != m_end && IsSpace(*m_at))
            ++m_at;
    }

    bool Take(char16_t c) {
        if (m_at == m_end || *m_at != c)
            return false;
        ++m_at;
        return true;
    }

    // An ASCII name without a colon; empty when there is none. Names beginning with "xml" are reserved
    // (namespace declarations among them) and left to the full reader.
    QStringView Name() {
        const char16_t* start = m_at;
        if (m_at == m_end || !IsNameStart(*m_at))
            return {};
        while (m_at != m_end && IsNameChar(*m_at))
            ++m_at;
        const QStringView name(start, m_at);
        if (name.startsWith(u"xml", Qt::CaseInsensitive))
            return {};
        return name;
    }

    // The attributes up to the end of the tag; empty tells whether the tag closed itself.
    bool Attributes(bool& empty) {
        m_tag.m_attributes.clear();
        for (;;) {
            const char16_t* before = m_at;
            SkipSpace();
            if (Take(u'>'))
                return true;
            if (Take(u'/')) {
                empty = true;
                return Take(u'>');
            }
            if (m_at == before) // attributes are separated by white space
                return false;
            Tag::Attribute attribute;
            attribute.Name = Name();
            if (attribute.Name.isEmpty())
                return false;
            for (const Tag::Attribute& other : m_tag.m_attributes)
                if (other.Name == attribute.Name)
                    return false;
            SkipSpace();
            if (!Take(u'='))
                return false;
            SkipSpace();
            if (m_at == m_end || (*m_at != u'"' && *m_at != u'\''))
                return false;
            if (!Value(*m_at++, attribute))
                return false;
            m_tag.m_attributes.push_back(std::move(attribute));
        }
    }

    bool Value(char16_t quote, Tag::Attribute& attribute) {
        const char16_t* start = m_at;
        for (; m_at != m_end && *m_at != quote; ++m_at) {
            const char16_t c = *m_at;
            if (c == u'&') {
                attribute.References = true;
            } else if (c == u'<' || c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
                // Raw line breaks and tabs are turned into spaces by XML; left to the full reader.
                return false;
            } else if (QChar::isHighSurrogate(c)) {
                if (m_at + 1 == m_end || !QChar::isLowSurrogate(m_at[1]))
                    return false;
                ++m_at;
            } else if (QChar::isLowSurrogate(c)) {
                return false;
            }
        }
        if (m_at == m_end)
            return false;
        attribute.Raw = QStringView(start, m_at);
        ++m_at;
        return !attribute.References || Resolve(attribute);
    }

    // Resolves the named entities and character references of Raw into Resolved.
    static bool Resolve(Tag::Attribute& attribute) {
        static const struct {
            QStringView Name;
            char16_t Char;
        } named[] = {{u"amp;", u'&'}, {u"lt;", u'<'}, {u"gt;", u'>'}, {u"quot;", u'"'}, {u"apos;", u'\''}};
        const QStringView raw = attribute.Raw;
        QString& out = attribute.Resolved;
        out.reserve(raw.size());
        for (qsizetype i = 0; i < raw.size();) {
            if (raw[i] != u'&') {
                out.append(raw[i++]);
                continue;
            }
            const QStringView rest = raw.mid(i + 1);
            const qsizetype semicolon = rest.indexOf(u';');
            if (semicolon < 1)
                return false;
            if (rest[0] == u'#') {
                const bool hex = rest.size() > 1 && rest[1] == u'x';
                const QStringView digits = rest.mid(hex ? 2 : 1, semicolon - (hex ? 2 : 1));
                if (digits.isEmpty() || digits.size() > 8)
                    return false;
                const int base = hex ? 16 : 10;
                char32_t code = 0;
                for (QChar digit : digits) {
                    const int value = DigitValue(digit.unicode(), base);
                    if (value < 0)
                        return false;
                    code = code * char32_t(base) + char32_t(value);
                }
                if (!IsXmlChar(code))
                    return false;
                const auto units = QChar::fromUcs4(code);
                out.append(QStringView(units));
            } else {
                const auto* entity = std::find_if(std::begin(named), std::end(named),
                                                  [&](const auto& e) { return rest.startsWith(e.Name); });
                if (entity == std::end(named))
                    return false;
                out.append(QChar(entity->Char));
            }
            i += 1 + semicolon + 1;
        }
        return true;
    }

    const char16_t* m_at;
    const char16_t* m_end;
    Tag m_tag;
};

bool Elements(QStringView text, QStringView element, const std::function<void(const Tag&)>& onElement) {
    return Scanner(text).Run(element, onElement);
}

} // namespace KvdUIScan
