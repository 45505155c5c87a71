#include "datalink/bulk_download.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <cstdio>
#include <thread>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/settings.h"
#include "datalink/result_messages.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;


// ---- store rules

void zeroCategoryAndDate(std::string& line) { setField(line, Common::CategoryAndDate, "000000000"); }

bool storeLineLess(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool olderOdds(std::string_view stored, std::string_view incoming) {
    if (incoming.empty() || incoming[0] != 'O' || stored.substr(0, 2) != incoming.substr(0, 2)) return false;
    const std::string_view was = fieldOf(stored, Odds::AnnounceTime), now = fieldOf(incoming, Odds::AnnounceTime);
    return was.size() == 8 && now.size() == 8 && isDigits(was) && isDigits(now) && now < was;
}

void upsertLine(std::vector<std::string>& lines, std::string_view line) {
    std::string_view key = fieldOf(line, Common::RaceKey);
    for (auto& l : lines) {
        if (fieldOf(l, Common::RaceKey) == key) {
            if (!olderOdds(l, line)) l.assign(line);
            return;
        }
    }
    lines.emplace_back(line);
}

void sortStoreLines(std::vector<std::string>& lines) {
    std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) { return storeLineLess(a, b); });
}

void trimFirstBlankLine(std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const std::string& first = lines.front();
    if (std::all_of(first.begin(), first.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
        lines.erase(lines.begin());
}

std::string emptySlotLine() { return std::string(static_cast<std::size_t>(RecordLength::SE - 2), ' '); }

void padSlotLines(std::vector<std::string>& lines) {
    if (lines.size() < static_cast<std::size_t>(kSlotCount)) lines.resize(kSlotCount, emptySlotLine());
}

std::size_t keepWholeRecords(std::vector<std::string>& lines, int recordLength, bool slots) {
    const auto whole = static_cast<std::size_t>(recordLength - 2);
    std::size_t mended = 0;
    if (slots) {
        for (auto& line : lines)
            if (line.size() != whole) {
                line = std::string(whole, ' ');
                ++mended;
            }
        return mended;
    }
    auto cut = std::remove_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.size() != whole; });
    mended = static_cast<std::size_t>(lines.end() - cut);
    lines.erase(cut, lines.end());
    return mended;
}

// ---- routing

namespace {

int lengthOfKind(std::string_view kind) {
    if (kind == "RA") return RecordLength::RA;
    if (kind == "SE") return RecordLength::SE;
    if (kind == "HR") return RecordLength::HR;
    if (auto odds = oddsDayFileOfKind(kind)) return dayFileRecordLength(*odds);
    return 0;
}

bool inRange(const std::optional<long long>& v, long long lo, long long hi) { return v && *v >= lo && *v <= hi; }

// The odds progress texts by kind.
std::string oddsLabelPrefix(DayFile kind) {
    switch (kind) {
        case DayFile::O1: return sj("単勝確定ｵｯｽﾞ:");
        case DayFile::O2: return sj("馬連確定ｵｯｽﾞ:");
        case DayFile::O3: return sj("ﾜｲﾄﾞ確定ｵｯｽﾞ:");
        case DayFile::O4:
        case DayFile::OA: return sj("馬単確定ｵｯｽﾞ:");
        case DayFile::O5: return sj("3連複確定ｵｯｽﾞ:");
        case DayFile::O6: return sj("3連単確定ｵｯｽﾞ:");
        default: return {};
    }
}

std::string concat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (auto p : parts) s.append(p);
    return s;
}

}  // namespace

fs::path StoreTarget::path() const {
    switch (kind) {
        case Kind::Day: return dayFilePath(name, day);
        case Kind::Runner: {
            std::string_view n(name);
            return runnerFilePath(n.substr(0, n.size() - 2), n.substr(n.size() - 2));
        }
        case Kind::PastRun: return pastRunFilePath(name);
        case Kind::PastRace: return pastRaceFilePath(std::string_view(name).substr(0, 8), std::string_view(name).substr(8));
    }
    return {};
}

