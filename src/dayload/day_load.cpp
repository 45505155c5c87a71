#include "dayload/day_load.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "app/parallel.h"
#include "app/settings.h"
#include "compi/companion_folder.h"
#include "compi/compi_file.h"
#include "stats/appearance.h"
#include "store/odds_reader.h"
#include "store/payout_reader.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "store/zone.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

// A yyyymmdd field as a day number; nullopt unless the month is 1..12 and the day 1..31 (a day
// past the month's end runs on into the next month, as the interval counts it).
std::optional<int> dayNumberOfField(std::string_view yyyymmdd) {
    if (yyyymmdd.size() != 8) return std::nullopt;
    const int year = fieldNumber(yyyymmdd.substr(0, 4)), month = fieldNumber(yyyymmdd.substr(4, 2));
    const int day = fieldNumber(yyyymmdd.substr(6, 2));
    if (year <= 0 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return dayNumber(year, month, day);
}

// The running style of a past run from the field size of its race, corner positions and finish.
std::string runningStyleOf(int runners, int corner2, int corner3, int corner4, int finish) {
    static const std::string lead = sj("逃"), front = sj("先"), middle = sj("中"), back = sj("後"), none = "  ";
    int third = static_cast<int>(runners / 3.0 + 0.5);
    if (third > 5) third = 5;
    const std::string* style = &none;
    if (third >= corner4) style = &front;
    if (third < corner4 && 2 * third >= corner4 && corner4 > 4) style = &middle;
    if (2 * third < corner4) style = &back;
    if (corner2 == 1 || corner3 == 1 || corner4 == 1) style = &lead;
    if (finish == 0 || corner4 == 0) style = &none;
    return *style;
}

// Up to three past runs of a horse from its .nvSEI file, most recent first.
void takePastRuns(const SeRecord& runner, RawRecords& raw, int m, DamagedFiles& damaged) {
    std::string_view dateField = runner.field(Common::Date);
    if (!isDigits(dateField)) return;
    std::optional<fs::path> file = pastRunFileOf(runner.view());
    if (!file) return;
    RecordFile sei(*file, RecordLength::SE, RecordFile::Whole);  // small files: one read beats a seek per record
    damaged.note(sei);
    std::size_t taken = 0;
    for (std::size_t n : pastRunIndexes(sei, fieldNumber(dateField), kPastRuns)) {
        SeRecord& past = raw.pastSe[static_cast<std::size_t>(m)][taken];
        sei.read(n, past.bytes.data());
        // The past race copy names its race even when the race record is not found later.
        raw.pastRa[static_cast<std::size_t>(m)][taken].setField(Common::RaceKey, past.field(Common::RaceKey));
        ++taken;
    }
}

// Past race records, looked up file by file: every request naming the same file is served by one
// read of that file.
class PastRaceLookups {
public:
    void request(RawRecords& raw, int m, int k) {
        const SeRecord& past = raw.pastSe[static_cast<std::size_t>(m)][static_cast<std::size_t>(k)];
        Request r{&raw.pastRa[static_cast<std::size_t>(m)][static_cast<std::size_t>(k)],
                  fieldNumber(past.field(Common::RaceNumber)), 0};
        int track = fieldNumber(past.field(Common::Track));
        if (isCentralTrack(track)) r.track = track;  // the day file holds every track
        // Date and track name the file: many runners share one.
        std::string fileKey(past.field(Common::Date));
        fileKey += past.field(Common::Track);
        auto it = byFile_.find(fileKey);
        if (it == byFile_.end()) {
            std::optional<fs::path> file = pastRaceFileOf(past.view());
            if (!file) return;
            it = byFile_.emplace(fileKey, Group{*file, {}}).first;
        }
        it->second.requests.push_back(r);
    }

    void serve(DamagedFiles& damaged) {
        for (auto& [fileKey, group] : byFile_) {
            const auto& requests = group.requests;
            RecordFile records(group.file, RecordLength::RA, RecordFile::Whole);
            damaged.note(records);
            if (!records.exists()) continue;
            for (const Request& r : requests) {
                char key[8];
                for (std::size_t n = 0; n < records.count(); ++n) {
                    records.read(n, Common::Track.pos - 1, 8, key);
                    if (fieldNumber(std::string_view(key + 6, 2)) != r.race) continue;
                    if (r.track != 0 && fieldNumber(std::string_view(key, 2)) != r.track) continue;
                    records.read(n, r.target->bytes.data());
                    break;
                }
            }
        }
        byFile_.clear();
    }

private:
    struct Request {
        RaRecord* target;
        int race, track;  // track 0: any
    };
    struct Group {
        fs::path file;
        std::vector<Request> requests;
    };
    std::map<std::string, Group> byFile_;  // by past date + track
};

void summarisePastRuns(RaceRecord& race, const RawRecords& raw, int m) {
    int h = m + 1;
    auto& counts = race.finishCounts[h];
    for (int k = 1; k <= kPastRuns; ++k) {
        const SeRecord& past = raw.pastSe[static_cast<std::size_t>(m)][static_cast<std::size_t>(k - 1)];
        if (fieldNumber(past.field(Common::RaceNumber)) < 1) break;
        int finish = fieldNumber(past.field(SE::FinishPosition));
        ++counts[finish >= 1 && finish <= 3 ? finish - 1 : 3];

        std::optional<int> later =
            dayNumberOfField(k == 1 ? raw.ra.field(Common::Date)
                                    : raw.pastSe[static_cast<std::size_t>(m)][static_cast<std::size_t>(k - 2)].field(
                                          Common::Date));
        std::optional<int> earlier = dayNumberOfField(past.field(Common::Date));
        if (!later || !earlier) continue;
        race.intervalDays[h][k] = *later - *earlier;
        const RaRecord& pastRace = raw.pastRa[static_cast<std::size_t>(m)][static_cast<std::size_t>(k - 1)];
        race.runningStyle[h][k] = runningStyleOf(fieldNumber(pastRace.field(RA::Registered)),
                                       fieldNumber(past.field(SE::Corner.at(2, 2))),
                                       fieldNumber(past.field(SE::Corner.at(3, 2))),
                                       fieldNumber(past.field(SE::Corner.at(4, 2))), finish);
    }
    int total = counts[0] + counts[1] + counts[2] + counts[3];
    if (total > 0) {
        race.winRate[h] = counts[0] * 100.0 / total;
        race.topTwoRate[h] = (counts[0] + counts[1]) * 100.0 / total;
        race.topThreeRate[h] = (counts[0] + counts[1] + counts[2]) * 100.0 / total;
    }
}

// The race number as the race list shows it: leading zero as a space, 0 as two spaces.
std::string raceNumberText(std::string_view field) {
    int n = fieldNumber(field);
    if (n <= 0) return std::string(field.size(), ' ');
    char buf[16];
    std::snprintf(buf, sizeof buf, "%*d", static_cast<int>(field.size()), n);
    return buf;
}

std::string todayStamp() { return dayStampOf(now()); }

// A message of the load: a box for the user, a status line in batch mode.
void tell(const DayLoadOptions& options, const std::string& text) {
    if (!options.reporter) return;
    if (options.batch)
        options.reporter->status(text);
    else
        options.reporter->information(text);
}

std::string overflowMessage(const DayLoadResult& r) {
    std::string text;
    if (r.racesIgnored > 0)
        text += sj("レース数が96を超えています。先頭の96レースだけを読み込み、残り") +
                std::to_string(r.racesIgnored) + sj("レースは読み込みませんでした。");
    if (r.runnerOverflows > 0) {
        if (!text.empty()) text += "\r\n";
        text += sj("登録頭数が18を超えるレースが") + std::to_string(r.runnerOverflows) +
                sj("レースあります。19頭目以降は読み込みませんでした。");
    }
    return text;
}

}  // namespace

