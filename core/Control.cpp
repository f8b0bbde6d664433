#include "core/Control.h"

#include "core/DesignerHook.h"
#include "core/Exceptions.h"

#include <QEvent>

TControl::TControl(TControl* owner) : QWidget(nullptr) {
    m_bounds = {0, 0, 100, 30};
    QWidget::setGeometry(0, 0, 100, 30);
    m_lastSize = QSize(100, 30);
    if (owner)
        owner->InsertComponent(this);
}

TControl::~TControl() {
    m_state |= csDestroying;
    UpdateAlignedParent();
    // Children that QWidget frees after this destructor must not count themselves off a dead parent.
    for (QObject* child : children())
        if (auto* c = qobject_cast<TControl*>(child); c && c->m_alignedParent == this)
            c->m_alignedParent = nullptr;
    Q_EMIT Destroying(this);
    // Owned components go first, newest first; those that are also visual children would otherwise be
    // freed by QWidget after this object has stopped being a TControl.
    while (!m_components.isEmpty())
        delete m_components.takeLast();
    if (m_owner)
        m_owner->RemoveComponent(this);
}

TControl* TControl::FindComponent(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    for (TControl* c : m_components)
        if (c->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TControl::InsertComponent(TControl* component) {
    if (!component || component->m_owner == this)
        return;
    if (component->m_owner)
        component->m_owner->RemoveComponent(component);
    if (!component->objectName().isEmpty() && FindComponent(component->objectName()))
        throw EComponentError(
            QStringLiteral("A component named %1 already exists").arg(component->objectName()));
    m_components.append(component);
    component->m_owner = this;
    if (IsDesigning())
        component->SetDesigning(true);
    Notification(component, TOperation::opInsert);
}

void TControl::RemoveComponent(TControl* component) {
    if (!component || component->m_owner != this)
        return;
    Notification(component, TOperation::opRemove);
    m_components.removeOne(component);
    component->m_owner = nullptr;
}

bool TControl::IsValidIdent(const QString& name) {
    if (name.isEmpty())
        return false;
    auto isAlpha = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
    if (!isAlpha(name.at(0)))
        return false;
    for (QChar c : name)
        if (!isAlpha(c) && !(c >= u'0' && c <= u'9'))
            return false;
    return true;
}

void TControl::SetName(const QString& name) {
    if (name == objectName())
        return;
    if (!name.isEmpty()) {
        if (IsDesigning())
            if (TDesignerHook* hook = Designer())
                hook->ValidateRename(this, objectName(), name);
        if (!IsValidIdent(name))
            throw EComponentError(QStringLiteral("''%1'' is not a valid component name").arg(name));
        if (m_owner) {
            TControl* other = m_owner->FindComponent(name);
            if (other && other != this)
                throw EComponentError(QStringLiteral("A component named %1 already exists").arg(name));
        }
    }
    setObjectName(name);
}

void TControl::SetCursorId(int value) {
    m_cursorId = value;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ApplyBounds(QRect(left, top, width, height));
}

void TControl::ApplyBounds(const QRect& rect) {
    const bool resized = rect.width() != m_bounds.width || rect.height() != m_bounds.height;
    m_bounds = {rect.left(), rect.top(), rect.width(), rect.height()};
    QWidget::setGeometry(rect.left(), rect.top(), std::max(0, rect.width()), std::max(0, rect.height()));
    if (resized)
        AlignControls();
}

void TControl::SetAlign(TAlign value) {
    m_align = value;
    UpdateAlignedParent();
    if (TControl* parent = ParentControl())
        parent->AlignControls();
}

void TControl::SetAnchors(TAnchors value) {
    m_anchors = value;
}

bool TControl::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        UpdateAlignedParent();
    return QWidget::event(event);
}

void TControl::UpdateAlignedParent() {
    const bool aligned = m_align != alNone && m_align != alCustom && !IsDestroying();
    TControl* parent = aligned ? ParentControl() : nullptr;
    if (parent == m_alignedParent)
        return;
    if (m_alignedParent)
        --m_alignedParent->m_alignedChildren;
    m_alignedParent = parent;
    if (parent)
        ++parent->m_alignedChildren;
}

QList<TControl*> TControl::ChildControls() const {
    QList<TControl*> result;
    for (QObject* child : children())
        if (auto* control = qobject_cast<TControl*>(child))
            if (!control->IsDestroying())
                result.append(control);
    return result;
}

TControl* TControl::ParentControl() const {
    return qobject_cast<TControl*>(parentWidget());
}

void TControl::SetParentControl(QWidget* parent) {
    if (parentWidget() == parent)
        return;
    setParent(parent);
    if (parent)
        show();
    if (TControl* p = ParentControl())
        p->AlignControls();
}

void TControl::SetDesigning(bool value, bool setOwned) {
    if (value)
        m_state |= csDesigning;
    else
        m_state &= ~TComponentState(csDesigning);
    if (setOwned)
        for (TControl* c : m_components)
            c->SetDesigning(value, true);
}

void TControl::SetLoading(bool value) {
    if (value)
        m_state |= csLoading;
    else
        m_state &= ~TComponentState(csLoading);
}

TDesignerHook* TControl::Designer() const {
    for (const QWidget* w = this; w; w = w->parentWidget())
        if (auto* c = qobject_cast<const TControl*>(w); c && c->m_hook)
            return c->m_hook;
    return nullptr;
}

void TControl::Notification(TControl* component, TOperation operation) {
    if (m_hook)
        m_hook->Notification(component, operation);
    else if (TDesignerHook* hook = Designer())
        hook->Notification(component, operation);
}

void TControl::AlignControls() {
    if (m_aligning)
        return;
    const QSize size = ClientRect().size();
    const QSize old = m_lastSize.isValid() ? m_lastSize : size;
    // Nothing would move: no child is aligned and anchored children keep their places while the size
    // stays. Reading a layout lands here once per element, so this must not walk the siblings.
    if (old == size && m_alignedChildren == 0) {
        m_lastSize = size;
        return;
    }
    m_aligning = true;
    QRect rest = ClientRect();
    const QList<TControl*> children = ChildControls();
    // Anchored children follow the change of this control's size.
    if (old != size)
        for (TControl* c : children)
            if (c->Align() == alNone)
                c->ParentResized(old, size);
    // Aligned children take their edge of the remaining client area in the usual order.
    const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign align : order) {
        for (TControl* c : children) {
            if (c->Align() != align)
                continue;
            switch (align) {
            case alTop:
                c->SetBounds(rest.left(), rest.top(), rest.width(), c->Height());
                rest.setTop(rest.top() + c->Height());
                break;
            case alBottom:
                c->SetBounds(rest.left(), rest.bottom() + 1 - c->Height(), rest.width(), c->Height());
                rest.setBottom(rest.bottom() - c->Height());
                break;
            case alLeft:
                c->SetBounds(rest.left(), rest.top(), c->Width(), rest.height());
                rest.setLeft(rest.left() + c->Width());
                break;
            case alRight:
                c->SetBounds(rest.right() + 1 - c->Width(), rest.top(), c->Width(), rest.height());
                rest.setRight(rest.right() - c->Width());
                break;
            case alClient:
                c->SetBounds(rest.left(), rest.top(), rest.width(), rest.height());
                break;
            default:
                break;
            }
        }
    }
    m_lastSize = size;
    m_aligning = false;
}

void TControl::ParentResized(QSize oldSize, QSize newSize) {
    const int dw = newSize.width() - oldSize.width();
    const int dh = newSize.height() - oldSize.height();
    int left = Left(), top = Top(), width = Width(), height = Height();
    if (m_anchors.testFlag(akRight)) {
        if (m_anchors.testFlag(akLeft))
            width += dw;
        else
            left += dw;
    } else if (!m_anchors.testFlag(akLeft)) {
        left += dw / 2;
    }
    if (m_anchors.testFlag(akBottom)) {
        if (m_anchors.testFlag(akTop))
            height += dh;
        else
            top += dh;
    } else if (!m_anchors.testFlag(akTop)) {
        top += dh / 2;
    }
    if (left != Left() || top != Top() || width != Width() || height != Height())
        SetBounds(left, top, width, height);
}
