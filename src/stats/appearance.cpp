#include "stats/appearance.h"

#include <algorithm>
#include <cstdio>

#include "app/app_folder.h"
#include "app/atomic_file.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

// Copies `len` bytes from 0-based `from` of a record to `at` of the line.
void copyBytes(std::string& line, int at, std::string_view record, int from, int len) {
    std::string_view bytes = fieldOf(record, Field{from + 1, len});
    line.replace(static_cast<std::size_t>(at), bytes.size(), bytes);
}

// "%*d" keeping the last `width` characters; by hand for the non-negative values, as a day's
// file takes thousands.
void putNumber(std::string& line, int at, int width, int value) {
    if (value >= 0) {
        char* start = line.data() + at;
        char* p = start + width;
        do {
            *--p = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0 && p > start);
        while (p > start) *--p = ' ';
        return;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*d", width, value);
    std::string_view text(buf);
    if (static_cast<int>(text.size()) > width) text = text.substr(text.size() - static_cast<std::size_t>(width));
    line.replace(static_cast<std::size_t>(at), text.size(), text);
}

void putHeader(std::string& line, const RaceRecord& race, std::string_view ra) {
    struct Copy {
        int at, from, len;
    };
    static constexpr Copy kCopies[] = {
        {0, 11, 4},    {4, 15, 4},    {8, 873, 4},   {12, 19, 2},   {14, 21, 2},   {16, 23, 2},
        {18, 25, 2},   {20, 604, 6},  {26, 881, 2},  {28, 614, 1},  {29, 616, 2},  {31, 621, 1},
        {32, 634, 3},  {35, 637, 60}, {95, 697, 4},  {99, 705, 2},  {101, 888, 1}, {102, 889, 1},
        {103, 969, 3}, {106, 972, 3}, {109, 975, 3}, {112, 978, 3},
    };
    for (const Copy& c : kCopies) copyBytes(line, c.at, ra, c.from, c.len);
    putNumber(line, 115, 2, race.recommendedHorseRank);
    putNumber(line, 117, 1, race.recommendedFrameRank);
}

void putRunner(std::string& line, int at, const RaceRecord& race, const RawRecords& raw, int m) {
    struct Copy {
        int at, from, len;
    };
    static constexpr Copy kCopies[] = {
        {0, 27, 1},     {1, 28, 2},     {3, 40, 18},    {21, 76, 2},    {23, 78, 1},    {24, 79, 1},
        {25, 80, 2},    {27, 82, 2},    {29, 85, 5},    {34, 90, 8},    {42, 288, 3},   {45, 296, 5},
        {50, 306, 8},   {58, 322, 1},   {59, 324, 3},   {62, 327, 1},   {63, 328, 3},   {76, 334, 2},
        {78, 363, 2},   {80, 359, 4},   {84, 338, 4},   {88, 342, 3},   {91, 351, 2},   {93, 353, 2},
        {95, 355, 2},   {97, 357, 2},   {99, 365, 8},   {107, 373, 8},  {115, 390, 3},  {118, 387, 3},
        {121, 393, 10}, {131, 403, 18}, {167, 331, 1},
    };
    std::string_view se = raw.se[static_cast<std::size_t>(m)].view();
    for (const Copy& c : kCopies) copyBytes(line, at + c.at, se, c.from, c.len);
    int h = m + 1;
    putNumber(line, at + 66, 3, race.compiValue[h]);
    putNumber(line, at + 69, 2, race.compiRank[h]);
    int frame = fieldNumber(fieldOf(se, SE::Frame));
    bool frameKnown = frame >= 1 && frame <= kMaxFrames;
    putNumber(line, at + 71, 3, frameKnown ? race.frameCompiValue[frame] : 0);
    putNumber(line, at + 74, 2, frameKnown ? race.frameCompiRank[frame] : 0);
    putNumber(line, at + 149, 9, race.winPayout[h]);
    putNumber(line, at + 158, 9, race.placePayout[h]);
    copyBytes(line, at + 168, raw.pastSe[static_cast<std::size_t>(m)][0].view(), 324, 3);
    const std::string& style = race.runningStyle[h][1];
    line.replace(static_cast<std::size_t>(at + 171), 2, (style + "  ").substr(0, 2));
}

void putTrailer(std::string& line, std::string_view hr) {
    int at = 3232;
    int payoutAt = 3372;
    for (const PayoutBlock& block : {HR::Win, HR::Place, HR::BracketQuinella, HR::Quinella, HR::Wide, HR::Exacta,
                                     HR::Trio, HR::Trifecta}) {
        for (int j = 1; j <= block.entries; ++j) {
            Field combination = block.combination(j);
            copyBytes(line, at, hr, combination.pos - 1, combination.len);
            at += combination.len;
            Field payout = block.payout(j);
            copyBytes(line, payoutAt, hr, payout.pos - 1, payout.len);
            payoutAt += payout.len;
        }
    }
}

bool hasFinalResults(const RawRecords& raw) {
    return fieldNumber(raw.ra.field(RA::Registered)) > 0 && fieldNumber(raw.hr.field(HR::Win.payout(1))) > 0;
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
        return fold(static_cast<unsigned char>(x)) < fold(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::string appearanceLine(const RaceTable& table, int slot) {
    std::string line(kAppearanceLineWidth, ' ');
    const RaceRecord& race = table.races[static_cast<std::size_t>(slot)];
    const RawRecords& raw = table.raw[static_cast<std::size_t>(slot)];
    putHeader(line, race, raw.ra.view());
    int runners = registeredRunners(raw.ra);
    for (int m = 0; m < runners; ++m) putRunner(line, 118 + 173 * m, race, raw, m);
    putTrailer(line, raw.hr.view());
    return line;
}

std::vector<std::string> appearanceLines(const RaceTable& table) {
    std::vector<std::string> lines;
    for (int slot : table.raceListSlots)
        if (hasFinalResults(table.raw[static_cast<std::size_t>(slot)])) lines.push_back(appearanceLine(table, slot));
    std::stable_sort(lines.begin(), lines.end(), lessIgnoringCase);
    return lines;
}

fs::path appearanceFile(const RaceTable& table) {
    if (table.raceListSlots.empty()) return {};
    std::string_view date = table.raw[static_cast<std::size_t>(table.raceListSlots.front())].ra.field(Common::Date);
    // Record bytes become a file name: digits only.
    for (char c : date)
        if (c < '0' || c > '9') return {};
    return appFolder() / "TOKEI" / ("em" + std::string(date) + ".dat");
}

bool writeAppearanceFile(const RaceTable& table) {
    if (!table.dayLoaded) return false;
    std::vector<std::string> lines = appearanceLines(table);
    if (lines.empty() || appearanceFile(table).empty()) return false;
    fs::path file = appearanceFile(table);
    // Made at start-up; a removed folder is made again, and one that cannot be is the reason given.
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) throw FileWriteError(file, ec.message());
    // Made from the store again at every load of the day: atomic, but not worth a flush to disk.
    writeLinesAtomic(file, lines, false);
    return true;
}

}  // namespace vex
