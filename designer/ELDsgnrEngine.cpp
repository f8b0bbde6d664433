#include "designer/ELDsgnrEngine.h"

#include "core/ComponentStream.h"
#include "core/DeferredError.h"
#include "designer/ELDsgnrDrag.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QScopeGuard>

namespace {

// Repaints a control and every control inside it.
void repaintTree(QWidget* widget) {
    widget->update();
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->update();
}

} // namespace

// --- attaching and detaching -------------------------------------------------------------------------------

TDEng::TDEng(TELCustomDesigner* designer, TControl* root, TELCustomDesignPanel* panel)
    : m_designer(designer), m_selection(designer->SelectedControls()), m_grid(designer->Grid()),
      m_hint(std::make_unique<TDEngHint>()), m_root(root), m_panel(panel) {
    if (panel) {
        panel->Attach(this);
        m_surface = panel->Surface();
        m_savedParent = root->parentWidget();
        m_savedLeft = root->Left();
        m_savedTop = root->Top();
        root->SetParentControl(m_surface);
        root->SetBounds(0, 0, root->Width(), root->Height());
    } else {
        m_surface = root;
    }
    m_surface->SetDesignerHook(this);
    m_surface->SetDesigning(true, false);
    root->SetDesigning(true, true);
    m_surface->setAcceptDrops(true);
    repaintTree(root);
    if (QWidget* focus = QApplication::focusWidget(); focus && m_surface->isAncestorOf(focus))
        m_surface->setFocus();
    m_overlay = new TDEngOverlay(m_surface, m_selection);
    m_selection->SetFocused(m_surface->hasFocus());
    if (m_panel)
        m_panel->UpdateScrollBars();
    qApp->installEventFilter(this);
}

TDEng::~TDEng() {
    qApp->removeEventFilter(this);
    if (m_drag) {
        try {
            EndDrag(false, QPoint());
            m_selection->SetHandlesVisible(true);
        } catch (...) {
            // The engine goes away regardless; the drag has cleaned up after itself.
        }
    }
    SetHandleCursor({});
    delete m_overlay.data();
    const bool rootDestroying = m_root->IsDestroying();
    if (!m_surface->IsDestroying())
        m_surface->SetDesigning(false, false);
    if (!rootDestroying)
        m_root->SetDesigning(false, true);
    m_surface->SetDesignerHook(nullptr);
    if (m_surface != m_root)
        m_surface->setAcceptDrops(false);
    if (!rootDestroying) {
        repaintTree(m_root);
        if (m_panel) {
            m_root->SetParentControl(m_savedParent);
            m_root->SetBounds(m_savedLeft, m_savedTop, m_root->Width(), m_root->Height());
        }
    }
    if (m_panel)
        m_panel->Detach();
}

TControl* TDEng::Form() const {
    return m_surface == m_root ? m_root : nullptr;
}

void TDEng::SetForm(QWidget*) {
    throw EELDesigner(QStringLiteral("Not implemented"));
}

// --- hook --------------------------------------------------------------------------------------------------

void TDEng::Notification(TControl* component, TOperation operation) {
    m_designer->DoNotification(component, operation);
}

void TDEng::ValidateRename(TControl* component, const QString&, const QString& newName) {
    CheckNewName(component, newName);
}

void TDEng::NotifyModified() {
    m_selection->UpdateHandles();
    m_designer->DoModified();
}

// --- control model -----------------------------------------------------------------------------------------

quint16 TDEng::CombinedLocks(const TControl* control) {
    quint16 locks = control->DesignLocks();
    for (const TControl* child : control->ChildControls())
        locks |= child->DesignLocks();
    return locks;
}

bool TDEng::IsDesignedControl(const QWidget* widget) const {
    const auto* c = qobject_cast<const TControl*>(widget);
    return c && (c == m_root || (c->Owner() == m_root && c->IsDesigning()));
}

TControl* TDEng::DesignControlOf(QWidget* widget) const {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (IsDesignedControl(w))
            return static_cast<TControl*>(w);
    return nullptr;
}

TControl* TDEng::ContainerOf(QWidget* widget) const {
    if (!widget || (widget != m_root && !m_root->isAncestorOf(widget)))
        return nullptr; // never a container outside the design
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        auto* c = qobject_cast<TControl*>(w);
        if (c && c->AcceptsControls())
            return c;
        if (w == m_root)
            break;
    }
    return nullptr;
}

