#pragma once
// The bulk download: asks the data service for every record since a from-time, routes the records
// of the southern-Kanto tracks into the store's day files and every track's records into the
// per-horse and past-race files, and remembers the service's last-file timestamp as the next
// from-time. No widgets: the download window (and vexmora-cli) watch it through the progress
// callback and the Reporter.
//
// The files being filled are held in memory for the whole read loop and each is written once,
// atomically, when the loop ends (completed, failed or cancelled), or earlier when the memory held
// passes a bound. The result is byte for byte what storing record by record gives.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/atomic_file.h"
#include "app/cancel_token.h"
#include "app/clock.h"
#include "app/file_read.h"
#include "app/reporter.h"
#include "datalink/data_control.h"
#include "store/store_paths.h"

namespace vex {

// ---- store rules (shared with the real-time refresh)

// Positions 3 to 11 (data category and creation date) replaced by "000000000".
void zeroCategoryAndDate(std::string& line);
// The order of the stored lines: text order ignoring ASCII case; lines equal that way are ordered
// by their bytes, so the order is total and a sort always gives the same file.
bool storeLineLess(std::string_view a, std::string_view b);
// Whether `incoming` is odds of the same kind announced before the `stored` ones (MMDDhhmm at
// positions 28-35). A download reads the day-before odds of a race whose odds of the day a
// refresh stored already: they must not take their place.
bool olderOdds(std::string_view stored, std::string_view incoming);
// Replaces the first line with the same race key (positions 12-27) as `line`, else appends it;
// odds announced earlier than the line they would replace are dropped.
void upsertLine(std::vector<std::string>& lines, std::string_view line);
void sortStoreLines(std::vector<std::string>& lines);
// After a sort: drops the first line when it is blank after trimming (bytes <= ' ' only).
void trimFirstBlankLine(std::vector<std::string>& lines);
// A slot file's lines: at least 216, the missing ones empty slots (553 spaces).
void padSlotLines(std::vector<std::string>& lines);
std::string emptySlotLine();
// Every store file holds records of one length, which the readers find by position. A line of
// another length (a record cut by an earlier fault) is no record: it is dropped, or in a slot
// file left an empty slot so the later slots keep their places. Returns the lines mended.
std::size_t keepWholeRecords(std::vector<std::string>& lines, int recordLength, bool slots);

// ---- routing

enum class StoreRule {
    Upsert,          // zero, upsert, sort
    UpsertTrimmed,   // zero, upsert, sort and trim
    Slot,            // slot write, not zeroed
    UpsertAsSent,    // upsert, sort; not zeroed (payouts of the real-time refresh)
};

// A store file named by the record pieces its path is made of (CP932). Cheap to make for every
// record; the path itself is built once per file.
struct StoreTarget {
    enum class Kind : char {
        Day,       // Data/ day file; `name` is the day stamp
        Runner,    // Data/ slot file; `name` is the day stamp + track code
        PastRun,   // SEI/ per horse; `name` is the registration number
        PastRace,  // SEIR/ per day and track; `name` is yyyymmdd + track code
    };
    Kind kind = Kind::Day;
    DayFile day = DayFile::RA;  // Kind::Day only
    std::string name;

    std::filesystem::path path() const;
    int recordLength() const;  // CR LF included
    bool operator==(const StoreTarget&) const = default;
};

struct StoreTargetHash {
    std::size_t operator()(const StoreTarget& t) const;
};

struct Route {
    StoreTarget target;
    StoreRule rule;
    std::size_t slot = 0;  // StoreRule::Slot
    std::filesystem::path file() const { return target.path(); }
};

struct RoutingContext {
    long long fromDate = 0;  // yyyymmdd of the from-time
    std::string yearBound;   // current year - 15, 4 digits
};

// Where one record (a record line: no CR LF) goes, in the order its targets are tried, and the
// files whose folders must exist first (created even when no file follows, as the year folders of
// SEI). A record of a stored kind whose length is not its kind's is not routed at all.
struct Routing {
    std::vector<Route> routes;
    std::vector<StoreTarget> folders;
    bool malformed = false;  // stored kind, wrong length: skipped
};
Routing routeRecord(std::string_view line, const RoutingContext& context);

// The MkDataLabel text once `line` is stored by `route` (CP932).
std::string madeDataLabel(std::string_view line, const Route& route);

// ---- the files held during the read loop

// A file that could not be written, with the reason.
struct WriteFailure {
    std::filesystem::path file;
    std::string reason;  // as the system gives it, without the file
};

class HeldStore {
public:
    explicit HeldStore(std::size_t memoryBound = kDefaultBound, std::size_t commitBatch = kDefaultCommitBatch)
        : bound_(memoryBound), commitBatch_(commitBatch) {}
    static constexpr std::size_t kDefaultBound = std::size_t{512} << 20;
    // A flush renames its files in batches of about this many bytes: the disk needs room for the
    // new copies of one batch beside the old files, not for all that is held.
    static constexpr std::size_t kDefaultCommitBatch = std::size_t{32} << 20;

