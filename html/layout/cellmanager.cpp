#include "html/layout/cellmanager.h"

#include <algorithm>

namespace html {

void TCellManager::NewRow() {
    ++FRow;
}

int TCellManager::FindColumn() const {
    const int row = CurrentRow();
    if (row >= static_cast<int>(FRows.size()))
        return 0;
    const std::string& marks = FRows[row];
    const std::size_t free = marks.find('o');
    return static_cast<int>(free == std::string::npos ? marks.size() : free);
}

int TCellManager::TakeCells(int colSpan, int rowSpan) {
    const int row = CurrentRow();
    const int col = FindColumn();
    colSpan = std::clamp(colSpan, 1, MaxSpan);
    rowSpan = std::clamp(rowSpan, 1, MaxSpan);
    if (row < static_cast<int>(FRows.size())) {
        const std::string& marks = FRows[row];
        int n = 1;
        while (n < colSpan && (col + n >= static_cast<int>(marks.size()) || marks[col + n] == 'o'))
            ++n;
        colSpan = n;
    }
    if (static_cast<int>(FRows.size()) < row + rowSpan)
        FRows.resize(row + rowSpan);
    for (int r = row; r < row + rowSpan; ++r) {
        std::string& marks = FRows[r];
        if (static_cast<int>(marks.size()) < col + colSpan)
            marks.resize(col + colSpan, 'o');
        std::fill(marks.begin() + col, marks.begin() + col + colSpan, 'x');
    }
    return colSpan;
}

std::string TCellManager::Marks(int row) const {
    return row >= 0 && row < static_cast<int>(FRows.size()) ? FRows[row] : std::string();
}

} // namespace html
