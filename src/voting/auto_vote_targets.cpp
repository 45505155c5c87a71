#include "voting/auto_vote_targets.h"

#include <algorithm>

#include "store/record_layout.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
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

// A list matches when nothing is selected or one selected item holds the race's code.
bool listMatches(const std::vector<int>& selected, const std::vector<CriteriaItem>& items,
                 const std::vector<std::string>& raceCodes) {
    if (selected.empty()) return true;
    for (int index : selected) {
        if (index < 0 || index >= static_cast<int>(items.size())) continue;
        for (const std::string& code : items[static_cast<std::size_t>(index)].codes)
            if (std::find(raceCodes.begin(), raceCodes.end(), code) != raceCodes.end()) return true;
    }
    return false;
}

// What the class items are matched against: the condition code, and the grade as "G:" + letter.
// A race without a grade letter and with condition code 000 (or none) is of a general class.
std::vector<std::string> classCodesOf(const RaRecord& ra) {
    std::string condition = trimmed(ra.field(RA::YoungestAge));
    const std::string grade = trimmed(ra.field(RA::Grade));
    if (condition.empty()) condition = "000";
    std::vector<std::string> codes{condition};
    if (!grade.empty() && grade != "-") codes.push_back("G:" + grade);
    else if (condition == "000") codes.push_back("general");
    return codes;
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

std::vector<DayTrack> tracksOfDay(const RaceTable& table) {
    std::vector<DayTrack> tracks;
    for (int slot : table.raceListSlots) {
        const std::string code(table.raw[static_cast<std::size_t>(slot)].ra.field(Common::Track));
        const bool known = std::any_of(tracks.begin(), tracks.end(), [&](const DayTrack& t) { return t.code == code; });
        if (!known) tracks.push_back({code, trimmed(TrackName(code, 2))});
    }
    return tracks;
}

bool isTargetRace(const RaRecord& ra, const AutoVoteCriteria& c) {
    const std::string track(ra.field(Common::Track));
    if (!c.tracks.empty() && std::find(c.tracks.begin(), c.tracks.end(), track) == c.tracks.end()) return false;
    if (!listMatches(c.surfaces, surfaceItems(), {std::string(ra.field(RA::Surface))})) return false;
    if (!listMatches(c.raceTypes, raceTypeItems(), {std::string(ra.field(RA::Category))})) return false;
    if (!listMatches(c.classes, classItems(), classCodesOf(ra))) return false;
    if (!listMatches(c.weights, weightItems(), {std::string(ra.field(RA::WeightRule))})) return false;
    return within(fieldNumber(ra.field(RA::Distance)), c.distanceFrom, c.distanceTo) &&
           within(fieldNumber(ra.field(RA::Registered)), c.runnersFrom, c.runnersTo);
}

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
