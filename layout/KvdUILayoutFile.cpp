#include "layout/KvdUILayoutFile.h"

#include "core/ClassRegistry.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/FileWrite.h"
#include "core/LayoutAttributes.h"
#include "core/LayoutElements.h"
#include "core/PropInfo.h"
#include "core/XmlError.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutSource.h"

#include <QDir>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// --- writing ---------------------------------------------------------------------------------------

void WriteElement(TControl* surface, TKvdUIElement* element, QXmlStreamWriter& xml) {
    xml.writeStartElement(LayoutAttr::Element);
    int left = element->Left();
    int top = element->Top();
    for (QWidget* w = element->parentWidget(); w && w != surface; w = w->parentWidget()) {
        if (auto* c = qobject_cast<TControl*>(w)) {
            left += c->Left();
            top += c->Top();
        } else {
            left += w->x();
            top += w->y();
        }
    }
    xml.writeAttribute(LayoutAttr::Type, QString::fromLatin1(element->metaObject()->className()));
    xml.writeAttribute(LayoutAttr::Align, QString::number(int(element->Align())));
    xml.writeAttribute(LayoutAttr::Anchors, AnchorsToText(element->Anchors()));
    xml.writeAttribute(LayoutAttr::RelLeft, QString::number(element->Left()));
    xml.writeAttribute(LayoutAttr::RelTop, QString::number(element->Top()));
    xml.writeAttribute(LayoutAttr::Width, QString::number(element->Width()));
    xml.writeAttribute(LayoutAttr::Height, QString::number(element->Height()));
    xml.writeAttribute(LayoutAttr::ID, QString::number(element->ID()));
    xml.writeAttribute(LayoutAttr::Text, element->Text());
    xml.writeAttribute(LayoutAttr::TypeIn, QString::number(element->InputLength()));
    xml.writeAttribute(LayoutAttr::BStyle, QString::number(element->EncodeBStyle()));
    xml.writeAttribute(LayoutAttr::Left, QString::number(left));
    xml.writeAttribute(LayoutAttr::Top, QString::number(top));
    if (!element->ElementName().isEmpty())
        xml.writeAttribute(LayoutAttr::Name, element->ElementName());
    for (TControl* child : element->ChildControls())
        if (auto* e = qobject_cast<TKvdUIElement*>(child))
            WriteElement(surface, e, xml);
    xml.writeEndElement();
}

// --- reading ---------------------------------------------------------------------------------------

// The document is parsed completely before any element is created, so that malformed XML creates nothing.
struct Node {
    QXmlStreamAttributes attributes;
    std::vector<std::unique_ptr<Node>> children;
};

struct Document {
    bool hasRoot = false;
    Node root;
};

// bytes: what xml reads, when it reads bytes, for the place of an encoding error.
Document Parse(QXmlStreamReader& xml, const QByteArray& bytes = QByteArray()) {
    Document doc;
    std::vector<Node*> stack;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (stack.empty()) {
                doc.hasRoot = true;
                stack.push_back(&doc.root);
            } else {
                if (int(stack.size()) > MaxLayoutDepth)
                    throw Exception(QStringLiteral("The layout is nested more than %1 levels deep (line %2)")
                                        .arg(MaxLayoutDepth)
                                        .arg(xml.lineNumber()));
                auto node = std::make_unique<Node>();
                node->attributes = xml.attributes();
                Node* raw = node.get();
                stack.back()->children.push_back(std::move(node));
                stack.push_back(raw);
            }
            break;
        case QXmlStreamReader::EndElement:
            stack.pop_back();
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        throw Exception(XmlErrorMessage(xml, bytes));
    return doc;
}

