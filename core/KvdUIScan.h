#pragma once
// A quick reader of the element nodes of layout text, for the plain shape the layout writer gives it:
// an optional version declaration, nested start and end tags with ASCII names, attributes in quotes
// with the five named entities and character references, and white space between tags. It gives up on
// anything else (comments, processing instructions, DOCTYPE, CDATA, text content, namespaces, raw line
// breaks or tabs inside a value, characters XML does not allow, malformed text); the caller then reads
// the text with the full XML reader, so what is read never differs from what that reader finds. The
// preview reads the whole layout again after every change, which is why this path exists.

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace KvdUIScan {

// The attributes of one start tag; the views point into the scanned text.
class Tag {
public:
    // The value of the named attribute with its references resolved; empty when it is missing. The view
    // stays valid until the next tag.
    QStringView Value(QStringView name) const;
    // How many tags enclose this one: 0 for the root.
    int Depth() const { return m_depth; }

private:
    friend class Scanner;
    struct Attribute {
        QStringView Name;
        QStringView Raw;  // between the quotes
        QString Resolved; // the value when Raw holds references, else empty
        bool References = false;
    };
    std::vector<Attribute> m_attributes;
    int m_depth = 0;
};

// Calls onElement for every start tag named element, in document order (a node before its children).
// False when the text is outside the plain shape; onElement may have been called for some tags then.
bool Elements(QStringView text, QStringView element, const std::function<void(const Tag&)>& onElement);

} // namespace KvdUIScan
