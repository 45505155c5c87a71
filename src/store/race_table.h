#pragma once
// The race table: the in-memory model of one race day. 96 race slots, each a RaceRecord (values
// derived at load time) plus its RawRecords (byte copies of the stored records). There is no
// global table: the window owns the loaded day's table, and a day load fills a fresh one (on a
// worker) that the window swaps in when the load ends; the odds and payout readers refresh slots
// in place, and every other module reads the table it is given.
//
// Index conventions, so that code reads like the rules it implements:
//   runner arrays are indexed by horse number 1..18 (element 0 unused),
//   frame arrays by frame 1..8 (element 0 unused),
//   combination arrays by CombinationIndex 1..K (element 0 unused),
//   past-run arrays by past run k = 1..3 (element 0 unused),
//   raw runner copies by m = horse number - 1 (as the slot file stores them).
//
// Only the three past runs the program fills are kept: the whole table stays near 30 MB, so it is
// always allocated on the heap (std::make_unique), never on a stack.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/fields.h"

namespace vex {

inline constexpr int kMaxRaces = 96;
inline constexpr int kMaxRunners = 18;
inline constexpr int kMaxFrames = 8;
inline constexpr int kPastRuns = 3;

// Odds values besides positive odds and 0 (no votes / reset).
inline constexpr double Cancelled = -1.0;
inline constexpr double NoData = -2.0;

// Combinations per bet kind (sizes of the odds tables).
inline constexpr int kBracketQuinellaCount = 36, kQuinellaCount = 153, kWideCount = 153, kExactaCount = 306,
                     kTrioCount = 816, kTrifectaCount = 4896, kBracketExactaCount = 64;

template <class T, int N>
using OneBased = std::array<T, static_cast<std::size_t>(N) + 1>;  // element 0 unused

// A byte copy of one record, including its CR LF. Unfilled copies are all spaces.
template <int N>
struct RawRecord {
    static constexpr int kLength = N;
    std::array<char, N> bytes;

    RawRecord() { clear(); }
    void clear() { bytes.fill(' '); }
    std::string_view view() const { return {bytes.data(), bytes.size()}; }
    operator std::string_view() const { return view(); }
    std::string_view field(Field f) const { return fieldOf(view(), f); }
    // Copies `src` (cut to N bytes; a short source leaves the rest as spaces).
    void assign(std::string_view src) {
        std::size_t n = src.size() < bytes.size() ? src.size() : bytes.size();
        std::copy(src.begin(), src.begin() + static_cast<std::ptrdiff_t>(n), bytes.begin());
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(n), bytes.end(), ' ');
    }
    // Overwrites a field (cut or space-padded to its length); a field beyond the record is ignored.
    void setField(Field f, std::string_view value) {
        if (f.pos < 1 || f.pos - 1 + f.len > N) return;
        for (int i = 0; i < f.len; ++i)
            bytes[f.pos - 1 + i] = i < static_cast<int>(value.size()) ? value[i] : ' ';
    }
    bool operator==(const RawRecord&) const = default;
};

using RaRecord = RawRecord<RecordLength::RA>;
using SeRecord = RawRecord<RecordLength::SE>;

// Byte copies of the records of one slot.
struct RawRecords {
    RaRecord ra;
    std::array<SeRecord, kMaxRunners> se;  // element m: horse number m + 1
    RawRecord<RecordLength::HR> hr;
    RawRecord<RecordLength::O1> o1;
    RawRecord<RecordLength::O2> o2;
    RawRecord<RecordLength::O3> o3;
    RawRecord<RecordLength::O4> o4;
    RawRecord<RecordLength::O5> o5;
    RawRecord<RecordLength::O6> o6;
    RawRecord<RecordLength::OA> oa;
    // [m][k - 1]: past run k of horse m + 1.
    std::array<std::array<SeRecord, kPastRuns>, kMaxRunners> pastSe;
    std::array<std::array<RaRecord, kPastRuns>, kMaxRunners> pastRa;

    void clear();  // every copy back to spaces
    // Every copy but the odds copies, which the day load's odds read fills or clears itself.
    void clearAllButOdds();
    bool operator==(const RawRecords&) const = default;
};

