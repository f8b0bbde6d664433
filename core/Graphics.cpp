#include "core/Graphics.h"

#include "core/IdentTable.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

constexpr qint32 sys(int index) {
    return Graphics::clSystemColor | index;
}

// Plain colours first, then the system colours (indexes as the platform numbers its system colours).
const TIdentEntry Colors[] = {
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {sys(10), "clActiveBorder"},
    {sys(2), "clActiveCaption"},
    {sys(12), "clAppWorkSpace"},
    {sys(1), "clBackground"},
    {sys(15), "clBtnFace"},
    {sys(20), "clBtnHighlight"},
    {sys(16), "clBtnShadow"},
    {sys(18), "clBtnText"},
    {sys(9), "clCaptionText"},
    {sys(17), "clGrayText"},
    {sys(13), "clHighlight"},
    {sys(14), "clHighlightText"},
    {sys(11), "clInactiveBorder"},
    {sys(3), "clInactiveCaption"},
    {sys(19), "clInactiveCaptionText"},
    {sys(24), "clInfoBk"},
    {sys(23), "clInfoText"},
    {sys(4), "clMenu"},
    {sys(7), "clMenuText"},
    {sys(0), "clScrollBar"},
    {sys(21), "cl3DDkShadow"},
    {sys(22), "cl3DLight"},
    {sys(5), "clWindow"},
    {sys(6), "clWindowFrame"},
    {sys(8), "clWindowText"},
    {Graphics::clNone, "clNone"},
    {Graphics::clDefault, "clDefault"},
};

const TIdentEntry Cursors[] = {
    {-6, "crSizeNESW"},  {-21, "crHandPoint"}, {-2, "crArrow"},    {-17, "crSQLWait"}, {-3, "crCross"},
    {0, "crDefault"},    {-12, "crDrag"},      {-14, "crHSplit"},  {-4, "crIBeam"},    {-16, "crMultiDrag"},
    {-18, "crNo"},       {-13, "crNoDrop"},    {-1, "crNone"},     {-22, "crSizeAll"}, {-7, "crSizeNS"},
    {-8, "crSizeNWSE"},  {-9, "crSizeWE"},     {-10, "crUpArrow"}, {-15, "crVSplit"},  {-11, "crHourGlass"},
    {-19, "crAppStart"}, {-20, "crHelp"},
};

QColor systemColor(int index) {
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 1:
    case 4:
        return pal.color(QPalette::Window);
    case 2:
    case 13:
        return pal.color(QPalette::Highlight);
    case 3:
    case 12:
        return pal.color(QPalette::Mid);
    case 5:
        return pal.color(QPalette::Base);
    case 6:
    case 21:
        return pal.color(QPalette::Shadow);
    case 7:
        return pal.color(QPalette::WindowText);
    case 8:
        return pal.color(QPalette::Text);
    case 9:
    case 14:
        return pal.color(QPalette::HighlightedText);
    case 16:
        return pal.color(QPalette::Dark);
    case 17:
        return pal.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return pal.color(QPalette::ButtonText);
    case 19:
        return pal.color(QPalette::Disabled, QPalette::WindowText);
    case 20:
        return pal.color(QPalette::Light);
    case 22:
        return pal.color(QPalette::Midlight);
    case 23:
        return pal.color(QPalette::ToolTipText);
    case 24:
        return pal.color(QPalette::ToolTipBase);
    default: // scroll bar, borders, button face
        return pal.color(QPalette::Button);
    }
}

} // namespace

