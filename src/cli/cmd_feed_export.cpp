// feed-export DIR [--from yyyymmdd] [--to yyyymmdd]: writes the simulated service's data in the feed
// layout (diff/, 0B30/, 0B12/), so that a calendar can be frozen and replayed with
// VEXMORA_SERVICE=feed:DIR. The same seed and clock give the same bytes. 0B30 holds the odds of
// the races not yet settled; the final odds of the others are in their result files.
#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "cli/command.h"
#include "control/control_factory.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "store/record_reader.h"
#include "vocabulary/civil_date.h"

namespace vex::cli {
namespace {
namespace fs = std::filesystem;

std::string joined(const std::vector<std::string>& records) {
    std::string out;
    std::size_t total = 0;
    for (const auto& r : records) total += r.size();
    out.reserve(total);
    for (const auto& r : records) out += r;
    return out;
}

// The win odds of every south-Kanto race of the range as the race-day refresh keeps them: a snapshot
// every ten minutes from the sale's opening to the post (or now), in the odds history layout.
int writeOddsHistory(control::SimService& service, const fs::path& dir, int first, int last) {
    constexpr sim::Minute kEvery = 10;
    const sim::Minute nowMinute = sim::minuteOf(now());
    const auto& tds = service.world().trackDays();
    int files = 0;
    for (std::size_t i = 0; i < tds.size(); ++i) {
        if (tds[i].day < first || tds[i].day > last || !sim::trackSpec(tds[i].track)->southKanto) continue;
        for (std::size_t r = 0; r < tds[i].races.size(); ++r) {
            auto race = service.race(static_cast<int>(i), static_cast<int>(r));
            std::vector<std::string> lines;
            for (sim::Minute t = race->saleOpen(); t <= std::min(race->postTime(), nowMinute); t += kEvery)
                for (const std::string& record : race->oddsRecords(t, static_cast<int>(t / 1440)))
                    if (fieldOf(record, Common::Kind) == "O1") lines.emplace_back(recordLine(record));
            if (lines.empty()) continue;
            const std::string key = race->raceKey();
            const fs::path file = dir / "OddsHistory" / key.substr(0, 8) / (key.substr(8, 8) + ".nvO1");
            fs::create_directories(file.parent_path());
            writeLinesAtomic(file, lines);
            ++files;
        }
    }
    return files;
}

}  // namespace

int runFeedExport(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool oddsHistory = false;
    for (const std::string& a : args) {
        if (a == "--odds-history") oddsHistory = true;
        else rest.push_back(a);
    }
    int today = static_cast<int>(sim::minuteOf(now()) / 1440);
    const auto [dirText, first, last] =
        parseFolderAndDays(rest, today - control::SimService::kPastDays, today + control::SimService::kFutureDays);

    fs::path dir = dirText;
    std::error_code ec;
    if (fs::exists(dir / "diff", ec) && !fs::is_empty(dir / "diff", ec))
        throw std::runtime_error(dirText + ": already holds a feed (diff/ is not empty)");
    for (const char* sub : {"diff", "0B30", "0B12"}) fs::create_directories(dir / sub);

    control::SimService service(control::simSeed(), today);
    std::string nowStamp = formatStamp14(now());
    int diffCount = 0, oddsCount = 0, resultDays = 0;
    long long bytes = 0;
    for (const control::DataFile& f : service.filesOfDays(first, last, nowStamp)) {
        std::string content = joined(f.records());
        bytes += static_cast<long long>(content.size());
        writeFileAtomic(dir / "diff" / f.name, content, false);
        ++diffCount;
    }
    const auto& tds = service.world().trackDays();
    for (int day = first; day <= last; ++day) {
        std::string date = ymdText(day);
        auto results = service.realtime("0B12", date, nowStamp);
        if (!results.empty()) {
            std::string content = joined(results);
            bytes += static_cast<long long>(content.size());
            writeFileAtomic(dir / "0B12" / (date + ".txt"), content, false);
            ++resultDays;
        }
    }
    for (std::size_t i = 0; i < tds.size(); ++i) {
        if (tds[i].day < first || tds[i].day > last || !sim::trackSpec(tds[i].track)->southKanto) continue;
        for (std::size_t r = 0; r < tds[i].races.size(); ++r) {
            auto race = service.race(static_cast<int>(i), static_cast<int>(r));
            // Settled races keep their final odds in the difference files; the real-time odds are
            // recorded for the races still to be run.
            if (race->resultTime() <= sim::minuteOf(now())) continue;
            auto odds = service.realtime("0B30", race->raceKey(), nowStamp);
            if (odds.empty()) continue;
            std::string content = joined(odds);
            bytes += static_cast<long long>(content.size());
            writeFileAtomic(dir / "0B30" / (race->raceKey() + ".txt"), content, false);
            ++oddsCount;
        }
    }
    printLine("diff: " + std::to_string(diffCount) + " files");
    printLine("0B30: " + std::to_string(oddsCount) + " files");
    printLine("0B12: " + std::to_string(resultDays) + " files");
    printLine("bytes: " + std::to_string(bytes));
    if (oddsHistory) printLine("OddsHistory: " + std::to_string(writeOddsHistory(service, dir, first, last)) + " files");
    return kOk;
}

}  // namespace vex::cli
