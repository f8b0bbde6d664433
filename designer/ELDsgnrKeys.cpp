// The engine's work that does not depend on the mouse: keys, the nearest sibling for the arrow keys,
// deletion, component names and the grid dots.

#include "designer/ELDsgnrEngine.h"

#include "core/Graphics.h"
#include "designer/ELDsgnrHandles.h"

#include <QKeyEvent>
#include <QPainter>
#include <cfloat>
#include <cmath>

namespace {

// Turns a rectangle by 90 degrees: (x, y) -> (-y, x).
TDRect rotated(const TDRect& r, int times) {
    TDRect result = r;
    for (int i = 0; i < times; ++i)
        result = {-result.bottom, result.left, -result.top, result.right};
    return result;
}

// Quarter turns that make the arrow's direction "left".
int turnsFor(int key) {
    switch (key) {
    case Qt::Key_Up:
        return 3;
    case Qt::Key_Right:
        return 2;
    case Qt::Key_Down:
        return 1;
    default:
        return 0;
    }
}

} // namespace

bool TDEng::KeyEvent(QKeyEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        int key = event->key();
        m_designer->DoKeyDown(key, event->modifiers());
        if (key != 0)
            KeyDown(key, event->modifiers());
        for (QChar ch : event->text()) {
            if (ch.isNull())
                continue;
            m_designer->DoKeyPress(ch);
        }
        break;
    }
    case QEvent::KeyRelease: {
        int key = event->key();
        m_designer->DoKeyUp(key, event->modifiers());
        break;
    }
    default:
        break; // other keyboard events are only kept from the controls
    }
    return true;
}

bool TDEng::KeyEvent(QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return KeyEvent(static_cast<QKeyEvent*>(event));
    return true;
}

void TDEng::KeyDown(int key, Qt::KeyboardModifiers shift) {
    TControl* last = m_selection->LastSelected();
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (Dragging() || !last || last->Owner() != m_root)
            return;
        const bool backwards = key == Qt::Key_Backtab || (shift & Qt::ShiftModifier);
        const QList<TControl*>& owned = m_root->OwnedComponents();
        const int n = owned.size();
        const int start = owned.indexOf(last);
        for (int step = 1; step < n; ++step) {
            TControl* c = owned.at(((backwards ? start - step : start + step) % n + n) % n);
            if (c->parentWidget()) {
                m_selection->SelectOnly(c);
                return;
            }
        }
        return;
    }
    case Qt::Key_Escape: {
        if (Dragging()) {
            CancelDrag();
            return;
        }
        TControl* d = last && last->parentWidget() ? DesignControlOf(last->parentWidget()) : nullptr;
        m_selection->SelectOnly(d ? d : m_root);
        return;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (m_selection->Count() == 0 || Dragging() || last == m_root)
            return;
        const bool resize = shift & Qt::ShiftModifier;
        const bool move = !resize && (shift & Qt::ControlModifier);
        if (!resize && !move) {
            if (shift & Qt::AltModifier)
                return;
            if (TControl* next = NearestSibling(last, key))
                m_selection->SelectOnly(next);
            return;
        }
        QWidget* parent = last->parentWidget();
        const quint16 lock = resize ? dlResize : dlMove;
        m_selection->Batch([&] {
            for (int i = m_selection->Count() - 1; i >= 0; --i) {
                TControl* c = m_selection->Items(i);
                if (c->parentWidget() != parent || (c->DesignLocks() & lock))
                    m_selection->Remove(c);
            }
        });
        const int step = m_designer->PixelStep();
        if (m_selection->Count() == 0 || step == 0)
            return;
        const int dx = key == Qt::Key_Left ? -step : key == Qt::Key_Right ? step : 0;
        const int dy = key == Qt::Key_Up ? -step : key == Qt::Key_Down ? step : 0;
        for (int i = 0; i < m_selection->Count(); ++i) {
            TControl* c = m_selection->Items(i);
            if (resize)
                c->SetBounds(c->Left(), c->Top(), std::max(c->Width() + dx, 0),
                             std::max(c->Height() + dy, 0));
            else
                c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
        }
        NotifyModified();
        return;
    }
    case Qt::Key_Delete:
        // A running move or resize refers to the selected controls: deleting them now would leave it
        // working on freed controls, so Delete waits until the drag is over.
        if (!Dragging())
            DeleteSelected();
        return;
    default:
        return;
    }
}

