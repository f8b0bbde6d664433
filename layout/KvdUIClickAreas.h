#pragma once
// The click areas of a layout's buttons, in button-packet units, and which earlier ones each new one
// overlaps: the first few by document order and the count of all, without comparing every pair. A pile
// of buttons at one place then costs in proportion to the buttons, not to their pairs.

#include <vector>

struct TClickArea {
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // right and bottom lie just outside it
    int ID = 0;
    bool Overlaps(const TClickArea& o) const {
        return Left < o.Right && o.Left < Right && Top < o.Bottom && o.Top < Bottom;
    }
};

class TClickAreas {
public:
    struct Overlap {
        int Count = 0;          // earlier areas the area overlaps
        std::vector<int> First; // the IDs of the first of them in document order, at most the limit
    };
    // The earlier areas that area overlaps, then adds it. Coordinates lie from 0 to 511; area is not empty.
    Overlap Add(const TClickArea& area, int limit);

private:
    static constexpr int Span = 512; // coordinates a packet's place and size can reach
    static constexpr int CellUnits = 32;
    static constexpr int Cells = Span / CellUnits;
    static constexpr int Counted = 64; // areas from which a count is taken from the trees, not scanned

    // Counts of points (x, y) at or below a corner, in a two-dimensional Fenwick tree.
    struct Corners {
        std::vector<int> tree;
        void Add(int x, int y);
        int Below(int x, int y) const; // points with both coordinates at most x and y; -1 is none
    };

    int CountOverlaps(const TClickArea& area);
    void AddToTrees(const TClickArea& area);

    std::vector<TClickArea> m_areas;         // in document order
    std::vector<int> m_cells[Cells * Cells]; // indices into m_areas, in document order
    // Corners of every area so far, mirrored where CountOverlaps needs those at or past a coordinate.
    Corners m_rightBottom, m_rightTop, m_leftBottom, m_leftTop;
    bool m_counting = false; // the trees hold every area
};