int StoreTarget::recordLength() const {
    switch (kind) {
        case Kind::Day: return dayFileRecordLength(day);
        case Kind::Runner:
        case Kind::PastRun: return RecordLength::SE;
        case Kind::PastRace: return RecordLength::RA;
    }
    return 0;
}

std::size_t StoreTargetHash::operator()(const StoreTarget& t) const {
    return std::hash<std::string>()(t.name) * 31 + static_cast<std::size_t>(t.kind) * 16 +
           static_cast<std::size_t>(t.day);
}

Routing routeRecord(std::string_view line, const RoutingContext& context) {
    using Kind = StoreTarget::Kind;
    Routing out;
    RecordView r(line);
    std::string_view kind = r.kind();
    int length = lengthOfKind(kind);
    if (length == 0) return out;
    if (static_cast<int>(line.size()) != length - 2) {
        out.malformed = true;
        return out;
    }

    auto track = strictNumber(r.text(Common::Track));
    auto race = strictNumber(r.text(Common::RaceNumber));
    auto date = strictNumber(r.text(Common::Date));
    const bool southernKanto = inRange(track, 42, 45);
    const bool dateFilter = date && *date >= context.fromDate - 10;
    const bool raceAboveZero = race && *race > 0;
    std::string_view trackText = r.text(Common::Track);
    std::string stamp = dayStamp(r.text(Common::Date));
    const bool stampUsable = isSafeNamePiece(stamp);
    auto dayTarget = [&](DayFile file) { return StoreTarget{Kind::Day, file, stamp}; };

    if (kind == "RA") {
        if (southernKanto && dateFilter && raceAboveZero && inRange(strictNumber(r.text(RA::Registered)), 1, 18) &&
            stampUsable)
            out.routes.push_back({dayTarget(DayFile::RA), StoreRule::UpsertTrimmed});
        std::string_view year = r.text(Common::Year);
        std::string_view dateTrack = line.substr(Common::Year.pos - 1, 10);  // year, month-day, track
        if (year > context.yearBound && isSafeNamePiece(year) && isSafeNamePiece(dateTrack)) {
            StoreTarget target{Kind::PastRace, DayFile::RA, concat({r.text(Common::Date), trackText})};
            out.folders.push_back(target);
            out.routes.push_back({std::move(target), StoreRule::Upsert});
        }
    } else if (kind == "SE") {
        auto horse = strictNumber(r.text(SE::Horse));
        // Slots exist for races 1 to 12 only.
        if (raceAboveZero && *race <= kSlotRaces && inRange(horse, 1, kSlotHorses) && southernKanto && dateFilter &&
            stampUsable) {
            std::size_t slot = static_cast<std::size_t>((*race - 1) * kSlotHorses + (*horse - 1));
            out.routes.push_back({StoreTarget{Kind::Runner, DayFile::RA, concat({stamp, trackText})}, StoreRule::Slot, slot});
        }
        std::string_view number = r.text(SE::RegistrationNumber);
        std::string_view prefix = number.substr(0, 4);
        if (prefix > context.yearBound && isSafeNamePiece(prefix) && isSafeNamePiece(number)) {
            StoreTarget target{Kind::PastRun, DayFile::RA, std::string(number)};
            out.folders.push_back(target);
            if (r.text(Common::Category) == "7") out.routes.push_back({std::move(target), StoreRule::Upsert});
        }
    } else if (kind == "HR") {
        if (southernKanto && dateFilter && raceAboveZero && stampUsable)
            out.routes.push_back({dayTarget(DayFile::HR), StoreRule::Upsert});
    } else if (auto odds = oddsDayFileOfKind(kind)) {
        std::string_view category = r.text(Common::Category);
        if (southernKanto && category != "0" && category != "9" && dateFilter && raceAboveZero && stampUsable)
            out.routes.push_back({dayTarget(*odds), StoreRule::UpsertTrimmed});
    }
    return out;
}

