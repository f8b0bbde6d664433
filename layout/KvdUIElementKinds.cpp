#include "layout/KvdUIElementKinds.h"

#include "layout/KvdUIElement.h"

#include <QPainter>

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

template <typename T>
TKvdUIElementKind Kind(const char* caption, QSize size, const QStringList& extraProperties,
                       void (*paintIcon)(QPainter&)) {
    static const QStringList common = {QStringLiteral("Align"),  QStringLiteral("Anchors"),
                                       QStringLiteral("ID"),     QStringLiteral("Top"),
                                       QStringLiteral("Left"),   QStringLiteral("Width"),
                                       QStringLiteral("Height"), QStringLiteral("Style")};
    const QString name = QString::fromLatin1(T::staticMetaObject.className());
    return TKvdUIElementKind{
        TControlClass{name, &T::staticMetaObject, [](TControl* owner) -> TControl* { return new T(owner); }},
        QString::fromLatin1(caption),
        QStringLiteral("actTool") + QString::fromLatin1(caption),
        size,
        common + extraProperties,
        paintIcon};
}

} // namespace

const QList<TKvdUIElementKind>& ElementKinds() {
    static const QList<TKvdUIElementKind> kinds = {
        Kind<TKvdUIPanel>("Panel", QSize(250, 200), {}, PaintPanelIcon),
        Kind<TKvdUIButton>(
            "Button", QSize(60, 30),
            {QStringLiteral("Text"), QStringLiteral("InputLength"), QStringLiteral("Alignment")},
            PaintButtonIcon),
        Kind<TKvdUIText>("Text", QSize(100, 30), {QStringLiteral("Text"), QStringLiteral("Alignment")},
                         PaintTextIcon),
    };
    return kinds;
}

const TKvdUIElementKind* ElementKindOf(const QMetaObject* metaObject) {
    for (const TKvdUIElementKind& kind : ElementKinds())
        if (kind.Class.MetaObject == metaObject)
            return &kind;
    return nullptr;
}

const TKvdUIElementKind* ElementKindOf(const QObject* object) {
    return object ? ElementKindOf(object->metaObject()) : nullptr;
}

const TKvdUIElementKind* ElementKindNamed(const QString& className) {
    for (const TKvdUIElementKind& kind : ElementKinds())
        if (kind.Class.Name == className)
            return &kind;
    return nullptr;
}

void RegisterElementClasses() {
    for (const TKvdUIElementKind& kind : ElementKinds())
        ClassRegistry::Register(kind.Class);
}
