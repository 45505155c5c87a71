#include <gtest/gtest.h>

#include "vocabulary/text_grid.h"

TEST(TextGrid, ResizeKeepsCellsAndRowsSwap) {
    vex::TextGrid g(2, 3);
    g.setCell(2, 1, "x");
    g.setRow(0, {"a", "b"});
    g.resize(3, 4);
    EXPECT_EQ(g.cell(2, 1), "x");
    EXPECT_EQ(g.cell(0, 0), "a");
    EXPECT_EQ(g.cell(3, 2), "");
    g.swapRows(0, 1);
    EXPECT_EQ(g.row(0), (std::vector<std::string>{"", "", "x", ""}));
    g.resize(1, 2);
    EXPECT_EQ(g.row(0), (std::vector<std::string>{"", ""}));
}
