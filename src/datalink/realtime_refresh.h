#pragma once
// The real-time refresh: on a race day, fetches the odds of races and the day's results through
// the data service's real-time requests and merges them into the same day files the bulk download
// fills. Errors never open a dialog: they go to the status label (the Reporter's status) and to
// ErrorLog.txt.
//
// A command runs on the worker and touches no race table: it is given what it needs of the loaded
// day (RefreshRace), stores the records, and says what to reload. The window applies the reload
// (applyRefresh) to the table it shows, on its own thread, once the command has ended.
//
// Every file a command touches is held in memory and written once, atomically, when the command
// ends. The records of a read loop that fails are dropped, so a service error leaves the store as
// it was.
#include <array>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cancel_token.h"
#include "app/clock.h"
#include "app/reporter.h"
#include "datalink/data_control.h"
#include "store/race_table.h"

namespace vex {

class HeldStore;

// Per race slot of the loaded day: its odds were fetched in real time, and on which calendar day.
// A day load clears them all; only a fetch that succeeded for the day shown sets one (applyRefresh).
// The odds timer skips a slot whose flag is set; automatic voting votes only on odds fetched today.
// The window thread alone touches them.
class OddsFetchedFlags {
public:
    // A day load: every flag and every attempt forgotten.
    void clear();
    bool isSet(int slot) const;
    // Set by a fetch made on the calendar day `dayStamp` (yyyy年mm月dd日, CP932).
    bool fetchedOn(int slot, std::string_view dayStamp) const;
    void set(int slot, std::string dayStamp);

    // A timed fetch of the slot began at `epoch`; a failed one is tried again kRetrySeconds later,
    // not at every tick.
    static constexpr int kRetrySeconds = 30;
    void noteAttempt(int slot, std::time_t epoch);
    bool retryWaits(int slot, std::time_t epoch) const;

private:
    std::array<std::string, kMaxRaces> fetchedOn_;  // empty: not fetched
    std::array<std::time_t, kMaxRaces> attemptedAt_{};
};

// What a refresh command needs of one race of the loaded day.
struct RefreshRace {
    int slot = -1;
    std::string raceKey;     // 16 characters: year, month-day, track, meeting, day, race
    std::string trackName;   // track short name (CP932)
    std::string raceNumber;  // DigitsText of the race number: " 7"
};
// The race in `slot` of `table`; nullopt when the slot holds no race.
std::optional<RefreshRace> refreshRaceOf(const RaceTable& table, int slot);
// The races of the race list, in its order.
std::vector<RefreshRace> refreshRacesOfList(const RaceTable& table);
// The day key: the 8 characters year and month-day of race slot 0.
std::string dayKeyOf(const RaceTable& table);

// A line of the odds work list: the race key followed by the slot right-aligned in 2 characters.
std::string workListLine(std::string_view raceKey, int slot);
// The race a work-list line stands for (track name and race number from its key); nullopt for a
// line that is no work-list line.
std::optional<RefreshRace> raceOfWorkListLine(std::string_view line);

// What a command did, and what the window reloads afterwards.
struct RefreshResult {
    std::string dayStamp;        // the loaded day the command was made for (CP932)
    bool serviceError = false;   // a data-service operation failed
    bool storeError = false;     // a store file could not be read or written (nothing of it replaced)
    bool cancelled = false;      // the job's cancel stopped a read loop
    std::string error;           // the last error told (CP932), for the summary line
    long long recordsStored = 0;
    std::vector<int> oddsSlots;  // the odds reader runs for these slots, in order
    std::vector<int> fetchedSlots;  // slots whose odds were read to the end and stored
    bool payouts = false;        // the payout reader runs
    bool redraw = false;         // the selected race is drawn again (unless NotRefreshDisp is on)
};

// The status line once a command has ended: its name (CP932), when it started and ended, and what
// it fetched (races and records) or why it did not.
std::string refreshSummary(std::string_view name, const DateTime& started, const DateTime& ended,
                           const RefreshResult& result);

class RealtimeRefresh {
public:
    // `dayStamp`: the loaded day (carried to the result, for the reload).
    RealtimeRefresh(DataControl& control, Reporter& reporter, std::string dayStamp);

    // Set while the results timer runs the results command: no beeps.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // The job's cancel: every read loop stops before its next read once it is pressed.
    void setCancelToken(CancelToken cancel) { cancel_ = std::move(cancel); }
    // ErrorLog.txt of the application folder unless set.
    void setErrorLogFile(std::filesystem::path file) { errorLogFile_ = std::move(file); }

    // "速報ｵｯｽﾞ": the odds of one race (the selected one).
    RefreshResult oddsOfRace(const RefreshRace& race);
    // "1日分の全オッズを一括取得": the selected-race command for every race of the list, in order.
    RefreshResult oddsOfDay(const std::vector<RefreshRace>& races);
    // The odds timer's command: every line of the odds work list, in order.
    RefreshResult oddsOfWorkList(const std::vector<std::string>& workList);
    // "結果情報": results and payouts of the day `dayKey` (yyyymmdd); `selected` names the race in
    // the error text.
    RefreshResult resultsOfDay(const RefreshRace& selected, const std::string& dayKey);

private:
    enum class LoopEnd { End, Cancelled, Failed };
    void fetchRaceOdds(const RefreshRace& race, HeldStore& store, RefreshResult& result);
    void fetchWorkListLine(const std::string& line, HeldStore& store, RefreshResult& result);
    // Opens, reads and stores the odds of `race` (no close); the slot counts as fetched when its
    // read loop ran to its end.
    void readRaceOdds(const RefreshRace& race, const std::string& errorText, HeldStore& store, RefreshResult& result);
    LoopEnd readLoop(int bufferSize, bool beepOnError, std::vector<std::string>& records, RefreshResult& result);
    // NVRTOpen of one request; a refusal is told (`errorText` + the result message) and marks the
    // result as a service error.
    bool openRequest(const char* dataSpec, const std::string& key, const std::string& errorText, bool beep,
                     RefreshResult& result);
    // The request's records; a failed loop is a service error, a cancelled one marks the result.
    LoopEnd readRequest(int bufferSize, bool beepOnError, std::vector<std::string>& records, RefreshResult& result);
    void storeOdds(const std::vector<std::string>& records, HeldStore& store, RefreshResult& result);
    void storeResults(const std::vector<std::string>& records, HeldStore& store, RefreshResult& result);
    void writeHeld(HeldStore& store, RefreshResult& result);
    void closeOdds(RefreshResult& result);
    void closeResults(RefreshResult& result);
    // The status text, the error line and (when `beep`) a beep.
    void tellError(const std::string& text, bool beep, RefreshResult& result);
    void errorLine(const std::string& text);
    RefreshResult freshResult() const;

    DataControl& control_;
    Reporter& reporter_;
    std::string dayStamp_;
    CancelToken cancel_;
    std::filesystem::path errorLogFile_;
    bool quiet_ = false;
    std::vector<std::string> oddsHistory_;  // O1 records stored by the command, for the odds history
};

// The reload after a command, on the table the window shows: the odds reader for each slot of the
// result (the last one stays the odds reader's race), then the payout reader, and the slots fetched
// are flagged (on today's date) in `fetched` when given. Nothing happens when the table now shows
// another day than the command was made for. True when anything was reloaded.
bool applyRefresh(RaceTable& table, const RefreshResult& result, OddsFetchedFlags* fetched = nullptr);

}  // namespace vex