// A missing attribute reads as a null value, which cannot become text.
QString Attribute(const Node& node, const QString& name) {
    if (!node.attributes.hasAttribute(name))
        throw EConvertError(QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    return node.attributes.value(name).toString();
}

int IntAttribute(const Node& node, const QString& name) {
    const QString text = Attribute(node, name);
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw EConvertError(Messages::NotAnInteger(text));
    return value;
}

void ReadElement(TControl* owner, const Node& node, QWidget* parent) {
    const TControlClass* cls = ClassRegistry::Find(Attribute(node, LayoutAttr::Type));
    if (!cls || !cls->InheritsFrom(&TKvdUIElement::staticMetaObject))
        return; // unknown kinds are skipped with everything inside them
    auto* element = static_cast<TKvdUIElement*>(cls->Create(owner));
    element->SetParentControl(parent);
    element->SetID(quint8(IntAttribute(node, LayoutAttr::ID)));
    // Size and position together: a position checked against the kind's default size first would move an
    // element saved at its parent's edge, so that opening a layout changed it.
    element->SetBounds(IntAttribute(node, LayoutAttr::RelLeft), IntAttribute(node, LayoutAttr::RelTop),
                       IntAttribute(node, LayoutAttr::Width), IntAttribute(node, LayoutAttr::Height));
    const int align = IntAttribute(node, LayoutAttr::Align);
    // Values outside the known alignments are ignored rather than stored as an undefined alignment.
    if (align >= alNone && align <= alCustom)
        element->SetAlign(TAlign(align));
    element->SetAnchors(TextToAnchors(Attribute(node, LayoutAttr::Anchors)));
    element->SetInputLength(quint8(IntAttribute(node, LayoutAttr::TypeIn)));
    element->DecodeBStyle(quint8(IntAttribute(node, LayoutAttr::BStyle)));
    element->SetText(Attribute(node, LayoutAttr::Text));
    // A name that is not one is left out, and one used by an earlier element gets a free one, as IDs do;
    // kvdui lint reports both.
    element->TakeElementName(node.attributes.value(LayoutAttr::Name).toString());
    for (const auto& child : node.children)
        ReadElement(owner, *child, element);
}

// A file Open would refuse, or one that lost characters on the way, is not saved: the user keeps the
// document and the old file, and learns why.
void CheckReadable(const QWidget* surface, const QXmlStreamWriter& xml, const QByteArray& bytes,
                   const QString& fileName) {
    const auto refuse = [&fileName](const QString& reason) {
        throw Exception(
            QStringLiteral("Cannot save \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason));
    };
    if (xml.hasError())
        refuse(QStringLiteral("A text holds a control character, which a layout file cannot store; remove it "
                              "and save again"));
    if (ElementDepth(surface) > MaxLayoutDepth)
        refuse(QStringLiteral("The layout is nested more than %1 levels deep, which Open refuses")
                   .arg(MaxLayoutDepth));
    if (bytes.size() > MaxLayoutFileSize)
        refuse(QStringLiteral("The layout would be larger than %1 MB, which Open refuses")
                   .arg(MaxLayoutFileSize >> 20));
}

} // namespace

int ElementDepth(const QWidget* control) {
    int deepest = 0;
    for (const QObject* child : control->children())
        if (const auto* e = qobject_cast<const TKvdUIElement*>(child))
            deepest = std::max(deepest, 1 + ElementDepth(e));
    return deepest;
}

QString WriteLayout(TControl* surface, const QString& fileName) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(LayoutAttr::Root);
    for (TControl* child : surface->ChildControls())
        if (auto* e = qobject_cast<TKvdUIElement*>(child))
            WriteElement(surface, e, xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    if (!fileName.isEmpty()) {
        const QByteArray bytes = text.toUtf8();
        CheckReadable(surface, xml, bytes, fileName);
        if (const QString reason = WriteWholeFile(fileName, bytes); !reason.isEmpty())
            throw Exception(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(QDir::toNativeSeparators(fileName), reason));
    }
    return text;
}

void ReadLayout(TControl* surface, const TFileName& fileName, const QString& xmlText) {
    Document doc;
    if (!fileName.IsEmpty()) {
        const QByteArray bytes = ReadLayoutFileBytes(fileName);
        CheckAttributeCounts(bytes);
        QXmlStreamReader xml(bytes);
        doc = Parse(xml, bytes);
    } else {
        if (xmlText.isEmpty())
            return;
        CheckAttributeCounts(QStringView(xmlText));
        QXmlStreamReader xml(xmlText);
        doc = Parse(xml);
    }
    if (!doc.hasRoot) {
        if (!fileName.IsEmpty() || !xmlText.trimmed().isEmpty())
            throw Exception(QStringLiteral("The layout has no root element"));
        return;
    }
    for (const auto& child : doc.root.children)
        ReadElement(surface, *child, surface);
}

namespace {
const TTypeInfo* anchorsType() {
    static const TTypeInfo* type = TypeInfo::ForSet(QMetaEnum::fromType<TAnchors>());
    return type;
}
} // namespace

QString AnchorsToText(TAnchors anchors) {
    return Props::SetToString(anchorsType(), anchors.toInt());
}

TAnchors TextToAnchors(const QString& text) {
    // Items are separated by commas or blanks and may be enclosed in double quotes; unknown items are
    // ignored.
    QStringList items;
    QString current;
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && (c == QLatin1Char(',') || c.isSpace())) {
            items << current;
            current.clear();
        } else {
            current += c;
        }
    }
    items << current;
    int result = 0;
    for (const QString& item : items)
        if (const qint64 bit = anchorsType()->CompType->EnumValue(item); bit >= 0)
            result |= 1 << bit;
    return TAnchors::fromInt(result);
}
