#pragma once
// Shows the stand-in's window in a test, the way the window tests and the preview tests all need it.

#include "sim/SimWindow.h"

#include <QTest>

// Shows the window at that size and waits (bounded) until it is on screen; false when it did not come up.
inline bool ShowAt(TSimWindow& window, const QSize& size) {
    window.resize(size);
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}
