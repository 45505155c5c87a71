#pragma once
// Row sort of the index card: rows 1.. (row 0 is the header) ordered by one column's text,
// byte-wise, ascending or descending; equal texts then ascending by column 1, or by column 2 when
// column 1 is the key. Cells are right-aligned fixed-width texts, so text order is numeric order.
// The bet list sorts its typed lines the same way (sortBetList).
#include "vocabulary/text_grid.h"

namespace vex {

void sortGridRows(TextGrid& grid, int col, bool descending);

// True when a cell is empty or holds only blanks: spaces, tabs and full-width blanks.
bool isBlankCell(const std::string& cell);
// Leading integer of a cell after blanks; 0 when there is none.
int cellInt(const std::string& cell);
// Decimal value of a cell after blanks; 0 when the cell is not a number.
double cellNumber(const std::string& cell);

}  // namespace vex