// Positions of the kinds inside the 36 popularity and payout values of a payout block.
namespace PayoutAt {
inline constexpr int Win = 0, Place = 3, BracketQuinella = 8, Quinella = 11, Wide = 14, Exacta = 21, Trio = 27,
                     Trifecta = 30, Count = 36;
}

// The decoded payouts of a race (bracket exacta apart: see RaceTable::bracketExacta*).
struct RacePayouts {
    std::array<int, 3> winHorses{};    // 0 = no entry
    std::array<int, 5> placeHorses{};
    std::array<std::string, 3> bracketQuinellaLabels;  // " 3- 6"; empty = no entry
    std::array<std::string, 3> quinellaLabels;
    std::array<std::string, 7> wideLabels;
    std::array<std::string, 6> exactaLabels;
    std::array<std::string, 3> trioLabels;  // " 1- 2- 3"
    std::array<std::string, 6> trifectaLabels;
    std::array<int, PayoutAt::Count> popularity{};  // order of PayoutAt
    std::array<int, PayoutAt::Count> payout{};      // yen per 100 yen

    void clear();
    bool operator==(const RacePayouts&) const = default;
};

// One entry of the results view: label (or "%2d" horse number for win and place), popularity, payout.
struct ResultEntry {
    int horse = 0;  // win and place only
    std::string label;
    int popularity = 0;
    int payout = 0;
    bool operator==(const ResultEntry&) const = default;
};

// What the results view shows of a race, derived from the slot's HR copy alone (CalcBtn).
// byKind is indexed by bet kind code 1..9; the entry counts are the payout entries of the kind.
// Kind 4 (bracket exacta) is left empty here: the view takes it from RaceTable::bracketExacta*.
struct ResultsView {
    std::array<std::vector<ResultEntry>, 10> byKind;
    void clear();
    bool operator==(const ResultsView&) const = default;
};

struct RaceRecord {
    // Automatic times, "hhmmss"; empty when the post time is blank.
    std::string oddsFetchTime, oddsRecheckTime, voteTime;
    // Automatic voting: vote sent, race armed; and one spare.
    std::uint8_t autoVoteSent = 0, autoVoteArmed = 0, spareFlag = 0;
    OneBased<std::uint8_t, kMaxRunners> trackedHorse{};

    // Odds tables (values: positive odds, 0, Cancelled, NoData) and popularity (0 = none).
    OneBased<double, kMaxRunners> supportRate{};
    OneBased<double, kMaxRunners> winOdds{}, placeOddsLower{}, placeOddsUpper{};
    OneBased<int, kMaxRunners> winPopularity{}, placeLowerPopularity{}, placeUpperPopularity{};
    OneBased<double, kBracketQuinellaCount> bracketQuinellaOdds{};
    OneBased<int, kBracketQuinellaCount> bracketQuinellaPopularity{};
    OneBased<double, kQuinellaCount> quinellaOdds{};
    OneBased<int, kQuinellaCount> quinellaPopularity{};
    OneBased<double, kWideCount> wideOdds{};  // lower bound only
    OneBased<int, kWideCount> widePopularity{};
    OneBased<double, kExactaCount> exactaOdds{};
    OneBased<int, kExactaCount> exactaPopularity{};
    OneBased<double, kTrioCount> trioOdds{};
    OneBased<int, kTrioCount> trioPopularity{};
    OneBased<double, kTrifectaCount> trifectaOdds{};
    OneBased<int, kTrifectaCount> trifectaPopularity{};
    OneBased<double, kBracketExactaCount> bracketExactaOdds{};
    OneBased<int, kBracketExactaCount> bracketExactaPopularity{};
    std::string oddsAnnounceTime;  // "hhmm"

    // Compi index of the race (0 = none).
    OneBased<int, kMaxRunners> compiValue{}, compiRank{};
    OneBased<int, kMaxFrames> frameCompiValue{}, frameCompiRank{};
    int recommendedHorse = 0, recommendedFrame = 0;
    int recommendedHorseRank = 0, recommendedFrameRank = 0;
    int topValue = 0, secondValue = 0;

