#include "simview/KvdSimPaint.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

namespace {

// The text fills this share of the button's height, as the simulator sizes its button font.
constexpr qreal TextHeightShare = 0.72;

struct Run {
    QString text;
    bool placeholder;
    qreal advance = 0;
};

// Splits text into plain runs and "{...}" runs. An unclosed brace is plain text. The button shows one
// line: line breaks and other control characters become spaces.
QList<Run> SplitRuns(QString text, bool markPlaceholders) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    if (!markPlaceholders)
        return {{text, false}};
    QList<Run> runs;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), from);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0) {
            runs.append({text.mid(from), false});
            break;
        }
        if (open > from)
            runs.append({text.mid(from, open - from), false});
        runs.append({text.mid(open, close - open + 1), true});
        from = close + 1;
    }
    return runs;
}

struct ButtonFont {
    QFont font;
    QFontMetricsF metrics;
};

// A screen holds buttons of a few heights only: their fonts and metrics are made once per thread. A
// window resized again and again meets ever new heights, so the set starts afresh when it grows large.
const ButtonFont& ButtonFontFor(qreal heightPixels) {
    constexpr qsizetype MaxFonts = 64;
    const int pixelSize = std::max(1, qRound(heightPixels * TextHeightShare));
    thread_local QHash<int, ButtonFont> fonts;
    auto it = fonts.constFind(pixelSize);
    if (it == fonts.constEnd()) {
        if (fonts.size() >= MaxFonts)
            fonts.clear();
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(pixelSize);
        it = fonts.insert(pixelSize, ButtonFont{font, QFontMetricsF(font)});
    }
    return *it;
}

// Frame and marks are three quarters of a unit thick, at least one pixel.
qreal LineWidth(qreal scale) {
    return std::max<qreal>(1.0, qRound(scale * 0.75));
}

// Text and entry line keep a unit's distance from the frame.
qreal Padding(qreal scale) {
    return LineWidth(scale) + scale;
}

} // namespace

qreal SimTextWidth(const QString& text, qreal heightPixels) {
    return ButtonFontFor(heightPixels).metrics.horizontalAdvance(SplitRuns(text, false).constFirst().text);
}

qreal SimTextStart(const QRectF& pixels, const TKvdSimButton& button, qreal width, qreal scale) {
    const Qt::Alignment align = button.HorizontalAlignment();
    if (align == Qt::AlignLeft)
        return pixels.left() + Padding(scale);
    if (align == Qt::AlignRight)
        return pixels.right() - Padding(scale) - width;
    return pixels.left() + (pixels.width() - width) / 2;
}

void PaintSimButtonIn(QPainter& painter, const QRectF& pixels, const TKvdSimButton& button, qreal scale,
                      const TKvdSimLook& look) {
    if (pixels.isEmpty())
        return;
    painter.save();
    painter.setClipRect(pixels, Qt::IntersectClip);
    if (button.DarkBackground())
        painter.fillRect(pixels, look.DarkBack);
    else if (button.LightBackground())
        painter.fillRect(pixels, look.LightBack);

    const qreal line = LineWidth(scale);
    if (button.Clickable()) {
        const QRectF& r = pixels;
        painter.fillRect(QRectF(r.left(), r.top(), r.width(), line), look.ClickFrame);
        painter.fillRect(QRectF(r.left(), r.bottom() - line, r.width(), line), look.ClickFrame);
        painter.fillRect(QRectF(r.left(), r.top(), line, r.height()), look.ClickFrame);
        painter.fillRect(QRectF(r.right() - line, r.top(), line, r.height()), look.ClickFrame);
    }
    const qreal pad = Padding(scale);
    if (button.TypeInField()) {
        // Clear of the frame by its own thickness.
        const qreal y = pixels.bottom() - 3 * line;
        painter.fillRect(QRectF(pixels.left() + pad, y, pixels.width() - 2 * pad, line), look.TypeInMark);
    }

    if (!button.Text.isEmpty()) {
        const ButtonFont& font = ButtonFontFor(pixels.height());
        const QFontMetricsF& metrics = font.metrics;
        painter.setFont(font.font);
        QList<Run> runs = SplitRuns(button.Text, look.MarkPlaceholders);
        qreal width = 0;
        for (Run& run : runs) {
            run.advance = metrics.horizontalAdvance(run.text);
            width += run.advance;
        }
        qreal x = SimTextStart(pixels, button, width, scale);
        const qreal baseline = pixels.top() + (pixels.height() - metrics.height()) / 2 + metrics.ascent();
        const QColor color = button.LightBackground() ? look.TextOnLight : look.TextOnDark;
        const bool shadow = button.Transparent();
        for (const Run& run : runs) {
            if (run.placeholder) {
                painter.fillRect(QRectF(x, baseline - metrics.ascent(), run.advance, metrics.height()),
                                 look.PlaceholderBack);
                painter.setPen(look.PlaceholderText);
            } else {
                if (shadow) {
                    painter.setPen(look.TextShadow);
                    painter.drawText(QPointF(x + line, baseline + line), run.text);
                }
                painter.setPen(color);
            }
            painter.drawText(QPointF(x, baseline), run.text);
            x += run.advance;
        }
    }
    painter.restore();
}

void PaintSimButton(QPainter& painter, const TKvdSimButton& button, qreal scale, const TKvdSimLook& look) {
    const QRectF pixels(button.Left * scale, button.Top * scale, button.Width * scale, button.Height * scale);
    PaintSimButtonIn(painter, pixels, button, scale, look);
}

void PaintSimScreen(QPainter& painter, const QList<TKvdSimButton>& buttons, qreal scale,
                    const TKvdSimLook& look) {
    painter.fillRect(QRectF(0, 0, SimScreenUnits * scale, SimScreenUnits * scale), look.Screen);
    for (const TKvdSimButton& button : buttons)
        PaintSimButton(painter, button, scale, look);
}