std::string madeDataLabel(std::string_view line, const Route& route) {
    using Kind = StoreTarget::Kind;
    RecordView r(line);
    std::string_view raceText = r.text(Common::RaceNumber);
    std::string shortName = trackShortName(r.text(Common::Track));
    std::string stamp = dayStamp(r.text(Common::Date));
    auto horse = [&] {
        return CircledNumber(static_cast<int>(strictNumber(r.text(SE::Horse)).value_or(0))) +
               std::string(r.text(SE::HorseName));
    };
    switch (route.target.kind) {
        case Kind::Day:
            if (route.target.day == DayFile::RA) return concat({sj("開催:"), stamp, shortName, raceText, "R"});
            if (route.target.day == DayFile::HR) return concat({sj("払戻:"), stamp, shortName, raceText, "R"});
            return concat({oddsLabelPrefix(route.target.day), shortName, raceText, "R/", route.target.name,
                           dayFileExtension(route.target.day)});
        case Kind::Runner: return concat({sj("馬毎:"), shortName, raceText, "R/", horse()});
        case Kind::PastRace: return concat({sj("開催馬:"), stamp, shortName, raceText, "R"});
        case Kind::PastRun: {
            std::string_view d = r.text(Common::Date);
            return concat({sj("過去走:"), d.substr(0, 4), "/", d.substr(4, 2), "/", d.substr(6, 2), shortName, raceText,
                           "R/", horse()});
        }
    }
    return {};
}

// ---- held files

HeldStore::Held& HeldStore::hold(const StoreTarget& target, StoreRule rule) {
    if (auto known = targets_.find(target); known != targets_.end()) return *known->second;
    // Held by path: two targets that come out as one file name (bytes that are no CP932 read as
    // the same replacement character) must share their lines, or one would overwrite the other.
    fs::path file = target.path();
    auto [it, added] = files_.try_emplace(file.native());
    Held& held = it->second;
    if (added) {
        held.file = file;
        held.rule = rule;
        held.recordLength = target.recordLength();
        held.shared = target.kind == StoreTarget::Kind::Day || target.kind == StoreTarget::Kind::Runner;
        try {
            if (onDisk(file)) {
                held.readAs = fileStampOf(file);  // before the read: a change after it shows
                held.lines = readLines(file);
            }
        } catch (const std::exception& e) {
            files_.erase(it);
            throw std::runtime_error(file.string() + ": " + e.what());
        }
        if (keepWholeRecords(held.lines, target.recordLength(), rule == StoreRule::Slot) > 0) mended_.push_back(file);
        if (rule == StoreRule::Slot) padSlotLines(held.lines);
        for (const auto& l : held.lines) heldBytes_ += l.size() + 2;
    }
    targets_.emplace(target, &held);
    return held;
}

bool HeldStore::onDisk(const fs::path& file) {
    const fs::path folder = file.parent_path();
    auto it = listed_.find(folder.native());
    if (it == listed_.end()) {
        std::unordered_set<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator d(folder, ec), end; !ec && d != end; d.increment(ec))
            names.insert(d->path().filename().native());
        it = listed_.emplace(folder.native(), std::move(names)).first;
    }
    return it->second.count(file.filename().native()) > 0;
}

void HeldStore::ensureFolder(const StoreTarget& target) {
    // Past-run and past-race folders are per year, the year being the first four name bytes.
    std::string key = static_cast<char>(target.kind) + target.name.substr(0, 4);
    if (target.kind == StoreTarget::Kind::Day || target.kind == StoreTarget::Kind::Runner) key.resize(1);
    if (folders_.count(key)) return;
    fs::create_directories(target.path().parent_path());
    folders_.insert(std::move(key));
}