    // Applies `rule` to `file` with `line` (a record line, zeroed here when the rule says so).
    // The file is read from disk the first time it is touched and held from then on.
    void store(const Route& route, std::string_view line);
    // Creates the folder of `target` (and its parents) when missing; remembered so it is checked once.
    void ensureFolder(const StoreTarget& target);

    std::size_t heldBytes() const { return heldBytes_; }
    bool overBound() const { return heldBytes_ > bound_; }
    std::size_t heldFiles() const { return files_.size(); }

    // Writes every held file atomically and lets it go; a file that cannot be written keeps its
    // old content on disk and is reported. Every other file is still written.
    //
    // The day files (Data/) are shared with other runs: refreshes, the time-series import, another
    // program's download. Each is replaced under its FileLock, and when another run replaced it
    // since it was read, the records stored here are put into what is on disk now, so no run's
    // records are lost whatever the order. `beforeReplace` runs under a shared file's lock just
    // before it is replaced (the odds history is written in that step).
    using BeforeReplace = std::function<void(const std::filesystem::path&)>;
    std::vector<WriteFailure> flush(const BeforeReplace& beforeReplace = {});

    // Files read from disk with lines that were no whole records (see keepWholeRecords).
    const std::vector<std::filesystem::path>& mended() const { return mended_; }

    std::size_t filesWritten() const { return filesWritten_; }
    std::size_t bytesWritten() const { return bytesWritten_; }
    std::size_t flushes() const { return flushes_; }

private:
    struct Held {
        std::filesystem::path file;
        std::vector<std::string> lines;
        bool sorted = false;  // kept sorted once the first record has been stored
        StoreRule rule = StoreRule::Upsert;
        int recordLength = 0;
        bool shared = false;  // a day file: replaced under its lock, merged when changed meanwhile
        FileStamp readAs;     // the file on disk when it was read
        std::unordered_set<std::string> storedKeys;  // race keys stored here (shared upsert files)
        std::unordered_set<std::size_t> storedSlots;  // slots stored here (shared slot files)
    };
    Held& hold(const StoreTarget& target, StoreRule rule);
    // Under the file's lock, when another run replaced the file since it was read: the records
    // stored here go into what is on disk now. Throws FileReadError for a file that cannot be read.
    static void mergeWithDisk(Held& held);
    static std::vector<FileWriteError> replaceShared(AtomicFileBatch& batch,
                                                     const std::unordered_map<std::string, Held*>& byPath,
                                                     const BeforeReplace& beforeReplace);
    // Whether `file` is on disk, from one listing of its folder (most targets of a download into
    // a young store do not exist yet, and a failed open per file costs more than the listing).
    bool onDisk(const std::filesystem::path& file);

    std::size_t bound_;
    std::size_t commitBatch_;
    std::size_t heldBytes_ = 0;
    std::vector<std::filesystem::path> mended_;
    std::unordered_map<std::string, Held> files_;                      // by path
    std::unordered_map<StoreTarget, Held*, StoreTargetHash> targets_;  // the path of each, once
    std::unordered_set<std::string> folders_;  // kind and year of the folders made
    std::unordered_map<std::string, std::unordered_set<std::string>> listed_;  // folder -> names
    std::size_t filesWritten_ = 0, bytesWritten_ = 0, flushes_ = 0;
};

// ---- the download

// What the download window shows.
struct DownloadProgress {
    int downloadMax = 100, downloadPosition = 0;  // ProgressBar1 "ダウンロード"
    int readMax = 100, readPosition = 0;          // ProgressBar2 "読込み"
    std::string status;                            // ProgressLabel (CP932)
    std::string madeData;                          // MkDataLabel "作成データ" (CP932)
    bool busy = false;                             // hourglass cursor
    bool polling = false;                          // the 10 ms status poll runs
};

enum class DownloadOutcome {
    None,         // not run yet, or still running
    Completed,    // read to the end and every file written
    NoNewData,    // "最新のデータがありません。"
    Cancelled,
    Refused,       // a from-time more than a day ahead: nothing asked for
    ServiceError,  // a data-service operation failed
    WriteError,    // a store file could not be written (or LastTime could not be kept)
};

struct DownloadStats {
    long long records = 0;    // records read
    long long stored = 0;     // records that went to at least one file
    long long malformed = 0;  // records of a stored kind with a wrong length, skipped
    std::size_t filesWritten = 0, bytesWritten = 0, flushes = 0;
};

// Runs on one thread, the download's own: every member is touched there alone. Another thread (the
// window, a signal handler) only presses the cancel token; the download sees it and cancels itself.
class BulkDownload {
public:
    using ProgressCallback = std::function<void(const DownloadProgress&)>;