std::string noRaceFileMessage() { return sj("データ作成が未完了のようです。"); }
std::string unreadableFileMessage() { return sj("データファイルを読み込めませんでした。"); }
std::string appearanceFailedMessage() { return sj("統計ファイルを書き込めませんでした。"); }
namespace {

// The statistics are a by-product of the load: a file that cannot be written is reported, and the
// day stays loaded.
void writeAppearance(const RaceTable& table, const DayLoadOptions& options, DayLoadResult& result) {
    std::string reason;
    try {
        result.appearanceWritten = writeAppearanceFile(table);
        return;
    } catch (const FileWriteError& e) {
        reason = e.what();  // names the file
    } catch (const std::system_error& e) {  // file-system errors among them
        reason = appearanceFile(table).string() + ": " + e.code().message();
    }
    result.appearanceError = appearanceFailedMessage() + "\n" + toCp932(reason);
    if (options.reporter && !options.batch) options.reporter->beep();
    tell(options, result.appearanceError);
}

// A past-run file per runner: the most files of the load, so the cores share the races.
void takeAllPastRuns(RaceTable& table, const std::array<bool, kMaxRaces>& runnersRead, DamagedFiles& damaged) {
    forEachOnCores(kMaxRaces, 0, [&](std::size_t s) {
        RawRecords& raw = table.raw[s];
        if (!runnersRead[s]) return;
        int runners = registeredRunners(raw.ra);
        for (int m = 0; m < runners; ++m) takePastRuns(raw.se[static_cast<std::size_t>(m)], raw, m, damaged);
    });
}

// The race record of every past run, each past-race file read once.
void readPastRaces(RaceTable& table, DamagedFiles& damaged) {
    PastRaceLookups lookups;
    for (int s = 0; s < kMaxRaces; ++s) {
        RawRecords& raw = table.raw[static_cast<std::size_t>(s)];
        int runners = registeredRunners(raw.ra);
        for (int m = 0; m < runners; ++m)
            for (int k = 0; k < kPastRuns; ++k) {
                if (isEmptyYear(raw.pastSe[static_cast<std::size_t>(m)][static_cast<std::size_t>(k)].field(Common::Year)))
                    break;
                lookups.request(raw, m, k);
            }
    }
    lookups.serve(damaged);
}

void summariseAllPastRuns(RaceTable& table) {
    for (int s = 0; s < kMaxRaces; ++s) {
        const RawRecords& raw = table.raw[static_cast<std::size_t>(s)];
        int runners = registeredRunners(raw.ra);
        for (int m = 0; m < runners; ++m) summarisePastRuns(table.races[static_cast<std::size_t>(s)], raw, m);
    }
}

// One line per race with data ("大井 1R") and the slot it stands for.
void buildRaceList(RaceTable& table) {
    for (int s = 0; s < kMaxRaces; ++s) {
        if (!table.slotUsed(s)) continue;
        const RaRecord& ra = table.raw[static_cast<std::size_t>(s)].ra;
        table.raceList.push_back(TrackName(ra.field(Common::Track), 2) + raceNumberText(ra.field(Common::RaceNumber)) +
                                 "R");
        table.raceListSlots.push_back(s);
    }
}

// The times of the automatic odds fetch, recheck and vote of every listed race, and the track list.
void setAutomaticTimes(RaceTable& table, const Settings& ini) {
    int oddsMinutes = read(ini, settings::kAutoOddsMinutes);
    int oddsSeconds = read(ini, settings::kAutoOddsSeconds);
    int interval = read(ini, settings::kAutoVoteInterval);
    int before = oddsMinutes * 60 + oddsSeconds;
    table.trackList.clear();
    for (int s : table.raceListSlots) {
        RaceRecord& race = table.races[static_cast<std::size_t>(s)];
        const RaRecord& ra = table.raw[static_cast<std::size_t>(s)].ra;
        std::string_view track = ra.field(Common::Track);
        table.trackList.push_back(std::string(track) + TrackName(track, 2));
        std::string post = std::string(ra.field(RA::PostTime)) + "00";
        // A blank post time has no automatic times.
        auto at = [&](int offset) { return post.size() == 6 && isDigits(post) ? AddSeconds(post, offset) : std::string(); };
        race.oddsFetchTime = at(-before);
        race.oddsRecheckTime = at(-before + interval);
        race.voteTime = at(-before + 2 * interval);
    }
}

// The race records, each race's Compi line and its runner records; true per slot whose runners
// were read.
std::array<bool, kMaxRaces> readRaces(RaceTable& table, const std::string& dayStamp, const Settings& ini,
                                      DamagedFiles& damaged, DayLoadResult& result) {
    CompiFileChooser compiFiles(companionFolder(ini));
    CompiLineReader compiLines;
    RunnerFiles runnerFiles(dayStamp, &damaged);
    std::array<bool, kMaxRaces> runnersRead{};
    {
        RecordFile raFile(table.paths.ra, RecordLength::RA, RecordFile::Whole);
        damaged.note(raFile);
        std::size_t races = std::min(raFile.count(), static_cast<std::size_t>(kMaxRaces));
        result.racesIgnored = static_cast<int>(raFile.count() - races);
        for (std::size_t s = 0; s < races; ++s) {
            RaceRecord& race = table.races[s];
            RawRecords& raw = table.raw[s];
            raFile.read(s, raw.ra.bytes.data());
            ++table.slotsRead;

            std::string postTime(raw.ra.field(RA::PostTime));
            if (postTime > table.latestPostTime) table.latestPostTime = postTime;

            std::string track(raw.ra.field(Common::Track));
            int n = raceNumber(raw.ra);
            if (fieldNumber(raw.ra.field(RA::Registered)) > kMaxRunners) ++result.runnerOverflows;
            int runners = registeredRunners(raw.ra);
            if (auto file = compiFiles.choose(dayStamp, track); file && n > 0)
                result.compiSlotsSkipped += compiLines.take(*file, n, runners, race);

            runnersRead[s] = runnerFiles.read(raw);
        }
    }
    return runnersRead;
}

// Back to an empty day: no list, no race shown, every record and value cleared.
void resetTable(RaceTable& table, const std::string& dayStamp) {
    table.showRemainingTime = dayStamp == todayStamp();
    table.raceList.clear();
    table.raceListSlots.clear();
    table.currentSlot = -1;
    table.dayLoaded = false;
    table.slotsRead = 0;
    table.reset();
}

// The day's files; false (after the beep and the message) when the race file is not there. An
// ill-formed stamp (it may hold "../") never reaches the file system.
bool findDayFiles(RaceTable& table, const std::string& dayStamp, const DayLoadOptions& options) {
    table.paths = isDayStamp(dayStamp) ? dayPaths(dayStamp) : DayPaths{};
    table.paths.stamp = dayStamp;
    std::error_code ec;
    if (isDayStamp(dayStamp) && fs::is_regular_file(table.paths.ra, ec)) return true;
    if (options.reporter) {
        options.reporter->beep();
        if (!options.batch) options.reporter->information(noRaceFileMessage());
    }
    return false;
}

// Races, their Compi lines, runners and past runs, with the progress bar stepping once per race
// whose runners were read.
void readRaceRecords(RaceTable& table, const std::string& dayStamp, const Settings& ini, DamagedFiles& damaged,
                     const DayLoadOptions& options, DayLoadResult& result) {
    if (options.progress) options.progress->show(sj("レースデータを読み込んでいます。"), dayStamp, 95);
    for (int s = 0; s < table.slotsToLoad; ++s)  // the odds copies are read with the odds
        table.raw[static_cast<std::size_t>(s)].clearAllButOdds();
    table.latestPostTime = "1800";
    std::array<bool, kMaxRaces> runnersRead = readRaces(table, dayStamp, ini, damaged, result);
    if (table.slotsRead > 0) table.takeSlot(table.slotsRead - 1);
    takeAllPastRuns(table, runnersRead, damaged);
    if (options.progress)
        for (bool read : runnersRead)
            if (read) options.progress->step();
    table.dayLoaded = true;
    if (result.racesIgnored > 0 || result.runnerOverflows > 0) tell(options, overflowMessage(result));
    // The payout and odds files are read by their own readers; their sizes tell the same.
    for (DayFile kind : {DayFile::HR, DayFile::O1, DayFile::O2, DayFile::O3, DayFile::O4, DayFile::O5, DayFile::O6,
                         DayFile::OA})
        damaged.note(table.paths[kind], dayFileRecordLength(kind));
}

// Odds of every slot, each odds file read once. Parsing thousands of combinations per race is the
// biggest part of the load; the slots are independent, so the cores share them.
void readOddsOfEveryRace(RaceTable& table, DayLoadResult& result) {
    OddsFiles odds(table.paths, true);
    std::atomic<int> malformed{0};
    forEachOnCores(static_cast<std::size_t>(table.slotsToLoad), 0,
                   [&](std::size_t s) { malformed += readOdds(table, static_cast<int>(s), odds, true); });
    table.oddsTargetSlot = kMaxRaces - 1;
    result.malformedOdds += malformed;
}

// The race list, zone patterns, automatic times, default amounts and the first race to show (the
// caller selects and draws it).
void completeDay(RaceTable& table, const Settings& ini, const DayLoadOptions& options) {
    if (options.progress) options.progress->reset();
    buildRaceList(table);
    if (options.progress) options.progress->hide();
    applyZoneRule(table);
    setAutomaticTimes(table, ini);
    table.defaultAmounts.fill(read(ini, settings::kDefaultAmount));
    table.resultRefreshMinutes = read(ini, settings::kAutoResultMinutes);
    table.resultRefreshEnabled = table.showRemainingTime;
    if (!table.raceListSlots.empty()) table.currentSlot = table.raceListSlots.front();
}

// Damaged files are told once, after the overflow notice and before the statistics: blanks would
// otherwise pass for races without data.
void reportDamage(const DamagedFiles& damaged, const DayLoadOptions& options, DayLoadResult& result) {
    result.damage = damaged.message();
    if (result.damage.empty()) return;
    if (options.reporter && !options.batch) options.reporter->beep();
    tell(options, result.damage);
}

DayLoadResult loadDayFiles(RaceTable& table, const std::string& dayStamp, const DayLoadOptions& options) {
    DayLoadResult result;
    resetTable(table, dayStamp);
    if (!findDayFiles(table, dayStamp, options)) return result;

    Settings ini;
    DamagedFiles damaged;
    readRaceRecords(table, dayStamp, ini, damaged, options, result);
    readPayouts(table, true);  // against the race and runner records just read
    readOddsOfEveryRace(table, result);
    readPastRaces(table, damaged);
    summariseAllPastRuns(table);
    completeDay(table, ini, options);
    reportDamage(damaged, options, result);

    // Every slot past the day's races has now been through this load empty.
    table.slotsToLoad = table.slotsRead;

    std::error_code ec;
    if (fs::is_regular_file(table.paths.hr, ec)) writeAppearance(table, options, result);
    result.loaded = true;
    return result;
}

}  // namespace

DayLoadResult loadDay(RaceTable& table, const std::string& dayStamp, const DayLoadOptions& options) {
    try {
        return loadDayFiles(table, dayStamp, options);
    } catch (const RecordFileError& e) {
        // A store file that exists but cannot be read: no half-loaded day, the file named, and
        // the program goes on (another day, or this one once the file is mended).
        if (options.progress) options.progress->hide();
        table.slotsToLoad = kMaxRaces;  // left half-loaded: the next load goes through every slot
        table.reset();
        table.raceList.clear();
        table.raceListSlots.clear();
        table.currentSlot = -1;
        table.dayLoaded = false;
        if (options.reporter) options.reporter->beep();
        tell(options, unreadableFileMessage() + "\n" + toCp932(e.what()));
        return {};
    }
}

}  // namespace vex
