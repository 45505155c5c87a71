#pragma once
// A small day written into the store and then damaged from an input of bytes: the shared core of
// the day-load fuzz target and of the bounded random test standing in for it. Input: for each of
// the store's files one byte choosing a length change (cut, grow with stray bytes, or keep), then
// 4-byte edits (file, offset low, offset high, value) applied to the files before they are written.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "stats/appearance.h"
#include "dayload/day_load.h"
#include "test_day_load_store.h"

namespace vex::test {

inline std::vector<std::pair<std::filesystem::path, std::string>> smallDay() {
    namespace fs = std::filesystem;
    const char* date = "20240512";
    std::string stamp = sj("2024年05月12日");
    fs::path data = appFolder() / "Data";
    std::vector<std::pair<fs::path, std::string>> files;
    std::string raFile, hrFile, o1File, o6File;
    std::map<int, std::string> slots;
    for (int race = 1; race <= 2; ++race) {
        raFile += ra(date, "44", race, 3, race == 1 ? "1500" : "1530", race);
        for (int h = 1; h <= 3; ++h) {
            Runner r{h, h, "201910000" + std::to_string(h), h};
            slots[(race - 1) * 18 + h - 1] = se(date, "44", race, r);
        }
        std::string hr = Record::hr(key16(date, "44", race))
            .payout(HR::Win, 1, "01", 250, 1)
            .payout(HR::Place, 1, "01", 110, 1)
            .payout(HR::Trifecta, 1, "010203", 5000, 2)
            .str();
        hrFile += hr;
        std::string o1 = Record::of("O1", key16(date, "44", race));
        for (int h = 1; h <= 3; ++h) {
            setField(o1, Odds::Win.odds(h), "0035");
            setField(o1, Odds::PlaceLower.odds(h), "0012");
            setField(o1, Odds::PlaceUpper.odds(h), "0018");
        }
        o1File += o1;
        std::string o6 = Record::of("O6", key16(date, "44", race));
        setField(o6, Odds::Trifecta.odds(1), "0012345");
        o6File += o6;
    }
    std::vector<std::string> runnerSlots(kSlotCount, emptyRunnerSlot());
    for (const auto& [slot, record] : slots) runnerSlots[static_cast<std::size_t>(slot)] = record;
    std::string sei;
    Runner past{1, 1, "2019100001", 2, "470", 3, 2, 2};
    sei += se("20240428", "44", 3, past, 9);
    sei += se("20240401", "05", 11, past, 8);
    std::string compi = compiLine(date, "44", 1, {{1, 85}, {2, 70}, {3, 55}}, 1, {{1, 80}, {2, 70}}, 1) + "\r\n";
    files.emplace_back(data / toUtf8(stamp + ".nvRA"), raFile);
    files.emplace_back(data / toUtf8(stamp + sj("大井") + ".nvSEr"), joined(runnerSlots));
    files.emplace_back(data / toUtf8(stamp + ".nvHR"), hrFile);
    files.emplace_back(data / toUtf8(stamp + ".nvO1"), o1File);
    files.emplace_back(data / toUtf8(stamp + ".nvO6"), o6File);
    files.emplace_back(data / toUtf8(stamp + sj("大井") + ".Comp"), compi);
    files.emplace_back(appFolder() / "SEI" / "2019" / "2019100001.nvSEI", sei);
    files.emplace_back(appFolder() / "SEIR" / "2024" / "2024042844.nvSERA", ra("20240428", "44", 3, 12, "1200", 7));
    files.emplace_back(data / toUtf8(sj("2024年04月01日") + ".nvRA"), ra("20240401", "05", 11, 16, "1545", 8));
    return files;
}

// Writes the damaged day and loads it; returns what went wrong, empty when all held.
inline std::string damagedDayProblem(const std::uint8_t* data, std::size_t size) {
    auto files = smallDay();
    std::size_t at = 0;
    for (auto& [path, bytes] : files) {
        if (at >= size) break;
        std::uint8_t choice = data[at++];
        if (choice < 64)
            bytes.resize(bytes.size() * choice / 64);  // cut
        else if (choice < 96)
            bytes.append(static_cast<std::size_t>(choice) * 7, static_cast<char>(choice));  // stray tail
    }
    for (; at + 4 <= size; at += 4) {
        auto& bytes = files[data[at] % files.size()].second;
        if (bytes.empty()) continue;
        std::size_t offset = (data[at + 1] | (static_cast<std::size_t>(data[at + 2]) << 8) |
                              (static_cast<std::size_t>(data[at + 3] & 0xF0) << 12)) % bytes.size();
        if ((data[at + 3] & 0x0F) == 0x0F)
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(offset), static_cast<char>(data[at + 1]));
        else
            bytes[offset] = static_cast<char>(data[at + 2]);
    }
    for (auto& [path, bytes] : files) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;  // no fsync: thousands of runs
    }
    static auto table = std::make_unique<RaceTable>();
    DayLoadResult r = loadDay(*table, sj("2024年05月12日"), {});
    if (!r.loaded) return "the day did not load";
    if (table->raceList.size() > 96 || table->raceList.size() != table->raceListSlots.size())
        return "race list out of bounds";
    std::filesystem::path stats = appFolder() / "TOKEI";
    std::error_code ec;
    for (auto& entry : std::filesystem::directory_iterator(stats, ec)) {
        std::string bytes = readFileBytes(entry.path());
        if (bytes.size() % 3698 != 0) return "appearance file of a wrong size";
        std::filesystem::remove(entry.path());
    }
    return {};
}

}  // namespace vex::test
