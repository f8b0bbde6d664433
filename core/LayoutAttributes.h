#pragma once
// Names of the nodes and attributes of the layout text (.kvdui). The layout reader and writer and the
// link's button reader all spell them from here, so a new attribute is added in one place.
// Header-only and Qt Core only, so that the link can include it without depending on the layout model.

#include <QString>

namespace LayoutAttr {

// Nodes: the root and one node per element, nested as the elements are.
inline const QString Root = QStringLiteral("ui");
inline const QString Element = QStringLiteral("element");

// Attributes of an element node, in the order the writer puts them.
inline const QString Type = QStringLiteral("type");
inline const QString Align = QStringLiteral("align");
inline const QString Anchors = QStringLiteral("anchors");
inline const QString RelLeft = QStringLiteral("rel_left");
inline const QString RelTop = QStringLiteral("rel_top");
inline const QString Width = QStringLiteral("width");
inline const QString Height = QStringLiteral("height");
inline const QString ID = QStringLiteral("id");
inline const QString Text = QStringLiteral("text");
inline const QString TypeIn = QStringLiteral("typein");
inline const QString BStyle = QStringLiteral("bstyle");
// Absolute position on the surface: written for the button reader, ignored by the layout reader.
inline const QString Left = QStringLiteral("left");
inline const QString Top = QStringLiteral("top");
// The element's name, written after the thirteen above and only when the element has one.
inline const QString Name = QStringLiteral("name");

} // namespace LayoutAttr
