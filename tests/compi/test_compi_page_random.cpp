// Bounded random pages for the Compi page import: the same checks as the fuzz target, for builds
// without clang. VEXMORA_RANDOM_INPUTS raises the count for a long run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "../../fuzz/compi_checks.h"

namespace vex {
namespace {

long inputCount() {
    const char* env = std::getenv("VEXMORA_RANDOM_INPUTS");
    long n = env ? std::atol(env) : 0;
    return n > 0 ? n : 5000;
}

// Pieces of pages, so that random inputs reach dates, races and horse lines, not just noise.
const char* const kPieces[] = {
    "<title>コンピ指数（詳細）- 地方競馬全場コンピ", "<title>コンピ指数（詳細）- 地方競馬",
    "<h2 class=\"line line_bottom\">コンピ指数", "<h2 class=\"title_style1\">コンピ指数", "2024年", "5月", "12日",
    "年", "月", "日", "大井", "名古屋", "<span class=\"race\"><span class=\"font14\">", "１", "9", "12", "</span>R",
    "\n", "\r\n", " ", "<td id=\"bg-r\"", "</b>", "xxxx", "55", "90", "95", "0", "17", "race_name", "</table>",
    "【枠番コンピ】", "</html>", "\xff", "\xe3\x81", "-", "99999999999"};

std::string randomPage(std::mt19937& rng) {
    // Half the pages start with a usable head, so the race collection is reached often.
    std::string page = rng() % 2 ? "<title>コンピ指数（詳細）- 地方競馬\n<h2 class=\"title_style1\">コンピ指数 2024年5月12日大井\n" : "";
    int parts = static_cast<int>(rng() % 120);
    for (int i = 0; i < parts; ++i) page += kPieces[rng() % std::size(kPieces)];
    return page;
}

TEST(RandomInput, CompiPageImportHoldsItsRules) {
    std::mt19937 rng(612);
    long n = inputCount();
    int dated = 0;
    for (long i = 0; i < n; ++i) {
        std::string page = randomPage(rng);
        std::string problem = fuzz::compiPageProblem(page);
        ASSERT_EQ(problem, "") << "input " << i << ": " << ::testing::PrintToString(page);
        CompiPage parsed;
        auto lines = splitLines(page);
        auto layout = compiPageLayout(lines);
        dated += layout != CompiPageLayout::None && findCompiPageDate(lines, layout, parsed);
    }
    EXPECT_GT(dated, 0);  // the inputs did reach past the title line
}

}  // namespace
}  // namespace vex
