#include "control/feed_service.h"

#include <algorithm>

#include "app/atomic_file.h"
#include "app/file_read.h"
#include "vocabulary/cp932.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "vocabulary/civil_date.h"

namespace vex::control {
namespace fs = std::filesystem;

std::vector<std::string> splitFeedRecords(const std::string& bytes) {
    std::vector<std::string> out;
    for (std::string_view line : splitLines(bytes))
        if (!line.empty()) out.push_back(std::string(line) + "\r\n");
    return out;
}

namespace {

// The records of a feed file; throws FileReadError for one that is no regular file, larger than
// any feed file, or unreadable.
std::vector<std::string> feedRecords(const fs::path& file) {
    const FileRead& read = readRegularFileKept(file, kLargestFeedFile);  // a replay reads thousands
    if (read.state == FileRead::Unreadable) throw FileReadError(file, read.reason);
    return splitFeedRecords(read.bytes);
}

// Why a listed entry is not served, or empty: only regular files (a FIFO would stop the replay
// until a writer comes, a device never ends) of a feed file's size are read.
std::string passedOver(const fs::directory_entry& entry) {
    std::error_code ec;
    fs::file_status status = entry.status(ec);  // through a symbolic link
    std::string name = entry.path().filename().string();
    if (ec || !fs::is_regular_file(status))
        return toCp932(name + ": 通常のファイルではないため読み飛ばしました。");
    if (auto size = entry.file_size(ec); !ec && size > kLargestFeedFile)
        return toCp932(name + ": 大きすぎるため読み飛ばしました（" + std::to_string(size) + " バイト）。");
    return {};
}

}  // namespace

FeedService::FeedService(fs::path dir) : dir_(std::move(dir)) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir_ / "diff", ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() < 18 || name.substr(name.size() - 4) != ".txt") continue;
        if (!std::all_of(name.begin(), name.begin() + 14, [](char c) { return c >= '0' && c <= '9'; })) continue;
        diff_.push_back({name, entry.path(), passedOver(entry)});
    }
    std::sort(diff_.begin(), diff_.end(), [](const DiffEntry& a, const DiffEntry& b) { return a.name < b.name; });
}

std::vector<DataFile> FeedService::diffFiles(const std::string& fromStamp, const std::string&) {
    std::vector<DataFile> out;
    for (const DiffEntry& entry : diff_) {
        std::string stamp = entry.name.substr(0, 14);
        if (stamp <= fromStamp) continue;
        fs::path p = entry.path;
        out.push_back({stamp, entry.name, [p] { return feedRecords(p); }, entry.passedOver});
    }
    return out;
}

std::vector<std::string> FeedService::realtime(const std::string& dataSpec, const std::string& key, const std::string&) {
    return feedRecords(dir_ / dataSpec / (key + ".txt"));
}

void FeedService::index() {
    if (indexed_) return;
    indexed_ = true;
    auto take = [&](const std::string& record) {
        if (record.size() < 30) return;
        std::string kind = record.substr(0, 2);
        if (kind != "RA" && kind != "SE" && kind != "HR") return;
        std::string key = std::string(fieldOf(record, Common::Date)) + std::string(fieldOf(record, Common::Track)) +
                          std::string(fieldOf(record, Common::RaceNumber));
        RaceIndex& r = races_[key];
        if (kind == "RA") r.ra = record;
        else if (kind == "HR") r.hr = record;
        else {
            std::string h(fieldOf(record, SE::Horse));
            int horse = std::all_of(h.begin(), h.end(), ::isdigit) && !h.empty() ? std::stoi(h) : 0;
            if (horse > 0) r.se[horse] = record;
        }
    };
    // Race facts for the betting account: entries that cannot be read tell nothing.
    auto takeAll = [&](const fs::path& file) {
        try {
            for (const auto& rec : feedRecords(file)) take(rec);
        } catch (const FileReadError&) {
        }
    };
    for (const DiffEntry& entry : diff_)
        if (entry.passedOver.empty()) takeAll(entry.path);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir_ / "0B12", ec)) takeAll(entry.path());
}

std::optional<RaceFacts> FeedService::raceFacts(const std::string& yyyymmdd, int track, int race, std::int64_t now) {
    index();
    auto it = races_.find(yyyymmdd + sim::digits(track, 2) + sim::digits(race, 2));
    if (it == races_.end() || it->second.ra.empty()) return std::nullopt;
    const RaceIndex& r = it->second;
    auto number = [](std::string_view s) {
        int v = 0;
        for (char c : s) v = (c >= '0' && c <= '9') ? v * 10 + (c - '0') : v;
        return v;
    };
    RaceFacts f;
    int day = dayNumberOfYmd(yyyymmdd).value_or(-1);
    int post = number(fieldOf(r.ra, RA::PostTime));
    f.post = static_cast<std::int64_t>(day) * 1440 + post / 100 * 60 + post % 100;
    f.saleOpen = static_cast<std::int64_t>(day - 1) * 1440 + 17 * 60;
    f.registered = number(fieldOf(r.ra, RA::Registered));
    for (int h = 1; h <= f.registered; ++h) {
        auto se = r.se.find(h);
        f.frames.push_back(se == r.se.end() ? 0 : number(fieldOf(se->second, SE::Frame)));
        std::string_view ab = se == r.se.end() ? std::string_view{} : fieldOf(se->second, SE::Abnormality);
        f.scratched.push_back(ab == "1" || ab == "2");
    }
    if (now >= f.post) f.payoutRecord = r.hr;
    return f;
}

bool FeedService::trackMeets(const std::string& yyyymmdd, int track) {
    index();
    std::string prefix = yyyymmdd + sim::digits(track, 2);
    auto it = races_.lower_bound(prefix);
    return it != races_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace vex::control
