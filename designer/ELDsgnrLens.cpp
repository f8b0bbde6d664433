#include "designer/ELDsgnrLens.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace TDLens {

namespace {

void RepaintNow(QWidget* container, const QList<QRegion>& bands) {
    auto* lens = new QWidget(container);
    lens->setAttribute(Qt::WA_TransparentForMouseEvents);
    lens->setGeometry(container->rect());
    lens->show();
    QWidget* window = container->window();
    for (const QRegion& band : bands) {
        lens->update(band);
        QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
    }
    FreeQuietly(lens);
}

} // namespace

void Repaint(QWidget* container, QList<QRegion> bands) {
    if (bands.isEmpty() || !container->isVisible())
        return;
    QMetaObject::invokeMethod(
        container,
        [container = QPointer<QWidget>(container), bands = std::move(bands)] {
            if (container && container->isVisible())
                RepaintNow(container, bands);
        },
        Qt::QueuedConnection);
}

int StripHeight(int areaHeight, qsizetype children) {
    return std::max(32, int(areaHeight * 128 / std::max<qsizetype>(children, 1)));
}

void RepaintArea(QWidget* container, const QRect& area) {
    const int height = StripHeight(area.height(), container->children().size());
    QList<QRegion> strips;
    for (int y = area.top(); y <= area.bottom(); y += height)
        strips.append(QRect(area.left(), y, area.width(), std::min(height, area.bottom() + 1 - y)));
    Repaint(container, std::move(strips));
}

void FreeQuietly(QWidget* child) {
    child->setUpdatesEnabled(false);
    child->hide();
    child->setGeometry(QRect());
    delete child;
}

} // namespace TDLens
