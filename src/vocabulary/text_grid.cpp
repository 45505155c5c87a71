#include "vocabulary/text_grid.h"

#include <stdexcept>

namespace vex {

void TextGrid::resize(int rows, int cols) {
    if (rows < 0 || cols < 0) throw std::invalid_argument("TextGrid: negative size");
    if (cols == cols_) {
        cells_.resize(static_cast<std::size_t>(rows) * cols);
    } else {
        std::vector<std::string> cells(static_cast<std::size_t>(rows) * cols);
        for (int r = 0; r < std::min(rows, rows_); ++r)
            for (int c = 0; c < std::min(cols, cols_); ++c)
                cells[static_cast<std::size_t>(r) * cols + c] = std::move(cells_[index(c, r)]);
        cells_ = std::move(cells);
    }
    rows_ = rows;
    cols_ = cols;
}

std::vector<std::string> TextGrid::row(int r) const {
    return {cells_.begin() + static_cast<std::ptrdiff_t>(index(0, r)),
            cells_.begin() + static_cast<std::ptrdiff_t>(index(0, r) + cols_)};
}

void TextGrid::setRow(int r, const std::vector<std::string>& cells) {
    for (int c = 0; c < cols_; ++c) setCell(c, r, c < static_cast<int>(cells.size()) ? cells[c] : std::string());
}

void TextGrid::swapRows(int a, int b) {
    if (a == b) return;
    for (int c = 0; c < cols_; ++c) std::swap(cells_[index(c, a)], cells_[index(c, b)]);
}

}  // namespace vex
