#include "shell/KvdUIBuilder_Icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace KvdIcons {
namespace {

QIcon Draw(int size, const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    paint(p);
    p.end();
    return QIcon(pixmap);
}

const QColor Ink(40, 40, 40);
const QColor Sheet(250, 250, 250);
const QColor Accent(30, 110, 200);

void Page(QPainter& p, int x, int y, int w, int h) {
    p.setPen(Ink);
    p.setBrush(Sheet);
    p.drawRect(x, y, w, h);
}

void Arrow(QPainter& p, bool back) {
    QPainterPath path;
    if (back) {
        path.moveTo(2, 6);
        path.lineTo(7, 1);
        path.lineTo(7, 4);
        path.cubicTo(12, 4, 14, 7, 14, 13);
        path.cubicTo(12, 9, 10, 8, 7, 8);
        path.lineTo(7, 11);
    } else {
        path.moveTo(14, 6);
        path.lineTo(9, 1);
        path.lineTo(9, 4);
        path.cubicTo(4, 4, 2, 7, 2, 13);
        path.cubicTo(4, 9, 6, 8, 9, 8);
        path.lineTo(9, 11);
    }
    path.closeSubpath();
    p.setPen(Ink);
    p.setBrush(Accent);
    p.drawPath(path);
}

void Bar(QPainter& p, int x, int y, int w, int h, const QColor& fill = Accent) {
    p.setPen(Ink);
    p.setBrush(fill);
    p.drawRect(x, y, w, h);
}

// The vertical arrange pictures are their horizontal ones mirrored along the diagonal.
void Transposed(QPainter& p, bool transposed) {
    if (transposed)
        p.setTransform(QTransform(0, 1, 1, 0, 0, 0));
}

enum class Edge { Lead, Centre, Trail };

// Two elements of different widths and the edge or centre line they are aligned on.
void AlignPicture(QPainter& p, Edge edge, bool vertical) {
    Transposed(p, vertical);
    Bar(p, 3, 2, 10, 4);
    Bar(p, edge == Edge::Lead ? 3 : edge == Edge::Centre ? 5 : 7, 9, 6, 4);
    const int line = edge == Edge::Lead ? 1 : edge == Edge::Centre ? 8 : 14;
    p.setPen(edge == Edge::Centre ? QPen(Ink, 1, Qt::DotLine) : QPen(Ink));
    p.drawLine(line, 0, line, 15);
}

// Three elements with equal gaps between them.
void SpacePicture(QPainter& p, bool vertical) {
    Transposed(p, vertical);
    Bar(p, 1, 4, 3, 8);
    Bar(p, 6, 2, 3, 11);
    Bar(p, 11, 5, 3, 6);
}

// Two elements made as wide as each other, between two marks.
void SameWidthPicture(QPainter& p, bool vertical) {
    Transposed(p, vertical);
    Bar(p, 3, 3, 9, 3);
    Bar(p, 3, 10, 9, 3);
    p.setPen(QPen(Ink, 1, Qt::DotLine));
    p.drawLine(1, 0, 1, 15);
    p.drawLine(14, 0, 14, 15);
}

} // namespace

QIcon AppIcon() {
    return Draw(48, [](QPainter& p) {
        p.setPen(QPen(Ink, 2));
        p.setBrush(QColor(32, 36, 44));
        p.drawRoundedRect(QRectF(3, 5, 42, 38), 5, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 96));
        p.drawRect(9, 11, 30, 8);
        p.setBrush(QColor(220, 220, 225));
        p.drawRect(9, 23, 14, 8);
        p.setBrush(Accent);
        p.drawRect(25, 23, 14, 8);
        p.setBrush(QColor(220, 60, 40));
        p.drawRect(9, 34, 30, 3);
    });
}

namespace {

// The pictures of the tree and of the File menu's commands, in index order from imgDocument.
void AddFileImages(QList<QIcon>& images) {
    // document
    images << Draw(16, [](QPainter& p) {
        Page(p, 2, 1, 11, 14);
        p.setPen(QColor(120, 120, 120));
        for (int y = 4; y <= 12; y += 2)
            p.drawLine(4, y, 11, y);
    });
    // selection pointer
    images << Draw(16, [](QPainter& p) {
        const QPoint pts[] = {{4, 1}, {4, 13}, {7, 10}, {9, 15}, {11, 14}, {9, 9}, {13, 9}};
        p.setPen(Ink);
        p.setBrush(Qt::white);
        p.drawPolygon(pts, 7);
    });
    // any other element
    images << Draw(16, [](QPainter& p) {
        p.setPen(QPen(Ink, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(2, 3, 11, 9);
    });
    // new
    images << Draw(16, [](QPainter& p) {
        Page(p, 3, 1, 10, 14);
        p.setPen(QPen(QColor(230, 170, 0), 2));
        p.drawLine(11, 1, 11, 6);
        p.drawLine(9, 3, 14, 3);
    });
    // open
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(1, 4, 13, 9);
        p.setBrush(QColor(250, 225, 140));
        const QPoint lid[] = {{3, 7}, {15, 7}, {13, 13}, {1, 13}};
        p.drawPolygon(lid, 4);
    });
    // save
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.setBrush(Accent);
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(200, 200, 205));
        p.drawRect(3, 9, 9, 5);
    });
    // live preview
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.setBrush(QColor(32, 36, 44));
        p.drawRect(1, 2, 13, 9);
        p.setBrush(QColor(60, 180, 80));
        p.drawRect(3, 4, 9, 5);
        p.setPen(Ink);
        p.drawLine(5, 13, 10, 13);
        p.drawLine(7, 11, 7, 13);
    });
}

