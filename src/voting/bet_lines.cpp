#include "voting/bet_lines.h"

#include <cstdio>

#include "app/app_folder.h"
#include "app/settings.h"
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

std::optional<std::string> voteLine(const BetRace& race, BetKind kind, const Combination& numbers, long long stakeYen) {
    const long long units = stakeYen / 100;
    if (units > kMaxStakeUnits || units < 0) return std::nullopt;
    std::string line(kBetLineWidth, '0');
    const std::string head = digits(race.monthDay, 4) + digits(race.trackCode, 2) + digits(race.raceNumber, 2);
    line.replace(1, 8, head);
    line[9] = static_cast<char>('0' + code(kind));
    putNumber(line, 11, numbers.a);
    putNumber(line, 35, numbers.b);
    putNumber(line, 59, numbers.c);
    char stake[8];
    std::snprintf(stake, sizeof stake, "%05lld", units);
    line.replace(kStakeField, kStakeDigits, stake);
    return line;
}

VoteLines voteLinesOf(const BetList& list, const BetRace& race) {
    VoteLines out;
    for (const BetLine& betLine : list.lines) {
        if (betLine.stake == 0 || betLine.erased) continue;
        auto line = voteLine(race, list.kind, betLine.numbers, betLine.stake);
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

std::filesystem::path betFileFolder(const Settings* settings) {
    const std::filesystem::path app = appFolder();
    // The settings file holds CP932 text; file names on disk are UTF-8.
    const std::string folder = settings ? settings->readString(settings::kDirSection, settings::kBetFileFolderKey, "") : std::string();
    const std::filesystem::path chosen = folder.empty() ? app : std::filesystem::path(toUtf8(folder));
    std::error_code ec;
    if (chosen.lexically_normal() == app.lexically_normal() || std::filesystem::equivalent(chosen, app, ec))
        return app / "kaime";
    return chosen;
}

}  // namespace vex
