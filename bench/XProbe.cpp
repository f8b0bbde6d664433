#include "bench/XProbe.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <poll.h>

namespace {

qint64 NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

TXProbe::TXProbe(unsigned long window, const QRect& watched) {
    Display* input = XOpenDisplay(nullptr);
    m_input = input;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!input || !XTestQueryExtension(input, &event, &error, &major, &minor))
        return;
    m_thread = std::thread([this, window, watched] { Watch(window, watched); });
    // The damage connection is ready before the first click.
    for (int i = 0; i < 500 && !m_watching && !m_stop; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    m_ok = m_watching;
}

TXProbe::~TXProbe() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_input)
        XCloseDisplay(static_cast<Display*>(m_input));
}

void TXProbe::Click(int x, int y) {
    auto* input = static_cast<Display*>(m_input);
    XTestFakeMotionEvent(input, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(input, 1, True, CurrentTime);
    XTestFakeButtonEvent(input, 1, False, CurrentTime);
    XFlush(input);
}

void TXProbe::Watch(unsigned long window, const QRect& watched) {
    Display* display = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0;
    if (!display || !XDamageQueryExtension(display, &damageEvent, &damageError)) {
        m_stop = true;
        if (display)
            XCloseDisplay(display);
        return;
    }
    const Damage damage = XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);
    m_watching = true;
    while (!m_stop) {
        if (!XPending(display)) {
            pollfd wait{ConnectionNumber(display), POLLIN, 0};
            ::poll(&wait, 1, 20);
            continue;
        }
        XEvent e;
        XNextEvent(display, &e);
        if (e.type != damageEvent + XDamageNotify)
            continue;
        const auto* notify = reinterpret_cast<const XDamageNotifyEvent*>(&e);
        const QRect area(notify->area.x, notify->area.y, notify->area.width, notify->area.height);
        if (area.intersects(watched))
            m_lastDamageNs = NowNs();
    }
    XDamageDestroy(display, damage);
    XCloseDisplay(display);
}