// The pictures of the Edit menu's commands and of Arrange, in index order from imgCut.
void AddEditImages(QList<QIcon>& images) {
    // cut
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.drawLine(5, 1, 10, 10);
        p.drawLine(10, 1, 5, 10);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 40, 40), 1));
        p.drawEllipse(2, 10, 4, 4);
        p.drawEllipse(9, 10, 4, 4);
    });
    // copy
    images << Draw(16, [](QPainter& p) {
        Page(p, 1, 1, 8, 10);
        Page(p, 6, 4, 8, 10);
    });
    // paste
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(1, 2, 10, 12);
        p.setBrush(QColor(200, 200, 205));
        p.drawRect(4, 1, 4, 2);
        Page(p, 6, 6, 8, 9);
    });
    // undo, redo
    images << Draw(16, [](QPainter& p) { Arrow(p, true); });
    images << Draw(16, [](QPainter& p) { Arrow(p, false); });
    // delete
    images << Draw(16, [](QPainter& p) {
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
    });
    // align lefts, horizontal centres, rights; tops, vertical centres, bottoms
    for (bool vertical : {false, true})
        for (Edge edge : {Edge::Lead, Edge::Centre, Edge::Trail})
            images << Draw(16, [=](QPainter& p) { AlignPicture(p, edge, vertical); });
    // space horizontally, vertically
    images << Draw(16, [](QPainter& p) { SpacePicture(p, false); });
    images << Draw(16, [](QPainter& p) { SpacePicture(p, true); });
    // same width, same height
    images << Draw(16, [](QPainter& p) { SameWidthPicture(p, false); });
    images << Draw(16, [](QPainter& p) { SameWidthPicture(p, true); });
    // same size
    images << Draw(16, [](QPainter& p) {
        Bar(p, 1, 4, 6, 6);
        Bar(p, 9, 4, 6, 6);
    });
    // duplicate: an element and its copy one step away
    images << Draw(16, [](QPainter& p) {
        Bar(p, 1, 1, 9, 7);
        Bar(p, 5, 6, 9, 7, Accent.lighter(160));
    });
}

// The pictures of the Problems pane's severities, in index order from imgInformation.
void AddSeverityImages(QList<QIcon>& images) {
    // information
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.setBrush(Accent);
        p.drawEllipse(1, 1, 13, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(7, 4, 2, 2);
        p.drawRect(7, 7, 2, 5);
    });
    // warning
    images << Draw(16, [](QPainter& p) {
        const QPoint corners[] = {{7, 1}, {14, 14}, {1, 14}};
        p.setPen(Ink);
        p.setBrush(QColor(240, 190, 40));
        p.drawPolygon(corners, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawRect(7, 5, 1, 5);
        p.drawRect(7, 11, 1, 2);
    });
    // error
    images << Draw(16, [](QPainter& p) {
        p.setPen(Ink);
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(1, 1, 13, 13);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(5, 5, 10, 10);
        p.drawLine(10, 5, 5, 10);
    });
}

} // namespace

QList<QIcon> ImageList() {
    QList<QIcon> images;
    AddFileImages(images);
    Q_ASSERT(images.size() == imgCut);
    AddEditImages(images);
    Q_ASSERT(images.size() == imgInformation);
    AddSeverityImages(images);
    Q_ASSERT(images.size() == ImageCount);
    return images;
}

namespace {

const QColor IconInk(40, 40, 40);

void PaintPanelIcon(QPainter& p) {
    p.setPen(IconInk);
    p.setBrush(QColor(90, 90, 96));
    p.drawRect(1, 2, 13, 11);
    p.setBrush(QColor(150, 150, 156));
    p.drawRect(3, 4, 4, 3);
}

void PaintButtonIcon(QPainter& p) {
    p.setPen(IconInk);
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(1, 4, 13, 7);
    p.setPen(Qt::white);
    p.drawLine(2, 5, 13, 5);
    p.setPen(IconInk);
    p.drawLine(5, 8, 10, 8);
}

void PaintTextIcon(QPainter& p) {
    p.setPen(QPen(IconInk, 2));
    p.drawLine(3, 3, 12, 3);
    p.drawLine(8, 3, 8, 13);
    p.drawLine(6, 13, 10, 13);
}

} // namespace

QIcon KindImage(const QString& className) {
    static const QHash<QString, void (*)(QPainter&)> painters = {
        {QStringLiteral("TKvdUIPanel"), PaintPanelIcon},
        {QStringLiteral("TKvdUIButton"), PaintButtonIcon},
        {QStringLiteral("TKvdUIText"), PaintTextIcon},
    };
    const auto paint = painters.value(className);
    return paint ? Draw(16, paint) : ImageList().at(imgElement);
}

} // namespace KvdIcons
