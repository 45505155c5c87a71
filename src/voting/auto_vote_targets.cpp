#include "voting/auto_vote_targets.h"

#include <algorithm>

#include "store/record_layout.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {

namespace {

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::vector<DayTrack> tracksOfDay(const RaceTable& table) {
    std::vector<DayTrack> tracks;
    for (int slot : table.raceListSlots) {
        const std::string code(table.raw[static_cast<std::size_t>(slot)].ra.field(Common::Track));
        const bool known = std::any_of(tracks.begin(), tracks.end(), [&](const DayTrack& t) { return t.code == code; });
        if (!known) tracks.push_back({code, trimmed(TrackName(code, 2))});
    }
    return tracks;
}

bool isTargetRace(const RaRecord& ra, const AutoVoteCriteria& criteria) { return criteria.matches(conditionsOf(ra)); }

std::vector<AutoVoteTarget> chooseTargets(const RaceTable& table, const AutoVoteCriteria& criteria) {
    std::vector<AutoVoteTarget> targets;
    for (int slot : table.raceListSlots) {
        const auto s = static_cast<std::size_t>(slot);
        const RaRecord& ra = table.raw[s].ra;
        if (!isTargetRace(ra, criteria)) continue;
        AutoVoteTarget t;
        t.raceKey = std::string(ra.field(Common::RaceKey));
        t.voteTime = trimmed(table.races[s].voteTime);
        t.postTime = std::string(ra.field(RA::PostTime));
        t.name = TrackName(ra.field(Common::Track), 2) + formatText("%2d", raceNumber(ra)) + "R";
        t.line = t.postTime.substr(0, 2) + ":" + t.postTime.substr(2, 2) + " " + t.name;
        targets.push_back(std::move(t));
    }
    return targets;
}

int slotOfRaceKey(const RaceTable& table, const std::string& raceKey) {
    for (int slot : table.raceListSlots)
        if (table.raw[static_cast<std::size_t>(slot)].ra.field(Common::RaceKey) == raceKey) return slot;
    return -1;
}

bool anyPopularity(const PopularityTargets& targets) {
    return std::find(targets.begin() + 1, targets.end(), true) != targets.end();
}

const std::string& automaticMark() {
    static const std::string mark = sj("●");
    return mark;
}

int markTargetHorses(BetPage& page, const PopularityTargets& targets) {
    const BetRace* race = page.race();
    if (!race) return 0;
    std::vector<int> horses;
    for (int horse = 1; horse <= kMaxRunners; ++horse) {
        const int popularity = race->winPopularity[static_cast<std::size_t>(horse)];
        if (popularity >= 1 && popularity <= kMaxRunners && targets[static_cast<std::size_t>(popularity)])
            horses.push_back(horse);
    }
    page.markHorses(kCardMark1, horses, automaticMark());
    return static_cast<int>(horses.size());
}

}  // namespace vex
