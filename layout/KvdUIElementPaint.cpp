// How an element looks on the design surface: it identifies the element (kind and ID) and does not try
// to show the simulator's rendering of its style or text. The frame and caption are shared; each kind
// chooses its brush and what its caption says in Paint.

#include "layout/KvdUIElement.h"

#include <QPainter>

void TKvdUIElement::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (SimulatorLook())
        PaintSimulatorLook(painter);
    else
        Paint(painter);
}

void TKvdUIElement::Paint(QPainter& painter) {
    PaintFrame(painter, m_color);
    Qt::Alignment horizontal = Qt::AlignHCenter;
    if (m_alignment == taLeftJustify)
        horizontal = Qt::AlignLeft;
    else if (m_alignment == taRightJustify)
        horizontal = Qt::AlignRight;
    PaintCaption(painter, KindWord() + QLatin1Char(' ') + QString::number(m_id),
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

void TKvdUIElement::PaintCaption(QPainter& painter, const QString& caption, Qt::Alignment alignment) {
    QFont font = window()->font();
    font.setPointSize(5);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(m_clickable ? QColor(255, 0, 0) : QColor(0, 0, 0));
    const QRect textRect = QRect(0, 0, width(), height()).adjusted(4, 2, -4, -2);
    const QFontMetrics metrics(font);
    painter.drawText(textRect, alignment | Qt::TextSingleLine,
                     metrics.elidedText(caption, Qt::ElideRight, textRect.width()));
}

void TKvdUIPanel::Paint(QPainter& painter) {
    PaintFrame(painter, QBrush(QColor(192, 192, 192), Qt::BDiagPattern));
    PaintCaption(painter, KindWord(), Qt::AlignLeft | Qt::AlignTop);
}
