#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "vocabulary/civil_date.h"
#include "vocabulary/fields.h"

namespace vex {

TEST(Fields, StrictRightAlignedAndLeadingReadings) {
    EXPECT_EQ(strictNumber("0012"), 12);
    EXPECT_EQ(strictNumber(" 7 "), 7);
    EXPECT_EQ(strictNumber("-3"), -3);
    EXPECT_FALSE(strictNumber("    "));
    EXPECT_FALSE(strictNumber(""));
    EXPECT_FALSE(strictNumber("1a"));
    EXPECT_FALSE(strictNumber("1 2"));
    EXPECT_FALSE(strictNumber("-"));
    EXPECT_FALSE(strictNumber("- 3"));
    EXPECT_FALSE(strictNumber("+3"));
    EXPECT_FALSE(strictNumber("99999999999999999999"));
    EXPECT_EQ(strictNumber("  ").value_or(0), 0);
    EXPECT_EQ(strictNumber("**").value_or(0), 0);

    EXPECT_EQ(rightAlignedNumber(" 12"), 12);
    EXPECT_FALSE(rightAlignedNumber("12 "));
    EXPECT_FALSE(rightAlignedNumber("-12"));
    // Every length, the short ones and long blank runs included, reads alike.
    EXPECT_EQ(rightAlignedNumber("7"), 7);
    EXPECT_EQ(rightAlignedNumber("        0"), 0);
    EXPECT_EQ(rightAlignedNumber("         12"), 12);
    EXPECT_EQ(rightAlignedNumber("        123"), 123);
    EXPECT_FALSE(rightAlignedNumber("1x"));
    EXPECT_FALSE(rightAlignedNumber("        x"));
    EXPECT_FALSE(rightAlignedNumber("         "));
    EXPECT_FALSE(rightAlignedNumber(""));
    // Popularity-sized fields and the edge where hand reading gives way to the checked one.
    EXPECT_EQ(rightAlignedNumber("4896"), 4896);
    EXPECT_EQ(rightAlignedNumber(" 123"), 123);
    EXPECT_FALSE(rightAlignedNumber("1 23"));
    EXPECT_FALSE(rightAlignedNumber("12x4"));
    EXPECT_FALSE(rightAlignedNumber(" 12-"));
    EXPECT_EQ(rightAlignedNumber("999999999999999999"), 999'999'999'999'999'999LL);
    EXPECT_EQ(rightAlignedNumber("9223372036854775807"), 9'223'372'036'854'775'807LL);
    EXPECT_FALSE(rightAlignedNumber("9223372036854775808"));
    EXPECT_FALSE(rightAlignedNumber("12345678901234567x"));

    EXPECT_EQ(leadingNumber(" 07x9"), 7);
    EXPECT_FALSE(leadingNumber("x1"));
    EXPECT_FALSE(leadingNumber("  "));
    // A run of digits too long for any field stops growing instead of overflowing.
    EXPECT_GT(*leadingNumber("99999999999999999999999999"), 0);
}

// The word-at-a-time reading of short fields against the plain definition: spaces, then at least
// one digit, then nothing else. Every field of up to 4 bytes over a small alphabet, and random
// longer ones.
TEST(Fields, ShortFieldsReadAsThePlainDefinitionSays) {
    const auto plain = [](std::string_view f) -> std::optional<std::int64_t> {
        std::size_t i = 0;
        while (i < f.size() && f[i] == ' ') ++i;
        if (i == f.size()) return std::nullopt;
        std::int64_t v = 0;
        for (; i < f.size(); ++i) {
            if (!isDigit(f[i])) return std::nullopt;
            v = v * 10 + (f[i] - '0');
        }
        return v;
    };
    const std::string alphabet = " 09-x/:\x81";
    std::string field;
    std::function<void(std::size_t)> every = [&](std::size_t width) {
        if (field.size() == width) {
            EXPECT_EQ(rightAlignedNumber(field), plain(field)) << '[' << field << ']';
            return;
        }
        for (char c : alphabet) {
            field.push_back(c);
            every(width);
            field.pop_back();
        }
    };
    for (std::size_t width = 1; width <= 4; ++width) every(width);

    std::mt19937 random(7);
    const std::string likely = "      0123456789x";
    for (int n = 0; n < 20000; ++n) {
        std::string f(1 + random() % 12, ' ');
        for (char& c : f) c = likely[random() % likely.size()];
        EXPECT_EQ(rightAlignedNumber(f), plain(f)) << '[' << f << ']';
    }
    // Widths known when compiled (record fields) take another way in, one per width.
    for (int n = 0; n < 20000; ++n) {
        char f[8];
        for (char& c : f) c = likely[random() % likely.size()];
        EXPECT_EQ(rightAlignedNumber(std::string_view(f, 8)), plain(std::string_view(f, 8)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f, 7)), plain(std::string_view(f, 7)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f + 2, 6)), plain(std::string_view(f + 2, 6)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f + 3, 5)), plain(std::string_view(f + 3, 5)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f + 4, 4)), plain(std::string_view(f + 4, 4)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f + 5, 3)), plain(std::string_view(f + 5, 3)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f + 6, 2)), plain(std::string_view(f + 6, 2)));
        EXPECT_EQ(rightAlignedNumber(std::string_view(f + 7, 1)), plain(std::string_view(f + 7, 1)));
    }
    // So do payout-sized ones (9 bytes), whose blank head is passed over to read the last eight.
    for (int n = 0; n < 20000; ++n) {
        char f[9];
        for (char& c : f) c = random() % 3 ? ' ' : likely[random() % likely.size()];
        EXPECT_EQ(rightAlignedNumber(std::string_view(f, 9)), plain(std::string_view(f, 9))) << std::string_view(f, 9);
    }
    EXPECT_EQ(rightAlignedNumber("99999999"), 99'999'999);
    EXPECT_EQ(rightAlignedNumber("       1"), 1);
}

