#include "betting/race_adapter.h"

#include <algorithm>

#include "store/race_table.h"

namespace vex {

namespace {

template <class Odds, class Pop>
void copyTable(BetRace& race, BetKind kind, const Odds& odds, const Pop& popularity) {
    const int c = static_cast<int>(kind);
    race.odds[c].assign(odds.begin(), odds.end());
    race.popularity[c].assign(popularity.begin(), popularity.end());
}

template <std::size_t N>
std::vector<std::string> labels(const std::array<std::string, N>& from) {
    return {from.begin(), from.end()};
}

// A runner that will not start: its record says scratched or excluded (abnormality 1 to 3), or
// the win odds read for the race show "----" or a blank for it while other runners have odds.
void markNonStarters(BetRace& race, const RaceRecord& rec, const RawRecords& raw) {
    const bool winOddsRead = std::any_of(rec.winOdds.begin() + 1, rec.winOdds.end(), [](double o) { return o > 0; });
    for (int m = 0; m < race.runners; ++m) {
        const int h = race.cardRows[static_cast<std::size_t>(m)].horse;
        if (h < 1 || h > kMaxRunners) continue;
        const int abnormality = fieldNumber(raw.se[m].field(SE::Abnormality));
        const bool noOdds = rec.winOdds[h] == Cancelled || rec.winOdds[h] == NoData;
        race.nonStarter[h] = (abnormality >= 1 && abnormality <= 3) || (winOddsRead && noOdds);
    }
}

}  // namespace

BetRace betRaceOf(const RaceTable& table, int slot) {
    BetRace race;
    race.sizeTables();
    if (slot < 0 || slot >= kMaxRaces) return race;
    const RaceRecord& rec = table.races[slot];
    const RawRecords& raw = table.raw[slot];
    race.slot = slot;
    race.runners = registeredRunners(raw.ra);
    race.recommendedHorse = rec.recommendedHorse;
    race.zonePattern = rec.zonePattern;

    race.cardRows.resize(race.runners);
    for (int m = 0; m < race.runners; ++m) {
        const SeRecord& se = raw.se[m];
        BetRunner& r = race.cardRows[m];
        r.frame = fieldNumber(se.field(SE::Frame));
        r.horse = fieldNumber(se.field(SE::Horse));
        r.name = std::string(se.field(SE::HorseName));
        // The card's values are by horse number; a runner record without one shows none.
        const int h = r.horse >= 1 && r.horse <= kMaxRunners ? r.horse : 0;
        if (h == 0) continue;
        r.compiValue = rec.compiValue[h];
        r.compiRank = rec.compiRank[h];
        r.winOdds = rec.winOdds[h];
        r.winPopularity = rec.winPopularity[h];
        r.zoneFlag = rec.zoneFlag[h];
    }

    markNonStarters(race, rec, raw);

    copyTable(race, BetKind::Win, rec.winOdds, rec.winPopularity);
    copyTable(race, BetKind::Place, rec.placeOddsLower, rec.placeLowerPopularity);
    copyTable(race, BetKind::BracketQuinella, rec.bracketQuinellaOdds, rec.bracketQuinellaPopularity);
    copyTable(race, BetKind::BracketExacta, rec.bracketExactaOdds, rec.bracketExactaPopularity);
    copyTable(race, BetKind::Quinella, rec.quinellaOdds, rec.quinellaPopularity);
    copyTable(race, BetKind::Exacta, rec.exactaOdds, rec.exactaPopularity);
    copyTable(race, BetKind::QuinellaPlace, rec.wideOdds, rec.widePopularity);
    copyTable(race, BetKind::Trio, rec.trioOdds, rec.trioPopularity);
    copyTable(race, BetKind::Trifecta, rec.trifectaOdds, rec.trifectaPopularity);
    std::copy(rec.winPopularity.begin(), rec.winPopularity.end(), race.winPopularity.begin());

    const RacePayouts& pay = rec.payouts;
    race.winHorses = pay.winHorses;
    race.placeHorses = pay.placeHorses;
    race.paidLabels[static_cast<int>(BetKind::BracketQuinella)] = labels(pay.bracketQuinellaLabels);
    race.paidLabels[static_cast<int>(BetKind::Quinella)] = labels(pay.quinellaLabels);
    race.paidLabels[static_cast<int>(BetKind::QuinellaPlace)] = labels(pay.wideLabels);
    race.paidLabels[static_cast<int>(BetKind::Exacta)] = labels(pay.exactaLabels);
    race.paidLabels[static_cast<int>(BetKind::Trio)] = labels(pay.trioLabels);
    race.paidLabels[static_cast<int>(BetKind::Trifecta)] = labels(pay.trifectaLabels);
    race.paidLabels[static_cast<int>(BetKind::BracketExacta)] = labels(table.bracketExactaLabels[slot]);
    // Empty labels never match a line.
    for (auto& list : race.paidLabels)
        list.erase(std::remove(list.begin(), list.end(), std::string()), list.end());

    race.year = std::string(raw.ra.field(Common::Year));
    race.monthDay = std::string(raw.ra.field(Common::MonthDay));
    race.trackCode = std::string(raw.ra.field(Common::Track));
    race.raceNumber = std::string(raw.ra.field(Common::RaceNumber));
    race.postTime = std::string(raw.ra.field(RA::PostTime));
    for (std::size_t i = 0; i < table.raceListSlots.size(); ++i)
        if (table.raceListSlots[i] == slot && i < table.raceList.size()) race.listEntry = table.raceList[i];
    return race;
}

}  // namespace vex
