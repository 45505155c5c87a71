#pragma once
// The payout reader (払戻取込): refreshes the day's race and runner records from the store, takes
// every runner's final position, popularity and win odds, copies each race's payout record into
// its slot and decodes the payouts of all nine kinds. It ends by preparing the results view.
#include "store/race_table.h"

namespace vex {

// Reads the loaded day's results and payouts into every slot (table.paths name the day).
// `runnersFresh`: the race and runner records were read from the store a moment ago (the day load)
// and need not be read again; the final results are still taken from them.
void readPayouts(RaceTable& table, bool runnersFresh = false);

// Decodes the slot's HR copy into its payout block, the bracket-exacta arrays and the per-runner
// payouts, and writes the place positions into the raw runner records.
void decodePayouts(RaceTable& table, int slot);

// Rebuilds the results view of all 96 slots from their HR copies (Calc).
void prepareResultsView(RaceTable& table);

}  // namespace vex
