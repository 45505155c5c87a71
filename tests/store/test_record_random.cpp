// Bounded random records for the record readers and the download's routing: the same checks as
// the fuzz target, for builds without clang. VEXMORA_RANDOM_INPUTS raises the count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "../../fuzz/record_checks.h"
#include "support/test_support.h"

namespace vex {
namespace {

long inputCount() {
    const char* env = std::getenv("VEXMORA_RANDOM_INPUTS");
    long n = env ? std::atol(env) : 0;
    return n > 0 ? n : 4000;
}

// Bytes that matter to the rules: digits, blanks, separators, dots, CP932 lead bytes, line ends.
const char* const kPieces[] = {"0", "1", "2", "4", "9", "42", "44", "45", "18", "19", "00", "2024", "2009", "2010",
                               " ", "  ", "-", "/", "..", "\\", "\r", "\n", "\r\n", "\x82", "\x95\x5C", "7", "A0"};

std::string randomInput(std::mt19937& rng) {
    std::string in;
    in += static_cast<char>(rng() & 0xFF);
    in += static_cast<char>(rng() & 0xFF);
    // Key-shaped starts are common, so dates and tracks pass their filters often.
    if (rng() % 2) in += "0000000002024" + std::to_string(1000 + rng() % 300) + std::to_string(30 + rng() % 20) + "0101";
    int parts = static_cast<int>(rng() % 60);
    for (int i = 0; i < parts; ++i) {
        if (rng() % 3 == 0)
            in += static_cast<char>(rng() & 0xFF);
        else
            in += kPieces[rng() % std::size(kPieces)];
    }
    return in;
}

TEST(RandomInput, RecordReadersAndRoutingHoldTheirRules) {
    test::TempHome home;  // paths are built under it; nothing is written
    std::mt19937 rng(20240512);
    long n = inputCount();
    for (long i = 0; i < n; ++i) {
        std::string in = randomInput(rng);
        std::string problem = fuzz::recordProblem(in);
        ASSERT_EQ(problem, "") << "input " << i << ": " << ::testing::PrintToString(in);
    }
}

}  // namespace
}  // namespace vex
