// compi-pages DIR [--from yyyymmdd] [--to yyyymmdd]: writes, for every track day of the simulated
// service in the window (default: today to the last day offered), the Compi page sources a user
// would copy from the index provider: "<yyyymmdd>-<track>-2024.html" for every track and, for the
// southern-Kanto tracks, "<yyyymmdd>-<track>-2022.html". Their values are the simulated races' own
// index, so importing them (compi-import) gives the simulated days their ranks and zone patterns.
#include <algorithm>
#include <filesystem>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "cli/command.h"
#include "compi/compi_page_source.h"
#include "control/control_factory.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::cli {
namespace {
namespace fs = std::filesystem;

// The race's Compi values as the simulated race holds them; the highest is the recommended horse.
CompiPageRaceValues raceValues(const sim::SimRace& simRace) {
    CompiPageRaceValues race;
    race.race = simRace.card().number;
    race.values = simRace.compiValues();
    if (!race.values.empty())
        race.recommendedHorse = static_cast<int>(std::max_element(race.values.begin(), race.values.end()) - race.values.begin()) + 1;
    return race;
}

std::string pageTrackName(int track) {
    char code[4];
    std::snprintf(code, sizeof code, "%02d", track);
    std::string name = toUtf8(TrackName(code, 0));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

}  // namespace

int runCompiPages(const std::vector<std::string>& args) {
    int today = static_cast<int>(sim::minuteOf(now()) / 1440);
    const auto [dirText, first, last] = parseFolderAndDays(args, today, today + control::SimService::kFutureDays);
    fs::create_directories(dirText);
    control::SimService service(control::simSeed(), today);
    int pages = 0;
    const auto& trackDays = service.world().trackDays();
    for (std::size_t t = 0; t < trackDays.size(); ++t) {
        const sim::TrackDay& td = trackDays[t];
        if (td.day < first || td.day > last || td.races.empty()) continue;
        std::vector<CompiPageRaceValues> races;
        for (std::size_t r = 0; r < td.races.size(); ++r)
            if (td.races[r].number >= 1 && td.races[r].number <= kCompiPageRaces)
                races.push_back(raceValues(*service.race(static_cast<int>(t), static_cast<int>(r))));
        CivilDate date = civilDate(td.day);
        std::string stem = ymdText(td.day) + "-" + std::to_string(td.track);
        std::string track = pageTrackName(td.track);
        writeFileAtomic(fs::path(dirText) / (stem + "-2024.html"),
                        compiPageSource(CompiPageLayout::SouthKanto2024, date.year, date.month, date.day, track, races), false);
        ++pages;
        if (!sim::trackSpec(td.track)->southKanto) continue;
        writeFileAtomic(fs::path(dirText) / (stem + "-2022.html"),
                        compiPageSource(CompiPageLayout::AllTracks2022, date.year, date.month, date.day, track, races), false);
        ++pages;
    }
    printLine("pages: " + std::to_string(pages));
    return kOk;
}

}  // namespace vex::cli
