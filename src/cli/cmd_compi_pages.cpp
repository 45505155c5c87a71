// compi-pages DIR [--from yyyymmdd] [--to yyyymmdd]: writes, for every track day of the simulated
// service in the window (default: today to the last day offered), the Compi page sources a user
// would copy from the index provider: "<yyyymmdd>-<track>-2024.html" for every track and, for the
// southern-Kanto tracks, "<yyyymmdd>-<track>-2022.html". Their values follow the horses' strength,
// so importing them (compi-import) gives the simulated days their ranks and zone patterns.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

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

// Values from abilities: the field's mean is 60, one standard unit above it 12 more, within 40-90.
// The strongest runner is the recommended horse.
CompiPageRaceValues raceValues(const sim::World& world, const sim::RaceCard& card) {
    CompiPageRaceValues race;
    race.race = card.number;
    std::vector<double> ability;
    for (sim::HorseId id : card.field) ability.push_back(world.horse(id).ability);
    if (ability.empty()) return race;
    double mean = std::accumulate(ability.begin(), ability.end(), 0.0) / static_cast<double>(ability.size());
    double spread = 0;
    for (double a : ability) spread += (a - mean) * (a - mean);
    spread = std::sqrt(spread / static_cast<double>(ability.size()));
    if (spread < 1e-9) spread = 1;
    for (double a : ability) race.values.push_back(std::clamp(static_cast<int>(std::lround(60 + 12 * (a - mean) / spread)), 40, 90));
    race.recommendedHorse = static_cast<int>(std::max_element(ability.begin(), ability.end()) - ability.begin()) + 1;
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
    for (const sim::TrackDay& td : service.world().trackDays()) {
        if (td.day < first || td.day > last || td.races.empty()) continue;
        std::vector<CompiPageRaceValues> races;
        for (const sim::RaceCard& card : td.races)
            if (card.number >= 1 && card.number <= kCompiPageRaces) races.push_back(raceValues(service.world(), card));
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
