// Cell painting of the property grid. Every cell is drawn into one reusable off-screen bitmap and copied
// to the screen in one step, so moving through the rows never flickers.

#include "inspector/ELPropInspGrid.h"
#include "inspector/ELPropInspInplace.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

void hline(QPainter& p, int y, int x0, int x1, const QColor& color) {
    p.setPen(color);
    p.drawLine(x0, y, x1, y);
}

void vline(QPainter& p, int x, int y0, int y1, const QColor& color) {
    p.setPen(color);
    p.drawLine(x, y0, x, y1);
}

} // namespace

void TELCustomPropsPage::paintEvent(QPaintEvent* event) {
    QPainter screen(viewport());
    const QRect dirty = event->rect();
    const QColor background = palette().color(QPalette::Button);
    const int width = viewport()->width();
    int y = 0;
    for (int row = m_topRow; row < RowCount() && y < viewport()->height(); ++row, y += m_rowHeight) {
        if (y + m_rowHeight <= dirty.top() || y > dirty.bottom())
            continue;
        for (int col = 0; col < 2; ++col) {
            const QRect cell = CellRect(col, row);
            if (cell.width() <= 0 || !cell.intersects(dirty))
                continue;
            if (m_cellBitmap.width() < cell.width() || m_cellBitmap.height() < cell.height())
                m_cellBitmap = QPixmap(qMax(cell.width(), m_cellBitmap.width()), m_rowHeight);
            {
                QPainter p(&m_cellBitmap);
                DrawCell(p, col, row, QRect(0, 0, cell.width(), cell.height()));
            }
            screen.drawPixmap(cell.topLeft(), m_cellBitmap, QRect(0, 0, cell.width(), cell.height()));
        }
    }
    if (y < viewport()->height())
        screen.fillRect(QRect(0, y, width, viewport()->height() - y), background);
}

void TELCustomPropsPage::DrawCell(QPainter& p, int col, int row, const QRect& rect) {
    const QPalette& pal = palette();
    const QColor background = pal.color(QPalette::Button);
    const int w = rect.width();
    const int h = rect.height();
    TELPropsPageItem* item = ItemByRow(row);
    const bool current = row == m_row;
    p.fillRect(rect, background);

    if (current && col == 1 && m_editor && m_editor->isVisible()) {
        hline(p, h - 2, 0, w - 1, pal.color(QPalette::Light));
        hline(p, h - 1, 0, w - 1, pal.color(QPalette::Midlight));
        return;
    }

    p.setFont(font());
    if (item) {
        const int indent = item->Indent();
        if (col == 0) {
            const QRect textRect(indent + 13, 1, qMax(0, w - indent - 13 - 2), h - 1);
            p.setPen(GetItemCaptionColor(item));
            p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item->Caption());
            if (item->HasChildren()) {
                const QRect box(indent + 2, 3, 8, 8); // 9 by 9 pixels including the outline
                p.setPen(Qt::black);
                p.setBrush(Qt::white);
                p.drawRect(box);
                p.setBrush(Qt::NoBrush);
                hline(p, box.top() + 4, box.left() + 2, box.left() + 6, Qt::black);
                if (!item->Expanded())
                    vline(p, box.left() + 4, box.top() + 2, box.top() + 6, Qt::black);
            }
        } else {
            p.setPen(m_valuesColor);
            p.drawText(QRect(1, 1, w - 1, h - 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       item->DisplayValue());
        }
    }

    if (col == 0) {
        vline(p, w - 2, 0, h - 1, pal.color(QPalette::Dark));
        vline(p, w - 1, 0, h - 1, pal.color(QPalette::Light));
    }

    const int lastX = col == 0 ? w - 3 : w - 1;
    if (row == m_row - 1) {
        hline(p, h - 2, 0, lastX, pal.color(QPalette::Shadow));
        hline(p, h - 1, 0, lastX, pal.color(QPalette::Dark));
    } else if (current) {
        if (col == 0) {
            vline(p, 0, 0, h - 1, pal.color(QPalette::Shadow));
            vline(p, 1, 0, h - 1, pal.color(QPalette::Dark));
        }
        hline(p, h - 2, col == 0 ? 2 : 0, lastX, pal.color(QPalette::Light));
        hline(p, h - 1, col == 0 ? 1 : 0, lastX, pal.color(QPalette::Midlight));
    } else if (m_gridLines) {
        if (m_separator.isNull() || m_separatorColor != background) {
            // Background with every second pixel in the shadow colour: a dotted line.
            QImage pattern(8, 1, QImage::Format_RGB32);
            for (int x = 0; x < 8; ++x)
                pattern.setPixelColor(x, 0, x % 2 ? pal.color(QPalette::Dark) : background);
            m_separator = QPixmap::fromImage(pattern);
            m_separatorColor = background;
        }
        p.fillRect(QRect(0, h - 1, lastX + 1, 1), QBrush(m_separator));
    }
}
