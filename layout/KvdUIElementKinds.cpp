#include "layout/KvdUIElementKinds.h"

#include "layout/KvdUIElement.h"

namespace {

template <typename T>
TKvdUIElementKind Kind(const char* caption, QSize size, const QStringList& extraProperties) {
    static const QStringList common = {QStringLiteral("Align"),  QStringLiteral("Anchors"),
                                       QStringLiteral("ID"),     QStringLiteral("Top"),
                                       QStringLiteral("Left"),   QStringLiteral("Width"),
                                       QStringLiteral("Height"), QStringLiteral("Style")};
    const QString name = QString::fromLatin1(T::staticMetaObject.className());
    return TKvdUIElementKind{
        TControlClass{name, &T::staticMetaObject, [](TControl* owner) -> TControl* { return new T(owner); }},
        QString::fromLatin1(caption), size, common + extraProperties};
}

} // namespace

const QList<TKvdUIElementKind>& ElementKinds() {
    static const QList<TKvdUIElementKind> kinds = {
        Kind<TKvdUIPanel>("Panel", QSize(250, 200), {}),
        Kind<TKvdUIButton>(
            "Button", QSize(60, 30),
            {QStringLiteral("Text"), QStringLiteral("InputLength"), QStringLiteral("Alignment")}),
        Kind<TKvdUIText>("Text", QSize(100, 30), {QStringLiteral("Text"), QStringLiteral("Alignment")}),
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
