#include "stats/appearance_reader.h"

#include <algorithm>
#include <tuple>

#include "app/app_folder.h"
#include "app/clock.h"
#include "app/file_read.h"
#include "stats/appearance.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

constexpr int kRunnerBlocksAt = 118, kRunnerBlockWidth = 173;
constexpr int kPlacePayoutsAt = 3372 + 3 * 9;

constexpr int kNoNumber = -1;

// Reads the fields of one line; the first field that is no number is remembered by its name.
class LineFields {
public:
    explicit LineFields(std::string_view line) : line_(line) {}
    // Inlined, every one: the field reader's fast path needs the width known when compiled.
    // A number the writer always puts there: digits, right-aligned behind spaces.
    [[gnu::always_inline]] int required(int at, int width, const char* name) {
        int value = number(at, width);
        if (value == kNoNumber && !bad_) bad_ = name;
        return std::max(value, 0);
    }
    // A code copied from the records as delivered: anything but digits counts as 0.
    [[gnu::always_inline]] int lenient(int at, int width) { return std::max(number(at, width), 0); }
    std::string_view bytes(int at, int width) const {
        return line_.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(width));
    }
    const char* bad() const { return bad_; }

private:
    // The fields are at most 9 wide: every number fits an int.
    [[gnu::always_inline]] int number(int at, int width) const {
        return static_cast<int>(rightAlignedNumber({line_.data() + at, static_cast<std::size_t>(width)}).value_or(kNoNumber));
    }

    std::string_view line_;
    const char* bad_ = nullptr;
};

void readHeader(LineFields& f, AppearanceRace& race) {
    race.date = f.required(0, 8, "date");
    race.postTime = f.lenient(8, 4);
    race.track = f.required(12, 2, "track");
    race.raceNumber = f.required(18, 2, "race number");
    race.registered = f.required(26, 2, "runners");
    race.grade = f.bytes(28, 1)[0];
    race.raceType = f.lenient(29, 2);
    race.weightRule = f.lenient(31, 1);
    race.condition = f.lenient(32, 3);
    race.distance = f.lenient(95, 4);
    race.surface = f.lenient(99, 2);
    race.recommendedRank = f.required(115, 2, "recommended rank");
    race.placeSold = f.lenient(kPlacePayoutsAt, 9) > 0;
}

// The fields the writer formats itself must be numbers; those copied from the runner record as
// delivered (position, popularity) may be blank before the results and read as 0.
void readRunner(LineFields& f, int at, AppearanceRunner& runner) {
    runner.compiValue = static_cast<std::uint8_t>(std::min(f.required(at + 66, 3, "Compi value"), 255));
    runner.compiRank = static_cast<std::uint8_t>(std::min(f.required(at + 69, 2, "Compi rank"), 99));
    runner.finish = static_cast<std::uint8_t>(f.lenient(at + 76, 2));
    runner.popularity = static_cast<std::uint8_t>(f.lenient(at + 78, 2));
    runner.winPaid = f.required(at + 149, 9, "win payout");
    runner.placePaid = f.required(at + 158, 9, "place payout");
    // Scratched (1), excluded at the gate (2) or before the start (3): the stake was returned.
    char abnormality = f.bytes(at + 167, 1)[0];
    runner.refunded = abnormality >= '1' && abnormality <= '3';
}

}  // namespace

int AppearanceRace::compiValueOfRank(int rank) const {
    const AppearanceRunner* runner = runnerOfCompiRank(rank);
    return runner ? runner->compiValue : 0;
}

const AppearanceRunner* AppearanceRace::runnerOfCompiRank(int rank) const {
    if (rank <= 0) return nullptr;
    for (int m = 0; m < runnerCount; ++m)
        if (runners[static_cast<std::size_t>(m)].compiRank == rank) return &runners[static_cast<std::size_t>(m)];
    return nullptr;
}

