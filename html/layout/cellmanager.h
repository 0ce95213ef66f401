#pragma once
// Which grid columns the cells read so far take, for tables with column settings: a cell
// finds its column (and so the column's alignment) before its row is laid out as a grid.
#include <string>
#include <vector>

namespace html {

class TCellManager {
public:
    // Spans beyond this are taken as this; the grid of a hostile page stays small.
    static constexpr int MaxSpan = 1000;

    // A row starts; before the first call the first row is current.
    void NewRow();
    // The first free column of the current row.
    int FindColumn() const;
    // A cell at the first free column takes colSpan columns of this row and of rowSpan - 1
    // rows below; returns the colspan actually taken, shortened where it ran into taken columns.
    int TakeCells(int colSpan, int rowSpan);

    int CurrentRow() const { return FRow < 0 ? 0 : FRow; }
    // One character per column, 'o' free and 'x' taken; empty for rows not reached.
    std::string Marks(int row) const;

private:
    std::vector<std::string> FRows;
    int FRow{-1};
};

} // namespace html