void TDEng::SelectAllInto(TELDesignerSelectedControls* selection) {
    std::function<void(TControl*)> walk = [&](TControl* parent) {
        for (TControl* c : parent->ChildControls()) {
            if (!IsDesignedControl(c))
                continue;
            selection->Add(c);
            walk(c);
        }
    };
    selection->Batch([&] {
        selection->Add(m_root);
        walk(m_root);
    });
}

// --- clipboard streams -------------------------------------------------------------------------------------

QByteArray TDEng::WriteControls(const QList<TControl*>& controls) {
    ComponentStream::TWriter writer(m_root);
    for (TControl* c : controls)
        writer.WriteComponent(c);
    writer.WriteListEnd();
    return writer.Data();
}

void TDEng::ReadControls(const QByteArray& data, TControl* container) {
    m_selection->Batch([&] {
        m_selection->Clear();
        m_names = std::make_unique<TDEngNames>();
        ComponentStream::TReader reader(data, m_root, container);
        reader.OnSetName = [this](TControl* component, const QString& stored) {
            if (stored.isEmpty() || !m_root->FindComponent(stored))
                return stored;
            const QString fresh = MakeUniqueName(QString::fromLatin1(component->metaObject()->className()));
            m_names->Add(stored, fresh);
            return fresh;
        };
        reader.OnReferenceName = [this](const QString& stored) { return m_names->Map(stored); };
        reader.OnComponentRead = [this](TControl* c) {
            if (!IsDesignedControl(c))
                return;
            if (QWidget* parent = c->parentWidget()) {
                auto taken = [&] {
                    for (QObject* o : parent->children())
                        if (auto* other = qobject_cast<TControl*>(o))
                            if (other != c && other->Left() == c->Left() && other->Top() == c->Top())
                                return true;
                    return false;
                };
                // Shift by grid steps while the spot is taken; stop when the control cannot move any
                // further (a parent that clamps its children would otherwise keep it in place forever).
                while (taken()) {
                    const QPoint before(c->Left(), c->Top());
                    c->SetBounds(c->Left() + m_grid->XStep(), c->Top() + m_grid->YStep(), c->Width(),
                                 c->Height());
                    if (QPoint(c->Left(), c->Top()) == before)
                        break;
                }
            }
            m_selection->Add(c);
        };
        const auto dropNames = qScopeGuard([this] { m_names.reset(); });
        const QList<TControl*> read = reader.ReadComponents();
        try {
            m_designer->DoControlsAdding(read, container);
        } catch (...) {
            m_selection->Clear();
            qDeleteAll(read);
            throw;
        }
    });
    NotifyModified();
}

void TDEngNames::Add(const QString& oldName, const QString& newName) {
    m_old.append(oldName);
    m_new.append(newName);
}