bool parseAppearanceLine(std::string_view line, AppearanceRace& race, std::string* problem) {
    if (line.size() != static_cast<std::size_t>(kAppearanceLineWidth)) {
        if (problem) *problem = sj("長さが ") + std::to_string(line.size()) + sj(" バイトです");
        return false;
    }
    LineFields fields(line);
    readHeader(fields, race);
    race.runnerCount = std::clamp(race.registered, 0, 18);
    for (int m = 0; m < race.runnerCount; ++m) {
        AppearanceRunner& runner = race.runners[static_cast<std::size_t>(m)];
        readRunner(fields, kRunnerBlocksAt + kRunnerBlockWidth * m, runner);
        runner.horse = static_cast<std::uint8_t>(m + 1);  // block k holds horse number k + 1
    }
    if (!fields.bad()) return true;
    if (problem) *problem = sj("数字でない項目: ") + fields.bad();
    return false;
}

std::optional<AppearanceRace> parseAppearanceLine(std::string_view line, std::string* problem) {
    AppearanceRace race;
    if (!parseAppearanceLine(line, race, problem)) return std::nullopt;
    return race;
}

std::string parseAppearanceFile(std::string_view bytes, std::vector<AppearanceRace>& races) {
    const std::size_t before = races.size();
    int lineNumber = 0;
    while (!bytes.empty()) {
        ++lineNumber;
        std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string problem;
        // Parsed in place: a day's races are thousands of bytes each.
        if (!parseAppearanceLine(line, races.emplace_back(), &problem)) {
            races.resize(before);
            return std::to_string(lineNumber) + sj(" 行目: ") + problem;
        }
    }
    return {};
}

bool isAppearanceFileName(std::string_view name) {
    return name.size() == 14 && name.substr(0, 2) == "em" && name.substr(10) == ".dat";
}

std::optional<int> appearanceFileDate(std::string_view name) {
    if (!isAppearanceFileName(name)) return std::nullopt;
    std::string_view digits = name.substr(2, 8);
    // A day that is no date, or lies beyond tomorrow, is no day any load wrote.
    std::optional<int> day = dayNumberOfYmd(digits);
    const DateTime today = now();
    if (!day || *day > dayNumber(today.year, today.month, today.day) + 1) return std::nullopt;
    return static_cast<int>(*strictNumber(digits));
}

fs::path appearanceFolder() { return appFolder() / "TOKEI"; }

namespace {

// Parsed straight into the set: a race is hundreds of bytes, copying them again would show.
std::string skippedWarning(const fs::path& file, const std::string& why) {
    return toCp932(file.filename().string()) + sj(" を読み飛ばしました（") + why + sj("）");
}

// A day of every track is some hundred kilobytes.
constexpr std::size_t kLargestAppearanceFile = std::size_t{64} << 20;

void readOneFile(const fs::path& file, FileRead& read, AppearanceSet& set) {
    readRegularFile(file, read, kLargestAppearanceFile);  // a FIFO in TOKEI is never waited for
    if (read.state != FileRead::Read) {
        set.warnings.push_back(skippedWarning(file, toCp932(read.reason)));
        return;
    }
    if (read.bytes.empty()) {
        set.warnings.push_back(skippedWarning(file, sj("空のファイルです")));
        return;
    }
    std::string problem = parseAppearanceFile(read.bytes, set.races);
    if (!problem.empty()) {
        set.warnings.push_back(skippedWarning(file, problem));
        return;
    }
    ++set.files;
}

}  // namespace

AppearanceSet readAppearanceFolder(const fs::path& folder, int fromDate, int toDate) {
    AppearanceSet set;
    std::vector<std::pair<int, fs::path>> files;  // by date: cheaper to sort than paths
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().native();
        std::optional<int> date = appearanceFileDate(name);
        if (date && *date >= fromDate && *date <= toDate) files.emplace_back(*date, it->path());
        if (!date && isAppearanceFileName(name)) set.warnings.push_back(skippedWarning(it->path(), sj("日付が正しくありません")));
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    set.races.reserve(files.size() * 24);  // a day of the four tracks holds about that many races
    FileRead read;  // one buffer for every file, warm in the cache
    for (const auto& [date, file] : files) readOneFile(file, read, set);
    // Files by date and lines by post time come in order already; the sort is for the odd one out.
    auto order = [](const AppearanceRace& r) { return std::tuple(r.date, r.postTime, r.track, r.raceNumber); };
    auto earlier = [&](const AppearanceRace& a, const AppearanceRace& b) { return order(a) < order(b); };
    if (!std::is_sorted(set.races.begin(), set.races.end(), earlier))
        std::stable_sort(set.races.begin(), set.races.end(), earlier);
    return set;
}

}  // namespace vex
