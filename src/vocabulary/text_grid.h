#pragma once
// A grid of cells held as text (CP932), exactly as shown. The index card, the bet list and the race
// card grids are TextGrids in the core; windows show them through a Qt model. The bet list's grid
// is formatted from its typed lines, which the stake split, sort, erase marks and vote work on.
#include <string>
#include <vector>

namespace vex {

class TextGrid {
public:
    TextGrid() = default;
    TextGrid(int rows, int cols) { resize(rows, cols); }

    int rowCount() const { return rows_; }
    int colCount() const { return cols_; }
    // Keeps existing cells where they still fit; new cells are empty.
    void resize(int rows, int cols);

    const std::string& cell(int col, int row) const { return cells_[index(col, row)]; }
    void setCell(int col, int row, std::string text) { cells_[index(col, row)] = std::move(text); }

    std::vector<std::string> row(int r) const;
    void setRow(int r, const std::vector<std::string>& cells);
    void swapRows(int a, int b);
    void clear() { resize(0, cols_); }

    bool operator==(const TextGrid&) const = default;

private:
    // Cells addressed (col, row) as in the desktop grids; stored row by row.
    std::size_t index(int col, int row) const { return static_cast<std::size_t>(row) * cols_ + col; }
    int rows_ = 0, cols_ = 0;
    std::vector<std::string> cells_;
};

}  // namespace vex
