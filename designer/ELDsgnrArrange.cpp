#include "designer/ELDsgnrArrange.h"

#include "designer/ELDsgnr.h"
#include "designer/ELDsgnrEngine.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ELDsgnrArrange {
namespace {

int RoundTo(double value, int step) {
    step = std::max(step, 1);
    return int(std::lround(value / step)) * step;
}

// Keeps the outermost two (by leading edge) and places the others between them with equal gaps; the
// exact place of each is computed from the first so that rounding does not add up along the row.
void Space(QList<QRect>& rects, bool horizontal, int step) {
    const auto lead = [horizontal](const QRect& r) { return horizontal ? r.x() : r.y(); };
    const auto extent = [horizontal](const QRect& r) { return horizontal ? r.width() : r.height(); };
    QList<int> order(rects.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return lead(rects.at(a)) < lead(rects.at(b)); });
    const QRect& first = rects.at(order.first());
    const QRect& last = rects.at(order.last());
    const int start = lead(first) + extent(first);
    qint64 inner = 0;
    for (int k = 1; k + 1 < order.size(); ++k)
        inner += extent(rects.at(order.at(k)));
    const double gap = double(lead(last) - start - inner) / double(order.size() - 1);
    qint64 before = 0;
    for (int k = 1; k + 1 < order.size(); ++k) {
        QRect& r = rects[order.at(k)];
        const int pos = RoundTo(start + k * gap + double(before), step);
        before += extent(r);
        if (horizontal)
            r.moveLeft(pos);
        else
            r.moveTop(pos);
    }
}

} // namespace

int MinimumCount(TArrangeKind kind) {
    return kind == TArrangeKind::SpaceHorizontally || kind == TArrangeKind::SpaceVertically ? 3 : 2;
}

QList<QRect> ArrangeRects(const QList<QRect>& rects, TArrangeKind kind, QSize step) {
    QList<QRect> out = rects;
    if (rects.size() < MinimumCount(kind))
        return out;
    const QRect ref = rects.first();
    const auto each = [&](auto&& change) {
        for (int i = 1; i < out.size(); ++i)
            change(out[i]);
    };
    switch (kind) {
    case TArrangeKind::AlignLefts:
        each([&](QRect& r) { r.moveLeft(ref.x()); });
        break;
    case TArrangeKind::AlignHorzCenters:
        each([&](QRect& r) { r.moveLeft(RoundTo(ref.x() + (ref.width() - r.width()) / 2.0, step.width())); });
        break;
    case TArrangeKind::AlignRights:
        each([&](QRect& r) { r.moveLeft(ref.x() + ref.width() - r.width()); });
        break;
    case TArrangeKind::AlignTops:
        each([&](QRect& r) { r.moveTop(ref.y()); });
        break;
    case TArrangeKind::AlignVertCenters:
        each([&](QRect& r) {
            r.moveTop(RoundTo(ref.y() + (ref.height() - r.height()) / 2.0, step.height()));
        });
        break;
    case TArrangeKind::AlignBottoms:
        each([&](QRect& r) { r.moveTop(ref.y() + ref.height() - r.height()); });
        break;
    case TArrangeKind::SpaceHorizontally:
        Space(out, true, step.width());
        break;
    case TArrangeKind::SpaceVertically:
        Space(out, false, step.height());
        break;
    case TArrangeKind::SameWidth:
        each([&](QRect& r) { r.setWidth(ref.width()); });
        break;
    case TArrangeKind::SameHeight:
        each([&](QRect& r) { r.setHeight(ref.height()); });
        break;
    case TArrangeKind::SameSize:
        each([&](QRect& r) { r.setSize(ref.size()); });
        break;
    }
    return out;
}

QList<TControl*> SelectedSiblings(const TELCustomDesigner* designer) {
    TELDesignerSelectedControls* selection = designer->SelectedControls();
    if (!designer->Active() || selection->Count() == 0)
        return {};
    QList<TControl*> controls;
    for (int i = 0; i < selection->Count(); ++i) {
        TControl* c = selection->Items(i);
        if (c == designer->DesignControl())
            continue; // Select all takes the design control along
        if (!controls.isEmpty() && c->parentWidget() != controls.first()->parentWidget())
            return {};
        controls << c;
    }
    return controls;
}

void Arrange(TELCustomDesigner* designer, TArrangeKind kind) {
    const QList<TControl*> controls = SelectedSiblings(designer);
    if (controls.size() < MinimumCount(kind))
        return;
    QList<QRect> before;
    for (TControl* c : controls)
        before << c->BoundsRect();
    const TELDesignerGrid* grid = designer->Grid();
    const QSize step = designer->SnapToGrid() ? QSize(grid->XStep(), grid->YStep()) : QSize(1, 1);
    const QList<QRect> after = ArrangeRects(before, kind, step);
    bool changed = false;
    for (int i = 0; i < controls.size(); ++i) {
        TControl* c = controls.at(i);
        QRect r = after.at(i);
        if (c->DesignLocks() & dlMove)
            r.moveTopLeft(before.at(i).topLeft());
        if (c->DesignLocks() & dlResize)
            r.setSize(before.at(i).size());
        if (r == before.at(i))
            continue;
        c->SetBounds(r.x(), r.y(), r.width(), r.height());
        changed = changed || c->BoundsRect() != before.at(i);
    }
    if (changed)
        designer->Engine()->NotifyModified();
}

namespace {

QList<TControl*> Copyable(const TELCustomDesigner* designer, TControl*& container) {
    QList<TControl*> controls = SelectedSiblings(designer);
    controls.removeIf([](const TControl* c) { return TDEng::CombinedLocks(c) & dlCopy; });
    container = controls.isEmpty() ? nullptr : qobject_cast<TControl*>(controls.first()->parentWidget());
    if (!container || (container->DesignLocks() & dlInsert))
        return {};
    return controls;
}

} // namespace

bool CanDuplicate(const TELCustomDesigner* designer) {
    TControl* container = nullptr;
    return !Copyable(designer, container).isEmpty();
}

void Duplicate(TELCustomDesigner* designer) {
    TControl* container = nullptr;
    const QList<TControl*> originals = Copyable(designer, container);
    if (originals.isEmpty())
        return;
    TDEng* engine = designer->Engine();
    // The copies come back selected, in the order they were written.
    engine->ReadControls(engine->WriteControls(originals), container);
    TELDesignerSelectedControls* selection = designer->SelectedControls();
    if (selection->Count() != originals.size())
        return;
    // Reading moves a copy off a taken spot by as many steps as it takes; every copy goes exactly one
    // step from its own original instead, so that the copies keep the originals' arrangement.
    const int dx = designer->Grid()->XStep();
    const int dy = designer->Grid()->YStep();
    for (int i = 0; i < originals.size(); ++i) {
        const QRect r = originals.at(i)->BoundsRect();
        selection->Items(i)->SetBounds(r.x() + dx, r.y() + dy, r.width(), r.height());
    }
    engine->NotifyModified();
}

} // namespace ELDsgnrArrange
