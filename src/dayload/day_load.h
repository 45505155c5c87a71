#pragma once
// The day load: resets the race table and fills it from the store for one race day (the day
// selector's change event). Race and runner records, each race's Compi line, the three latest past
// runs of every runner and their summaries, payouts, odds, the race list, the zone pattern, the
// automatic times and the default amounts; at the end the first race is made current and, when the
// day's payouts are stored, the appearance file is written.
//
// The load runs on a worker into a fresh table while the window shows another one: it touches the
// table it is given and nothing else shared (it only reads the settings and the store, and writes
// the appearance file). Its progress and reporter are called on the loading thread.
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/reporter.h"
#include "store/day_files.h"
#include "store/race_table.h"

namespace vex {

// The progress window of a day load. The window implements it; the CLI and tests may pass none.
class DayLoadProgress {
public:
    virtual ~DayLoadProgress() = default;
    // Shown with `caption`, the day stamp and the bar's maximum, position 0; the busy cursor is on.
    virtual void show(const std::string& caption, const std::string& dayStamp, int maximum) = 0;
    virtual void step() = 0;   // one race read
    virtual void reset() = 0;  // back to 0 once the records are in
    virtual void hide() = 0;   // load over (cursor back to normal)
};

struct DayLoadOptions {
    bool batch = false;  // no message boxes (the direct read and vexmora-cli)
    Reporter* reporter = nullptr;
    DayLoadProgress* progress = nullptr;
};

struct DayLoadResult {
    bool loaded = false;       // false: the day's .nvRA does not exist
    int racesIgnored = 0;      // records of the .nvRA beyond the 96 slots
    int runnerOverflows = 0;   // races registering more than 18 runners (only 18 are read)
    int malformedOdds = 0;     // odds fields that were no number (read as no data)
    int compiSlotsSkipped = 0; // Compi slots naming a horse beyond 18 or a frame beyond 8
    bool appearanceWritten = false;
    // Set when the appearance file could not be written; the day is loaded all the same. The
    // message, then a line with the file and the system's reason (CP932).
    std::string appearanceError;
    // Set when store files of the day were cut inside a record (told once): the message, then a
    // line per file with what was wrong (CP932). The whole records were loaded.
    std::string damage;
};

// Texts of the day load.
std::string noRaceFileMessage();  // "データ作成が未完了のようです。"
// "データファイルを読み込めませんでした。": a store file of the day exists but cannot be read; the
// day is then not loaded at all, and the message is followed by the file and the reason.
std::string unreadableFileMessage();
std::string appearanceFailedMessage();  // "統計ファイルを書き込めませんでした。"

// Loads the day `dayStamp` into `table`. The first listed race is made current;
// selecting and drawing it is the caller's.
DayLoadResult loadDay(RaceTable& table, const std::string& dayStamp, const DayLoadOptions& options);

}  // namespace vex
