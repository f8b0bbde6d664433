#include "designer/ELDsgnr.h"

#include "designer/ELDsgnrEngine.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>

namespace {

// Raises an event: calls its handler when one is set.
template <class Handler, class... Args> void callIfSet(const Handler& handler, Args&&... args) {
    if (handler)
        handler(std::forward<Args>(args)...);
}

QString mustBeInactive() {
    return QStringLiteral("Designer mast be inactive");
}

quint16 locksWithChildren(const TControl* control) {
    return TDEng::CombinedLocks(control);
}

// Whether a lock holds back one of the selected controls the clipboard takes (those beside the last
// selected one, the root aside), or one of their children.
bool anyLocked(const TELDesignerSelectedControls* selection, quint16 lock) {
    const TControl* root = selection->Root();
    const QWidget* parent = selection->LastSelected()->parentWidget();
    for (int i = 0; i < selection->Count(); ++i) {
        const TControl* c = selection->Items(i);
        if (c != root && c->parentWidget() == parent && (locksWithChildren(c) & lock))
            return true;
    }
    return false;
}

} // namespace

TELCustomDesigner::TELCustomDesigner(QObject* owner)
    : QObject(owner), m_selection(new TELDesignerSelectedControls(this)), m_grid(new TELDesignerGrid(this)),
      m_clipboardFormat(QStringLiteral("EL Designer Components")) {}

TELCustomDesigner::~TELCustomDesigner() {
    if (m_active) {
        try {
            Deactivate();
        } catch (...) {
            // Destruction goes on; an error here has nowhere to go.
        }
    }
    QObject::disconnect(m_controlWatch);
    QObject::disconnect(m_panelWatch);
    QObject::disconnect(m_menuWatch);
    delete m_grid;
    delete m_selection;
}

void TELCustomDesigner::CheckInactive() const {
    if (m_active)
        throw EELDesigner(mustBeInactive());
}

void TELCustomDesigner::SetActive(bool value) {
    if (value == m_active)
        return;
    if (value)
        Activate();
    else
        Deactivate();
}

void TELCustomDesigner::Activate() {
    const QScopedValueRollback changing(m_changing, true);
    if (!m_designControl)
        throw EELDesigner(QStringLiteral("Design control not specified"));
    const bool isForm = m_designControl->isWindow() && m_designControl->isVisible();
    if (!isForm) {
        if (!m_designPanel)
            throw EELDesigner(QStringLiteral("No design panel specified"));
        if (m_designPanel->IsAttached())
            throw EELDesigner(
                QStringLiteral("Design panel '%1' is used by another designer").arg(m_designPanel->Name()));
    }
    m_engine = new TDEng(this, m_designControl, isForm ? nullptr : m_designPanel);
    m_selection->SetRoot(m_designControl);
    m_active = true;
    m_selection->Add(m_designControl);
    m_selection->SetHandlesVisible(true);
}

void TELCustomDesigner::Deactivate() {
    const QScopedValueRollback changing(m_changing, true);
    m_selection->SetHandlesVisible(false);
    m_selection->Clear();
    m_selection->SetRoot(nullptr);
    TDEng* engine = std::exchange(m_engine, nullptr);
    delete engine;
    m_active = false;
}

template <class T> void TELCustomDesigner::SetWatched(T*& field, T* value, QMetaObject::Connection& watch) {
    if (value == field)
        return;
    CheckInactive();
    field = value;
    QObject::disconnect(watch);
    if (value)
        watch = connect(value, &TControl::Destroying, this, [this](TControl* c) { ComponentDestroying(c); });
}

void TELCustomDesigner::SetDesignControl(TControl* value) {
    SetWatched(m_designControl, value, m_controlWatch);
}

void TELCustomDesigner::SetDesignPanel(TELCustomDesignPanel* value) {
    SetWatched(m_designPanel, value, m_panelWatch);
}

void TELCustomDesigner::SetPopupMenu(QMenu* value) {
    if (value == m_popupMenu)
        return;
    QObject::disconnect(m_menuWatch);
    m_popupMenu = value;
    if (value)
        m_menuWatch =
            connect(value, &QObject::destroyed, this, [this](QObject* o) { ComponentDestroying(o); });
}

void TELCustomDesigner::ComponentDestroying(QObject* component) {
    if (!m_changing) {
        if (component && component == m_designPanel) {
            // Only pointers are compared: the panel may be partly destroyed already.
            if (m_active && m_engine && m_engine->Panel() == component)
                Deactivate();
            QObject::disconnect(m_panelWatch);
            m_designPanel = nullptr;
        }
        if (component && component == m_designControl) {
            if (m_active)
                Deactivate();
            QObject::disconnect(m_controlWatch);
            m_designControl = nullptr;
        }
    }
    if (component && component == m_popupMenu) {
        QObject::disconnect(m_menuWatch);
        m_popupMenu = nullptr;
    }
    if (auto* control = qobject_cast<TControl*>(component))
        m_selection->Remove(control);
}

// --- settings --------------------------------------------------------------------------------------------

void TELCustomDesigner::GridChanged() {
    if (m_engine)
        m_engine->GridChanged();
}

void TELCustomDesigner::HandleColorsChanged() {
    if (m_active)
        m_selection->UpdateHandles();
}

#define EL_COLOR_SETTER(Name, field)                                                                         \
    void TELCustomDesigner::Set##Name(int value) {                                                           \
        if (value == field)                                                                                  \
            return;                                                                                          \
        field = value;                                                                                       \
        HandleColorsChanged();                                                                               \
    }
