// Bounded random inputs for the settings reader and the CP932 conversion: the same checks as the
// fuzz targets, for builds without clang. VEXMORA_RANDOM_INPUTS raises the count for a long run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "../../fuzz/fuzz_checks.h"

namespace vex {
namespace {

long inputCount() {
    const char* env = std::getenv("VEXMORA_RANDOM_INPUTS");
    long n = env ? std::atol(env) : 0;
    return n > 0 ? n : 20000;
}

// Pieces of settings files, so that random inputs hit sections, keys and values, not just noise.
const char* const kPieces[] = {"[", "]", "=", ";", "\"", "'", "0x", "0X", "-", "+", " ", "\t", "\r\n", "\n", "\r",
                               "\xA2", "\xA3", "\x83\x5D", "\x83\x41", "\x83", "locate", "LOCATE", "top", "Toz1A",
                               "s", "k", "[s]", "k=", "12", "ff", "\x82\xA0"};

std::string randomSettingsInput(std::mt19937& rng) {
    std::string in;
    in += static_cast<char>(rng() & 0xFF);
    in += static_cast<char>(rng() & 0xFF);
    int parts = static_cast<int>(rng() % 40);
    bool nul = false;
    for (int i = 0; i < parts; ++i) {
        unsigned pick = rng() % 8;
        if (!nul && pick == 0) {
            in += '\0';
            nul = true;
        } else if (pick < 3) {
            in += static_cast<char>(rng() & 0xFF);
        } else {
            in += kPieces[rng() % std::size(kPieces)];
        }
    }
    return in;
}

std::string randomCp932Input(std::mt19937& rng) {
    std::string in;
    int n = static_cast<int>(rng() % 48);
    for (int i = 0; i < n; ++i) {
        switch (rng() % 4) {
        case 0: in += static_cast<char>(rng() & 0xFF); break;             // anything
        case 1: in += static_cast<char>(0x20 + rng() % 0x5F); break;       // ASCII
        case 2: in += static_cast<char>(0xA1 + rng() % 0x3F); break;       // half-width kana
        default:                                                           // lead byte + trail byte
            in += static_cast<char>(0x81 + rng() % 0x1F);
            in += static_cast<char>(0x40 + rng() % 0xBD);
        }
    }
    return in;
}

TEST(RandomInput, SettingsReaderAndWriterHoldTheirRules) {
    std::mt19937 rng(20241201);
    long n = inputCount();
    for (long i = 0; i < n; ++i) {
        std::string in = randomSettingsInput(rng);
        std::string problem = fuzz::settingsProblem(in);
        ASSERT_EQ(problem, "") << "input " << i << ": " << ::testing::PrintToString(in);
    }
}

TEST(RandomInput, Cp932ConversionHoldsItsRules) {
    std::mt19937 rng(7);
    long n = inputCount();
    for (long i = 0; i < n; ++i) {
        std::string in = randomCp932Input(rng);
        std::string problem = fuzz::cp932Problem(in);
        ASSERT_EQ(problem, "") << "input " << i << ": " << ::testing::PrintToString(in);
    }
}

}  // namespace
}  // namespace vex
