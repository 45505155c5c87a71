#include "compi/manual_entry.h"

#include <cstdio>
#include <system_error>

#include "app/file_read.h"
#include "compi/compi_file.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {

namespace {

int twoByteField(std::string_view line, int position) {
    std::string_view field = fieldOf(line, Field{position, 2});
    return field.size() == 2 ? fieldNumber(field) : 0;
}

std::string cell(int n) {
    if (n <= 0) return "  ";
    char text[8];
    std::snprintf(text, sizeof text, "%2d", n % 100);
    return text;
}

}  // namespace

CompiEntryGrid compiEntryFromLine(std::string_view line, int runners) {
    CompiEntryGrid grid;
    for (int i = 1; i <= std::min(runners, kMaxRunners); ++i) {
        grid.horse[static_cast<std::size_t>(i)] = twoByteField(line, 4 * i + 11);
        grid.value[static_cast<std::size_t>(i)] = twoByteField(line, 4 * i + 13);
    }
    for (int i = 1; i <= kMaxFrames; ++i) {
        grid.frame[static_cast<std::size_t>(i)] = twoByteField(line, 4 * i + 85);
        grid.frameValue[static_cast<std::size_t>(i)] = twoByteField(line, 4 * i + 87);
    }
    return grid;
}

std::vector<std::string> valueOrderMessages(const std::vector<int>& valuesByRank) {
    std::vector<std::string> messages;
    for (std::size_t i = 0; i + 1 < valuesByRank.size(); ++i)
        if (valuesByRank[i] < valuesByRank[i + 1]) messages.push_back(sj("コンピ指数の入力が間違っています。"));
    return messages;
}

std::vector<int> ranksOutOfRange(const std::vector<int>& numbersByRank, int limit) {
    std::vector<int> ranks;
    for (std::size_t i = 0; i < numbersByRank.size(); ++i)
        if (numbersByRank[i] <= 0 || numbersByRank[i] > limit) ranks.push_back(static_cast<int>(i) + 1);
    return ranks;
}

std::vector<std::string> duplicateMessages(const std::vector<int>& numbersByRank, std::string_view what) {
    std::vector<std::string> messages;
    for (std::size_t a = 0; a < numbersByRank.size(); ++a)
        for (std::size_t b = 0; b < numbersByRank.size(); ++b) {
            // Number 1 is never compared: only 2 and above count as a duplicate.
            if (a == b || numbersByRank[a] < 2 || numbersByRank[a] != numbersByRank[b]) continue;
            messages.push_back(sj(std::to_string(a + 1) + "位と" + std::to_string(b + 1) + "位の" + std::string(what) +
                                  "が重複しています。"));
        }
    return messages;
}

std::string compiEntryLine(std::string_view yyyymmdd, std::string_view trackName, int raceNumber,
                           const CompiEntryGrid& grid) {
    char number[8];
    std::snprintf(number, sizeof number, "%2d", raceNumber % 100);
    std::string line = std::string(yyyymmdd) + std::string(trackName) + number;
    for (int i = 1; i <= kMaxRunners; ++i)
        line += cell(grid.horse[static_cast<std::size_t>(i)]) + cell(grid.value[static_cast<std::size_t>(i)]);
    line += "  ";
    for (int i = 1; i <= kMaxFrames; ++i)
        line += cell(grid.frame[static_cast<std::size_t>(i)]) + cell(grid.frameValue[static_cast<std::size_t>(i)]);
    return line + "  ";
}

void saveCompiEntryLine(const std::filesystem::path& file, int raceNumber, const std::string& line) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    FileUpdate update(file);
    std::vector<std::string> lines = update.lines();
    if (!update.existed()) lines.assign(kCompiLinesPerFile, std::string(kCompiLineWidth, ' '));
    // A short file gets the empty template up to this race rather than losing the typed line.
    while (static_cast<int>(lines.size()) < raceNumber) lines.emplace_back(kCompiLineWidth, ' ');
    lines[static_cast<std::size_t>(raceNumber - 1)] = line;
    update.replaceLines(lines);
}

void applyCompiEntry(const CompiEntryGrid& grid, int runners, RaceRecord& race) {
    for (int i = 1; i <= std::min(runners, kMaxRunners); ++i) {
        int horse = grid.horse[static_cast<std::size_t>(i)], value = grid.value[static_cast<std::size_t>(i)];
        if (horse <= 0 || value <= 0 || horse > kMaxRunners) continue;
        race.compiValue[static_cast<std::size_t>(horse)] = value;
        race.compiRank[static_cast<std::size_t>(horse)] = i;
    }
    for (int i = 1; i <= kMaxFrames; ++i) {
        int frame = grid.frame[static_cast<std::size_t>(i)], value = grid.frameValue[static_cast<std::size_t>(i)];
        if (frame <= 0 || value <= 0 || frame > kMaxFrames) continue;
        race.frameCompiValue[static_cast<std::size_t>(frame)] = value;
        race.frameCompiRank[static_cast<std::size_t>(frame)] = i;
    }
}

}  // namespace vex
