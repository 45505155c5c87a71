#pragma once
// A small day written into the store and then damaged from an input of bytes: the shared core of
// the day-load fuzz target and of the bounded random test standing in for it.
//
// Input: for each of the store's files one byte choosing a length change (cut, grow with stray
// bytes, or keep); then edits, each [file][record][offset low][offset high][count] followed by up
// to count & 0x7F bytes of the input, laid over the record from the offset on (count & 0x80:
// inserted there instead, shifting the rest of the file). Offsets count within one record, so
// the input's bytes land in the fields the load reads (race, runner, payout, odds, past-run and
// Compi records) rather than in the blanks that make up most of the files.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "dayload/day_load.h"
#include "stats/appearance.h"
#include "store/test_day_load_store.h"

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

// Record length of each file of smallDay(), in order; 0: line-based (the whole file is one record).
inline constexpr int kSmallDayRecordLengths[] = {RecordLength::RA, RecordLength::SE, RecordLength::HR,
                                                 RecordLength::O1, RecordLength::O6, 0,
                                                 RecordLength::SE, RecordLength::RA, RecordLength::RA};

// Keeps the small day on disk across inputs: the day is built and written once, and each input
// rewrites only the files it damages, plus those the input before damaged (back to whole). A
// fuzzer runs thousands of inputs a second this way; the bounded random test runs the same path.
class DayDamager {
public:
    // Writes the whole day into the current application folder.
    DayDamager() : whole_(smallDay()), dirty_(whole_.size(), false), table_(std::make_unique<RaceTable>()) {
        for (const auto& [path, bytes] : whole_) {
            std::filesystem::create_directories(path.parent_path());
            write(path, bytes);
        }
    }

    // Damages the day as the input says, loads it and returns what went wrong, empty when all held.
    std::string problem(const std::uint8_t* data, std::size_t size) {
        std::vector<std::optional<std::string>> damaged(whole_.size());
        auto bytesOf = [&](std::size_t f) -> std::string& {
            if (!damaged[f]) damaged[f] = whole_[f].second;
            return *damaged[f];
        };
        std::size_t at = 0;
        for (std::size_t f = 0; f < whole_.size() && at < size; ++f) {
            std::uint8_t choice = data[at++];
            if (choice < 64) {
                std::string& bytes = bytesOf(f);
                bytes.resize(bytes.size() * choice / 64);  // cut
            } else if (choice < 96) {
                bytesOf(f).append(static_cast<std::size_t>(choice) * 7, static_cast<char>(choice));  // stray tail
            }
        }
        while (at + 5 <= size) {
            std::size_t f = data[at] % whole_.size();
            std::string& bytes = bytesOf(f);
            std::size_t length = kSmallDayRecordLengths[f] > 0 ? static_cast<std::size_t>(kSmallDayRecordLengths[f])
                                                                : std::max<std::size_t>(bytes.size(), 1);
            std::size_t records = (bytes.size() + length - 1) / length;
            std::size_t offset = data[at + 2] | static_cast<std::size_t>(data[at + 3]) << 8;
            offset = offset * ((length + 0xFFFF) / 0x10000) % length;  // every byte of a long record in reach
            if (records > 0) offset += data[at + 1] % records * length;
            std::uint8_t count = data[at + 4];
            at += 5;
            std::size_t n = std::min<std::size_t>(count & 0x7F, size - at);
            const char* from = reinterpret_cast<const char*>(data + at);
            at += n;
            offset = std::min(offset, bytes.size());
            if (count & 0x80)
                bytes.insert(offset, from, n);
            else
                bytes.replace(offset, std::min(n, bytes.size() - offset), from, std::min(n, bytes.size() - offset));
        }
        for (std::size_t f = 0; f < whole_.size(); ++f) {
            if (damaged[f])
                write(whole_[f].first, *damaged[f]);
            else if (dirty_[f])
                write(whole_[f].first, whole_[f].second);
            dirty_[f] = damaged[f].has_value();
        }
        return loadAndCheck();
    }

    const RaceTable& table() const { return *table_; }

private:
    static void write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;  // no fsync: thousands of runs
    }

    std::string loadAndCheck() {
        DayLoadResult r = loadDay(*table_, sj("2024年05月12日"), {});
        if (!r.loaded) return "the day did not load";
        if (table_->raceList.size() > 96 || table_->raceList.size() != table_->raceListSlots.size())
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

    std::vector<std::pair<std::filesystem::path, std::string>> whole_;
    std::vector<bool> dirty_;  // on disk as the last input left it, not whole
    std::unique_ptr<RaceTable> table_;
};

// Writes the damaged day and loads it; returns what went wrong, empty when all held.
inline std::string damagedDayProblem(const std::uint8_t* data, std::size_t size) {
    return DayDamager().problem(data, size);
}

}  // namespace vex::test
