#include "betting/grid_sort.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <vector>

namespace vex {

void sortGridRows(TextGrid& grid, int col, bool descending) {
    const int rows = grid.rowCount();
    if (rows <= 2 || col < 0 || col >= grid.colCount()) return;
    const int tie = col == 1 ? 2 : 1;
    std::vector<int> order(rows - 1);
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = grid.cell(col, a).compare(grid.cell(col, b));
        if (c != 0) return descending ? c > 0 : c < 0;
        if (tie < grid.colCount()) return grid.cell(tie, a) < grid.cell(tie, b);
        return false;
    });
    // Move whole rows into place.
    TextGrid sorted(rows, grid.colCount());
    sorted.setRow(0, grid.row(0));
    for (int i = 0; i < rows - 1; ++i) sorted.setRow(i + 1, grid.row(order[i]));
    grid = std::move(sorted);
}

bool isBlankCell(const std::string& cell) {
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(cell[i]);
        if (c == ' ' || c == '\t') continue;
        // full-width blank 0x81 0x40
        if (c == 0x81 && i + 1 < cell.size() && static_cast<unsigned char>(cell[i + 1]) == 0x40) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

int cellInt(const std::string& cell) {
    std::size_t i = 0;
    while (i < cell.size() && cell[i] == ' ') ++i;
    bool negative = false;
    if (i < cell.size() && (cell[i] == '-' || cell[i] == '+')) negative = cell[i++] == '-';
    long value = 0;
    bool any = false;
    while (i < cell.size() && cell[i] >= '0' && cell[i] <= '9' && value < 1000000000L) {
        value = value * 10 + (cell[i++] - '0');
        any = true;
    }
    if (!any) return 0;
    return static_cast<int>(negative ? -value : value);
}

double cellNumber(const std::string& cell) {
    std::size_t b = cell.find_first_not_of(' ');
    if (b == std::string::npos) return 0.0;
    std::size_t e = cell.find_last_not_of(' ');
    std::string text = cell.substr(b, e - b + 1);
    // Only plain decimals: no exponents, hex, inf or nan.
    std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    int digits = 0, points = 0;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') ++digits;
        else if (text[i] == '.' && ++points == 1) continue;
        else return 0.0;
    }
    if (digits == 0) return 0.0;
    // from_chars reads the point as a point in every locale (strtod would stop at it under a
    // locale with a decimal comma, reading an odds bound of 2.5 as 2).
    double value = 0.0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    std::from_chars(first, text.data() + text.size(), value);
    return value;
}

}  // namespace vex
