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
    // The content moves against the scroll position, as scrolling a form moves its controls.
    if (TDEng* engine = m_panel ? m_panel->Engine() : nullptr) {
        TControl* root = engine->Root();
        if (root != this && root->parentWidget() == this)
            root->SetBounds(-x, -y, root->Width(), root->Height());
    }
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

TELCustomDesignPanel::TELCustomDesignPanel(TControl* owner)
    : TControl(owner), m_surface(new TDPForm(this)), m_hbar(new QScrollBar(Qt::Horizontal, this)),
      m_vbar(new QScrollBar(Qt::Vertical, this)) {
    m_hbar->hide();
    m_vbar->hide();
    auto scrolled = [this] {
        m_surface->SetScrollPos(m_hbar->isVisible() ? m_hbar->value() : 0,
                                m_vbar->isVisible() ? m_vbar->value() : 0);
    };
    connect(m_hbar, &QScrollBar::valueChanged, this, scrolled);
    connect(m_vbar, &QScrollBar::valueChanged, this, scrolled);
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
    UpdateScrollBars();
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

QRect TELCustomDesignPanel::ClientArea() const {
    int edge = 0;
    if (m_bevelKind != ELDsgnr::bkNone)
        edge = (m_bevelInner != ELDsgnr::bvNone ? 1 : 0) + (m_bevelOuter != ELDsgnr::bvNone ? 1 : 0);
    return QRect(0, 0, std::max(0, Width()), std::max(0, Height())).adjusted(edge, edge, -edge, -edge);
}

QRect TELCustomDesignPanel::SurfaceRect() const {
    QRect r = ClientArea();
    if (m_vbar->isVisibleTo(this))
        r.setRight(r.right() - m_vbar->sizeHint().width());
    if (m_hbar->isVisibleTo(this))
        r.setBottom(r.bottom() - m_hbar->sizeHint().height());
    return r;
}

void TELCustomDesignPanel::SetAutoScroll(bool value) {
    if (StoreChanged(m_autoScroll, value))
        UpdateScrollBars();
}

void TELCustomDesignPanel::UpdateScrollBars() {
    QSize content;
    if (m_engine && m_autoScroll && m_engine->Root() != m_surface)
        content = QSize(std::max(0, m_engine->Root()->Width()), std::max(0, m_engine->Root()->Height()));
    const QRect area = ClientArea();
    const int barW = m_vbar->sizeHint().width(), barH = m_hbar->sizeHint().height();
    // A bar takes room from the other direction, which may then need its bar too.
    bool needH = content.width() > area.width();
    bool needV = content.height() > area.height() - (needH ? barH : 0);
    needH = content.width() > area.width() - (needV ? barW : 0);
    m_hbar->setVisible(needH);
    m_vbar->setVisible(needV);
    const QRect view = SurfaceRect();
    m_hbar->setGeometry(view.left(), view.bottom() + 1, view.width(), barH);
    m_vbar->setGeometry(view.right() + 1, view.top(), barW, view.height());
    m_hbar->setRange(0, std::max(0, content.width() - view.width()));
    m_hbar->setPageStep(std::max(1, view.width()));
    m_vbar->setRange(0, std::max(0, content.height() - view.height()));
    m_vbar->setPageStep(std::max(1, view.height()));
    m_surface->SetScrollPos(needH ? m_hbar->value() : 0, needV ? m_vbar->value() : 0);
    if (m_engine)
        m_surface->SetBounds(view.left(), view.top(), view.width(), view.height());
}

void TELCustomDesignPanel::FitSurface() {
    if (!m_engine)
        return;
    UpdateScrollBars();
}

void TELCustomDesignPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const QRect inner = ClientArea();
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