void HeldStore::store(const Route& route, std::string_view line) {
    Held& held = hold(route.target, route.rule);
    if (held.shared) {
        if (route.rule == StoreRule::Slot)
            held.storedSlots.insert(route.slot);
        else
            held.storedKeys.emplace(fieldOf(line, Common::RaceKey));
    }
    auto& lines = held.lines;
    if (route.rule == StoreRule::Slot) {
        if (route.slot >= lines.size()) return;
        heldBytes_ -= lines[route.slot].size();
        lines[route.slot].assign(line);
        heldBytes_ += line.size();
        return;
    }
    const bool zeroes = route.rule != StoreRule::UpsertAsSent;
    if (!held.sorted) {
        // The first record on a file as read from disk: the plain rules, in file order.
        std::string zeroed(line);
        if (zeroes) zeroCategoryAndDate(zeroed);
        for (const auto& l : lines) heldBytes_ -= l.size() + 2;
        upsertLine(lines, zeroed);
        sortStoreLines(lines);
        if (route.rule == StoreRule::UpsertTrimmed) trimFirstBlankLine(lines);
        for (const auto& l : lines) heldBytes_ += l.size() + 2;
        held.sorted = true;
        return;
    }
    // Sorted already: replacing a line and sorting again is taking the old line out and putting
    // the new one in its sorted place (the order is total, so the file comes out the same).
    auto less = [](const std::string& a, const std::string& b) { return storeLineLess(a, b); };
    std::string_view key = fieldOf(line, Common::RaceKey);
    auto same = std::find_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return fieldOf(l, Common::RaceKey) == key; });
    if (same != lines.end() && olderOdds(*same, line)) return;
    if (same != lines.end()) {
        // The new line nearly always sorts where the old one stood: overwriting it there spares
        // an allocation the size of the record (odds records run to 83 KB).
        heldBytes_ -= same->size() + 2;
        same->assign(line);
        if (zeroes) zeroCategoryAndDate(*same);
        heldBytes_ += same->size() + 2;
        bool inOrder = (same == lines.begin() || !less(*same, *std::prev(same))) &&
                       (std::next(same) == lines.end() || !less(*std::next(same), *same));
        if (!inOrder) {
            std::string moved = std::move(*same);
            lines.erase(same);
            lines.insert(std::lower_bound(lines.begin(), lines.end(), moved, less), std::move(moved));
        }
    } else {
        std::string zeroed(line);
        if (zeroes) zeroCategoryAndDate(zeroed);
        heldBytes_ += zeroed.size() + 2;
        auto at = std::lower_bound(lines.begin(), lines.end(), zeroed, less);
        lines.insert(at, std::move(zeroed));
    }
    if (route.rule == StoreRule::UpsertTrimmed && !lines.empty()) {
        std::size_t first = lines.front().size() + 2;
        std::size_t count = lines.size();
        trimFirstBlankLine(lines);
        if (lines.size() != count) heldBytes_ -= first;
    }
}

std::vector<FileWriteError> HeldStore::replaceShared(AtomicFileBatch& batch,
                                                     const std::unordered_map<std::string, Held*>& byPath,
                                                     const BeforeReplace& beforeReplace) {
    // Written and synced without a lock; each file's lock is held only from the check that nobody
    // replaced it since it was read to its rename. When somebody did, their records and ours are
    // merged and written under the lock.
    return batch.commitEach([&](const fs::path& file, const std::function<void()>& renameTemporary) {
        Held& h = *byPath.at(file.native());
        FileLock lock(file);
        const bool changed = fileStampOf(file) != h.readAs;
        if (changed) mergeWithDisk(h);
        if (beforeReplace) beforeReplace(file);
        if (changed)
            writeLinesAtomic(file, h.lines);
        else
            renameTemporary();
    });
}

void HeldStore::mergeWithDisk(Held& held) {
    std::vector<std::string> disk = readLines(held.file);
    const bool slots = held.rule == StoreRule::Slot;
    keepWholeRecords(disk, held.recordLength, slots);
    if (slots) {
        padSlotLines(disk);
        for (std::size_t slot : held.storedSlots)
            if (slot < disk.size() && slot < held.lines.size()) disk[slot] = held.lines[slot];
    } else {
        for (const std::string& line : held.lines)
            if (held.storedKeys.count(std::string(fieldOf(line, Common::RaceKey)))) upsertLine(disk, line);
        sortStoreLines(disk);
        if (held.rule == StoreRule::UpsertTrimmed) trimFirstBlankLine(disk);
    }
    held.lines = std::move(disk);
}

