#include "datalink/realtime_refresh.h"

#include <cstdio>
#include <stdexcept>

#include "app/app_folder.h"
#include "app/error_log.h"
#include "datalink/bulk_download.h"
#include "datalink/odds_history.h"
#include "datalink/result_messages.h"
#include "store/odds_reader.h"
#include "store/payout_reader.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;

// ---- flags and races

namespace {
bool validSlot(int slot) { return slot >= 0 && slot < kMaxRaces; }
}  // namespace

void OddsFetchedFlags::clear() {
    fetchedOn_.fill({});
    attemptedAt_.fill(0);
}

bool OddsFetchedFlags::isSet(int slot) const {
    return validSlot(slot) && !fetchedOn_[static_cast<std::size_t>(slot)].empty();
}

bool OddsFetchedFlags::fetchedOn(int slot, std::string_view dayStamp) const {
    return isSet(slot) && fetchedOn_[static_cast<std::size_t>(slot)] == dayStamp;
}

void OddsFetchedFlags::set(int slot, std::string dayStamp) {
    if (validSlot(slot)) fetchedOn_[static_cast<std::size_t>(slot)] = std::move(dayStamp);
}

void OddsFetchedFlags::noteAttempt(int slot, std::time_t epoch) {
    if (validSlot(slot)) attemptedAt_[static_cast<std::size_t>(slot)] = epoch;
}

bool OddsFetchedFlags::retryWaits(int slot, std::time_t epoch) const {
    if (!validSlot(slot)) return false;
    const std::time_t last = attemptedAt_[static_cast<std::size_t>(slot)];
    return last != 0 && epoch < last + kRetrySeconds;
}

namespace {

RefreshRace raceOfKey(std::string_view key, int slot) {
    RefreshRace race;
    race.slot = slot;
    race.raceKey = std::string(key);
    race.trackName = trackShortName(key.substr(8, 2));
    race.raceNumber = DigitsText(key.substr(14, 2));
    return race;
}

// A race key the service can be asked for: it starts with a positive number.
bool usableKey(std::string_view key) {
    return key.size() == 16 && leadingNumber(key.substr(0, 8)).value_or(0) > 0;
}

}  // namespace

std::optional<RefreshRace> refreshRaceOf(const RaceTable& table, int slot) {
    if (slot < 0 || slot >= kMaxRaces || !table.slotUsed(slot)) return std::nullopt;
    return raceOfKey(table.raw[static_cast<std::size_t>(slot)].ra.field(Common::RaceKey), slot);
}

std::vector<RefreshRace> refreshRacesOfList(const RaceTable& table) {
    std::vector<RefreshRace> races;
    for (int slot : table.raceListSlots)
        if (auto race = refreshRaceOf(table, slot)) races.push_back(std::move(*race));
    return races;
}

std::string dayKeyOf(const RaceTable& table) { return std::string(table.raw[0].ra.field(Common::Date)); }

std::string workListLine(std::string_view raceKey, int slot) {
    char index[8];
    std::snprintf(index, sizeof index, "%2d", slot);
    return std::string(raceKey) + index;
}

std::optional<RefreshRace> raceOfWorkListLine(std::string_view line) {
    if (line.size() != 18) return std::nullopt;
    auto slot = leadingNumber(line.substr(16, 2));
    if (!slot || *slot < 0 || *slot >= kMaxRaces) return std::nullopt;
    return raceOfKey(line.substr(0, 16), static_cast<int>(*slot));
}

// ---- routing of real-time records: the download's rules without the date filter

