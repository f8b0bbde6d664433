// How an element looks on the design surface: it identifies the element (kind and ID) and does not try
// to show the simulator's rendering of its style or text.

#include "layout/KvdUIElement.h"

#include <QPainter>

void TKvdUIElement::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client(0, 0, width(), height());
    painter.fillRect(client, m_color);

    const bool isPanel = qobject_cast<const TKvdUIPanel*>(this) != nullptr;
    painter.setPen(QPen(m_borderColor, 1));
    if (isPanel) {
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.setBrush(QBrush(QColor(192, 192, 192), Qt::BDiagPattern));
    } else {
        painter.setBrush(m_color);
    }
    painter.drawRect(client.adjusted(0, 0, -1, -1));

    QFont font = window()->font();
    font.setPointSize(5);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(m_clickable ? QColor(255, 0, 0) : QColor(0, 0, 0));
    const QRect textRect = client.adjusted(4, 2, -4, -2);
    const QFontMetrics metrics(font);
    if (isPanel) {
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         metrics.elidedText(KindWord(), Qt::ElideRight, textRect.width()));
        return;
    }
    Qt::Alignment horizontal = Qt::AlignHCenter;
    if (m_alignment == taLeftJustify)
        horizontal = Qt::AlignLeft;
    else if (m_alignment == taRightJustify)
        horizontal = Qt::AlignRight;
    const QString caption = KindWord() + QLatin1Char(' ') + QString::number(m_id);
    painter.drawText(textRect, horizontal | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(caption, Qt::ElideRight, textRect.width()));
}
