#include "voting/bet_lines.h"

#include <cstdio>

#include "app/app_folder.h"
#include "app/settings.h"
#include "betting/bet_list.h"
#include "betting/grid_sort.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

// Two digits of a header field, as stored; blanks become zeros so the line stays all digits.
std::string digits(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.insert(0, width - out.size(), '0');
    for (char& c : out)
        if (c < '0' || c > '9') c = '0';
    return out;
}

void putNumber(std::string& line, std::size_t fieldStart, int number) {
    if (number >= 1 && number <= 24) line[fieldStart + number - 1] = '1';
}

}  // namespace

std::optional<std::string> betLine(const BetRace& race, BetKind kind, const std::string& combination,
                                   long long stakeYen) {
    const long long units = stakeYen / 100;
    if (units > kMaxStakeUnits || units < 0) return std::nullopt;
    std::string line(kBetLineWidth, '0');
    const std::string head = digits(race.monthDay, 4) + digits(race.trackCode, 2) + digits(race.raceNumber, 2);
    line.replace(1, 8, head);
    line[9] = static_cast<char>('0' + static_cast<int>(kind));
    // Numbers at characters 1-2, 4-5 and 7-8 of the combination text.
    auto numberAt = [&](std::size_t pos) {
        return pos < combination.size() ? cellInt(combination.substr(pos, 2)) : 0;
    };
    putNumber(line, 11, numberAt(0));
    putNumber(line, 35, numberAt(3));
    putNumber(line, 59, numberAt(6));
    char stake[8];
    std::snprintf(stake, sizeof stake, "%05lld", units);
    line.replace(83, 5, stake);
    return line;
}

BetLines buildBetLines(const TextGrid& list, BetKind kind, const BetRace& race) {
    BetLines out;
    for (int r = 1; r < list.rowCount(); ++r) {
        const std::string& combination = list.cell(kListCombination, r);
        const std::string& stake = list.cell(kListStake, r);
        if (isBlank(combination) || isBlank(stake) || list.cell(kListErase, r) == eraseMark()) continue;
        auto line = betLine(race, kind, combination, cellInt(stake));
        if (!line) {
            ++out.tooLarge;
            continue;
        }
        out.lines.push_back(std::move(*line));
    }
    return out;
}

std::string raceTitle(const BetRace& race, BetKind kind) {
    return digits(race.monthDay, 4) + TrackName(race.trackCode, 2) + digits(race.raceNumber, 2) + "R:" + BetKindName(kind);
}

std::string betFileName(const BetRace& race) {
    return digits(race.year, 4).substr(2) + digits(race.monthDay, 4) + ".nbet";
}

std::filesystem::path betFileFolder(const TIniGT* settings) {
    const std::filesystem::path app = appFolder();
    // The settings file holds CP932 text; file names on disk are UTF-8.
    const std::string folder = settings ? settings->ReadString(settings::kDirSection, settings::kBetFileFolderKey, "") : std::string();
    const std::filesystem::path chosen = folder.empty() ? app : std::filesystem::path(toUtf8(folder));
    std::error_code ec;
    if (chosen.lexically_normal() == app.lexically_normal() || std::filesystem::equivalent(chosen, app, ec))
        return app / "kaime";
    return chosen;
}

}  // namespace vex
