#pragma once
// The data service's record layouts: the one table of field positions. Every reader and writer of
// records addresses fields through these constants (1-based byte position and length, as the
// service's published layouts give them), never through bare numbers.
#include <string>
#include <string_view>

namespace vex {

struct Field {
    int pos;  // 1-based
    int len;
    // The field `k`-th of a repeating group (k 1-based) whose members are `stride` bytes apart.
    constexpr Field at(int k, int stride) const { return {pos + stride * (k - 1), len}; }
};

// The bytes of `f` in `record`; shorter (possibly empty) when the record is too short.
inline std::string_view fieldOf(std::string_view record, Field f) {
    std::size_t start = static_cast<std::size_t>(f.pos - 1);
    if (start >= record.size()) return {};
    return record.substr(start, static_cast<std::size_t>(f.len));
}

// Overwrites `f` in `record` with `value` (cut or space-padded to the field's length); does nothing
// to a record too short to hold the field.
inline void setField(std::string& record, Field f, std::string_view value) {
    std::size_t start = static_cast<std::size_t>(f.pos - 1);
    if (start + f.len > record.size()) return;
    for (int i = 0; i < f.len; ++i) record[start + i] = i < static_cast<int>(value.size()) ? value[i] : ' ';
}

// Record lengths including the trailing CR LF.
namespace RecordLength {
inline constexpr int RA = 1272, SE = 555, HR = 719, O1 = 962, O2 = 2042, O3 = 2654, O4 = 4031, O5 = 12293,
                     O6 = 83285, OA = 693;
}

// Fields every record kind shares.
namespace Common {
inline constexpr Field Kind{1, 2};
inline constexpr Field Category{3, 1};
inline constexpr Field CategoryAndDate{3, 9};  // replaced by "000000000" in stored records
inline constexpr Field RaceKey{12, 16};        // year, month-day, track, meeting, day, race
inline constexpr Field Year{12, 4};
inline constexpr Field MonthDay{16, 4};
inline constexpr Field Date{12, 8};
inline constexpr Field Track{20, 2};
inline constexpr Field Meeting{22, 2};
inline constexpr Field MeetingDay{24, 2};
inline constexpr Field RaceNumber{26, 2};
inline constexpr Field MakeDate{4, 8};  // yyyymmdd the record was made
}  // namespace Common

namespace RA {
inline constexpr Field Weekday{28, 1};
inline constexpr Field RaceName{33, 60};
inline constexpr Field ShortName{605, 6};
inline constexpr Field Edition{612, 3};
inline constexpr Field Grade{615, 1};
inline constexpr Field Category{617, 2};
inline constexpr Field Symbol{619, 3};
inline constexpr Field WeightRule{622, 1};
inline constexpr Field YoungestAge{635, 3};
inline constexpr Field ConditionName{638, 60};
inline constexpr Field Distance{698, 4};
inline constexpr Field Surface{706, 2};
inline constexpr Field Prize{714, 8};       // .at(k, 8), k = 1..5, hundreds of yen
inline constexpr Field AddedPrize{810, 8};  // .at(k, 8), k = 1..3
inline constexpr Field PostTime{874, 4};    // hhmm
inline constexpr Field Registered{882, 2};
inline constexpr Field Finishers{886, 2};
inline constexpr Field Weather{888, 1};
inline constexpr Field TurfGoing{889, 1};
inline constexpr Field DirtGoing{890, 1};
inline constexpr Field Moisture{889, 2};  // draft-horse tracks 81..84: tenths of a percent
// Written by the simulated service; the program itself does not read them.
inline constexpr Field SpecialNumber{29, 4};
inline constexpr Field ShortName10{573, 20};
inline constexpr Field ShortName6{593, 12};
inline constexpr Field AgeCondition{623, 3};  // .at(k, 3), k = 1..5 (5 is the youngest-age code)
inline constexpr Field Starters{884, 2};
inline constexpr Field LapTime{891, 3};      // .at(k, 3), k = 1..25, 0.1 s per furlong
inline constexpr Field First3F{970, 3};
inline constexpr Field First4F{973, 3};
inline constexpr Field Last3F{976, 3};
inline constexpr Field Last4F{979, 3};
inline constexpr Field CornerOrder{982, 72};  // .at(k, 72): corner (1), laps (1), order text (70)
}  // namespace RA

namespace SE {
inline constexpr Field Frame{28, 1};
inline constexpr Field Horse{29, 2};
inline constexpr Field RegistrationNumber{31, 10};
inline constexpr Field HorseName{41, 36};
inline constexpr Field HorseSymbol{77, 2};
inline constexpr Field Sex{79, 1};
inline constexpr Field Coat{81, 2};
inline constexpr Field Age{83, 2};
inline constexpr Field Trainer{91, 8};
inline constexpr Field WeightCarried{289, 3};  // 0.1 kg
inline constexpr Field Jockey{307, 8};
inline constexpr Field BodyWeight{325, 3};
inline constexpr Field FinishPosition{335, 2};
inline constexpr Field Time{339, 4};
inline constexpr Field Corner{352, 2};  // .at(k, 2), k = 1..4
inline constexpr Field WinOdds{360, 4};  // 0.1
inline constexpr Field WinPopularity{364, 2};
inline constexpr Field Prize{366, 8};
inline constexpr Field AddedPrize{374, 8};
inline constexpr Field Last3F{391, 3};  // 0.1 s, "999" none
inline constexpr Field FirstPlacedName{404, 36};
inline constexpr Field TimeDifference{532, 4};
inline constexpr Field Abnormality{332, 1};  // 1 scratched, 2 and 3 excluded ... 7 demoted
// Written by the simulated service; the program itself does not read them.
inline constexpr Field Breed{80, 1};
inline constexpr Field TrainerCode{86, 5};
inline constexpr Field OwnerName{105, 64};
inline constexpr Field JockeyCode{297, 5};
inline constexpr Field Apprentice{323, 1};
inline constexpr Field BodyWeightSign{328, 1};    // "+", "-" or " "
inline constexpr Field BodyWeightChange{329, 3};  // kg
inline constexpr Field ArrivalOrder{333, 2};
inline constexpr Field DeadHeat{337, 1};
inline constexpr Field DeadHeatCount{338, 1};
inline constexpr Field Margin{343, 3};
inline constexpr Field Last4F{388, 3};
inline constexpr Field PlacedHorse{394, 46};  // .at(k, 46), k = 1..3: registration number (10) + name (36)
inline constexpr Field RunningStyle{553, 1};
}  // namespace SE

// HR: one block of entries per bet kind. Entry j (1-based) starts at first + length * (j - 1).
struct PayoutBlock {
    int first, entries, entryLength, combinationLength, payoutOffset, popularityOffset, popularityLength;
    constexpr Field combination(int j) const { return {first + entryLength * (j - 1), combinationLength}; }
    constexpr Field payout(int j) const { return {first + entryLength * (j - 1) + payoutOffset, 9}; }
    constexpr Field popularity(int j) const {
        return {first + entryLength * (j - 1) + popularityOffset, popularityLength};
    }
};
namespace HR {
inline constexpr Field Registered{28, 2};
inline constexpr Field Starters{30, 2};
inline constexpr Field NotEstablished{32, 9};  // one flag per kind
inline constexpr Field SpecialPayout{41, 9};
inline constexpr Field Refund{50, 9};
inline constexpr Field RefundHorses{59, 28};  // "1" at horse number
inline constexpr Field RefundFrames{87, 8};
inline constexpr Field RefundSameFrame{95, 8};
inline constexpr PayoutBlock Win{103, 3, 13, 2, 2, 11, 2};
inline constexpr PayoutBlock Place{142, 5, 13, 2, 2, 11, 2};
inline constexpr PayoutBlock BracketQuinella{207, 3, 13, 2, 2, 11, 2};
inline constexpr PayoutBlock Quinella{246, 3, 16, 4, 4, 13, 3};
inline constexpr PayoutBlock Wide{294, 7, 16, 4, 4, 13, 3};
inline constexpr PayoutBlock BracketExacta{406, 3, 13, 2, 2, 11, 2};
inline constexpr PayoutBlock Exacta{454, 6, 16, 4, 4, 13, 3};
inline constexpr PayoutBlock Trio{550, 3, 18, 6, 6, 15, 3};
inline constexpr PayoutBlock Trifecta{604, 6, 19, 6, 6, 15, 4};
}  // namespace HR

// Odds records: field k (1-based combination index) or runner i (0-based).
struct OddsBlock {
    int first, stride, oddsLength, popularityOffset, popularityLength;  // popularityLength 0: none
    constexpr Field odds(int k) const { return {first + stride * (k - 1), oddsLength}; }
    constexpr Field popularity(int k) const { return {first + stride * (k - 1) + popularityOffset, popularityLength}; }
};
namespace Odds {
inline constexpr Field AnnounceHour{32, 2};  // O1
inline constexpr Field AnnounceMinute{34, 2};
inline constexpr Field AnnounceTime{28, 8};  // MMDDhhmm, every odds record
inline constexpr Field Registered{36, 2};
inline constexpr Field Starters{38, 2};
inline constexpr Field SaleFlag{40, 1};      // .at(k, 1): O1 win, place, bracket quinella; others one flag
inline constexpr Field PlacePayKey{43, 1};   // O1: places paid (2 or 3)
// Combination numbers in front of each odds entry: .at(k, stride of the block).
inline constexpr Field WinHorse{44, 2};
inline constexpr Field PlaceHorse{268, 2};
inline constexpr Field WinRank{50, 2};     // .at(horse, 8): the service's own win popularity
inline constexpr Field PlaceRank{278, 2};  // .at(horse, 12)
inline constexpr Field BracketQuinellaCombination{604, 2};
inline constexpr Field PairCombination{41, 4};     // O2, O3, O4
inline constexpr Field TripleCombination{41, 6};   // O5, O6
inline constexpr Field BracketExactaCombination{41, 2};  // OA
// Vote totals (hundreds of yen): O1 win, place, bracket quinella; the others end 12 bytes before
// the record's end.
inline constexpr Field TotalWin{928, 11};
inline constexpr Field TotalPlace{939, 11};
inline constexpr Field TotalBracketQuinella{950, 11};
constexpr Field totalOf(int recordLength) { return {recordLength - 12, 11}; }
inline constexpr OddsBlock Win{46, 8, 4, 0, 0};          // O1, k = horse number
inline constexpr OddsBlock PlaceLower{270, 12, 4, 0, 0};  // O1
inline constexpr OddsBlock PlaceUpper{274, 12, 4, 0, 0};  // O1
inline constexpr OddsBlock BracketQuinella{606, 9, 5, 5, 2};  // O1, k = 1..36
inline constexpr OddsBlock Quinella{45, 13, 6, 6, 3};         // O2, k = 1..153
inline constexpr OddsBlock Wide{45, 17, 5, 10, 3};            // O3, k = 1..153 (lower odds)
inline constexpr OddsBlock WideUpper{50, 17, 5, 5, 3};        // O3 (upper odds)
inline constexpr OddsBlock Exacta{45, 13, 6, 6, 3};           // O4, k = 1..306
inline constexpr OddsBlock Trio{47, 15, 6, 6, 3};             // O5, k = 1..816
inline constexpr OddsBlock Trifecta{47, 17, 7, 7, 4};         // O6, k = 1..4896
inline constexpr OddsBlock BracketExacta{43, 10, 6, 6, 2};    // OA, k = 1..64
}  // namespace Odds

}  // namespace vex
