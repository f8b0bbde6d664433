#include "core/EventLoop.h"

#include <QByteArray>

namespace {
constexpr char NoGlib[] = "QT_NO_GLIB";
bool setHere = false;
} // namespace

int& EventLoop::ChooseQtDispatcher(int& argc) {
    if (!qEnvironmentVariableIsSet(NoGlib))
        setHere = qputenv(NoGlib, QByteArrayLiteral("1"));
    return argc;
}

void EventLoop::DispatcherChosen() {
    if (setHere)
        qunsetenv(NoGlib);
    setHere = false;
}
