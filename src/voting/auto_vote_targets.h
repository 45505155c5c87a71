#pragma once
// Automatic voting, choosing what to vote: the target races by race conditions (the lists and
// ranges of store/race_criteria.h, shown in the automatic-voting window), the target horses by win
// popularity, and the automatic marks that put those horses on the index card. The track list
// offers the tracks of the loaded day under their own codes.
#include <array>
#include <string>
#include <vector>

#include "betting/bet_page.h"
#include "store/race_criteria.h"
#include "store/race_table.h"

namespace vex {

// A track of the loaded day: its code ("44") and its name as the race list shows it (CP932).
struct DayTrack {
    std::string code, name;
};
// The tracks of the day, in race-list order, each once.
std::vector<DayTrack> tracksOfDay(const RaceTable& table);

// The window's selections (the one table of race criteria).
using AutoVoteCriteria = RaceCriteria;

bool isTargetRace(const RaRecord& ra, const AutoVoteCriteria& criteria);

// A target race as automatic voting keeps it: by race key, so a reload of the day cannot point
// it at another race.
struct AutoVoteTarget {
    std::string raceKey;   // 16 characters
    std::string voteTime;  // "hhmmss"; empty when the race has no post time
    std::string postTime;  // "hhmm"
    std::string line;      // the target list's line: "10:45 浦和 1R" (CP932)
    std::string name;      // the race as log lines name it: "浦和 1R" (CP932)
};
// The target races of the day's race list, in its order.
std::vector<AutoVoteTarget> chooseTargets(const RaceTable& table, const AutoVoteCriteria& criteria);
// The slot of a race key in the table, -1 when the table does not hold it.
int slotOfRaceKey(const RaceTable& table, const std::string& raceKey);

// Target win popularities 1..18 (element 0 unused).
using PopularityTargets = std::array<bool, kMaxRunners + 1>;
bool anyPopularity(const PopularityTargets& targets);

// The automatic mark "●" (CP932).
const std::string& automaticMark();
// Writes the automatic mark into the ◎ column of every runner whose win popularity is a target,
// then regenerates the bets; the marks already there stay. The count of horses marked.
int markTargetHorses(BetPage& page, const PopularityTargets& targets);

}  // namespace vex
