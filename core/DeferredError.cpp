#include "core/DeferredError.h"

#include <QCoreApplication>
#include <QMetaObject>

void RaiseDeferred(std::exception_ptr error) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [error] { std::rethrow_exception(error); }, Qt::QueuedConnection);
}

bool RunGuarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (...) {
        RaiseDeferred(std::current_exception());
        return false;
    }
}
