#include "store/payout_reader.h"

#include <cstdio>

#include "store/day_files.h"
#include "store/record_reader.h"

namespace vex {

namespace {

int number(std::string_view record, Field f) { return fieldNumber(fieldOf(record, f)); }

// " 3- 6" / " 1- 2- 3" from a combination field of 1-digit frames or 2-digit horses; empty unless
// every number is above 0.
std::string comboLabel(std::string_view field, int digits) {
    int parts = static_cast<int>(field.size()) / digits;
    if (parts < 2 || parts > 3) return {};
    std::string label;
    for (int p = 0; p < parts; ++p) {
        int v = fieldNumber(field.substr(static_cast<std::size_t>(p * digits), static_cast<std::size_t>(digits)));
        if (v <= 0) return {};
        char buf[16];
        std::snprintf(buf, sizeof buf, p == 0 ? "%2d" : "-%2d", v);
        label += buf;
    }
    return label;
}

}  // namespace

void decodePayouts(RaceTable& table, int slot) {
    RaceRecord& race = table.races[static_cast<std::size_t>(slot)];
    RawRecords& raw = table.raw[static_cast<std::size_t>(slot)];
    std::string_view hr = raw.hr.view();
    RacePayouts& p = race.payouts;

    // Every label is cleared first: an entry without a combination shows none, whatever the HR
    // copy held before.
    p.clear();
    for (int j = 1; j <= HR::Win.entries; ++j) {
        p.winHorses[static_cast<std::size_t>(j - 1)] = number(hr, HR::Win.combination(j));
        p.popularity[static_cast<std::size_t>(PayoutAt::Win + j - 1)] = number(hr, HR::Win.popularity(j));
        p.payout[static_cast<std::size_t>(PayoutAt::Win + j - 1)] = number(hr, HR::Win.payout(j));
    }
    for (int j = 1; j <= HR::Place.entries; ++j) {
        int h = number(hr, HR::Place.combination(j));
        p.placeHorses[static_cast<std::size_t>(j - 1)] = h;
        p.popularity[static_cast<std::size_t>(PayoutAt::Place + j - 1)] = number(hr, HR::Place.popularity(j));
        p.payout[static_cast<std::size_t>(PayoutAt::Place + j - 1)] = number(hr, HR::Place.payout(j));
        // The finishing order of the paid horses is known before the final runner records arrive.
        // A final position already in the runner record stands: in a dead heat two horses are
        // both first although they hold place entries 1 and 2.
        if (h >= 1 && h <= kMaxRunners && fieldNumber(raw.se[static_cast<std::size_t>(h - 1)].field(SE::FinishPosition)) == 0) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02d", j);
            raw.se[static_cast<std::size_t>(h - 1)].setField(SE::FinishPosition, digits);
        }
    }
    auto labelled = [&](const PayoutBlock& block, int digits, int at, auto& labels) {
        for (int j = 1; j <= block.entries; ++j) {
            labels[static_cast<std::size_t>(j - 1)] = comboLabel(fieldOf(hr, block.combination(j)), digits);
            p.popularity[static_cast<std::size_t>(at + j - 1)] = number(hr, block.popularity(j));
            p.payout[static_cast<std::size_t>(at + j - 1)] = number(hr, block.payout(j));
        }
    };
    labelled(HR::BracketQuinella, 1, PayoutAt::BracketQuinella, p.bracketQuinellaLabels);
    labelled(HR::Quinella, 2, PayoutAt::Quinella, p.quinellaLabels);
    labelled(HR::Wide, 2, PayoutAt::Wide, p.wideLabels);
    labelled(HR::Exacta, 2, PayoutAt::Exacta, p.exactaLabels);
    labelled(HR::Trio, 2, PayoutAt::Trio, p.trioLabels);
    labelled(HR::Trifecta, 2, PayoutAt::Trifecta, p.trifectaLabels);

    auto& exLabels = table.bracketExactaLabels[static_cast<std::size_t>(slot)];
    auto& exPopularity = table.bracketExactaPopularity[static_cast<std::size_t>(slot)];
    auto& exPayout = table.bracketExactaPayout[static_cast<std::size_t>(slot)];
    for (int j = 1; j <= HR::BracketExacta.entries; ++j) {
        exLabels[static_cast<std::size_t>(j - 1)] = comboLabel(fieldOf(hr, HR::BracketExacta.combination(j)), 1);
        exPopularity[static_cast<std::size_t>(j - 1)] = number(hr, HR::BracketExacta.popularity(j));
        exPayout[static_cast<std::size_t>(j - 1)] = number(hr, HR::BracketExacta.payout(j));
    }

