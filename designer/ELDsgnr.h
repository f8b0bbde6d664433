#pragma once
// The visual designer as an application uses it: the designer component with its settings, events,
// selection list and clipboard operations, the grid settings and the design panel with its surface.
// The interactive work on the surface is done by the engine (ELDsgnrEngine.h), which exists while
// the designer is active.

#include "core/ClassRegistry.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/Types.h"

#include <QFlags>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <functional>

#include <QMenu>
#include <QScrollBar>
class TDEng;
class TDSelCtrlItem;
class TELCustomDesigner;
class TELCustomDesignPanel;

class EELDesigner : public Exception {
public:
    using Exception::Exception;
};

namespace ELDsgnr {
Q_NAMESPACE

// Set elements are bit values 1 << ordinal, as everywhere in the component model.
enum TELDesignerHintType { htControl = 0x1, htSize = 0x2, htMove = 0x4, htInsert = 0x8 };
Q_DECLARE_FLAGS(TELDesignerHintTypes, TELDesignerHintType)
Q_FLAG_NS(TELDesignerHintTypes)

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
Q_ENUM_NS(TBevelCut)
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
Q_ENUM_NS(TBevelKind)

} // namespace ELDsgnr
Q_DECLARE_OPERATORS_FOR_FLAGS(ELDsgnr::TELDesignerHintTypes)

using ELDsgnr::TBevelCut;
using ELDsgnr::TBevelKind;
using ELDsgnr::TELDesignerHintType;
using ELDsgnr::TELDesignerHintTypes;
// Hint type and bevel names are used unqualified, like the core enumerations.
using enum ELDsgnr::TELDesignerHintType;
using enum ELDsgnr::TBevelCut;
using enum ELDsgnr::TBevelKind;

// Handle modes of a selected control.
enum TDSelCtrlItemMode : quint8 { hmNone = 0, hmSingle = 1, hmMulti = 2 };

// What happens to a root form that is asked to close.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// Phase of a toolkit drag-and-drop passing over a designed control.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// Stores value in field; whether that changed it. Setters use it to act only on a change.
template <class T> bool StoreChanged(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

// --- grid settings -----------------------------------------------------------------------------------------

class TELDesignerGrid : public QObject {
    Q_OBJECT
    Q_PROPERTY(int XStep READ XStep WRITE SetXStep)
    Q_CLASSINFO("type:XStep", "TELDesignerGridSize")
    Q_CLASSINFO("default:XStep", "8")
    Q_PROPERTY(int YStep READ YStep WRITE SetYStep)
    Q_CLASSINFO("type:YStep", "TELDesignerGridSize")
    Q_CLASSINFO("default:YStep", "8")
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_CLASSINFO("default:Visible", "True")
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_CLASSINFO("type:Color", "TColor")
    Q_CLASSINFO("default:Color", "0")

public:
    explicit TELDesignerGrid(TELCustomDesigner* designer);
    int XStep() const { return m_xStep; }
    void SetXStep(int value) { Store(m_xStep, std::clamp(value, 2, 32)); }
    int YStep() const { return m_yStep; }
    void SetYStep(int value) { Store(m_yStep, std::clamp(value, 2, 32)); }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value) { Store(m_visible, value); }
    int Color() const { return m_color; }
    void SetColor(int value) { Store(m_color, value); }
    // Copies the four stored values, without clamping and without a repaint.
    void Assign(const TELDesignerGrid& source);

private:
    // Stores a value that differs from the one held and has the designer show the grid again.
    template <class T> void Store(T& field, T value) {
        if (StoreChanged(field, value))
            Changed();
    }
    void Changed();
    TELCustomDesigner* m_designer;
    int m_xStep = 8;
    int m_yStep = 8;
    bool m_visible = true;
    int m_color = 0;
};

// --- selection list ----------------------------------------------------------------------------------------

