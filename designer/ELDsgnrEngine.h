#pragma once
// The designer engine: the application-wide event filter that turns the input of the design surface
// into selection, drags, insertion, keyboard commands and deletion, and the designer hook through
// which the designed controls report to the designer.

#include "core/DesignerHook.h"
#include "designer/ELDsgnr.h"
#include "designer/ELDsgnrOverlay.h"

#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <exception>
#include <memory>

class TDEngHint;
class TDSelCtrlItem;

// The rename table used while pasting: stored names and the names the pasted components got.
class TDEngNames {
public:
    void Add(const QString& oldName, const QString& newName);
    int IndexOf(const QString& oldName) const;
    QString NewName(int index) const { return m_new.at(index); }
    QString Map(const QString& oldName) const;

private:
    QStringList m_old;
    QStringList m_new;
};

// How a drag treats the pointer.
struct TDragOptions {
    // Positions move in grid steps, counted from the start point, while the designer snaps to the grid.
    bool Snap = false;
    // The start point itself is first put on the grid of the surface's scrolled content.
    bool AlignStart = false;
    // The horizontal (vertical) position stays where the drag began.
    bool LockX = false;
    bool LockY = false;
};

class TDEng : public QObject, public TDesignerHook {
    Q_OBJECT

public:
    TDEng(TELCustomDesigner* designer, TControl* root, TELCustomDesignPanel* panel);
    ~TDEng() override;

    TELCustomDesigner* Designer() const { return m_designer; }
    TControl* Root() const { return m_root; }
    // The root as a form: only when the root control is itself a top-level window.
    TControl* Form() const;
    void SetForm(QWidget* form);
    TControl* Surface() const { return m_surface; }
    TELCustomDesignPanel* Panel() const { return m_panel; }
    bool Dragging() const { return m_drag != nullptr; }
    // The overlay of the surface: handles and drag figures.
    TDEngOverlay* Overlay() const { return m_overlay; }
    // The overlay while the running drag shows figures on it, or nullptr.
    TDEngOverlay* Canvas() const;
    // The shown handle under a point of the screen, topmost first.
    THandleHit HandleAt(const QPoint& globalPos) const;
    TDEngHint* Hint() const { return m_hint.get(); }

    // The designer hook.
    void Modified() override { NotifyModified(); }
    void Notification(TControl* component, TOperation operation) override;
    void ValidateRename(TControl* component, const QString& currentName, const QString& newName) override;

    void NotifyModified();
    bool HandleDesignEvent(QWidget* sender, QEvent* event);
    void PaintGrid(QPainter& painter, const QRect& clip);
    void GridChanged();
    void CheckNewName(TControl* component, const QString& newName);
    QString MakeUniqueName(const QString& baseName);
    void DeleteSelected();
    void SelectAllInto(TELDesignerSelectedControls* selection);
    QByteArray WriteControls(const QList<TControl*>& controls);
    void ReadControls(const QByteArray& data, TControl* container);
    // A left press on a grab handle of a single selection.
    void HandlePointPress(TDSelCtrlItem* item, const QPoint& globalPos);
    void CancelDrag();

    // A control's lock flags combined with those of its direct children, as deletion and copying see them.
    static quint16 CombinedLocks(const TControl* control);
    bool IsDesignedControl(const QWidget* widget) const;
    TControl* DesignControlOf(QWidget* widget) const;
    TControl* ContainerOf(QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Drags, defined in ELDsgnrDrag.h: the common frame and the four kinds.
    class TDrag;
    class TMoveDrag;
    class TResizeDrag;
    class TBandDrag;
    class TInsertDrag;

    // Mouse (ELDsgnrEngine.cpp)
    bool MouseEvent(QWidget* sender, QMouseEvent* event);
    void MousePress(QWidget* sender, QMouseEvent* event, bool takes);
    void HoverHint(QWidget* sender, bool takes);
    // Presses and the pointer's shape over handles; true when the event was a handle's.
    bool HandleMouseEvent(QEvent* event);
    void SetHandleCursor(const THandleHit& hit);
    bool DragDropEvent(QWidget* sender, QEvent* event);
    void FormClose();

    // Drags (ELDsgnrDrag.cpp)
    void BeginDrag(std::unique_ptr<TDrag> drag, const QPoint& globalPos);
    void EndDrag(bool commit, const QPoint& globalPos);
    void ShowDragHint(const QString& text);

    // Keyboard (ELDsgnrKeys.cpp)
    bool KeyEvent(QEvent* event);
    bool KeyEvent(QKeyEvent* event);
    void KeyDown(int key, Qt::KeyboardModifiers shift);
    TControl* NearestSibling(TControl* control, int key) const;
    void BuildGridTile();

public:
    // The current grid tile (tests).
    const QPixmap& GridTile() const { return m_gridBitmap; }

private:
    TELCustomDesigner* m_designer;
    TELDesignerSelectedControls* m_selection;
    TELDesignerGrid* m_grid;
    std::unique_ptr<TDEngHint> m_hint;
    QPointer<TControl> m_lastHinted;
    TControl* m_root;
    TControl* m_surface;
    TELCustomDesignPanel* m_panel;
    QPointer<TDEngOverlay> m_overlay;
    // The pointer's shape set over a handle, while it is.
    bool m_handleCursor = false;
    // The running drag; set once it has begun, taken away before it ends.
    std::unique_ptr<TDrag> m_drag;
    QPointer<TControl> m_dragTarget;
    QPointer<QWidget> m_savedParent;
    int m_savedLeft = 0, m_savedTop = 0;
    std::unique_ptr<TDEngNames> m_names;
    QPixmap m_gridBitmap;
    bool m_gridValid = false;
    QRgb m_gridColor = 0;
    int m_gridScrollX = 0, m_gridScrollY = 0;
};