TEST(Fields, RecordFieldsReadAsTheRaceTableReadsThem) {
    EXPECT_EQ(fieldNumber(" 7"), 7);
    EXPECT_EQ(fieldNumber("07"), 7);
    EXPECT_EQ(fieldNumber("  "), 0);
    EXPECT_EQ(fieldNumber(""), 0);
    EXPECT_EQ(fieldNumber("7 "), 0);
    EXPECT_EQ(fieldNumber("-1"), 0);
    EXPECT_EQ(fieldNumber("1x"), 0);
    EXPECT_EQ(fieldNumber("000012340"), 12340);
    EXPECT_EQ(fieldNumber("1000000000"), 0);
}

TEST(Fields, DigitsAndBlanks) {
    EXPECT_TRUE(isDigits("0123"));
    EXPECT_FALSE(isDigits(""));
    EXPECT_FALSE(isDigits(" 1"));
    EXPECT_TRUE(isSpaces(""));
    EXPECT_TRUE(isSpaces("   "));
    EXPECT_FALSE(isSpaces(" \t"));
    EXPECT_FALSE(isSpaces("\x81\x40"));  // a full-width blank is a character, not a space
}

TEST(CivilDates, DayNumbersAndBack) {
    EXPECT_EQ(dayNumber(1970, 1, 1), 0);
    EXPECT_EQ(dayNumber(2024, 3, 1) - dayNumber(2024, 2, 28), 2);  // leap year
    EXPECT_EQ(dayNumber(2023, 3, 1) - dayNumber(2023, 2, 28), 1);
    EXPECT_EQ(dayNumber(1969, 12, 31), -1);
    EXPECT_EQ(dayNumber(2024, 2, 31), dayNumber(2024, 3, 2));  // runs on past the month's end
    EXPECT_EQ(ymdText(dayNumber(2026, 12, 9)), "20261209");
    const CivilDate back = civilDate(dayNumber(2000, 2, 29));
    EXPECT_EQ(back.year, 2000);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(dayNumberOfYmd("20261209"), dayNumber(2026, 12, 9));
    EXPECT_FALSE(dayNumberOfYmd("20230229"));
    EXPECT_FALSE(dayNumberOfYmd("20241301"));
    EXPECT_FALSE(dayNumberOfYmd("2024121"));
    EXPECT_FALSE(dayNumberOfYmd("2024-1-1"));
}

}  // namespace vex