class TELDesignerSelectedControls {
public:
    explicit TELDesignerSelectedControls(TELCustomDesigner* designer);
    ~TELDesignerSelectedControls();
    TELDesignerSelectedControls(const TELDesignerSelectedControls&) = delete;
    TELDesignerSelectedControls& operator=(const TELDesignerSelectedControls&) = delete;

    int Count() const { return m_items.size(); }
    TControl* Items(int index) const;
    int IndexOf(TControl* control) const;
    bool Contains(TControl* control) const { return m_itemOf.contains(control); }
    int Add(TControl* control);
    void Remove(TControl* control);
    void Clear();
    void SelectOnly(TControl* control);
    void SetSelection(const QList<TControl*>& controls);
    void KeepSiblingsOf(QWidget* parent);
    TControl* LastSelected() const;
    void GetControls(QList<TControl*>& list) const;
    void SelectAll();
    void BringToFront();
    void SendToBack();
    void BeginUpdate();
    void EndUpdate();
    // Runs f inside BeginUpdate/EndUpdate; the bracket is closed also when f raises. Not a scope guard:
    // closing the bracket fires the change event, whose handlers may raise in turn.
    template <typename F> void Batch(F&& f) {
        BeginUpdate();
        try {
            f();
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    }
    void UpdateHandles();

    bool HandlesVisible() const { return m_handlesVisible; }
    void SetHandlesVisible(bool value);
    bool Focused() const { return m_focused; }
    void SetFocused(bool value);
    TControl* Root() const { return m_root; }
    void SetRoot(TControl* value);

    TELCustomDesigner* Designer() const { return m_designer; }
    // The item of a selected control, or nullptr.
    TDSelCtrlItem* ItemOf(TControl* control) const;
    // Repositions the handles of one control if it is selected.
    void UpdateHandlesOf(TControl* control);

private:
    friend class TDSelCtrlItem;
    void CheckActive() const;
    void Change();
    void UpdateModes();
    // Moves every selected control but the root in the stacking order of its siblings.
    void Restack(void (QWidget::*move)());
    void ItemAdded(TDSelCtrlItem* item);
    void ItemRemoved(TDSelCtrlItem* item);
    void RemoveAt(int index);

    TELCustomDesigner* m_designer;
    // In selection order, and by control for lookups that do not depend on the selection's size.
    QList<TDSelCtrlItem*> m_items;
    QHash<TControl*, TDSelCtrlItem*> m_itemOf;
    bool m_handlesVisible = false;
    bool m_focused = false;
    TControl* m_root = nullptr;
    int m_updateCount = 0;
    bool m_changePending = false;
    bool m_destroying = false;
};

// --- designer component ------------------------------------------------------------------------------------

class TELCustomDesigner : public QObject {
    Q_OBJECT

public:
    explicit TELCustomDesigner(QObject* owner = nullptr);
    ~TELCustomDesigner() override;

    bool Active() const { return m_active; }
    void SetActive(bool value);
    TControl* DesignControl() const { return m_designControl; }
    void SetDesignControl(TControl* value);
    TELCustomDesignPanel* DesignPanel() const { return m_designPanel; }
    void SetDesignPanel(TELCustomDesignPanel* value);
    TELDesignerSelectedControls* SelectedControls() const { return m_selection; }
    TDEng* Engine() const { return m_engine; }

