#include "sim/SimButtonText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

namespace {
// The renderer's proportions: text height as a share of the button's, shadow offset per unit.
constexpr qreal TextHeightShare = 0.72;
constexpr qreal LinePerUnit = 0.75;
} // namespace

TSimButtonText TSimButtonText::LayOut(const TKvdSimButton& button, qreal scale, const TKvdSimLook& look) {
    TSimButtonText laid;
    laid.Scale = scale;
    const QSizeF size(button.Width * scale, button.Height * scale);
    if (button.Text.isEmpty() || size.isEmpty())
        return laid;
    QString text = button.Text;
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, qRound(size.height() * TextHeightShare)));
    const QFontMetricsF metrics(font);

    const qreal line = std::max<qreal>(1.0, qRound(scale * LinePerUnit));
    const qreal width = SimTextWidth(text, size.height());
    const qreal x = SimTextStart(QRectF(QPointF(0, 0), size), button, width, scale);
    const qreal baseline = (size.height() - metrics.height()) / 2 + metrics.ascent();

    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    textLine.setLineWidth(width + 1e6);
    textLine.setPosition(QPointF(0, 0));
    layout.endLayout();
    const QPointF shift(x, baseline - textLine.ascent());

    // Only glyphs that reach into the button are kept: a long text shows a few of its letters.
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        const QList<QPointF> advances = run.rawFont().advancesForGlyphIndexes(indexes);
        QList<quint32> keptIndexes;
        QList<QPointF> keptPositions;
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const QPointF at = positions.at(i) + shift;
            const qreal advance = i < advances.size() ? advances.at(i).x() : metrics.maxWidth();
            if (at.x() + std::max(advance, metrics.maxWidth()) < 0 || at.x() > size.width())
                continue;
            keptIndexes.append(indexes.at(i));
            keptPositions.append(at);
        }
        if (keptIndexes.isEmpty())
            continue;
        QGlyphRun kept = run;
        kept.setGlyphIndexes(keptIndexes);
        kept.setPositions(keptPositions);
        laid.Runs.append(kept);
    }
    laid.Color = button.LightBackground() ? look.TextOnLight : look.TextOnDark;
    laid.ShadowColor = look.TextShadow;
    laid.Shadow = button.Transparent() ? line : 0;
    return laid;
}

void TSimButtonText::Paint(QPainter& painter, const QRectF& pixels) const {
    if (Runs.isEmpty() || pixels.isEmpty())
        return;
    painter.save();
    painter.setClipRect(pixels, Qt::IntersectClip);
    if (Shadow > 0) {
        painter.setPen(ShadowColor);
        for (const QGlyphRun& run : Runs)
            painter.drawGlyphRun(pixels.topLeft() + QPointF(Shadow, Shadow), run);
    }
    painter.setPen(Color);
    for (const QGlyphRun& run : Runs)
        painter.drawGlyphRun(pixels.topLeft(), run);
    painter.restore();
}