EL_COLOR_SETTER(HandleClr, m_handleClr)
EL_COLOR_SETTER(HandleBorderClr, m_handleBorderClr)
EL_COLOR_SETTER(MultySelectHandleClr, m_multySelectHandleClr)
EL_COLOR_SETTER(MultySelectHandleBorderClr, m_multySelectHandleBorderClr)
EL_COLOR_SETTER(InactiveHandleClr, m_inactiveHandleClr)
EL_COLOR_SETTER(InactiveHandleBorderClr, m_inactiveHandleBorderClr)
EL_COLOR_SETTER(LockedHandleClr, m_lockedHandleClr)
#undef EL_COLOR_SETTER

void TELCustomDesigner::SetClipboardFormat(const QString& value) {
    if (value == m_clipboardFormat)
        return;
    m_clipboardFormat = value;
    m_clipboardRegistered = false;
    ClipboardMimeType();
}

QString TELCustomDesigner::ClipboardMimeType() {
    // A named format: the MIME form Qt maps to a registered clipboard format of that name on platforms
    // that name their formats, and an ordinary private MIME type elsewhere.
    if (!m_clipboardRegistered) {
        m_clipboardMime = QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(m_clipboardFormat);
        m_clipboardRegistered = true;
    }
    return m_clipboardMime;
}

// --- operations ------------------------------------------------------------------------------------------

void TELCustomDesigner::DeleteSelected() {
    if (!m_active)
        throw EELDesigner(QStringLiteral("Designer mast be active"));
    m_engine->DeleteSelected();
}

bool TELCustomDesigner::CanCopy() const {
    if (!m_active || m_selection->Count() == 0)
        return false;
    if (m_selection->Count() == 1 && m_selection->Items(0) == m_selection->Root())
        return false;
    return !anyLocked(m_selection, dlCopy);
}

bool TELCustomDesigner::CanCut() const {
    return CanCopy() && !anyLocked(m_selection, dlDelete);
}

bool TELCustomDesigner::CanPaste() {
    if (!m_active)
        return false;
    if (m_selection->Count() > 0) {
        TControl* container = m_engine->ContainerOf(m_selection->LastSelected());
        if (!container || (container->DesignLocks() & dlInsert))
            return false;
    }
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(ClipboardMimeType());
}

void TELCustomDesigner::Copy() {
    if (!CanCopy())
        return;
    const QString mime = ClipboardMimeType();
    m_selection->KeepSiblingsOf(m_selection->LastSelected()->parentWidget());
    QList<TControl*> controls;
    m_selection->GetControls(controls);
    QList<TControl*> copied;
    for (TControl* c : controls)
        if (!(locksWithChildren(c) & dlCopy))
            copied.append(c);
    auto* data = new QMimeData;
    data->setData(mime, m_engine->WriteControls(copied));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TELCustomDesigner::Cut() {
    if (!CanCut())
        return;
    Copy();
    DeleteSelected();
}

void TELCustomDesigner::Paste() {
    if (!CanPaste())
        return;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const QByteArray data = mime ? mime->data(ClipboardMimeType()) : QByteArray();
    TControl* target = nullptr;
    if (m_selection->Count() > 0)
        target = m_engine->ContainerOf(m_selection->LastSelected());
    if (!target)
        target = m_designControl;
    m_engine->ReadControls(data, target);
}

// --- events ----------------------------------------------------------------------------------------------

void TELCustomDesigner::DoModified() {
    callIfSet(OnModified, this);
}

void TELCustomDesigner::DoValidateName(const QString& name, bool& isValidName) {
    callIfSet(OnValidateName, this, name, isValidName);
}

void TELCustomDesigner::DoGetUniqueName(const QString& baseName, QString& uniqueName) {
    callIfSet(OnGetUniqueName, this, baseName, uniqueName);
}

void TELCustomDesigner::DoChangeSelection() {
    callIfSet(OnChangeSelection, this);
}

void TELCustomDesigner::DoControlInserting(const TControlClass*& controlClass) {
    callIfSet(OnControlInserting, this, controlClass);
}

void TELCustomDesigner::DoControlInserted() {
    callIfSet(OnControlInserted, this);
}

void TELCustomDesigner::DoControlsAdding(const QList<TControl*>& controls, TControl* container) {
    callIfSet(OnControlsAdding, this, controls, container);
}

void TELCustomDesigner::DoNotification(QObject* object, TOperation operation) {
    callIfSet(OnNotification, this, object, operation);
}

void TELCustomDesigner::DoControlHint(TControl* control, QString& hint) {
    callIfSet(OnControlHint, this, control, hint);
}

void TELCustomDesigner::DoContextPopup(const QPoint& mousePos) {
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, mousePos, handled);
    if (handled)
        return;
    if (QMenu* menu = GetPopupMenu()) {
        menu->setProperty("PopupComponent", QVariant::fromValue<QObject*>(this));
        menu->popup(mousePos);
    }
}

void TELCustomDesigner::DoDesignFormClose(TCloseAction& action) {
    callIfSet(OnDesignFormClose, this, action);
}

void TELCustomDesigner::DoKeyDown(int& key, Qt::KeyboardModifiers shift) {
    callIfSet(OnKeyDown, this, key, shift);
}

void TELCustomDesigner::DoKeyPress(QChar& key) {
    callIfSet(OnKeyPress, this, key);
}

void TELCustomDesigner::DoKeyUp(int& key, Qt::KeyboardModifiers shift) {
    callIfSet(OnKeyUp, this, key, shift);
}

void TELCustomDesigner::DoDblClick() {
    callIfSet(OnDblClick, this);
}

void TELCustomDesigner::DoDragOver(QObject* source, QObject* target, int x, int y, TDragState state,
                                   bool& accept) {
    accept = bool(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, source, target, x, y, state, accept);
}

void TELCustomDesigner::DoDragDrop(QObject* source, QObject* target, int x, int y) {
    callIfSet(OnDragDrop, this, source, target, x, y);
}