    for (int h = 1; h <= kMaxRunners; ++h) {
        race.winPayout[h] = 0;
        race.placePayout[h] = 0;
        for (int j = 0; j < HR::Win.entries; ++j)
            if (p.winHorses[static_cast<std::size_t>(j)] == h) race.winPayout[h] = p.payout[static_cast<std::size_t>(PayoutAt::Win + j)];
        for (int j = 0; j < HR::Place.entries; ++j)
            if (p.placeHorses[static_cast<std::size_t>(j)] == h)
                race.placePayout[h] = p.payout[static_cast<std::size_t>(PayoutAt::Place + j)];
    }
}

void readPayouts(RaceTable& table, bool runnersFresh) {
    const DayPaths& paths = table.paths;
    {
        RecordFile raFile(paths.ra, RecordLength::RA, RecordFile::Whole);
        if (raFile.exists()) {
            if (!runnersFresh) {
                RunnerFiles runnerFiles(paths.stamp);
                int slot = 0;
                for (std::size_t n = 0; n < raFile.count() && slot < kMaxRaces; ++n) {
                    table.takeSlot(slot);
                    RawRecords& raw = table.raw[static_cast<std::size_t>(slot)];
                    raFile.read(n, raw.ra.bytes.data());
                    if (isEmptyYear(raw.ra.field(Common::Year))) continue;  // the next record takes this slot
                    runnerFiles.read(raw);
                    ++slot;
                }
            }
            for (int s = 0; s < table.slotsToLoad; ++s) {
                RaceRecord& race = table.races[static_cast<std::size_t>(s)];
                const RawRecords& raw = table.raw[static_cast<std::size_t>(s)];
                for (int h = 1; h <= kMaxRunners; ++h) {
                    const SeRecord& se = raw.se[static_cast<std::size_t>(h - 1)];
                    race.finalPosition[h] = fieldNumber(se.field(SE::FinishPosition));
                    race.finalPopularity[h] = fieldNumber(se.field(SE::WinPopularity));
                    race.finalWinOdds[h] = fieldNumber(se.field(SE::WinOdds)) / 10.0;
                }
            }
        }
    }
    RecordFile hrFile(paths.hr, RecordLength::HR, RecordFile::Whole);
    if (hrFile.exists()) {
        for (int s = 0; s < table.slotsToLoad; ++s) table.raw[static_cast<std::size_t>(s)].hr.clear();
        char key[16];
        for (std::size_t n = 0; n < hrFile.count() && n < static_cast<std::size_t>(kMaxRaces); ++n) {
            hrFile.read(n, Common::RaceKey.pos - 1, Common::RaceKey.len, key);
            std::string_view hrKey(key, sizeof key);
            if (isEmptyYear(hrKey.substr(0, 4))) continue;  // would match every empty slot
            for (int s = 0; s < table.slotsToLoad; ++s) {
                RawRecords& raw = table.raw[static_cast<std::size_t>(s)];
                if (raw.ra.field(Common::RaceKey) == hrKey) {
                    hrFile.read(n, raw.hr.bytes.data());
                    break;
                }
            }
        }
        for (int s = 0; s < table.slotsToLoad; ++s) decodePayouts(table, s);
    }
    prepareResultsView(table);
}

void prepareResultsView(RaceTable& table) {
    struct KindBlock {
        int kind;
        const PayoutBlock* block;
    };
    static const KindBlock kBlocks[] = {
        {1, &HR::Win},      {2, &HR::Place},  {3, &HR::BracketQuinella}, {5, &HR::Quinella},
        {7, &HR::Wide},     {6, &HR::Exacta}, {8, &HR::Trio},            {9, &HR::Trifecta},
    };
    for (int s = 0; s < table.slotsToLoad; ++s) {
        ResultsView& view = table.results[static_cast<std::size_t>(s)];
        view.clear();
        std::string_view hr = table.raw[static_cast<std::size_t>(s)].hr.view();
        for (const KindBlock& kb : kBlocks) {
            auto& entries = view.byKind[static_cast<std::size_t>(kb.kind)];
            for (int j = 1; j <= kb.block->entries; ++j) {
                ResultEntry e;
                std::string_view combination = fieldOf(hr, kb.block->combination(j));
                if (kb.kind <= 2) {
                    e.horse = fieldNumber(combination);
                    if (e.horse > 0) {
                        char buf[16];
                        std::snprintf(buf, sizeof buf, "%2d", e.horse);
                        e.label = buf;
                    }
                } else {
                    e.label = comboLabel(combination, kb.kind == 3 ? 1 : 2);  // frames: one digit each
                }
                e.popularity = number(hr, kb.block->popularity(j));
                e.payout = number(hr, kb.block->payout(j));
                entries.push_back(std::move(e));
            }
        }
    }
}

}  // namespace vex
