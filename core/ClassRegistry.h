#pragma once
// Creating components from their class names: the layout reader and the clipboard paste find a
// class by the name stored in their data and construct it with an owner.

#include <QString>
#include <functional>

class QMetaObject;
class TControl;

struct TControlClass {
    QString Name;
    const QMetaObject* MetaObject = nullptr;
    std::function<TControl*(TControl* owner)> Create;
    // Whether this class is, or descends from, the class described by metaObject.
    bool InheritsFrom(const QMetaObject* metaObject) const;
};

namespace ClassRegistry {
void Register(const TControlClass& controlClass);
template <typename T> void Register() {
    Register(TControlClass{QString::fromLatin1(T::staticMetaObject.className()), &T::staticMetaObject,
                           [](TControl* owner) -> TControl* { return new T(owner); }});
}
// Letter case matters, as for the file's "type" attribute. nullptr when not registered.
const TControlClass* Find(const QString& name);
} // namespace ClassRegistry
