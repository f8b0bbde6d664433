#include "core/ClassRegistry.h"

#include <QHash>
#include <QMetaObject>
#include <QMutex>
#include <deque>

namespace {
// Descriptors are kept for the whole run so that pointers handed out stay valid, also after a class is
// registered again or unregistered.
struct Registry {
    QMutex mutex;
    QHash<QString, const TControlClass*> classes;
    std::deque<TControlClass> storage;
};
Registry& registry() {
    // Process-wide: a class name means the same class to every reader of the program.
    static Registry r;
    return r;
}
} // namespace

bool TControlClass::InheritsFrom(const QMetaObject* metaObject) const {
    return MetaObject && metaObject && MetaObject->inherits(metaObject);
}

namespace ClassRegistry {

void Register(const TControlClass& controlClass) {
    QMutexLocker lock(&registry().mutex);
    registry().storage.push_back(controlClass);
    registry().classes.insert(controlClass.Name, &registry().storage.back());
}

const TControlClass* Find(const QString& name) {
    QMutexLocker lock(&registry().mutex);
    return registry().classes.value(name);
}

} // namespace ClassRegistry