std::vector<WriteFailure> HeldStore::flush(const BeforeReplace& beforeReplace) {
    std::vector<Held*> held;
    held.reserve(files_.size());
    for (auto& [name, h] : files_) held.push_back(&h);
    std::sort(held.begin(), held.end(), [](const Held* a, const Held* b) { return a->file.native() < b->file.native(); });
    // The temporaries of a batch first, then one sync and the renames: a sync per file would cost
    // more than the writing itself. Batches, not all at once: a batch's renames free the old
    // copies before the next batch needs room for its new ones.
    std::vector<WriteFailure> failures;
    std::unordered_set<std::string> failed;
    for (std::size_t first = 0; first < held.size();) {
        std::vector<AtomicFileBatch::LinesFile> own, shared;
        std::unordered_map<std::string, Held*> sharedByPath;
        for (std::size_t bytes = 0; first < held.size() && (bytes == 0 || bytes < commitBatch_); ++first) {
            Held& h = *held[first];
            (h.shared ? shared : own).push_back({&h.file, &h.lines});
            if (h.shared) sharedByPath[h.file.native()] = &h;
            for (const auto& l : h.lines) bytes += l.size() + 2;
        }
        AtomicFileBatch ownBatch, sharedBatch;
        std::vector<FileWriteError> errors = ownBatch.addLinesEach(own);
        std::vector<FileWriteError> more = sharedBatch.addLinesEach(shared);
        errors.insert(errors.end(), more.begin(), more.end());
        more = ownBatch.commit(0);
        errors.insert(errors.end(), more.begin(), more.end());
        more = replaceShared(sharedBatch, sharedByPath, beforeReplace);
        errors.insert(errors.end(), more.begin(), more.end());
        for (const auto& e : errors) {
            failures.push_back({e.file(), e.reason()});
            failed.insert(e.file().native());
        }
    }
    // What is on disk now, for the listings of the folders already read.
    for (const Held* h : held) {
        if (failed.count(h->file.native())) continue;
        ++filesWritten_;
        for (const auto& l : h->lines) bytesWritten_ += l.size() + 2;
        auto it = listed_.find(h->file.parent_path().native());
        if (it != listed_.end()) it->second.insert(h->file.filename().native());
    }
    targets_.clear();
    files_.clear();
    heldBytes_ = 0;
    ++flushes_;
    return failures;
}

// ---- the download

