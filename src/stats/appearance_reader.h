#pragma once
// Reading the appearance files back (TOKEI/em<yyyymmdd>.dat) for the analysis: only the fields it
// uses, parsed straight from the file's bytes. A file that is not what the writer makes (a line of
// another length, a number field holding other bytes, a folder in its place) is skipped whole and
// named in a warning: half a day would bias every figure without anyone noticing.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

inline constexpr int kAppearanceRecordLength = 3698;  // 3,696 bytes and CR LF

// Small on purpose: 150 days hold tens of thousands of runners.
struct AppearanceRunner {
    std::uint8_t horse = 0;
    std::uint8_t compiValue = 0, compiRank = 0;  // 0: no Compi data
    std::uint8_t finish = 0;                     // confirmed position, 0 for none
    std::uint8_t popularity = 0;                 // win popularity, 0 for none
    bool refunded = false;                       // scratched or excluded before the start: no bet stood
    int winPaid = 0, placePaid = 0;              // per 100 yen
};

struct AppearanceRace {
    int date = 0;  // yyyymmdd
    int postTime = 0;  // hhmm
    int track = 0, raceNumber = 0, registered = 0;
    char grade = ' ';
    int raceType = 0, weightRule = 0, condition = 0, distance = 0, surface = 0;
    int recommendedRank = 0;  // Compi rank of the recommended horse, 0 for none
    bool placeSold = false;   // the race paid place bets (small fields sell none)
    int runnerCount = 0;      // blocks filled: min(registered, 18)
    std::array<AppearanceRunner, 18> runners;

    int compiValueOfRank(int rank) const;
    const AppearanceRunner* runnerOfCompiRank(int rank) const;
};

// One line without its line end into `race`; false and `problem` (CP932) when it is damaged.
bool parseAppearanceLine(std::string_view line, AppearanceRace& race, std::string* problem = nullptr);
std::optional<AppearanceRace> parseAppearanceLine(std::string_view line, std::string* problem = nullptr);

// Appends the races of one file's bytes to `races`; a damaged file appends nothing and gives its
// problem (CP932: the line and what is wrong), else "".
std::string parseAppearanceFile(std::string_view bytes, std::vector<AppearanceRace>& races);

struct AppearanceSet {
    std::vector<AppearanceRace> races;  // in time order: date, post time, track, race number
    int files = 0;                       // files read
    std::vector<std::string> warnings;   // CP932, one line per skipped file
};

// Every appearance file of `folder` whose date lies in fromDate..toDate (yyyymmdd, inclusive).
// A missing folder gives an empty set.
AppearanceSet readAppearanceFolder(const std::filesystem::path& folder, int fromDate = 0, int toDate = 99999999);
// The TOKEI folder of the application folder.
std::filesystem::path appearanceFolder();

// The date of an appearance file's name "em<yyyymmdd>.dat"; nullopt for other names and for a
// date that does not exist or lies beyond tomorrow.
std::optional<int> appearanceFileDate(std::string_view fileName);

}  // namespace vex
