#include "designer/ELDsgnr.h"

#include "designer/ELDsgnrEngine.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

// --- surface -----------------------------------------------------------------------------------------------

TDPForm::TDPForm(TELCustomDesignPanel* panel) : TControl(nullptr), m_panel(panel) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDPForm::SetScrollPos(int x, int y) {
    if (x == m_scrollX && y == m_scrollY)
        return;
    m_scrollX = x;
    m_scrollY = y;
    update();
}

void TDPForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    TDEng* engine = m_panel ? m_panel->Engine() : nullptr;
    // While a designer is attached the grid replaces the plain background.
    painter.fillRect(event->rect(), palette().window());
    if (engine && IsDesigning())
        engine->PaintGrid(painter, event->rect());
}

// --- panel -------------------------------------------------------------------------------------------------

TELCustomDesignPanel::TELCustomDesignPanel(TControl* owner) : TControl(owner), m_surface(new TDPForm(this)) {
    SetBounds(Left(), Top(), 185, 41);
    setFocusPolicy(Qt::StrongFocus);
}

TELCustomDesignPanel::~TELCustomDesignPanel() {
    // The designer lets go of the panel while the panel is still whole.
    if (m_engine)
        m_engine->Designer()->ComponentDestroying(this);
    delete m_surface;
}

void TELCustomDesignPanel::Attach(TDEng* engine) {
    m_engine = engine;
    m_surface->setParent(this);
    FitSurface();
    m_surface->show();
}

void TELCustomDesignPanel::Detach() {
    m_engine = nullptr;
    m_surface->hide();
    m_surface->setParent(nullptr);
}

void TELCustomDesignPanel::SetBevelInner(TBevelCut value) {
    m_bevelInner = value;
    FitSurface();
    update();
}

void TELCustomDesignPanel::SetBevelOuter(TBevelCut value) {
    m_bevelOuter = value;
    FitSurface();
    update();
}

void TELCustomDesignPanel::SetBevelKind(TBevelKind value) {
    m_bevelKind = value;
    FitSurface();
    update();
}

QRect TELCustomDesignPanel::SurfaceRect() const {
    int edge = 0;
    if (m_bevelKind != ELDsgnr::bkNone)
        edge = (m_bevelInner != ELDsgnr::bvNone ? 1 : 0) + (m_bevelOuter != ELDsgnr::bvNone ? 1 : 0);
    return QRect(0, 0, std::max(0, Width()), std::max(0, Height())).adjusted(edge, edge, -edge, -edge);
}

void TELCustomDesignPanel::FitSurface() {
    if (!m_engine)
        return;
    const QRect r = SurfaceRect();
    m_surface->SetBounds(r.left(), r.top(), r.width(), r.height());
}

void TELCustomDesignPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const QRect inner = SurfaceRect();
    if (inner != rect()) {
        // A flat frame in the shadow colour around the surface.
        painter.setPen(palette().color(QPalette::Dark));
        for (QRect r = rect(); r.width() > inner.width(); r.adjust(1, 1, -1, -1))
            painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void TELCustomDesignPanel::resizeEvent(QResizeEvent*) {
    FitSurface();
}

void TELCustomDesignPanel::focusInEvent(QFocusEvent*) {
    if (m_engine)
        m_surface->setFocus(Qt::OtherFocusReason);
}

void TELCustomDesignPanel::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_engine && m_popupMenu)
        m_popupMenu->popup(event->globalPos());
}