int TDEngNames::IndexOf(const QString& oldName) const {
    for (int i = 0; i < m_old.size(); ++i)
        if (m_old.at(i).compare(oldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TDEngNames::Map(const QString& oldName) const {
    const int index = IndexOf(oldName);
    return index < 0 ? oldName : m_new.at(index);
}

// --- event routing -----------------------------------------------------------------------------------------

bool TDEng::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != m_surface && !m_surface->isAncestorOf(widget))
        return false;
    if (widget == m_overlay)
        return false; // it only paints
    if (widget == m_surface && m_overlay &&
        (event->type() == QEvent::ChildAdded || event->type() == QEvent::Resize))
        m_overlay->FollowSurface();
    try {
        if (HandleMouseEvent(event))
            return true;
        return HandleDesignEvent(widget, event);
    } catch (...) {
        RaiseDeferred(std::current_exception());
        return true;
    }
}

bool TDEng::HandleDesignEvent(QWidget* sender, QEvent* event) {
    if (!sender)
        return false;
    if (!Dragging())
        m_hint->CheckEvent(event);
    switch (event->type()) {
    case QEvent::FocusIn:
        m_selection->SetFocused(true);
        return false;
    case QEvent::FocusOut:
        m_selection->SetFocused(false);
        return false;
    case QEvent::Close:
        if (sender == m_root && Form()) {
            FormClose();
            event->ignore();
        }
        return true;
    case QEvent::Move:
    case QEvent::Resize:
        if (sender == m_root && event->type() == QEvent::Resize && m_panel)
            QMetaObject::invokeMethod(m_panel, &TELCustomDesignPanel::UpdateScrollBars, Qt::QueuedConnection);
        if (auto* control = qobject_cast<TControl*>(sender)) {
            // Handles follow once the change has settled.
            QPointer<TControl> guarded(control);
            QMetaObject::invokeMethod(
                this,
                [this, guarded] {
                    if (guarded)
                        m_selection->UpdateHandlesOf(guarded);
                },
                Qt::QueuedConnection);
        }
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        return KeyEvent(event);
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return MouseEvent(sender, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel: {
        auto* c = qobject_cast<TControl*>(sender);
        const auto* wheel = static_cast<QWheelEvent*>(event);
        return Dragging() || !(c && c->DesignHitTest(wheel->position().toPoint(), wheel->modifiers()));
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return DragDropEvent(sender, event);
    default:
        return false;
    }
}

// --- mouse -------------------------------------------------------------------------------------------------

bool TDEng::MouseEvent(QWidget* sender, QMouseEvent* event) {
    bool takes = Dragging();
    if (!takes) {
        auto* c = qobject_cast<TControl*>(sender);
        takes = !(c && c->DesignHitTest(event->position().toPoint(), event->modifiers()));
    }
    const QPoint global = event->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseMove:
        if (Dragging())
            m_drag->Move(global);
        else
            HoverHint(sender, takes);
        break;
    case QEvent::MouseButtonPress:
        if (!Dragging() && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
            MousePress(sender, event, takes);
        break;
    case QEvent::MouseButtonRelease:
        if (event->button() == Qt::LeftButton && Dragging()) {
            const auto showHandles = qScopeGuard([this] { m_selection->SetHandlesVisible(true); });
            EndDrag(true, global);
        } else if (event->button() == Qt::RightButton && !Dragging()) {
            m_designer->DoContextPopup(global);
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (event->button() == Qt::LeftButton && !Dragging())
            m_designer->DoDblClick();
        break;
    default:
        break;
    }
    return takes;
}

void TDEng::MousePress(QWidget* sender, QMouseEvent* event, bool takes) {
    if (sender == m_surface && m_surface != m_root)
        return;
    const QPoint global = event->globalPosition().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    const Qt::KeyboardModifiers keys = event->modifiers();
    if (left) {
        TControl* container = ContainerOf(sender);
        if (container && !(container->DesignLocks() & dlInsert)) {
            const TControlClass* controlClass = nullptr;
            m_designer->DoControlInserting(controlClass);
            if (controlClass) {
                BeginDrag(std::make_unique<TInsertDrag>(*this, controlClass, container,
                                                        TDragOptions{.Snap = true, .AlignStart = true}),
                          global);
                return;
            }
        }
    }
    TControl* q = DesignControlOf(sender);
    if (!q)
        return;
    if (keys & Qt::ShiftModifier) {
        m_selection->Batch([&] {
            if (m_selection->Contains(q))
                m_selection->Remove(q);
            else if (!(q == m_root && m_selection->Count() > 0))
                m_selection->Add(q);
            if (m_selection->Count() == 0)
                m_selection->Add(m_root);
        });
        return;
    }
    if (q == m_root || (keys & Qt::ControlModifier)) {
        m_selection->SelectOnly(m_root);
        if (left && takes) {
            TControl* c = q;
            while (c && !(IsDesignedControl(c) && c->AcceptsControls()))
                c = c->ParentControl();
            if (c)
                BeginDrag(std::make_unique<TBandDrag>(*this, c, TDragOptions{}), global);
        }
        return;
    }
    QList<TControl*> list;
    if (m_selection->Contains(q)) {
        m_selection->KeepSiblingsOf(q->parentWidget());
        m_selection->GetControls(list);
    } else {
        list.append(q);
    }
    if (left && takes && !(q->DesignLocks() & dlMove)) {
        list.removeIf([](TControl* c) { return c->DesignLocks() & dlMove; });
        m_selection->SetHandlesVisible(false);
        m_selection->SetSelection(list);
        BeginDrag(std::make_unique<TMoveDrag>(*this, q->parentWidget(), TDragOptions{.Snap = true}), global);
    } else {
        m_selection->SetSelection(list);
    }
}

void TDEng::HandlePointPress(TDSelCtrlItem* item, const QPoint& globalPos) {
    TControl* control = item->Control();
    if (Dragging() || (control->DesignLocks() & dlResize))
        return;
    const THandlePosition handle = item->PressedHandle();
    // A handle in the middle of an edge moves that edge only.
    const THandleEdges edges = EdgesOf(handle);
    const TDragOptions options{
        .Snap = true, .LockX = !edges.Left && !edges.Right, .LockY = !edges.Top && !edges.Bottom};
    SetHandleCursor({});
    m_selection->SetHandlesVisible(false);
    m_selection->SelectOnly(control);
    BeginDrag(std::make_unique<TResizeDrag>(*this, control, handle, options), globalPos);
}

THandleHit TDEng::HandleAt(const QPoint& globalPos) const {
    return m_overlay ? m_overlay->HandleAt(m_overlay->mapFromGlobal(globalPos)) : THandleHit{};
}

bool TDEng::HandleMouseEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Leave && !Dragging())
        SetHandleCursor({});
    if (Dragging() || (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
                       type != QEvent::MouseButtonDblClick))
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    const THandleHit hit = HandleAt(global);
    SetHandleCursor(hit);
    if (!hit)
        return false;
    m_hint->CheckEvent(event);
    // Taken in every case: a press on a corner mark must not reach the control under it.
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        hit.Item->Mode() == hmSingle) {
        hit.Item->SetPressedHandle(hit.Position);
        HandlePointPress(hit.Item, global);
    }
    return true;
}

void TDEng::SetHandleCursor(const THandleHit& hit) {
    if (!hit) {
        if (m_handleCursor)
            QGuiApplication::restoreOverrideCursor();
        m_handleCursor = false;
        return;
    }
    const Qt::CursorShape shape = hit.Item->HandleCursor(hit.Position);
    if (!m_handleCursor)
        QGuiApplication::setOverrideCursor(shape);
    else if (QGuiApplication::overrideCursor()->shape() != shape)
        QGuiApplication::changeOverrideCursor(shape);
    m_handleCursor = true;
}

void TDEng::HoverHint(QWidget* sender, bool takes) {
    TControl* d = DesignControlOf(sender);
    if (!d)
        return;
    if (d == m_root || d == m_surface || !takes) {
        m_hint->Hide();
    } else if (d != m_lastHinted) {
        if (m_designer->ShowingHints() & htControl) {
            QString text =
                d->Name() + QStringLiteral(": ") + QString::fromLatin1(d->metaObject()->className());
            m_designer->DoControlHint(d, text);
            if (!text.isEmpty()) {
                const bool shown = TDEngHint::Current() && TDEngHint::Current()->Shown();
                m_hint->SetCaption(text);
                m_hint->Show(!shown, true, d, true);
            } else {
                m_hint->Hide();
            }
        } else {
            m_hint->Hide();
        }
    }
    m_lastHinted = takes ? d : nullptr;
}

// --- toolkit drag and drop, closing a root form ------------------------------------------------------------

bool TDEng::DragDropEvent(QWidget* sender, QEvent* event) {
    if (event->type() == QEvent::DragLeave) {
        bool accept = false;
        m_designer->DoDragOver(nullptr, m_dragTarget.data(), 0, 0, dsDragLeave, accept);
        m_dragTarget = nullptr;
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    QWidget* under = sender;
    QPoint pos = drop->position().toPoint();
    if (QWidget* child = sender->childAt(pos))
        under = child;
    TControl* target = DesignControlOf(under);
    if (target)
        pos = target->mapFrom(sender, pos);
    m_dragTarget = target;
    if (event->type() == QEvent::Drop) {
        m_designer->DoDragDrop(drop->source(), target, pos.x(), pos.y());
        drop->acceptProposedAction();
        return true;
    }
    bool accept = false;
    m_designer->DoDragOver(drop->source(), target, pos.x(), pos.y(),
                           event->type() == QEvent::DragEnter ? dsDragEnter : dsDragMove, accept);
    if (accept)
        drop->acceptProposedAction();
    else
        drop->ignore();
    return true;
}

void TDEng::FormClose() {
    TCloseAction action = caHide;
    m_designer->DoDesignFormClose(action);
    switch (action) {
    case caNone:
        break;
    case caHide:
        m_root->hide();
        break;
    case caMinimize:
        if (m_root->isVisible())
            m_root->showMinimized();
        break;
    case caFree:
        m_root->deleteLater();
        break;
    }
}