    int zonePattern = 0;  // 0 none, 1..5 = A..E
    OneBased<int, kMaxRunners> zoneFlag{};

    // Past-run summaries. [h][k]: k = 1 is today's race against past run 1.
    OneBased<OneBased<int, kPastRuns>, kMaxRunners> intervalDays{};
    OneBased<std::array<int, 4>, kMaxRunners> finishCounts{};  // 1st, 2nd, 3rd, other
    OneBased<double, kMaxRunners> winRate{}, topTwoRate{}, topThreeRate{};  // percent
    OneBased<OneBased<std::string, kPastRuns>, kMaxRunners> runningStyle;  // 2 bytes: 逃 先 中 後 or spaces

    // Final results (from the runner records) and per-runner payouts (yen per 100 yen).
    OneBased<int, kMaxRunners> finalPosition{}, finalPopularity{};
    OneBased<double, kMaxRunners> finalWinOdds{};
    OneBased<int, kMaxRunners> winPayout{}, placePayout{};
    RacePayouts payouts;

    // Scratch per runner reserved for the bet builder and the time-series views; cleared on reset.
    std::array<OneBased<double, kMaxRunners>, 4> workValues{};
    std::array<OneBased<int, kMaxRunners>, 4> workFlags{};

    RaceRecord() { reset(); }
    // The table reset of a day load: times, flags, Compi values, summaries, zone values, final results
    // and payouts. Odds tables are left to the odds reader, which resets them itself.
    void reset();
    // Odds and popularity of every kind back to 0 (first step of each odds read).
    void resetOdds();
    bool operator==(const RaceRecord&) const = default;
};

struct RaceTable {
    std::array<RaceRecord, kMaxRaces> races;
    std::array<RawRecords, kMaxRaces> raw;

    // The three bracket-exacta payout entries of each slot (beside the payout block).
    std::array<std::array<std::string, 3>, kMaxRaces> bracketExactaLabels;
    std::array<std::array<int, 3>, kMaxRaces> bracketExactaPopularity{};
    std::array<std::array<int, 3>, kMaxRaces> bracketExactaPayout{};

    std::array<ResultsView, kMaxRaces> results;

    int currentSlot = -1;  // slot shown in the views; -1 before a race is selected
    int oddsTargetSlot = 0;     // slot the odds reader fills
    std::string latestPostTime = "1800";

    DayPaths paths;          // the loaded day's files (paths.stamp: its day stamp)
    bool dayLoaded = false;  // a day's .nvRA was read
    int slotsRead = 0;       // records taken from the .nvRA (used slots are 0 .. slotsRead - 1)
    // Slots from this one on hold exactly what a day load leaves in a slot without a race, so the
    // next load need not clear and re-read them: a day has far fewer races than slots. A table
    // that has not been through a load yet counts every slot. Whatever fills a slot raises it.
    int slotsToLoad = kMaxRaces;

    // One line per race with data ("大井 1R"), and the slot each line stands for.
    std::vector<std::string> raceList;
    std::vector<int> raceListSlots;
    // Per race with data: track code + short name ("44大井").
    std::vector<std::string> trackList;
    std::array<int, kMaxRaces> defaultAmounts{};

    // For the window: result refresh interval (minutes) and whether it runs (the day is today), and
    // whether the remaining-time label is shown.
    int resultRefreshMinutes = 10;
    bool resultRefreshEnabled = false;
    bool showRemainingTime = false;

    // Slot of race list line `item`, -1 when out of range.
    int slotOfListItem(int item) const;
    // Race list line of `slot`, -1 when the list does not hold it.
    int listItemOfSlot(int slot) const;
    // True when the slot's race record has a year (not blank, not "0000").
    bool slotUsed(int slot) const;
    // The table reset (every RaceRecord that may hold a race), before every day load.
    void reset();
    // Slot `slot` is about to receive records.
    void takeSlot(int slot) {
        if (slot >= slotsToLoad) slotsToLoad = slot + 1 < kMaxRaces ? slot + 1 : kMaxRaces;
    }
};

// Race record helpers.
int registeredRunners(const RaRecord& ra);  // 0..18 (a larger count is capped)
int raceNumber(const RaRecord& ra);

}  // namespace vex
