#pragma once
// The toolkit's graphic types that published properties use: colours as 32-bit TColor values, cursor
// identifiers, pen and brush styles and the font class TFont.
//
// A TColor holds red in the low byte, then green and blue (0x00BBGGRR). Negative values
// (0xFF0000nn) name a system colour, taken from the application palette when drawn.

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QObject>
#include <QStringList>

namespace KvdGraphics {
Q_NAMESPACE

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
Q_ENUM_NS(TPenStyle)

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
Q_ENUM_NS(TBrushStyle)

enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

} // namespace KvdGraphics

Q_DECLARE_OPERATORS_FOR_FLAGS(KvdGraphics::TFontStyles)

using KvdGraphics::TBrushStyle;
using KvdGraphics::TFontStyles;
using KvdGraphics::TPenStyle;

namespace Graphics {
constexpr qint32 clNone = 0x1FFFFFFF;
constexpr qint32 clDefault = 0x20000000;
constexpr qint32 clSystemColor = qint32(0xFF000000);

// The colour a TColor stands for (system colours from the application palette).
QColor ColorToQColor(qint32 color);
// An RGB colour as a TColor.
qint32 QColorToColor(const QColor& color);
// The colour identifiers in table order ("clBlack", ... "clBtnFace", ... "clNone", "clDefault").
const QStringList& ColorIdents();
// Identifier of a colour, or an empty string when the table has none.
QString ColorToIdent(qint32 color);
// Colour of an identifier (letter case ignored); false when unknown.
bool IdentToColor(const QString& ident, qint32& color);

// Cursor identifiers ("crDefault" 0, "crNone" -1, "crArrow" -2, ...) in ascending order of name.
const QStringList& CursorIdents();
QString CursorToIdent(int cursor);
bool IdentToCursor(const QString& ident, int& cursor);
// The Qt cursor shape a cursor identifier stands for.
Qt::CursorShape CursorToShape(int cursor);

Qt::PenStyle PenStyleToQt(TPenStyle style);
Qt::BrushStyle BrushStyleToQt(TBrushStyle style);
} // namespace Graphics

// A font as a persistent object: published name, size, colour, style and character set.
class TFont : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
    Q_CLASSINFO("type:Charset", "TFontCharset")
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_CLASSINFO("type:Color", "TColor")
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_CLASSINFO("type:Name", "TFontName")
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(KvdGraphics::TFontStyles Style READ Style WRITE SetStyle)

public:
    explicit TFont(QObject* parent = nullptr);
    int Charset() const { return m_charset; }
    void SetCharset(int value);
    int Color() const { return m_color; }
    void SetColor(int value);
    QString Name() const { return m_name; }
    void SetName(const QString& value);
    int Size() const { return m_size; }
    void SetSize(int value);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles value);

    // Copies every value of another font.
    void Assign(const TFont& source);
    QFont ToQFont() const;
    // Name, size and style of a Qt font; colour and character set stay.
    void AssignQFont(const QFont& font);

Q_SIGNALS:
    void Changed();

private:
    int m_charset = 1; // the default character set
    int m_color = 0;
    QString m_name;
    int m_size = 8;
    TFontStyles m_style;
};
