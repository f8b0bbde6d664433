#include "designer/ELDsgnrHandles.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

namespace {

// Watches the application's input for hints that hide on input, and remembers where the pointer is.
class THintInputFilter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override;
};

struct HintShared {
    QLabel* window = nullptr;
    THintInputFilter* filter = nullptr;
    int count = 0;
    TDEngHint* current = nullptr;
    QPoint cursorPos;
    bool cursorKnown = false;
};

HintShared& shared() {
    // Process-wide: the application has one mouse pointer, so one hint window is shared by all designers.
    static HintShared s;
    return s;
}

bool THintInputFilter::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        shared().cursorPos = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        shared().cursorKnown = true;
        break;
    default:
        break;
    }
    if (TDEngHint* hint = shared().current)
        hint->CheckEvent(event);
    return false;
}

// How far the pointer's picture reaches below its hot spot. Standard shapes carry no picture in Qt;
// the usual arrow then reaches about 20 pixels down.
int cursorDepthBelowHotSpot() {
    const QCursor cursor = QApplication::overrideCursor() ? *QApplication::overrideCursor() : QCursor();
    const QPixmap picture = cursor.pixmap();
    if (!picture.isNull())
        return std::max(0, int(picture.height() / picture.devicePixelRatio()) - cursor.hotSpot().y());
    return 20;
}

} // namespace

TDEngHint::TDEngHint() {
    HintShared& s = shared();
    if (s.count++ == 0) {
        s.window = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        s.window->setAttribute(Qt::WA_ShowWithoutActivating);
        s.window->setMargin(2);
        s.window->setFrameStyle(QFrame::Box | QFrame::Plain);
        s.filter = new THintInputFilter;
        qApp->installEventFilter(s.filter);
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TDEngHint::TimerFired);
}

TDEngHint::~TDEngHint() {
    Hide();
    HintShared& s = shared();
    if (s.current == this)
        s.current = nullptr;
    if (--s.count == 0) {
        qApp->removeEventFilter(s.filter);
        delete s.filter;
        delete s.window;
        s.filter = nullptr;
        s.window = nullptr;
    }
}

QWidget* TDEngHint::Window() {
    return shared().window;
}

TDEngHint* TDEngHint::Current() {
    return shared().current;
}

QPoint TDEngHint::CursorPos() {
    return shared().cursorKnown ? shared().cursorPos : QCursor::pos();
}

bool TDEngHint::IsHidingEvent(const QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::ApplicationActivate:
    case QEvent::ApplicationDeactivate:
    case QEvent::Shortcut:
        return true;
    default:
        return false;
    }
}

void TDEngHint::CheckEvent(const QEvent* event) {
    if (shared().current == this && m_shown && m_hideOnInput && IsHidingEvent(event))
        Hide();
}

void TDEngHint::Show(bool delayed, bool autoHide, QWidget* boundControl, bool hideOnInput) {
    m_autoHide = autoHide;
    m_boundControl = boundControl;
    m_hasBoundControl = boundControl != nullptr;
    m_hideOnInput = hideOnInput;
    if (!delayed) {
        Activate();
        return;
    }
    m_mode = TimerMode::WaitingToShow;
    m_timer.start(qApp->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay));
}

void TDEngHint::Activate() {
    const QPoint pos = CursorPos();
    if (m_hasBoundControl) {
        QWidget* under = QApplication::widgetAt(pos);
        if (!m_boundControl || !under || (under != m_boundControl && !m_boundControl->isAncestorOf(under))) {
            Hide();
            return;
        }
    }
    m_timer.stop();
    HintShared& s = shared();
    QLabel* window = s.window;
    window->setPalette(QToolTip::palette());
    window->setFont(QToolTip::font());
    window->setText(m_caption);
    const QScreen* screen = QGuiApplication::screenAt(pos);
    const int screenWidth = screen ? screen->geometry().width() : 1024;
    window->setWordWrap(false);
    window->setMinimumWidth(0);
    window->setMaximumWidth(QWIDGETSIZE_MAX);
    window->adjustSize();
    if (window->width() > screenWidth) {
        window->setWordWrap(true);
        window->setFixedWidth(screenWidth);
        window->adjustSize();
    }
    window->move(pos + QPoint(0, cursorDepthBelowHotSpot()));
    window->show();
    window->repaint();
    s.current = this;
    if (m_autoHide) {
        m_mode = TimerMode::WaitingToHide;
        m_timer.start(qApp->style()->styleHint(QStyle::SH_ToolTip_FallAsleepDelay));
    }
    m_shown = true;
}

void TDEngHint::TimerFired() {
    if (m_mode == TimerMode::WaitingToShow)
        Activate();
    else
        Hide();
}

void TDEngHint::Hide() {
    m_timer.stop();
    HintShared& s = shared();
    if (s.current == this) {
        if (s.window)
            s.window->hide();
        s.current = nullptr;
    }
    m_shown = false;
}
