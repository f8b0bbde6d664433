#include "layout/KvdUIClickAreas.h"

#include <algorithm>

namespace {

// Points are stored mirrored where the count wanted is of those at or above a coordinate.
constexpr int Mirror(int v) {
    return 511 - v;
}

} // namespace

void TClickAreas::Corners::Add(int x, int y) {
    if (tree.empty())
        tree.assign(size_t(Span) * Span, 0);
    for (int i = x + 1; i <= Span; i += i & -i)
        for (int j = y + 1; j <= Span; j += j & -j)
            ++tree[size_t(i - 1) * Span + size_t(j - 1)];
}

int TClickAreas::Corners::Below(int x, int y) const {
    if (tree.empty())
        return 0;
    int sum = 0;
    for (int i = std::min(x, Span - 1) + 1; i > 0; i -= i & -i)
        for (int j = std::min(y, Span - 1) + 1; j > 0; j -= j & -j)
            sum += tree[size_t(i - 1) * Span + size_t(j - 1)];
    return sum;
}

void TClickAreas::AddToTrees(const TClickArea& a) {
    m_rightBottom.Add(a.Right, a.Bottom);
    m_rightTop.Add(a.Right, Mirror(a.Top));
    m_leftBottom.Add(Mirror(a.Left), a.Bottom);
    m_leftTop.Add(Mirror(a.Left), Mirror(a.Top));
}

// All areas less those wholly left of, right of, above or below it. Left and right exclude each other, as
// do above and below, so the corners counted twice are the only correction.
int TClickAreas::CountOverlaps(const TClickArea& q) {
    // The trees are made when first needed: most layouts never pile up enough buttons to need them.
    if (!m_counting) {
        for (const TClickArea& earlier : m_areas)
            AddToTrees(earlier);
        m_counting = true;
    }
    constexpr int All = Span - 1;
    const int left = m_rightBottom.Below(q.Left, All);
    const int above = m_rightBottom.Below(All, q.Top);
    const int right = m_leftTop.Below(Mirror(q.Right), All);
    const int below = m_leftTop.Below(All, Mirror(q.Bottom));
    const int corners = m_rightBottom.Below(q.Left, q.Top) + m_rightTop.Below(q.Left, Mirror(q.Bottom)) +
                        m_leftBottom.Below(Mirror(q.Right), q.Top) +
                        m_leftTop.Below(Mirror(q.Right), Mirror(q.Bottom));
    return int(m_areas.size()) - (left + above + right + below - corners);
}

TClickAreas::Overlap TClickAreas::Add(const TClickArea& area, int limit) {
    const int firstColumn = area.Left / CellUnits,
              lastColumn = std::min(Cells - 1, (area.Right - 1) / CellUnits);
    const int firstRow = area.Top / CellUnits, lastRow = std::min(Cells - 1, (area.Bottom - 1) / CellUnits);
    // The first overlapping areas of each cell it covers: the first of all are among them, since every
    // area before one of those in the same cell comes before it.
    std::vector<int> found;
    bool cut = false;
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column) {
            int inCell = 0;
            for (const int index : m_cells[row * Cells + column]) {
                if (!area.Overlaps(m_areas[size_t(index)]))
                    continue;
                if (inCell++ == limit) {
                    cut = true;
                    break;
                }
                found.push_back(index);
            }
        }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());

    Overlap overlap;
    if (!cut)
        overlap.Count = int(found.size());
    else if (m_areas.size() >= size_t(Counted))
        overlap.Count = CountOverlaps(area);
    else
        overlap.Count = int(std::count_if(m_areas.begin(), m_areas.end(), [&area](const TClickArea& earlier) {
            return area.Overlaps(earlier);
        }));
    for (size_t i = 0; i < found.size() && int(i) < limit; ++i)
        overlap.First.push_back(m_areas[size_t(found[i])].ID);

    const int index = int(m_areas.size());
    m_areas.push_back(area);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column)
            m_cells[row * Cells + column].push_back(index);
    if (m_counting)
        AddToTrees(area);
    return overlap;
}
