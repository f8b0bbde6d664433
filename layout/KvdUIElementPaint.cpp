// How an element looks on the design surface: it identifies the element (kind and ID) and does not try
// to show the simulator's rendering of its style or text. The frame and caption are shared; each kind
// chooses its brush and what its caption says in Paint.

#include "layout/KvdUIElement.h"

#include <QPaintEvent>
#include <QPainter>

void TKvdUIElement::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (SimulatorLook())
        PaintSimulatorLook(painter);
    else
        Paint(painter, event->region());
}

void TKvdUIElement::Paint(QPainter& painter, const QRegion& exposed) {
    PaintFrame(painter, m_color);
    Qt::Alignment horizontal = Qt::AlignHCenter;
    if (m_alignment == taLeftJustify)
        horizontal = Qt::AlignLeft;
    else if (m_alignment == taRightJustify)
        horizontal = Qt::AlignRight;
    PaintCaption(painter, exposed, KindWord() + QLatin1Char(' ') + QString::number(m_id),
                 horizontal | Qt::AlignVCenter);
}

void TKvdUIElement::PaintFrame(QPainter& painter, const QBrush& brush) {
    const QRect client(0, 0, width(), height());
    painter.fillRect(client, m_color);
    painter.setPen(QPen(m_borderColor, 1));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBrush(brush);
    painter.drawRect(client.adjusted(0, 0, -1, -1));
}

void TKvdUIElement::PaintCaption(QPainter& painter, const QRegion& exposed, const QString& caption,
                                 Qt::Alignment alignment) {
    QFont font = window()->font();
    font.setPointSize(5);
    font.setBold(true);
    const QRect textRect = QRect(0, 0, width(), height()).adjusted(4, 2, -4, -2);
    const QFontMetrics metrics(font);
    // Laying the line out is most of the cost of painting an element, and a repaint of its corners alone
    // (where a selection puts its marks) does not reach the line.
    const int lineHeight = metrics.height();
    const int top =
        alignment & Qt::AlignVCenter ? textRect.top() + (textRect.height() - lineHeight) / 2 : textRect.top();
    if (!exposed.intersects(QRect(0, top - 1, width(), lineHeight + 2)))
        return;
    painter.setFont(font);
    painter.setPen(m_clickable ? QColor(255, 0, 0) : QColor(0, 0, 0));
    if (m_elided.Width != textRect.width() || m_elided.Caption != caption || m_elided.Font != font)
        m_elided = {caption, font, textRect.width(),
                    metrics.elidedText(caption, Qt::ElideRight, textRect.width())};
    painter.drawText(textRect, alignment | Qt::TextSingleLine, m_elided.Elided);
}

void TKvdUIPanel::Paint(QPainter& painter, const QRegion& exposed) {
    PaintFrame(painter, QBrush(QColor(192, 192, 192), Qt::BDiagPattern));
    PaintCaption(painter, exposed, KindWord(), Qt::AlignLeft | Qt::AlignTop);
}