TControl* TDEng::NearestSibling(TControl* control, int key) const {
    QWidget* parent = control->parentWidget();
    if (!parent)
        return nullptr;
    const int turns = turnsFor(key);
    const TDRect a = rotated(TDRect::FromQRect(control->BoundsRect()), turns);
    const QPointF p(a.left, (a.top + a.bottom) / 2);
    TControl* best = nullptr;
    double bestDistance = DBL_MAX;
    for (QObject* o : parent->children()) {
        auto* c = qobject_cast<TControl*>(o);
        if (!c || c == control || !IsDesignedControl(c) || c->IsDestroying())
            continue;
        const TDRect b = rotated(TDRect::FromQRect(c->BoundsRect()), turns);
        double distance;
        if (b.right < a.left) {
            const int gap = a.left - b.right;
            if (a.top - b.bottom > gap || b.top - a.bottom > gap)
                continue; // outside the 45-degree cone
            const double y = p.y() < b.top ? b.top : p.y() > b.bottom ? b.bottom : p.y();
            distance = std::hypot(p.x() - b.right, p.y() - y);
        } else {
            if (b.left > a.right || b.bottom < a.top || b.top > a.bottom)
                continue;
            if (!((b.left + b.right) / 2 < (a.left + a.right) / 2))
                continue;
            // Overlapping: the distance from the leading edge's middle to the nearest point of the candidate.
            const double dx = p.x() < b.left ? b.left - p.x() : p.x() > b.right ? p.x() - b.right : 0;
            const double dy = p.y() < b.top ? b.top - p.y() : p.y() > b.bottom ? p.y() - b.bottom : 0;
            distance = std::hypot(dx, dy);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = c;
        }
    }
    return best;
}

void TDEng::DeleteSelected() {
    if (m_selection->Count() == 0 || (m_selection->Count() == 1 && m_selection->Items(0) == m_root))
        return;
    m_selection->Batch([&] {
        QList<TControl*> locked;
        for (int i = 0; i < m_selection->Count(); ++i) {
            TControl* c = m_selection->Items(i);
            if (c != m_root && (CombinedLocks(c) & dlDelete))
                locked.append(c);
        }
        if (locked.size() == 1)
            throw EELDesigner(
                QStringLiteral(
                    "Control \"%1\" or some of it chidrens can not\r be deleted becouse they are locked")
                    .arg(locked.first()->Name()));
        if (locked.size() > 1)
            throw EELDesigner(QStringLiteral("Some controls is locked. Can not delete controls."));
        for (int i = m_selection->Count() - 1; i >= 0;) {
            TControl* c = m_selection->Items(i);
            if (c != m_root)
                delete c; // also removes its selected children from the list
            i = std::min(i - 1, m_selection->Count() - 1);
        }
    });
    NotifyModified();
}

QString TDEng::MakeUniqueName(const QString& baseName) {
    QString unique;
    m_designer->DoGetUniqueName(baseName, unique);
    if (!unique.isEmpty())
        return unique;
    QString stem = baseName;
    if (baseName.size() >= 2 && (baseName.at(0) == u'T' || baseName.at(0) == u't'))
        stem = baseName.mid(1);
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n);
        if (!m_root->FindComponent(name))
            return name;
    }
}

void TDEng::CheckNewName(TControl* component, const QString& newName) {
    if (!IsDesignedControl(component) || newName.isEmpty())
        return;
    bool valid = TControl::IsValidIdent(newName);
    if (valid)
        m_designer->DoValidateName(newName, valid);
    if (!valid)
        throw EELDesigner(QStringLiteral("''%1'' is not a valid component name").arg(newName));
    // The component itself does not count: changing only the letter case of a name is allowed.
    TControl* other = m_root->FindComponent(newName);
    if (other && other != component)
        throw EELDesigner(QStringLiteral("A component named %1 already exists").arg(newName));
}

// --- grid --------------------------------------------------------------------------------------------------

void TDEng::BuildGridTile() {
    const auto* form = qobject_cast<TDPForm*>(m_surface);
    const int sx = form ? form->ScrollX() : 0;
    const int sy = form ? form->ScrollY() : 0;
    const int xs = m_grid->XStep(), ys = m_grid->YStep();
    const QRgb colour = m_surface->palette().color(QPalette::Window).rgb();
    QImage tile(2 * xs, 2 * ys, QImage::Format_RGB32);
    tile.fill(colour);
    const QRgb dot = Graphics::ColorToQColor(m_grid->Color()).rgb();
    for (int x = -(sx % xs); x < tile.width(); x += xs)
        for (int y = -(sy % ys); y < tile.height(); y += ys)
            if (x >= 0 && y >= 0)
                tile.setPixel(x, y, dot);
    m_gridBitmap = QPixmap::fromImage(tile);
    m_gridColor = colour;
    m_gridScrollX = sx;
    m_gridScrollY = sy;
    m_gridValid = true;
}

void TDEng::PaintGrid(QPainter& painter, const QRect& clip) {
    if (!m_grid->Visible())
        return;
    const auto* form = qobject_cast<TDPForm*>(m_surface);
    const int sx = form ? form->ScrollX() : 0;
    const int sy = form ? form->ScrollY() : 0;
    if (!m_gridValid || m_surface->palette().color(QPalette::Window).rgb() != m_gridColor ||
        sx != m_gridScrollX || sy != m_gridScrollY)
        BuildGridTile();
    painter.fillRect(clip, QBrush(m_gridBitmap));
}

void TDEng::GridChanged() {
    BuildGridTile();
    m_surface->update();
}