    TELDesignerGrid* Grid() const { return m_grid; }
    void SetGrid(TELDesignerGrid* value) { m_grid->Assign(*value); }
    bool SnapToGrid() const { return m_snapToGrid; }
    void SetSnapToGrid(bool value) { m_snapToGrid = value; }
    TELDesignerHintTypes ShowingHints() const { return m_showingHints; }
    void SetShowingHints(TELDesignerHintTypes value) { m_showingHints = value; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* value);
    int HandleClr() const { return m_handleClr; }
    void SetHandleClr(int value);
    int HandleBorderClr() const { return m_handleBorderClr; }
    void SetHandleBorderClr(int value);
    int MultySelectHandleClr() const { return m_multySelectHandleClr; }
    void SetMultySelectHandleClr(int value);
    int MultySelectHandleBorderClr() const { return m_multySelectHandleBorderClr; }
    void SetMultySelectHandleBorderClr(int value);
    int InactiveHandleClr() const { return m_inactiveHandleClr; }
    void SetInactiveHandleClr(int value);
    int InactiveHandleBorderClr() const { return m_inactiveHandleBorderClr; }
    void SetInactiveHandleBorderClr(int value);
    int LockedHandleClr() const { return m_lockedHandleClr; }
    void SetLockedHandleClr(int value);
    quint8 PixelStep() const { return m_pixelStep; }
    void SetPixelStep(quint8 value) { m_pixelStep = value; }
    QString ClipboardFormat() const { return m_clipboardFormat; }
    void SetClipboardFormat(const QString& value);
    // The MIME type under which the clipboard data is kept.
    QString ClipboardMimeType();

    void DeleteSelected();
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste();
    void Copy();
    void Cut();
    void Paste();

    // Events: Sender first, in-out values by reference.
    std::function<void(QObject* Sender)> OnModified;
    std::function<void(QObject* Sender, const QString& AName, bool& AIsValidName)> OnValidateName;
    std::function<void(QObject* Sender, const QString& ABaseName, QString& AUniqueName)> OnGetUniqueName;
    std::function<void(QObject* Sender, const TControlClass*& AControlClass)> OnControlInserting;
    std::function<void(QObject* Sender)> OnControlInserted;
    // Paste and Duplicate have read AControls (the top-level ones) into AContainer. An exception raised
    // here takes them all out again and refuses the whole addition; the designer passes it on.
    std::function<void(QObject* Sender, const QList<TControl*>& AControls, TControl* AContainer)>
        OnControlsAdding;
    std::function<void(QObject* Sender, QObject* AnObject, TOperation Operation)> OnNotification;
    std::function<void(QObject* Sender)> OnChangeSelection;
    std::function<void(QObject* Sender, TControl* AControl, QString& AHint)> OnControlHint;
    std::function<void(QObject* Sender, TCloseAction& Action)> OnDesignFormClose;
    std::function<void(QObject* Sender, const QPoint& MousePos, bool& Handled)> OnContextPopup;
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(QObject* Sender, QChar& Key)> OnKeyPress;
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyUp;
    std::function<void(QObject* Sender)> OnDblClick;
    std::function<void(QObject* Sender, QObject* ASource, QObject* ATarget, int AX, int AY, TDragState AState,
                       bool& AAccept)>
        OnDragOver;
    std::function<void(QObject* Sender, QObject* ASource, QObject* ATarget, int AX, int AY)> OnDragDrop;

    // Dispatch of the events; derived designers may change what happens.
    virtual void DoModified();
    virtual void DoValidateName(const QString& name, bool& isValidName);
    virtual void DoGetUniqueName(const QString& baseName, QString& uniqueName);
    virtual void DoChangeSelection();
    virtual void DoControlInserting(const TControlClass*& controlClass);
    virtual void DoControlInserted();
    virtual void DoControlsAdding(const QList<TControl*>& controls, TControl* container);
    virtual void DoNotification(QObject* object, TOperation operation);
    virtual void DoControlHint(TControl* control, QString& hint);
    virtual void DoContextPopup(const QPoint& mousePos);
    virtual void DoDesignFormClose(TCloseAction& action);
    virtual void DoKeyDown(int& key, Qt::KeyboardModifiers shift);
    virtual void DoKeyPress(QChar& key);
    virtual void DoKeyUp(int& key, Qt::KeyboardModifiers shift);
    virtual void DoDblClick();
    virtual QMenu* GetPopupMenu() const { return m_popupMenu; }
    virtual void DoDragOver(QObject* source, QObject* target, int x, int y, TDragState state, bool& accept);
    virtual void DoDragDrop(QObject* source, QObject* target, int x, int y);

