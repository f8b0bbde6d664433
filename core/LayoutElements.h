#pragma once
// The one reader from layout text to the fields of its elements, for everything that turns a layout into
// buttons without building the element model: the live preview and `kvdui packets`, the layout checks,
// the stand-in's drawing and the runtime library. It gives every "element" node in document order (a
// node before its children) with its numbers as written; each user turns them into what it needs
// (packet bytes, findings). Qt Core only.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <vector>

struct TLayoutElement {
    qint64 ID = 0;   // "id"; text that is not a decimal number reads as 0 here and in every number below
    QString Name;    // "name", empty when the element has none
    QString Kind;    // "type", the element class: TKvdUIPanel, TKvdUIButton, TKvdUIText
    qint64 Left = 0; // "left" and "top": the absolute position on the surface, which button packets carry
    qint64 Top = 0;
    qint64 PlacedLeft = 0; // the enclosing element's placed position plus "rel_left" and "rel_top": where
    qint64 PlacedTop = 0;  // the layout reader puts it (the same as Left and Top in the writer's text)
    qint64 Width = 0;
    qint64 Height = 0;
    qint64 BStyle = 0; // the button style byte as written
    qint64 TypeIn = 0; // the longest text the driver may type in
    QString Text;      // as written, placeholders not filled in
    int Depth = 0;     // nodes around it: 1 for an element directly under the root
};

// Reads every element of the layout text into elements (emptied first). Text of only blanks and control
// characters is an empty layout. Returns false with the XML reader's message, "TEXT (line L, column C)",
// in error when the text is not well-formed; elements is then empty.
bool ReadLayoutElements(QStringView text, std::vector<TLayoutElement>& elements, QString& error);
// The same for the bytes of a layout file, decoded as the layout reader decodes them (by the XML
// declaration or the byte order mark).
bool ReadLayoutElements(const QByteArray& bytes, std::vector<TLayoutElement>& elements, QString& error);

// Longest element name, in bytes (all its characters are ASCII).
constexpr int MaxElementNameBytes = 63;
// Whether name may name an element: an ASCII letter or "_" first, then letters, digits and "_", at most
// MaxElementNameBytes long. Programs use it as an identifier in their own language.
bool IsElementName(QStringView name);

// Why a program cannot refer to this layout's elements by ID and name: an ID outside 0 to 255 or used by
// more than one element, a name that is not one, or one used twice. Empty when there is nothing wrong.
// The builder gives such elements new IDs and names when it reads the layout; a program takes the file
// as it is, so the runtime library and the generated headers refuse it with this message.
QString ProgramLayoutProblem(const std::vector<TLayoutElement>& elements);

// The ID an element asking for value gets when count says how many other elements hold each ID: value when
// it is free, else the highest in use plus one, else (past 255) the lowest free one. When all 256 are taken
// the element keeps value and shares it; the layout checks report that as an error.
quint8 FreeElementID(quint8 value, const std::array<int, 256>& count);
