#include "core/LayoutElements.h"

#include "core/KvdUIScan.h"
#include "core/LayoutAttributes.h"
#include "core/XmlError.h"

#include <QHash>
#include <QStringList>
#include <QXmlStreamReader>

namespace {

qint64 Number(QStringView text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

bool IsBlank(QStringView text) {
    for (QChar c : text)
        if (c.unicode() > 0x20)
            return false;
    return true;
}

// Collects the elements from either reader; value gives the text of an attribute by name.
class Collector {
public:
    explicit Collector(std::vector<TLayoutElement>& elements) : m_elements(elements) {}

    template <typename Attributes> void Visit(const Attributes& value, int depth) {
        TLayoutElement e;
        e.Depth = depth;
        e.ID = Number(value(LayoutAttr::ID));
        e.Name = value(LayoutAttr::Name).toString();
        e.Kind = value(LayoutAttr::Type).toString();
        e.Left = Number(value(LayoutAttr::Left));
        e.Top = Number(value(LayoutAttr::Top));
        // The enclosing element is the last one seen one level up: it came before its children.
        m_placed.resize(size_t(depth) + 1);
        const Origin parent = depth > 0 ? m_placed[size_t(depth) - 1] : Origin();
        e.PlacedLeft = parent.Left + Number(value(LayoutAttr::RelLeft));
        e.PlacedTop = parent.Top + Number(value(LayoutAttr::RelTop));
        m_placed[size_t(depth)] = {e.PlacedLeft, e.PlacedTop};
        e.Width = Number(value(LayoutAttr::Width));
        e.Height = Number(value(LayoutAttr::Height));
        e.BStyle = Number(value(LayoutAttr::BStyle));
        e.TypeIn = Number(value(LayoutAttr::TypeIn));
        e.Text = value(LayoutAttr::Text).toString();
        m_elements.push_back(std::move(e));
    }

private:
    struct Origin {
        qint64 Left = 0;
        qint64 Top = 0;
    };
    std::vector<TLayoutElement>& m_elements;
    std::vector<Origin> m_placed; // of the element last seen at each depth
};

bool ReadXml(QXmlStreamReader& xml, std::vector<TLayoutElement>& elements, QString& error,
             const QByteArray& bytes = QByteArray()) {
    Collector collector(elements);
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == LayoutAttr::Element) {
                const QXmlStreamAttributes attributes = xml.attributes();
                collector.Visit([&attributes](const QString& name) { return attributes.value(name); }, depth);
            }
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (!xml.hasError())
        return true;
    elements.clear();
    error = XmlErrorMessage(xml, bytes);
    return false;
}

} // namespace

bool ReadLayoutElements(QStringView text, std::vector<TLayoutElement>& elements, QString& error) {
    elements.clear();
    if (IsBlank(text))
        return true;
    // Text as the writer makes it goes through the quick scanner; the XML reader takes everything else.
    Collector collector(elements);
    const bool scanned = KvdUIScan::Elements(text, LayoutAttr::Element, [&](const KvdUIScan::Tag& tag) {
        collector.Visit([&tag](const QString& name) { return tag.Value(name); }, tag.Depth());
    });
    if (scanned)
        return true;
    elements.clear();
    QXmlStreamReader xml(text.toString());
    return ReadXml(xml, elements, error);
}

bool ReadLayoutElements(const QByteArray& bytes, std::vector<TLayoutElement>& elements, QString& error) {
    elements.clear();
    if (bytes.trimmed().isEmpty())
        return true;
    QXmlStreamReader xml(bytes);
    return ReadXml(xml, elements, error, bytes);
}

bool IsElementName(QStringView name) {
    if (name.isEmpty() || name.size() > MaxElementNameBytes)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
        if (!letter && (i == 0 || c < u'0' || c > u'9'))
            return false;
    }
    return true;
}

QString ProgramLayoutProblem(const std::vector<TLayoutElement>& elements) {
    std::array<bool, 256> used{};
    QHash<QString, qint64> idOfName;
    QStringList twice;
    for (const TLayoutElement& e : elements) {
        if (e.ID < 0 || e.ID > 255)
            return QStringLiteral("The element ID %1 is outside 0 to 255").arg(e.ID);
        if (used[size_t(e.ID)] && !twice.contains(QString::number(e.ID)))
            twice << QString::number(e.ID);
        used[size_t(e.ID)] = true;
        if (e.Name.isEmpty())
            continue;
        if (!IsElementName(e.Name))
            return QStringLiteral("\"%1\" (ID %2) is not a valid element name: a name is a letter or \"_\", "
                                  "then letters, digits or \"_\", at most %3 in all")
                .arg(e.Name)
                .arg(e.ID)
                .arg(MaxElementNameBytes);
        if (const auto other = idOfName.constFind(e.Name); other != idOfName.constEnd())
            return QStringLiteral("The name %1 is used by the elements with IDs %2 and %3")
                .arg(e.Name)
                .arg(*other)
                .arg(e.ID);
        idOfName.insert(e.Name, e.ID);
    }
    if (!twice.isEmpty())
        return QStringLiteral(
                   "The layout uses IDs more than once (%1); open and save it in the builder, which "
                   "gives them new IDs")
            .arg(twice.join(QStringLiteral(", ")));
    return {};
}

quint8 FreeElementID(quint8 value, const std::array<int, 256>& count) {
    if (count[value] == 0)
        return value;
    int highest = 255;
    while (highest > 0 && count[size_t(highest)] == 0)
        --highest;
    if (highest < 255)
        return quint8(highest + 1);
    for (int id = 0; id < 256; ++id)
        if (count[size_t(id)] == 0)
            return quint8(id);
    return value;
}
