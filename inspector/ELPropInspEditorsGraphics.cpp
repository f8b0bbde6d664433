// Editors for colours, cursors, fonts and their parts, pen and brush styles, with the owner-drawn
// entries of their drop-down lists.

#include "core/Graphics.h"
#include "inspector/ELPropInspTables.h"
#include "inspector/ELPropInspTypeEditors.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QPainter>
#include <QPainterPath>

namespace {

int textHeight(QPainter* canvas) {
    return canvas->fontMetrics().height();
}

// Saves the pen, brush and font and puts them back at the end of an entry's drawing.
struct CanvasState {
    explicit CanvasState(QPainter* p) : painter(p) { painter->save(); }
    ~CanvasState() { painter->restore(); }
    CanvasState(const CanvasState&) = delete;
    CanvasState& operator=(const CanvasState&) = delete;
    QPainter* painter;
};

QColor background(QPainter* canvas, bool selected) {
    return QApplication::palette().color(selected ? QPalette::Highlight : QPalette::Base);
    Q_UNUSED(canvas);
}

// The text of an entry, vertically centred, starting at x.
void drawEntryText(QPainter* canvas, const QRect& rect, int x, const QString& text, bool selected) {
    canvas->setPen(QApplication::palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    canvas->drawText(QRect(x, rect.top(), rect.right() - x, rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text);
}

// A small picture of a cursor shape, drawn in black with a white outline as cursors look.
void drawCursorGlyph(QPainter* p, const QRect& box, Qt::CursorShape shape) {
    const QPointF c = QRectF(box).center();
    const qreal r = box.width() / 2.0 - 3;
    QPainterPath path;
    auto arrow = [&](QPointF from, QPointF to) {
        path.moveTo(from);
        path.lineTo(to);
        const QLineF line(to, from);
        QLineF head = line;
        head.setLength(5);
        head.setAngle(line.angle() + 30);
        path.moveTo(to);
        path.lineTo(head.p2());
        head.setAngle(line.angle() - 30);
        path.moveTo(to);
        path.lineTo(head.p2());
    };
    switch (shape) {
    case Qt::BlankCursor:
        return;
    case Qt::CrossCursor:
        path.moveTo(c.x() - r, c.y());
        path.lineTo(c.x() + r, c.y());
        path.moveTo(c.x(), c.y() - r);
        path.lineTo(c.x(), c.y() + r);
        break;
    case Qt::IBeamCursor:
        path.moveTo(c.x() - 4, c.y() - r);
        path.lineTo(c.x() + 4, c.y() - r);
        path.moveTo(c.x(), c.y() - r);
        path.lineTo(c.x(), c.y() + r);
        path.moveTo(c.x() - 4, c.y() + r);
        path.lineTo(c.x() + 4, c.y() + r);
        break;
    case Qt::SizeVerCursor:
    case Qt::SplitVCursor:
        arrow(c, {c.x(), c.y() - r});
        arrow(c, {c.x(), c.y() + r});
        break;
    case Qt::SizeHorCursor:
    case Qt::SplitHCursor:
        arrow(c, {c.x() - r, c.y()});
        arrow(c, {c.x() + r, c.y()});
        break;
    case Qt::SizeBDiagCursor:
        arrow(c, {c.x() + r * 0.7, c.y() - r * 0.7});
        arrow(c, {c.x() - r * 0.7, c.y() + r * 0.7});
        break;
    case Qt::SizeFDiagCursor:
        arrow(c, {c.x() - r * 0.7, c.y() - r * 0.7});
        arrow(c, {c.x() + r * 0.7, c.y() + r * 0.7});
        break;
    case Qt::SizeAllCursor:
        arrow(c, {c.x(), c.y() - r});
        arrow(c, {c.x(), c.y() + r});
        arrow(c, {c.x() - r, c.y()});
        arrow(c, {c.x() + r, c.y()});
        break;
    case Qt::UpArrowCursor:
        arrow({c.x(), c.y() + r}, {c.x(), c.y() - r});
        break;
    case Qt::WaitCursor:
        path.moveTo(c.x() - r / 2, c.y() - r);
        path.lineTo(c.x() + r / 2, c.y() - r);
        path.lineTo(c.x() - r / 2, c.y() + r);
        path.lineTo(c.x() + r / 2, c.y() + r);
        path.closeSubpath();
        break;
    case Qt::ForbiddenCursor:
        path.addEllipse(c, r * 0.7, r * 0.7);
        path.moveTo(c.x() - r * 0.5, c.y() - r * 0.5);
        path.lineTo(c.x() + r * 0.5, c.y() + r * 0.5);
        break;
    case Qt::PointingHandCursor:
        path.addRoundedRect(QRectF(c.x() - 5, c.y() - 2, 10, r), 3, 3);
        path.addRoundedRect(QRectF(c.x() - 5, c.y() - r, 4, r), 2, 2);
        break;
    default: {
        // The arrow, with a mark for the shapes that add to it.
        const QPointF tip(box.left() + 3, box.top() + 3);
        path.moveTo(tip);
        path.lineTo(tip + QPointF(0, 17));
        path.lineTo(tip + QPointF(4.5, 13));
        path.lineTo(tip + QPointF(8, 20));
        path.lineTo(tip + QPointF(10.5, 19));
        path.lineTo(tip + QPointF(7, 12));
        path.lineTo(tip + QPointF(12, 12));
        path.closeSubpath();
        if (shape == Qt::WhatsThisCursor || shape == Qt::BusyCursor || shape == Qt::DragCopyCursor ||
            shape == Qt::DragMoveCursor) {
            const QRectF mark(tip.x() + 14, tip.y() + 12, 10, 10);
            if (shape == Qt::DragCopyCursor || shape == Qt::DragMoveCursor)
                path.addRect(mark);
            else if (shape == Qt::WhatsThisCursor)
                path.addText(mark.left(), mark.bottom(), QFont(QStringLiteral("Sans"), 10, QFont::Bold),
                             QStringLiteral("?"));
            else
                path.addEllipse(mark);
        }
        break;
    }
    }
    p->setRenderHint(QPainter::Antialiasing);
    p->setBrush(Qt::black);
    p->strokePath(path, QPen(Qt::white, 3));
    p->strokePath(path, QPen(Qt::black, 1.2));
    if (shape == Qt::ArrowCursor || shape == Qt::WhatsThisCursor || shape == Qt::BusyCursor)
        p->fillPath(path, Qt::black);
}

// The sample box of pen and brush entries: twice as wide as the entry is high.
QRect sampleBox(QPainter* canvas, const QRect& rect, bool selected) {
    const QRect outer(rect.left(), rect.top(), rect.height() * 2, rect.height());
    canvas->fillRect(outer, background(canvas, selected));
    return outer.adjusted(1, 1, -2, -2);
}

} // namespace

// --- colours
// ---------------------------------------------------------------------------------------------------

QString TELColorPropEditor::GetValue() {
    const qint32 color = qint32(GetOrdValue());
    const QString ident = Graphics::ColorToIdent(color);
    return ident.isEmpty() ? QStringLiteral("$%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper()
                           : ident;
}

void TELColorPropEditor::SetValue(const QString& value) {
    qint32 color = 0;
    if (Graphics::IdentToColor(value.trimmed(), color)) {
        SetOrdValue(color);
        return;
    }
    const QString text = value.trimmed();
    if (text.startsWith(QLatin1Char('$'))) {
        bool ok = false;
        const quint32 hex = text.mid(1).toUInt(&ok, 16);
        if (!ok)
            throw EConvertError(Messages::NotAnInteger(value));
        SetOrdValue(qint32(hex));
        return;
    }
    TELIntegerPropEditor::SetValue(value);
}

void TELColorPropEditor::GetValues(QStringList& values) {
    values.append(Graphics::ColorIdents());
}

void TELColorPropEditor::Edit() {
    QColorDialog dialog(Graphics::ColorToQColor(qint32(GetOrdValue())), QApplication::activeWindow());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted)
        SetOrdValue(Graphics::QColorToColor(dialog.selectedColor()));
}

void TELColorPropEditor::MeasureHeight(const QString&, QPainter* canvas, int& height) {
    height = textHeight(canvas) + 2;
}

void TELColorPropEditor::MeasureWidth(const QString&, QPainter* canvas, int& width) {
    width += textHeight(canvas);
}

void TELColorPropEditor::DrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected) {
    CanvasState state(canvas);
    qint32 colorValue = 0;
    if (!Graphics::IdentToColor(value, colorValue))
        colorValue =
            value.startsWith(QLatin1Char('$')) ? qint32(value.mid(1).toUInt(nullptr, 16)) : value.toInt();
    const QColor color = Graphics::ColorToQColor(colorValue);
    const QColor back = background(canvas, selected);
    canvas->fillRect(rect, back);
    const QRect outer(rect.left(), rect.top(), rect.height(), rect.height());
    canvas->setPen(back);
    canvas->setBrush(Qt::NoBrush);
    canvas->drawRect(outer.adjusted(0, 0, -1, -1));
    const QRect inner = outer.adjusted(1, 1, -2, -2);
    QColor outline = color;
    if (color.red() > 192 || color.green() > 192 || color.blue() > 192)
        outline = Qt::black;
    else if (selected)
        outline = Qt::white;
    canvas->setPen(outline);
    canvas->setBrush(color);
    canvas->drawRect(inner);
    drawEntryText(canvas, rect, outer.right() + 2, value, selected);
}

// --- cursors
// ---------------------------------------------------------------------------------------------------

void TELCursorPropEditor::MeasureHeight(const QString&, QPainter* canvas, int& height) {
    height = qMax(textHeight(canvas), CursorSize + 4);
}

void TELCursorPropEditor::MeasureWidth(const QString&, QPainter*, int& width) {
    width += CursorSize + 4;
}

void TELCursorPropEditor::DrawValue(const QString& value, QPainter* canvas, const QRect& rect,
                                    bool selected) {
    CanvasState state(canvas);
    canvas->fillRect(rect, background(canvas, selected));
    int cursor = 0;
    if (!Graphics::IdentToCursor(value, cursor))
        cursor = value.toInt();
    const QRect box(rect.left() + 2, rect.top() + 2, CursorSize, CursorSize);
    drawCursorGlyph(canvas, box, Graphics::CursorToShape(cursor));
    drawEntryText(canvas, rect, rect.left() + CursorSize + 5, value, selected);
}

// --- fonts
// ------------------------------------------------------------------------------------------------------

void TELFontNamePropEditor::GetValues(QStringList& values) {
    values.append(QFontDatabase::families());
}

void TELImeNamePropEditor::GetValues(QStringList& values) {
    values.append(ELTables::ImeNames());
}

void TELFontPropEditor::Edit() {
    auto* first = qobject_cast<TFont*>(GetObjectValue(0));
    QFontDialog dialog(first ? first->ToQFont() : QApplication::font(), QApplication::activeWindow());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QFont chosen = dialog.selectedFont();
    for (int i = 0; i < PropCount(); ++i)
        if (auto* font = qobject_cast<TFont*>(GetObjectValue(i)))
            font->AssignQFont(chosen);
    Modified();
}

// --- pen and brush styles
// ------------------------------------------------------------------------------------------

void TELStyleSamplePropEditor::MeasureHeight(const QString&, QPainter* canvas, int& height) {
    height = textHeight(canvas) + 2;
}

void TELStyleSamplePropEditor::MeasureWidth(const QString&, QPainter* canvas, int& width) {
    width += 2 * textHeight(canvas);
}

void TELStyleSamplePropEditor::DrawValue(const QString& value, QPainter* canvas, const QRect& rect,
                                         bool selected) {
    CanvasState state(canvas);
    canvas->fillRect(rect, background(canvas, selected));
    DrawSample(canvas, sampleBox(canvas, rect, selected), qMax<qint64>(0, GetPropType()->EnumValue(value)));
    drawEntryText(canvas, rect, rect.left() + rect.height() * 2 + 2, value, selected);
}

void TELPenStylePropEditor::DrawSample(QPainter* canvas, const QRect& box, qint64 style) {
    const QPalette& pal = QApplication::palette();
    canvas->setPen(pal.color(QPalette::WindowText));
    canvas->setBrush(pal.color(QPalette::Base));
    canvas->drawRect(box);
    canvas->setPen(QPen(pal.color(QPalette::WindowText), 2, Graphics::PenStyleToQt(TPenStyle(style))));
    const int y = box.center().y();
    canvas->drawLine(box.left() + 2, y, box.right() - 2, y);
}

void TELBrushStylePropEditor::DrawSample(QPainter* canvas, const QRect& box, qint64 style) {
    const QPalette& pal = QApplication::palette();
    canvas->fillRect(box, pal.color(QPalette::Base));
    canvas->fillRect(box,
                     QBrush(pal.color(QPalette::WindowText), Graphics::BrushStyleToQt(TBrushStyle(style))));
    canvas->setPen(pal.color(QPalette::WindowText));
    canvas->setBrush(Qt::NoBrush);
    canvas->drawRect(box);
}