namespace Graphics {

QColor ColorToQColor(qint32 color) {
    if (color == clNone)
        return QColor(Qt::transparent);
    if (color == clDefault)
        return QGuiApplication::palette().color(QPalette::Window);
    if ((color & clSystemColor) == clSystemColor)
        return systemColor(color & 0xFF);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

qint32 QColorToColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

const QStringList& ColorIdents() {
    static const QStringList idents = IdentTable::Idents(Colors);
    return idents;
}

QString ColorToIdent(qint32 color) {
    return IdentTable::ToIdent(Colors, color);
}

bool IdentToColor(const QString& ident, qint32& color) {
    return IdentTable::FromIdent(Colors, ident, color);
}

const QStringList& CursorIdents() {
    static const QStringList idents = IdentTable::Idents(Cursors, true);
    return idents;
}

QString CursorToIdent(int cursor) {
    return IdentTable::ToIdent(Cursors, cursor);
}

bool IdentToCursor(const QString& ident, int& cursor) {
    return IdentTable::FromIdent(Cursors, ident, cursor);
}

Qt::CursorShape CursorToShape(int cursor) {
    switch (cursor) {
    case -1:
        return Qt::BlankCursor;
    case -3:
        return Qt::CrossCursor;
    case -4:
        return Qt::IBeamCursor;
    case -6:
        return Qt::SizeBDiagCursor;
    case -7:
        return Qt::SizeVerCursor;
    case -8:
        return Qt::SizeFDiagCursor;
    case -9:
        return Qt::SizeHorCursor;
    case -10:
        return Qt::UpArrowCursor;
    case -11:
        return Qt::WaitCursor;
    case -12:
        return Qt::DragCopyCursor;
    case -13:
    case -18:
        return Qt::ForbiddenCursor;
    case -14:
        return Qt::SplitHCursor;
    case -15:
        return Qt::SplitVCursor;
    case -16:
        return Qt::DragMoveCursor;
    case -17:
    case -19:
        return Qt::BusyCursor;
    case -20:
        return Qt::WhatsThisCursor;
    case -21:
        return Qt::PointingHandCursor;
    case -22:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

Qt::PenStyle PenStyleToQt(TPenStyle style) {
    switch (style) {
    case KvdGraphics::psDash:
        return Qt::DashLine;
    case KvdGraphics::psDot:
        return Qt::DotLine;
    case KvdGraphics::psDashDot:
        return Qt::DashDotLine;
    case KvdGraphics::psDashDotDot:
        return Qt::DashDotDotLine;
    case KvdGraphics::psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle BrushStyleToQt(TBrushStyle style) {
    switch (style) {
    case KvdGraphics::bsClear:
        return Qt::NoBrush;
    case KvdGraphics::bsHorizontal:
        return Qt::HorPattern;
    case KvdGraphics::bsVertical:
        return Qt::VerPattern;
    case KvdGraphics::bsFDiagonal:
        return Qt::FDiagPattern;
    case KvdGraphics::bsBDiagonal:
        return Qt::BDiagPattern;
    case KvdGraphics::bsCross:
        return Qt::CrossPattern;
    case KvdGraphics::bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

} // namespace Graphics

TFont::TFont(QObject* parent) : QObject(parent) {
    m_name = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::font().family()
                                                                          : QStringLiteral("Sans Serif");
}

#define KVD_FONT_SETTER(Name, Type, member)                                                                  \
    void TFont::Set##Name(Type value) {                                                                      \
        if (member == value)                                                                                 \
            return;                                                                                          \
        member = value;                                                                                      \
        Q_EMIT Changed();                                                                                    \
    }
KVD_FONT_SETTER(Charset, int, m_charset)
KVD_FONT_SETTER(Color, int, m_color)
KVD_FONT_SETTER(Name, const QString&, m_name)
KVD_FONT_SETTER(Size, int, m_size)
KVD_FONT_SETTER(Style, TFontStyles, m_style)
#undef KVD_FONT_SETTER

void TFont::Assign(const TFont& source) {
    m_charset = source.m_charset;
    m_color = source.m_color;
    m_name = source.m_name;
    m_size = source.m_size;
    m_style = source.m_style;
    Q_EMIT Changed();
}

QFont TFont::ToQFont() const {
    QFont font(m_name, m_size);
    font.setBold(m_style.testFlag(KvdGraphics::fsBold));
    font.setItalic(m_style.testFlag(KvdGraphics::fsItalic));
    font.setUnderline(m_style.testFlag(KvdGraphics::fsUnderline));
    font.setStrikeOut(m_style.testFlag(KvdGraphics::fsStrikeOut));
    return font;
}

void TFont::AssignQFont(const QFont& font) {
    m_name = font.family();
    m_size = font.pointSize() > 0 ? font.pointSize() : m_size;
    TFontStyles style;
    if (font.bold())
        style |= KvdGraphics::fsBold;
    if (font.italic())
        style |= KvdGraphics::fsItalic;
    if (font.underline())
        style |= KvdGraphics::fsUnderline;
    if (font.strikeOut())
        style |= KvdGraphics::fsStrikeOut;
    m_style = style;
    Q_EMIT Changed();
}