    // A component the designer refers to is being destroyed (the free notification).
    void ComponentDestroying(QObject* component);

private:
    friend class TELDesignerGrid;
    void GridChanged();
    void HandleColorsChanged();
    void CheckInactive() const;
    // Sets the design control or panel while inactive and watches it for its destruction.
    template <class T> void SetWatched(T*& field, T* value, QMetaObject::Connection& watch);
    void Activate();
    void Deactivate();

    bool m_active = false;
    bool m_changing = false;
    TControl* m_designControl = nullptr;
    TELCustomDesignPanel* m_designPanel = nullptr;
    TDEng* m_engine = nullptr;
    TELDesignerSelectedControls* m_selection = nullptr;
    TELDesignerGrid* m_grid = nullptr;
    bool m_snapToGrid = true;
    TELDesignerHintTypes m_showingHints = htControl | htSize | htMove | htInsert;
    QMenu* m_popupMenu = nullptr;
    int m_handleClr = 0;
    int m_handleBorderClr = 0;
    int m_multySelectHandleClr = 8421504;
    int m_multySelectHandleBorderClr = 8421504;
    int m_inactiveHandleClr = 8421504;
    int m_inactiveHandleBorderClr = 0;
    int m_lockedHandleClr = 255;
    quint8 m_pixelStep = 1;
    QString m_clipboardFormat;
    QString m_clipboardMime;
    bool m_clipboardRegistered = false;
    QMetaObject::Connection m_controlWatch, m_panelWatch, m_menuWatch;
};

class TELDesigner : public TELCustomDesigner {
    Q_OBJECT
    Q_PROPERTY(TELCustomDesignPanel* DesignPanel READ DesignPanel WRITE SetDesignPanel)
    Q_PROPERTY(TELDesignerGrid* Grid READ Grid WRITE SetGrid)
    Q_PROPERTY(bool SnapToGrid READ SnapToGrid WRITE SetSnapToGrid)
    Q_CLASSINFO("default:SnapToGrid", "True")
    Q_PROPERTY(ELDsgnr::TELDesignerHintTypes ShowingHints READ ShowingHints WRITE SetShowingHints)
    Q_CLASSINFO("default:ShowingHints", "htControl,htSize,htMove,htInsert")
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(int HandleClr READ HandleClr WRITE SetHandleClr)
    Q_CLASSINFO("type:HandleClr", "TColor")
    Q_CLASSINFO("default:HandleClr", "0")
    Q_PROPERTY(int HandleBorderClr READ HandleBorderClr WRITE SetHandleBorderClr)
    Q_CLASSINFO("type:HandleBorderClr", "TColor")
    Q_CLASSINFO("default:HandleBorderClr", "0")
    Q_PROPERTY(int MultySelectHandleClr READ MultySelectHandleClr WRITE SetMultySelectHandleClr)
    Q_CLASSINFO("type:MultySelectHandleClr", "TColor")
    Q_CLASSINFO("default:MultySelectHandleClr", "8421504")
    Q_PROPERTY(
        int MultySelectHandleBorderClr READ MultySelectHandleBorderClr WRITE SetMultySelectHandleBorderClr)
    Q_CLASSINFO("type:MultySelectHandleBorderClr", "TColor")
    Q_CLASSINFO("default:MultySelectHandleBorderClr", "8421504")
    Q_PROPERTY(quint8 PixelStep READ PixelStep WRITE SetPixelStep)
    Q_CLASSINFO("default:PixelStep", "1")
    Q_PROPERTY(int InactiveHandleClr READ InactiveHandleClr WRITE SetInactiveHandleClr)
    Q_CLASSINFO("type:InactiveHandleClr", "TColor")
    Q_CLASSINFO("default:InactiveHandleClr", "8421504")
    Q_PROPERTY(int InactiveHandleBorderClr READ InactiveHandleBorderClr WRITE SetInactiveHandleBorderClr)
    Q_CLASSINFO("type:InactiveHandleBorderClr", "TColor")
    Q_CLASSINFO("default:InactiveHandleBorderClr", "0")
    Q_PROPERTY(int LockedHandleClr READ LockedHandleClr WRITE SetLockedHandleClr)
    Q_CLASSINFO("type:LockedHandleClr", "TColor")
    Q_CLASSINFO("default:LockedHandleClr", "255")
    Q_PROPERTY(QString ClipboardFormat READ ClipboardFormat WRITE SetClipboardFormat)

public:
    using TELCustomDesigner::TELCustomDesigner;
};

// --- design panel and surface ------------------------------------------------------------------------------

// The borderless inner form of a design panel that hosts the root control while a designer is active.
class TDPForm : public TControl {
    Q_OBJECT

public:
    explicit TDPForm(TELCustomDesignPanel* panel);
    TELCustomDesignPanel* DesignPanel() const { return m_panel; }
    // Scroll positions of the surface's content; the grid and the drag start alignment follow them.
    int ScrollX() const { return m_scrollX; }
    int ScrollY() const { return m_scrollY; }
    void SetScrollPos(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TELCustomDesignPanel* m_panel;
    int m_scrollX = 0;
    int m_scrollY = 0;
};

class TELCustomDesignPanel : public TControl {
    Q_OBJECT

public:
    explicit TELCustomDesignPanel(TControl* owner = nullptr);
    ~TELCustomDesignPanel() override;