    BulkDownload(DataControl& control, Reporter& reporter, ProgressCallback onProgress = {});

    // The from-time the window opens with: LastTime under JvDataGet, else now - 90 days. A LastTime
    // more than a day ahead of now is not used (nor is a from-time that far ahead downloaded from,
    // nor such a last-file time kept): start() says so.
    static DateTime initialFromTime();
    // The notice for a stored LastTime that initialFromTime() passed over; empty when it was used.
    static std::string ignoredLastTime();

    const DateTime& fromTime() const { return from_; }
    void setFromTime(const DateTime& from) { from_ = from; }
    void setMemoryBound(std::size_t bytes) { memoryBound_ = bytes; }
    void setCommitBatch(std::size_t bytes) { commitBatch_ = bytes; }

    // The notice of ButtonStart. The caller shows it before the download starts (the window before
    // it hands the job over), so the job itself asks and shows nothing up front.
    std::string startMessage() const;
    // ButtonCancel's question, asked by the window before it presses the cancel.
    static std::string cancelQuestion();
    // ButtonCancel while no download runs.
    static std::string notRunningMessage();

    // ButtonStart: NVOpen, and then either the read loop at once (nothing to download) or the
    // download phase, in which the caller calls pollStatus() every 10 ms while polling() is true.
    void start();
    // The cancel of the job this download runs in; set before start(). A pressed token is never
    // cleared: the next run gets a new one.
    void setCancelToken(CancelToken token) { cancel_ = std::move(token); }
    const CancelToken& cancelToken() const { return cancel_; }
    // TimerJVStatus: one NVStatus poll; runs the read loop and the close when the download is done.
    void pollStatus();
    bool polling() const { return progress_.polling; }
    // The cancel: NVCancel, the token, and the notice. A download phase ends here; a read loop ends
    // at its next turn. run() and the read loop call it when they find the token pressed.
    void cancelNow();

    // start() and pollStatus() until done, calling `wait` between polls (default: sleep 10 ms). A
    // cancel pressed meanwhile cancels the download.
    DownloadOutcome run(const std::function<void()>& wait = {});

    DownloadOutcome outcome() const { return outcome_; }
    const DownloadProgress& progress() const { return progress_; }
    const DownloadStats& stats() const { return stats_; }

private:
    void readLoop();
    // How the reading of records ended: the service's end, a write that failed, or anything else
    // (a cancel, a service error already told).
    enum class ReadEnd { Completed, WriteFailed, Stopped };
    bool lockDownloads(std::optional<FileLock>& lock);
    ReadEnd readRecords(HeldStore& store);
    // Routes and holds one record; false (said) when the store cannot take it.
    bool storeRecord(HeldStore& store, std::string_view line);
    void close();
    void setStatus(const std::string& text);
    void notify();
    bool writeHeld(HeldStore& store);
    void keepLastTime();
    void reportOddities(const HeldStore& store);

    DataControl& control_;
    Reporter& reporter_;
    ProgressCallback onProgress_;
    DateTime from_;
    std::size_t memoryBound_ = HeldStore::kDefaultBound;
    std::size_t commitBatch_ = HeldStore::kDefaultCommitBatch;
    CancelToken cancel_;
    bool ignoredLastTimeTold_ = false;

    RoutingContext routing_;
    int readCount_ = 0, downloadCount_ = 0;
    std::string lastFileTimestamp_;
    int filesRead_ = 0;
    std::vector<std::string> badlyNamedFiles_;  // 14 leading digits that are no time
    DownloadProgress progress_;
    DownloadStats stats_;
    DownloadOutcome outcome_ = DownloadOutcome::None;
};

}  // namespace vex