namespace {

constexpr int kBufferSize = 100000;

std::string number(long long n) { return std::to_string(n); }

// "yyyy年mm月dd日hh時nn分ss秒"
std::string longDateTime(const DateTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d年%02d月%02d日%02d時%02d分%02d秒", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return sj(buf);
}

// A file name of the service begins with the 14-digit time it was made; true when those 14 digits
// are there but name no time (a name not made that way is left alone).
bool misdatedName(std::string_view name) {
    std::string_view stamp = name.substr(0, 14);
    return stamp.size() == 14 && std::all_of(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           !parseStamp14(stamp);
}

// Names in a message: the first few and how many more.
std::string someNames(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 5;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += "\n" + names[i];
    if (names.size() > kShown) text += "\n" + sj("ほか") + number(static_cast<long long>(names.size() - kShown)) + sj("件");
    return text;
}

}  // namespace

BulkDownload::BulkDownload(DataControl& control, Reporter& reporter, ProgressCallback onProgress)
    : control_(control),
      reporter_(reporter),
      onProgress_(std::move(onProgress)),
      from_(initialFromTime()) {}

namespace {
bool beyondTomorrow(const DateTime& t) { return toEpoch(t) > nowEpoch() + 24 * 60 * 60; }
}  // namespace

DateTime BulkDownload::initialFromTime() {
    std::string saved = read(Settings(), settings::kLastDownload);
    if (auto parsed = parseDateTime(saved); parsed && !beyondTomorrow(*parsed)) return *parsed;
    return fromEpoch(nowEpoch() - 90 * 24 * 60 * 60);
}

std::string BulkDownload::ignoredLastTime() {
    std::string saved = read(Settings(), settings::kLastDownload);
    auto parsed = parseDateTime(saved);
    if (!parsed || !beyondTomorrow(*parsed)) return {};
    // A time that far ahead would answer every download with "no new data", for good.
    return sj("前回取込日時（[JvDataGet] LastTime=") + saved + sj("）は現在より1日以上先のため使いません。");
}

void BulkDownload::notify() {
    if (onProgress_) onProgress_(progress_);
}

void BulkDownload::setStatus(const std::string& text) {
    progress_.status = text;
    reporter_.status(text);
    notify();
}

std::string BulkDownload::startMessage() const {
    return longDateTime(from_) + sj("以降のデータ取込を開始します。データ作成が終了するまで本ソフトを操作したり"
                                    "他のアプリケーションを操作することは極力避けてください。");
}

std::string BulkDownload::cancelQuestion() { return sj("データ取込を中止します。実行しますか？"); }
std::string BulkDownload::notRunningMessage() { return sj("データ取込は実行されていません。"); }

void BulkDownload::start() {
    if (beyondTomorrow(from_)) {
        reporter_.beep();
        reporter_.information(sj("取得開始日付 ") + formatDateTime(from_) + sj(" は現在より1日以上先です。取込を行いません。"));
        outcome_ = DownloadOutcome::Refused;
        return;
    }
    if (std::string ignored = ignoredLastTime(); !ignored.empty() && !ignoredLastTimeTold_) {
        reporter_.information(ignored);
        ignoredLastTimeTold_ = true;
    }
    outcome_ = DownloadOutcome::None;
    stats_ = {};
    filesRead_ = 0;
    char bound[16];
    std::snprintf(bound, sizeof bound, "%04d", (now().year - 15) % 10000);
    routing_.yearBound = bound;
    progress_.polling = false;
    progress_.downloadPosition = 0;
    progress_.readPosition = 0;
    std::string fromText = formatStamp14(from_);
    routing_.fromDate = strictNumber(std::string_view(fromText).substr(0, 8)).value_or(0);
    progress_.busy = true;
    notify();

    readCount_ = downloadCount_ = 0;
    lastFileTimestamp_.clear();
    int result = control_.NVOpen("RACEDIFF", fromText, 1, readCount_, downloadCount_, lastFileTimestamp_);
    if (result == -1 || (result == 0 && readCount_ <= 0)) {
        reporter_.beep();
        reporter_.information(sj("最新のデータがありません。"));
        outcome_ = DownloadOutcome::NoNewData;
        close();
        return;
    }
    if (result != 0) {
        reporter_.beep();
        reporter_.information(sj("NVOpenエラー:") + ResultMessage("NVOpen", result));
        outcome_ = DownloadOutcome::ServiceError;
        close();
        return;
    }
    setStatus("ReadCount:" + number(readCount_) + ", DownloadCount:" + number(downloadCount_));
    if (downloadCount_ == 0) {
        progress_.downloadMax = 100;
        progress_.downloadPosition = 100;
        notify();
        readLoop();
        close();
        return;
    }
    progress_.downloadMax = downloadCount_;
    setStatus(sj("ダウンロード中・・・"));
    progress_.polling = true;
    notify();
}

void BulkDownload::pollStatus() {
    if (!progress_.polling) return;
    int status = control_.NVStatus();
    if (status < 0) {
        reporter_.beep();
        reporter_.information(sj("NVStatusエラー:") + ResultMessage("NVStatus", status));
        progress_.polling = false;
        outcome_ = DownloadOutcome::ServiceError;
        close();
        return;
    }
    if (status > downloadCount_) return;
    if (status == downloadCount_) progress_.polling = false;
    progress_.downloadPosition = status;
    setStatus(sj("ダウンロード中．．．(") + number(status) + "/" + number(downloadCount_) + ")");
    if (status == downloadCount_) {
        readLoop();
        close();
    }
}

void BulkDownload::cancelNow() {
    bool wasDownloading = progress_.polling;
    progress_.polling = false;
    control_.NVCancel();
    cancel_.cancel();
    reporter_.beep();
    std::string text = sj("NVCancel:キャンセルされました");
    reporter_.information(text);
    setStatus(text);
    if (wasDownloading) {
        // The download phase ends here without a close; a read loop calling this ends after it.
        outcome_ = DownloadOutcome::Cancelled;
        progress_.busy = false;
        notify();
    }
}

bool BulkDownload::writeHeld(HeldStore& store) {
    std::vector<WriteFailure> failures = store.flush();
    stats_.filesWritten = store.filesWritten();
    stats_.bytesWritten = store.bytesWritten();
    stats_.flushes = store.flushes();
    if (failures.empty()) return true;
    // Once, by reason: a full disk fails every file alike, and a line per file buries the point.
    struct Reason {
        const WriteFailure* first;
        long long count;
    };
    std::vector<Reason> byReason;
    for (const auto& f : failures) {
        auto it = std::find_if(byReason.begin(), byReason.end(), [&](const Reason& r) { return r.first->reason == f.reason; });
        if (it == byReason.end())
            byReason.push_back({&f, 1});
        else
            ++it->count;
    }
    std::string text = sj("データファイルを書き込めませんでした。");
    for (const auto& [first, count] : byReason) {
        text += "\n" + toCp932(first->reason) + sj("：");
        text += count == 1 ? toCp932(first->file.string()) : number(count) + sj("ファイルが書き込まれていません。");
    }
    text += "\n" + sj("次回の取込は同じ日時から行います。");
    reporter_.beep();
    reporter_.information(text);
    return false;
}

bool BulkDownload::storeRecord(HeldStore& store, std::string_view line) {
    try {
        Routing routing = routeRecord(line, routing_);
        if (routing.malformed) ++stats_.malformed;
        for (const auto& folder : routing.folders) store.ensureFolder(folder);
        for (const auto& route : routing.routes) {
            store.store(route, line);
            if (onProgress_) {
                progress_.madeData = madeDataLabel(line, route);
                notify();
            }
        }
        if (!routing.routes.empty()) ++stats_.stored;
        return true;
    } catch (const std::exception& e) {
        // A store file that cannot be read or a folder that cannot be made: nothing more can
        // be stored safely.
        reporter_.beep();
        reporter_.information(sj("データファイルを読み書きできませんでした。") + "\n" + toCp932(e.what()));
        return false;
    }
}

void BulkDownload::readLoop() {
    progress_.readPosition = 0;
    progress_.readMax = readCount_;
    setStatus(sj("データ読込み中．．．(0/") + number(readCount_) + ")");
    std::optional<FileLock> downloading;
    if (!lockDownloads(downloading)) return;
    // Temporaries of an earlier download that was killed while writing; nobody else removes them.
    removeStaleTemporariesBelow(appFolder());
    badlyNamedFiles_.clear();
    HeldStore store(memoryBound_, commitBatch_);
    const ReadEnd end = readRecords(store);
    // Whatever ended the reading, what was read so far is written; LastTime moves only when all of
    // it is on disk.
    const bool failed = !writeHeld(store) || end == ReadEnd::WriteFailed;
    reportOddities(store);
    if (failed) {
        outcome_ = DownloadOutcome::WriteError;
        return;
    }
    if (end == ReadEnd::Completed) {
        outcome_ = DownloadOutcome::Completed;
        keepLastTime();
        if (outcome_ == DownloadOutcome::Completed) setStatus(sj("データ作成が完了しました。"));
    } else if (outcome_ == DownloadOutcome::None) {
        outcome_ = DownloadOutcome::Cancelled;
    }
}

// One download at a time: the past-run files (SEI, SEIR) are written by downloads alone, so this
// lock is theirs; the day files have their own, shared with the refreshes.
bool BulkDownload::lockDownloads(std::optional<FileLock>& lock) {
    try {
        lock.emplace(appFolder() / "download");
        return true;
    } catch (const FolderBusyError& e) {
        reporter_.beep();
        reporter_.information(sj("他の取込が実行中です。") + "\n" + toCp932(e.what()));
        outcome_ = DownloadOutcome::WriteError;
        return false;
    }
}

BulkDownload::ReadEnd BulkDownload::readRecords(HeldStore& store) {
    std::string record, fileName, lastFileName;
    for (;;) {
        if (cancel_.cancelled()) {
            cancelNow();
            return ReadEnd::Stopped;
        }
        int size = kBufferSize;
        record.clear();
        int result = control_.NVRead(record, size, fileName);
        if (result == -1) {
            ++filesRead_;
            progress_.readPosition = filesRead_;
            progress_.madeData.clear();
            setStatus(sj("データ読込み中．．．(") + number(filesRead_) + "/" + number(readCount_) + ")");
            continue;
        }
        if (result == 0) {
            setStatus(sj("データ読込み完了(") + number(filesRead_) + "/" + number(readCount_) + ")");
            progress_.downloadPosition = 0;
            progress_.readPosition = 0;
            notify();
            return ReadEnd::Completed;
        }
        if (result < -3) {
            reporter_.beep();
            // The file it failed on, so that a rerun stopping at the same place can be mended.
            std::string failedOn = fileName.empty() ? "" : "\n" + sj("ファイル：") + fileName;
            reporter_.information(sj("JVReadエラー:") + ResultMessage("NVRead", result) + failedOn);
            outcome_ = DownloadOutcome::ServiceError;
            return ReadEnd::Stopped;
        }
        if (result < 0) continue;  // -2, -3: read again

        ++stats_.records;
        if (fileName != lastFileName) {
            lastFileName = fileName;
            if (misdatedName(fileName)) badlyNamedFiles_.push_back(fileName);
        }
        if (!storeRecord(store, recordLine(record))) return ReadEnd::WriteFailed;
        if (store.overBound() && !writeHeld(store)) return ReadEnd::WriteFailed;
    }
}

void BulkDownload::reportOddities(const HeldStore& store) {
    std::string text;
    if (!store.mended().empty()) {
        std::vector<std::string> names;
        for (const auto& f : store.mended()) names.push_back(toCp932(f.string()));
        text += sj("レコードの欠けたデータファイルを、完全なレコードだけで作り直しました。") + someNames(names);
    }
    if (!badlyNamedFiles_.empty()) {
        if (!text.empty()) text += "\n";
        text += sj("名前の日時が正しくないデータファイルがありました（前回取込日時には使いません）。") +
                someNames(badlyNamedFiles_);
    }
    if (text.empty()) return;
    reporter_.beep();
    reporter_.information(text);
}

void BulkDownload::keepLastTime() {
    if (isSpaces(lastFileTimestamp_) || lastFileTimestamp_ == "00000000000000") return;
    auto time = parseStamp14(lastFileTimestamp_);
    if (!time) {
        reporter_.beep();
        reporter_.information(sj("最終ファイルの日時が正しくありません：") + lastFileTimestamp_ +
                              "\n" + sj("次回の取込は同じ日時から行います。"));
        return;
    }
    std::string text = formatDateTime(*time);
    if (beyondTomorrow(*time)) {
        reporter_.beep();
        reporter_.information(sj("最終ファイルの日時 ") + text + sj(" は現在より1日以上先のため、前回取込日時にしません。") +
                              "\n" + sj("次回の取込は同じ日時から行います。"));
        return;
    }
    try {
        write(Settings(), settings::kLastDownload, text);
        from_ = *time;
    } catch (const SettingsWriteError& e) {
        reporter_.beep();
        reporter_.information(toCp932(e.what()));
        outcome_ = DownloadOutcome::WriteError;
    }
}

void BulkDownload::close() {
    int result = control_.NVClose();
    progress_.busy = false;
    notify();
    reporter_.beep();
    if (result != 0) reporter_.information(sj("NVCloseエラー:") + ResultMessage("NVClose", result));
}

DownloadOutcome BulkDownload::run(const std::function<void()>& wait) {
    start();
    while (progress_.polling) {
        if (wait)
            wait();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Pressed from outside (the window, a signal): cancel here, on the download's thread.
        if (cancel_.cancelled()) {
            cancelNow();
            break;
        }
        pollStatus();
    }
    return outcome_;
}

}  // namespace vex