    TDPForm* Surface() const { return m_surface; }
    bool IsAttached() const { return m_engine != nullptr; }
    void Attach(TDEng* engine);
    void Detach();
    TDEng* Engine() const { return m_engine; }

    bool AutoScroll() const { return m_autoScroll; }
    void SetAutoScroll(bool value);
    // The surface's scroll bars, shown while AutoScroll is on and the root control is larger than the
    // area the panel offers.
    QScrollBar* HorzScrollBar() const { return m_hbar; }
    QScrollBar* VertScrollBar() const { return m_vbar; }
    // Recomputes which scroll bars are needed and their ranges; the engine calls it when the root
    // control's size changes.
    void UpdateScrollBars();
    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut value);
    TBevelKind BevelKind() const { return m_bevelKind; }
    void SetBevelKind(TBevelKind value);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool value) { setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus); }
    // The panel's own context menu, offered only while no designer is attached.
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* value) { m_popupMenu = value; }
    // The area the surface fills: inside the bevel.
    QRect SurfaceRect() const;
    // The area inside the bevel, scroll bars included.
    QRect ClientArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FitSurface();
    TDPForm* m_surface;
    TDEng* m_engine = nullptr;
    bool m_autoScroll = false;
    TBevelCut m_bevelInner = ELDsgnr::bvNone;
    TBevelCut m_bevelOuter = ELDsgnr::bvLowered;
    TBevelKind m_bevelKind = ELDsgnr::bkFlat;
    QPointer<QMenu> m_popupMenu;
    QScrollBar* m_hbar;
    QScrollBar* m_vbar;
};

class TELDesignPanel : public TELCustomDesignPanel {
    Q_OBJECT
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
    Q_CLASSINFO("default:AutoScroll", "False")
    Q_PROPERTY(ELDsgnr::TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_CLASSINFO("default:BevelInner", "bvNone")
    Q_PROPERTY(ELDsgnr::TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_CLASSINFO("default:BevelOuter", "bvLowered")
    Q_PROPERTY(ELDsgnr::TBevelKind BevelKind READ BevelKind WRITE SetBevelKind)
    Q_CLASSINFO("default:BevelKind", "bkFlat")
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_CLASSINFO("default:TabStop", "True")

public:
    using TELCustomDesignPanel::TELCustomDesignPanel;
};