namespace {

constexpr int kOddsBufferSize = 100000;
constexpr int kResultsBufferSize = 60000;

bool southernKanto(const RecordView& r) {
    auto track = strictNumber(r.text(Common::Track));
    return track && *track >= 42 && *track <= 45;
}

bool raceAboveZero(const RecordView& r) { return strictNumber(r.text(Common::RaceNumber)).value_or(0) > 0; }

bool wholeRecord(std::string_view line, int recordLength) { return static_cast<int>(line.size()) == recordLength - 2; }

std::optional<Route> oddsRoute(std::string_view line) {
    RecordView r(line);
    auto file = oddsDayFileOfKind(r.kind());
    if (!file || !wholeRecord(line, dayFileRecordLength(*file))) return std::nullopt;
    std::string_view category = r.text(Common::Category);
    std::string stamp = dayStamp(r.text(Common::Date));
    if (!southernKanto(r) || category == "0" || category == "9" || !raceAboveZero(r) || !isSafeNamePiece(stamp))
        return std::nullopt;
    return Route{StoreTarget{StoreTarget::Kind::Day, *file, stamp}, StoreRule::UpsertTrimmed};
}

bool existsOnDisk(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

// RA and SE only into files the bulk download made; HR into a file made when missing.
std::optional<Route> resultsRoute(std::string_view line) {
    using Kind = StoreTarget::Kind;
    RecordView r(line);
    std::string_view kind = r.kind();
    std::string stamp = dayStamp(r.text(Common::Date));
    if (!southernKanto(r) || !raceAboveZero(r) || !isSafeNamePiece(stamp)) return std::nullopt;
    if (kind == "RA" && wholeRecord(line, RecordLength::RA)) {
        Route route{StoreTarget{Kind::Day, DayFile::RA, stamp}, StoreRule::UpsertTrimmed};
        if (existsOnDisk(route.file())) return route;
    } else if (kind == "SE" && wholeRecord(line, RecordLength::SE)) {
        auto race = strictNumber(r.text(Common::RaceNumber)).value_or(0);
        auto horse = strictNumber(r.text(SE::Horse)).value_or(0);
        if (race > kSlotRaces || horse < 1 || horse > kSlotHorses) return std::nullopt;
        Route route{StoreTarget{Kind::Runner, DayFile::RA, stamp + std::string(r.text(Common::Track))}, StoreRule::Slot,
                    static_cast<std::size_t>((race - 1) * kSlotHorses + (horse - 1))};
        if (existsOnDisk(route.file())) return route;
    } else if (kind == "HR" && wholeRecord(line, RecordLength::HR)) {
        return Route{StoreTarget{Kind::Day, DayFile::HR, stamp}, StoreRule::UpsertAsSent};
    }
    return std::nullopt;
}

}  // namespace

// ---- the commands

std::string refreshSummary(std::string_view name, const DateTime& started, const DateTime& ended,
                           const RefreshResult& result) {
    std::string line = std::string(name) + " " + formatDateTime(started).substr(11) + sj("～") +
                       formatDateTime(ended).substr(11) + sj("：");
    if (result.serviceError || result.storeError) return line + sj("エラー ") + result.error;
    if (result.cancelled) return line + sj("中止しました");
    if (!result.oddsSlots.empty())
        line += sj("オッズ") + std::to_string(result.oddsSlots.size()) + sj("レース中") +
                std::to_string(result.fetchedSlots.size()) + sj("レース、");
    return line + std::to_string(result.recordsStored) + sj("件");
}

RealtimeRefresh::RealtimeRefresh(DataControl& control, Reporter& reporter, std::string dayStamp)
    : control_(control), reporter_(reporter), dayStamp_(std::move(dayStamp)) {}

RefreshResult RealtimeRefresh::freshResult() const {
    RefreshResult result;
    result.dayStamp = dayStamp_;
    return result;
}

RefreshResult RealtimeRefresh::oddsOfRace(const RefreshRace& race) { return oddsOfDay({race}); }

RefreshResult RealtimeRefresh::oddsOfDay(const std::vector<RefreshRace>& races) {
    RefreshResult result = freshResult();
    HeldStore store;
    for (const RefreshRace& race : races) {
        if (!usableKey(race.raceKey)) continue;  // a blank key does nothing
        fetchRaceOdds(race, store, result);
        result.oddsSlots.push_back(race.slot);
        result.redraw = true;
    }
    writeHeld(store, result);
    return result;
}

void RealtimeRefresh::fetchRaceOdds(const RefreshRace& race, HeldStore& store, RefreshResult& result) {
    try {
        reporter_.status(race.trackName + race.raceNumber + sj("オッズ取得中"));
        readRaceOdds(race, race.trackName + race.raceNumber + sj("R:ｵｯｽﾞ取得エラー："), store, result);
        closeOdds(result);
    } catch (...) {
        reporter_.status("");
        closeOdds(result);
        throw;
    }
    reporter_.status("");
    closeOdds(result);
}

RefreshResult RealtimeRefresh::oddsOfWorkList(const std::vector<std::string>& workList) {
    RefreshResult result = freshResult();
    HeldStore store;
    for (const std::string& line : workList) fetchWorkListLine(line, store, result);
    writeHeld(store, result);
    result.redraw = !workList.empty();
    return result;
}

void RealtimeRefresh::fetchWorkListLine(const std::string& line, HeldStore& store, RefreshResult& result) {
    auto race = raceOfWorkListLine(line);
    if (!race || !usableKey(race->raceKey)) return;
    reporter_.status(race->trackName + race->raceNumber + sj("R ｵｯｽﾞ取得中"));
    readRaceOdds(*race, race->trackName + race->raceNumber + "R:", store, result);
    closeOdds(result);
    reporter_.status("");
    closeOdds(result);
    result.oddsSlots.push_back(race->slot);
}

RefreshResult RealtimeRefresh::resultsOfDay(const RefreshRace& selected, const std::string& dayKey) {
    RefreshResult result = freshResult();
    if (dayKey.size() != 8 || leadingNumber(dayKey).value_or(0) <= 0) return result;
    HeldStore store;
    reporter_.status(sj("ﾚｰｽ情報データ取得中"));
    if (openRequest("0B12", dayKey, selected.trackName + selected.raceNumber + sj("R:ﾚｰｽ情報データ取得エラー："),
                    !quiet_, result)) {
        std::vector<std::string> records;
        if (readRequest(kResultsBufferSize, false, records, result) != LoopEnd::Failed)
            storeResults(records, store, result);
    }
    closeResults(result);
    reporter_.status("");
    closeResults(result);
    writeHeld(store, result);
    result.payouts = true;
    return result;
}

// ---- the steps

void RealtimeRefresh::readRaceOdds(const RefreshRace& race, const std::string& errorText, HeldStore& store,
                                   RefreshResult& result) {
    if (!openRequest("0B30", race.raceKey, errorText, true, result)) return;
    std::vector<std::string> records;
    const LoopEnd end = readRequest(kOddsBufferSize, true, records, result);
    if (end == LoopEnd::Failed) return;
    storeOdds(records, store, result);
    if (end == LoopEnd::End) result.fetchedSlots.push_back(race.slot);
}

bool RealtimeRefresh::openRequest(const char* dataSpec, const std::string& key, const std::string& errorText, bool beep,
                                  RefreshResult& result) {
    const int rc = control_.NVRTOpen(dataSpec, key);
    if (rc == 0) return true;
    tellError(errorText + ResultMessage("NVRTOpen", rc), beep, result);
    result.serviceError = true;
    return false;
}

RealtimeRefresh::LoopEnd RealtimeRefresh::readRequest(int bufferSize, bool beepOnError,
                                                      std::vector<std::string>& records, RefreshResult& result) {
    const LoopEnd end = readLoop(bufferSize, beepOnError, records, result);
    if (end == LoopEnd::Failed) result.serviceError = true;
    if (end == LoopEnd::Cancelled) result.cancelled = true;
    return end;
}

RealtimeRefresh::LoopEnd RealtimeRefresh::readLoop(int bufferSize, bool beepOnError, std::vector<std::string>& records,
                                                   RefreshResult& result) {
    std::string record, fileName;
    for (;;) {
        if (cancel_.cancelled()) return LoopEnd::Cancelled;
        int size = bufferSize;
        record.clear();
        int rc = control_.NVRead(record, size, fileName);
        if (rc == 0) return LoopEnd::End;
        if (rc >= -3 && rc < 0) continue;
        if (rc < -3) {
            tellError(ResultMessage("NVRead", rc), beepOnError, result);
            return LoopEnd::Failed;
        }
        records.emplace_back(recordLine(record));
    }
}

void RealtimeRefresh::storeOdds(const std::vector<std::string>& records, HeldStore& store, RefreshResult& result) {
    try {
        for (const std::string& line : records)
            if (auto route = oddsRoute(line)) {
                store.store(*route, line);
                ++result.recordsStored;
                if (route->target.day == DayFile::O1) oddsHistory_.push_back(line);
            }
    } catch (const std::exception& e) {
        // A day file that cannot be read is never replaced: it was not taken into the store.
        tellError(sj("データファイルを読み書きできませんでした。") + toCp932(e.what()), false, result);
        result.storeError = true;
    }
}

void RealtimeRefresh::storeResults(const std::vector<std::string>& records, HeldStore& store, RefreshResult& result) {
    try {
        for (const std::string& line : records)
            if (auto route = resultsRoute(line)) {
                store.ensureFolder(route->target);
                store.store(*route, line);
                ++result.recordsStored;
            }
    } catch (const std::exception& e) {
        tellError(sj("データファイルを読み書きできませんでした。") + toCp932(e.what()), false, result);
        result.storeError = true;
    }
}

void RealtimeRefresh::writeHeld(HeldStore& store, RefreshResult& result) {
    std::vector<WriteFailure> failures = store.flush();
    std::vector<WriteFailure> history = appendOddsHistory(oddsHistory_);
    oddsHistory_.clear();
    failures.insert(failures.end(), history.begin(), history.end());
    for (const WriteFailure& failure : failures) {
        tellError(sj("データファイルを書き込めませんでした。") + toCp932(failure.reason) + sj("：") +
                      toCp932(failure.file.string()),
                  false, result);
        result.storeError = true;
    }
}

void RealtimeRefresh::closeOdds(RefreshResult& result) {
    if (int rc = control_.NVClose(); rc != 0) {
        tellError(ResultMessage("NVClose", rc), true, result);
        result.serviceError = true;
    }
}

void RealtimeRefresh::closeResults(RefreshResult& result) {
    if (int rc = control_.NVClose(); rc != 0) {
        tellError(ResultMessage("NVClose", rc), false, result);
        result.serviceError = true;
    } else if (!quiet_) {
        reporter_.beep();
    }
}

void RealtimeRefresh::tellError(const std::string& text, bool beep, RefreshResult& result) {
    result.error = text;
    if (beep) reporter_.beep();
    reporter_.status(text);
    errorLine(text);
}

void RealtimeRefresh::errorLine(const std::string& text) {
    try {
        ErrorLog log = errorLogFile_.empty() ? ErrorLog() : ErrorLog(errorLogFile_);
        log.addError(text);
    } catch (const std::exception&) {
        // An error log that cannot be read is not replaced; the status label still shows the error.
    }
}

// ---- the reload

bool applyRefresh(RaceTable& table, const RefreshResult& result, OddsFetchedFlags* fetched) {
    if (!table.dayLoaded || table.paths.stamp != result.dayStamp) return false;
    for (int slot : result.oddsSlots) {
        table.oddsTargetSlot = slot;
        readOdds(table);
    }
    // A store that could not be written holds none of them for sure.
    if (fetched && !result.storeError)
        for (int slot : result.fetchedSlots) fetched->set(slot, dayStampOf(now()));
    if (result.payouts) readPayouts(table);
    return !result.oddsSlots.empty() || result.payouts;
}

}  // namespace vex
