#include "store/race_criteria.h"

#include <algorithm>
#include <span>

#include "store/record_layout.h"
#include "vocabulary/codes.h"
#include "vocabulary/fields.h"

namespace vex {

namespace {

std::vector<std::string> codeRange(int from, int to) {
    std::vector<std::string> codes;
    for (int c = from; c <= to; ++c) codes.push_back(formatText("%02d", c));
    return codes;
}

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// A list matches when nothing is selected or one selected item holds one of the race's codes.
bool listMatches(const std::vector<int>& selected, const std::vector<CriteriaItem>& items,
                 std::span<const std::string> raceCodes) {
    if (selected.empty()) return true;
    for (int index : selected) {
        if (index < 0 || index >= static_cast<int>(items.size())) continue;
        for (const std::string& code : items[static_cast<std::size_t>(index)].codes)
            if (std::find(raceCodes.begin(), raceCodes.end(), code) != raceCodes.end()) return true;
    }
    return false;
}

bool within(int value, int from, int to) { return value >= from && value <= to; }

}  // namespace

const std::vector<CriteriaItem>& surfaceItems() {
    static const std::vector<CriteriaItem> items{{"芝", codeRange(10, 22)}, {"ダート", codeRange(23, 29)}};
    return items;
}

const std::vector<CriteriaItem>& raceTypeItems() {
    static const std::vector<CriteriaItem> items{
        {"２歳", {"11"}}, {"３歳", {"12"}}, {"３歳上", {"13", "18"}}, {"４歳上", {"14", "19"}}};
    return items;
}

const std::vector<CriteriaItem>& classItems() {
    static const std::vector<CriteriaItem> items{
        {"未勝利", {"703"}}, {"一般", {"general"}}, {"特別", {"G:E"}},  {"オープン", {"999"}},
        {"重賞", {"G:D"}},  {"G３", {"G:C"}},      {"G２", {"G:B"}},  {"G１", {"G:A"}}};
    return items;
}

const std::vector<CriteriaItem>& weightItems() {
    static const std::vector<CriteriaItem> items{{"ハンデ", {"1"}}, {"別定", {"2"}}, {"馬齢", {"3"}}, {"定量", {"4"}}};
    return items;
}

std::vector<std::string> classCodes(std::string condition, std::string grade) {
    condition = trimmed(condition);
    grade = trimmed(grade);
    if (condition.empty()) condition = "000";
    std::vector<std::string> codes{condition};
    if (!grade.empty() && grade != "-") codes.push_back("G:" + grade);
    else if (condition == "000") codes.push_back("general");
    return codes;
}

RaceConditions conditionsOf(const RaRecord& ra) {
    RaceConditions race;
    race.track = std::string(ra.field(Common::Track));
    race.surface = std::string(ra.field(RA::Surface));
    race.raceType = std::string(ra.field(RA::Category));
    race.weightRule = std::string(ra.field(RA::WeightRule));
    race.classes = classCodes(std::string(ra.field(RA::YoungestAge)), std::string(ra.field(RA::Grade)));
    race.registered = fieldNumber(ra.field(RA::Registered));
    race.distance = fieldNumber(ra.field(RA::Distance));
    return race;
}

bool RaceCriteria::matches(const RaceConditions& race) const {
    if (!tracks.empty() && std::find(tracks.begin(), tracks.end(), race.track) == tracks.end()) return false;
    // Spans over the single codes, not vectors: the strategy check matches every stored race.
    return listMatches(surfaces, surfaceItems(), {&race.surface, 1}) &&
           listMatches(raceTypes, raceTypeItems(), {&race.raceType, 1}) &&
           listMatches(classes, classItems(), race.classes) &&
           listMatches(weights, weightItems(), {&race.weightRule, 1}) &&
           within(race.registered, runnersFrom, runnersTo) && within(race.distance, distanceFrom, distanceTo);
}

}  // namespace vex
