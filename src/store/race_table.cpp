#include "store/race_table.h"

#include <algorithm>

#include "store/record_reader.h"

namespace vex {

void RawRecords::clear() {
    clearAllButOdds();
    o1.clear();
    o2.clear();
    o3.clear();
    o4.clear();
    o5.clear();
    o6.clear();
    oa.clear();
}

void RawRecords::clearAllButOdds() {
    ra.clear();
    for (auto& r : se) r.clear();
    hr.clear();
    for (auto& runs : pastSe)
        for (auto& r : runs) r.clear();
    for (auto& runs : pastRa)
        for (auto& r : runs) r.clear();
}

void RacePayouts::clear() {
    winHorses.fill(0);
    placeHorses.fill(0);
    for (auto* labels : {&bracketQuinellaLabels, &quinellaLabels, &trioLabels})
        for (auto& l : *labels) l.clear();
    for (auto& l : wideLabels) l.clear();
    for (auto& l : exactaLabels) l.clear();
    for (auto& l : trifectaLabels) l.clear();
    popularity.fill(0);
    payout.fill(0);
}

void ResultsView::clear() {
    for (auto& entries : byKind) entries.clear();
}

void RaceRecord::reset() {
    oddsFetchTime.clear();
    oddsRecheckTime.clear();
    voteTime.clear();
    autoVoteSent = autoVoteArmed = spareFlag = 0;
    trackedHorse.fill(0);
    supportRate.fill(0);
    winOdds.fill(0);
    placeOddsLower.fill(0);
    placeOddsUpper.fill(0);
    compiValue.fill(0);
    compiRank.fill(0);
    // Frames are cleared too: otherwise a day without a Compi file would show the previous day's.
    frameCompiValue.fill(0);
    frameCompiRank.fill(0);
    recommendedHorse = recommendedFrame = recommendedHorseRank = recommendedFrameRank = 0;
    topValue = secondValue = 0;
    zonePattern = 0;
    zoneFlag.fill(0);
    for (auto& d : intervalDays) d.fill(0);
    for (auto& c : finishCounts) c.fill(0);
    winRate.fill(0);
    topTwoRate.fill(0);
    topThreeRate.fill(0);
    for (auto& styles : runningStyle)
        for (auto& s : styles) s.assign(2, ' ');
    finalPosition.fill(0);
    finalPopularity.fill(0);
    finalWinOdds.fill(0);
    // Payouts too: a day whose results are not stored yet must not show another day's payouts.
    winPayout.fill(0);
    placePayout.fill(0);
    payouts.clear();
    for (auto& w : workValues) w.fill(0);
    for (auto& w : workFlags) w.fill(0);
}

void RaceRecord::resetOdds() {
    winOdds.fill(0);
    placeOddsLower.fill(0);
    placeOddsUpper.fill(0);
    winPopularity.fill(0);
    placeLowerPopularity.fill(0);
    placeUpperPopularity.fill(0);
    bracketQuinellaOdds.fill(0);
    bracketQuinellaPopularity.fill(0);
    quinellaOdds.fill(0);
    quinellaPopularity.fill(0);
    wideOdds.fill(0);
    widePopularity.fill(0);
    exactaOdds.fill(0);
    exactaPopularity.fill(0);
    trioOdds.fill(0);
    trioPopularity.fill(0);
    trifectaOdds.fill(0);
    trifectaPopularity.fill(0);
    bracketExactaOdds.fill(0);
    bracketExactaPopularity.fill(0);
}

int RaceTable::slotOfListItem(int item) const {
    if (item < 0 || item >= static_cast<int>(raceListSlots.size())) return -1;
    return raceListSlots[static_cast<std::size_t>(item)];
}

int RaceTable::listItemOfSlot(int slot) const {
    if (slot < 0) return -1;
    auto at = std::find(raceListSlots.begin(), raceListSlots.end(), slot);
    return at == raceListSlots.end() ? -1 : static_cast<int>(at - raceListSlots.begin());
}

bool RaceTable::slotUsed(int slot) const {
    if (slot < 0 || slot >= kMaxRaces) return false;
    return !isEmptyYear(raw[static_cast<std::size_t>(slot)].ra.field(Common::Year));
}

void RaceTable::reset() {
    for (std::size_t s = 0; s < static_cast<std::size_t>(slotsToLoad); ++s) {
        races[s].reset();
        // Beside the payout block, so cleared beside it: a day without payouts yet must not
        // show the previous day's.
        bracketExactaLabels[s] = {};
        bracketExactaPopularity[s].fill(0);
        bracketExactaPayout[s].fill(0);
    }
}

int registeredRunners(const RaRecord& ra) {
    int n = fieldNumber(ra.field(RA::Registered));
    return n > kMaxRunners ? kMaxRunners : n;
}

int raceNumber(const RaRecord& ra) { return fieldNumber(ra.field(Common::RaceNumber)); }

}  // namespace vex
