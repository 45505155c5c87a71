#pragma once
// The race conditions that choose automatic voting's target races, in one table of lists (captions
// and the codes each item matches), ranges and defaults. The analysis window's strategy check uses
// the same table on the stored days, so "what would this setting have done" picks exactly the races
// automatic voting would.
//
// The store holds the southern-Kanto tracks only, so the class list offers the classes local races
// carry: condition code 000 (a general class, its name only in the condition text), 999 (open), 703
// (maiden), and the grade letters (D local graded, E special, A to C the national grades).
#include <string>
#include <vector>

#include "store/race_table.h"

namespace vex {

// One item of a criteria list: its caption (UTF-8) and the codes it matches.
struct CriteriaItem {
    const char* caption;
    std::vector<std::string> codes;
};

// "トラック": surface codes; "種別": race-type codes; "クラス": condition codes, "general" or grade
// letters ("G:" + letter); "重量": weight-rule codes. Item k of a window's list is element k here.
const std::vector<CriteriaItem>& surfaceItems();
const std::vector<CriteriaItem>& raceTypeItems();
const std::vector<CriteriaItem>& classItems();
const std::vector<CriteriaItem>& weightItems();

// What the criteria look at in a race, as the codes of the lists.
struct RaceConditions {
    std::string track, surface, raceType, weightRule;  // "44", "24", "13", "3"
    std::vector<std::string> classes;                  // see classCodes
    int registered = 0, distance = 0;
};
// The class codes of a race: its condition code ("000" when blank), then "G:" + its grade letter,
// or "general" when it has neither grade nor condition.
std::vector<std::string> classCodes(std::string condition, std::string grade);
RaceConditions conditionsOf(const RaRecord& ra);

// The ranges of the two spin-box pairs; the runner range is its own default.
inline constexpr int kRunnersLow = 5, kRunnersHigh = 18;
inline constexpr int kDistanceLow = 0, kDistanceHigh = 9900, kDistanceStep = 100;
inline constexpr int kDistanceFrom = 1000, kDistanceTo = 5000;

// The selections. An empty selection of a list matches every race; the two ranges always apply.
struct RaceCriteria {
    std::vector<std::string> tracks;  // track codes
    std::vector<int> surfaces, raceTypes, classes, weights;  // item indexes
    int runnersFrom = kRunnersLow, runnersTo = kRunnersHigh;
    int distanceFrom = kDistanceFrom, distanceTo = kDistanceTo;
    bool matches(const RaceConditions& race) const;
};

}  // namespace vex
