#pragma once
// TControl: the component model's visual control. Qt's parent is the visual parent and frees the
// children; ownership (names unique per owner, creation order for Tab, freeing what is owned) is a
// separate list kept here. A control also carries its design state, lock flags, Align and Anchors,
// and routes every change of position or size through the virtual SetBounds.

#include "core/Types.h"

#include <QList>
#include <QRect>
#include <QWidget>

class TDesignerHook;

class TControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_CLASSINFO("type:Name", "TComponentName")
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_CLASSINFO("default:Tag", "0")
    Q_PROPERTY(int Cursor READ CursorId WRITE SetCursorId)
    Q_CLASSINFO("type:Cursor", "TCursor")
    Q_CLASSINFO("default:Cursor", "0")
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(Kvd::THelpType HelpType READ HelpType WRITE SetHelpType)
    Q_CLASSINFO("default:HelpType", "htContext")
    Q_PROPERTY(QString HelpKeyword READ HelpKeyword WRITE SetHelpKeyword)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE SetHelpContext)
    Q_CLASSINFO("type:HelpContext", "THelpContext")
    Q_CLASSINFO("default:HelpContext", "0")
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)

public:
    // Every class registered for creation by name has this constructor (see ClassRegistry.h).
    explicit TControl(TControl* owner = nullptr);
    ~TControl() override;

    // --- ownership -------------------------------------------------------------------------------
    TControl* Owner() const { return m_owner; }
    int ComponentCount() const { return m_components.size(); }
    TControl* Components(int index) const { return m_components.at(index); }
    const QList<TControl*>& OwnedComponents() const { return m_components; }
    // The owned component of that name (letter case ignored), or nullptr.
    TControl* FindComponent(const QString& name) const;
    void InsertComponent(TControl* component);
    void RemoveComponent(TControl* component);

    QString Name() const { return objectName(); }
    // Raises EComponentError "''%s'' is not a valid component name" or "A component named %s already
    // exists"; a designed control asks the designer first (TDesignerHook::ValidateRename).
    void SetName(const QString& name);
    static bool IsValidIdent(const QString& name);

    // --- published toolkit properties --------------------------------------------------------------
    int Tag() const { return m_tag; }
    void SetTag(int value) { m_tag = value; }
    int CursorId() const { return m_cursorId; }
    void SetCursorId(int value);
    QString Hint() const { return m_hint; }
    void SetHint(const QString& value) { m_hint = value; }
    THelpType HelpType() const { return m_helpType; }
    void SetHelpType(THelpType value) { m_helpType = value; }
    QString HelpKeyword() const { return m_helpKeyword; }
    void SetHelpKeyword(const QString& value) { m_helpKeyword = value; }
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int value) { m_helpContext = value; }

    // --- bounds --------------------------------------------------------------------------------------
    int Left() const { return m_bounds.left; }
    int Top() const { return m_bounds.top; }
    int Width() const { return m_bounds.width; }
    int Height() const { return m_bounds.height; }
    void SetLeft(int value) { SetBounds(value, Top(), Width(), Height()); }
    void SetTop(int value) { SetBounds(Left(), value, Width(), Height()); }
    void SetWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
    void SetHeight(int value) { SetBounds(Left(), Top(), Width(), value); }
    QRect BoundsRect() const { return QRect(Left(), Top(), Width(), Height()); }
    // The single entry for every change of position or size. The base applies the rectangle (a
    // negative size is shown as empty but kept) and re-aligns the children.
    virtual void SetBounds(int left, int top, int width, int height);
    // The client area the control stands for. A widget cannot be negative in size, a control can (it is
    // then shown empty).
    QRect ClientRect() const { return QRect(0, 0, Width(), Height()); }

    TAlign Align() const { return m_align; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TAnchors value);
    // Places the children by Align and keeps the distances their Anchors hold. Runs when the control's
    // size changes and when a child's Align changes or the child is placed on it.
    void AlignControls();

    // TControl children of this control in child (stacking) order, back to front.
    QList<TControl*> ChildControls() const;
    TControl* ParentControl() const;
    void SetParentControl(QWidget* parent);
    // Whether the designer may insert controls into this one.
    bool AcceptsControls() const { return m_acceptsControls; }
    void SetAcceptsControls(bool value) { m_acceptsControls = value; }

    // --- design state ----------------------------------------------------------------------------------
    TComponentState ComponentState() const { return m_state; }
    bool IsDesigning() const { return m_state.testFlag(csDesigning); }
    bool IsDestroying() const { return m_state.testFlag(csDestroying); }
    // Sets or clears design state on this control and every component it owns.
    void SetDesigning(bool value, bool setOwned = true);
    void SetLoading(bool value);
    quint16 DesignLocks() const { return m_designLocks; }
    void SetDesignLocks(quint16 value) { m_designLocks = value; }
    // The hook of the designer editing this control: installed on this control or an ancestor.
    TDesignerHook* Designer() const;
    void SetDesignerHook(TDesignerHook* hook) { m_hook = hook; }
    TDesignerHook* OwnDesignerHook() const { return m_hook; }

    // Asked by a designer before it takes a mouse event of this control at design time: true keeps the
    // event for the control itself. pos is in the control's coordinates.
    virtual bool DesignHitTest(const QPoint& pos, Qt::KeyboardModifiers keys) const {
        Q_UNUSED(pos);
        Q_UNUSED(keys);
        return false;
    }

    // Called on the owner when an owned component is inserted or removed; forwards to the designer.
    virtual void Notification(TControl* component, TOperation operation);

Q_SIGNALS:
    // Emitted at the start of destruction, while the object is still a complete TControl: the free
    // notification that lets others drop references to it.
    void Destroying(TControl* control);

protected:
    // Applies a rectangle without any rule; derived SetBounds call it after their own rules.
    void ApplyBounds(const QRect& rect);
    bool event(QEvent* event) override;

private:
    void ParentResized(QSize oldSize, QSize newSize);
    // Keeps the parent's count of aligned children right after a change of Align or of parent.
    void UpdateAlignedParent();

    struct Bounds {
        int left = 0, top = 0, width = 0, height = 0;
    };
    Bounds m_bounds;
    TControl* m_owner = nullptr;
    QList<TControl*> m_components;
    int m_tag = 0;
    int m_cursorId = 0;
    QString m_hint;
    THelpType m_helpType = Kvd::htContext;
    QString m_helpKeyword;
    int m_helpContext = 0;
    TAlign m_align = alNone;
    TAnchors m_anchors = DefaultAnchors();
    TComponentState m_state;
    quint16 m_designLocks = 0;
    bool m_acceptsControls = false;
    bool m_aligning = false;
    // Children that Align places (top, bottom, left, right, client), and the parent counting this control
    // among its own, so that adding a child to a control without aligned children costs no walk over the
    // siblings.
    int m_alignedChildren = 0;
    TControl* m_alignedParent = nullptr;
    QSize m_lastSize;
    TDesignerHook* m_hook = nullptr;
};
