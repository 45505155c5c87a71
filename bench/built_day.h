#pragma once
// A full race day of 96 races written into the store: 8 tracks x 12 races x 16 runners, three past
// runs each, every odds file, Compi files and payouts. The day load benchmarks read it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/support/records.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::bench {
namespace fs = std::filesystem;

inline const char* kTracks[] = {"42", "43", "44", "45", "46", "47", "48", "50"};
inline const char* kPastDates[] = {"20240428", "20240414", "20240331"};

using test::two;

inline std::string record(std::string_view kind, int length, const std::string& key, unsigned seed) {
    return test::Record(kind, length, key).patterned(static_cast<int>(seed % 10), '0', 10, 44).str();
}

inline std::string key(std::string_view date, std::string_view track, int race) {
    return test::raceKey(date, track, race, 3, 1);
}

inline void put(const fs::path& file, const std::string& bytes, std::vector<fs::path>& written) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    written.push_back(file);
}

// Writes the day `date` (yyyymmdd) into the store; returns every file written.
inline std::vector<fs::path> buildDay(const char* date) {
    std::vector<fs::path> written;
    std::string stamp = dayStamp(date);
    std::string raFile, hrFile, o[7];
    const int lengths[7] = {RecordLength::O1, RecordLength::O2, RecordLength::O3, RecordLength::O4,
                            RecordLength::O5, RecordLength::O6, RecordLength::OA};
    const char* kinds[7] = {"O1", "O2", "O3", "O4", "O5", "O6", "OA"};
    for (const char* track : kTracks) {
        std::string slotLines;
        std::string compi;
        for (int race = 1; race <= 12; ++race) {
            std::string r = record("RA", RecordLength::RA, key(date, track, race), race);
            setField(r, RA::Registered, "16");
            setField(r, RA::PostTime, two(10 + race) + "30");
            raFile += r;
            std::string hr = record("HR", RecordLength::HR, key(date, track, race), race);
            hrFile += hr;
            for (int k = 0; k < 7; ++k) o[k] += record(kinds[k], lengths[k], key(date, track, race), race + k);
            std::vector<std::pair<int, int>> horses, frames;
            for (int m = 1; m <= 16; ++m) horses.push_back({m, 90 - m * 2});
            for (int f = 1; f <= 8; ++f) frames.push_back({f, 90 - f * 3});
            compi += test::compiLine(date, track, race, horses, 1, frames, 1) + "\r\n";
        }
        for (int race = 1; race <= 12; ++race)
            for (int m = 0; m < 18; ++m) {
                if (m >= 16) {
                    slotLines += test::emptyRunnerSlot();
                    continue;
                }
                std::string reg = std::string("20") + track + two(race) + two(m) + "00";
                std::string se = record("SE", RecordLength::SE, key(date, track, race), static_cast<unsigned>(m));
                setField(se, SE::RegistrationNumber, reg);
                setField(se, SE::Horse, two(m + 1));
                slotLines += se;
                // Five runs on file: three earlier ones, today's, and one of a later day.
                std::string sei;
                for (int p = 2; p >= 0; --p) {
                    std::string past = record("SE", RecordLength::SE, key(kPastDates[p], track, (race + p) % 12 + 1), 9);
                    setField(past, SE::RegistrationNumber, reg);
                    setField(past, SE::Corner.at(4, 2), two(m + 1));
                    setField(past, SE::FinishPosition, two(m + 1));
                    sei += past;
                }
                sei += se;
                put(pastRunFilePath(reg), sei, written);
            }
        put(runnerFilePath(stamp, track), slotLines, written);
        put(dataFolder() / (fileNamePiece(stamp + TrackName(track, 2)) + ".Comp"), compi, written);
        for (const char* d : kPastDates) {
            std::string sera;
            for (int race = 1; race <= 12; ++race) {
                std::string r = record("RA", RecordLength::RA, key(d, track, race), race);
                setField(r, RA::Registered, "14");
                sera += r;
            }
            put(pastRaceFilePath(d, track), sera, written);
        }
    }
    put(dayFilePath(stamp, DayFile::RA), raFile, written);
    put(dayFilePath(stamp, DayFile::HR), hrFile, written);
    const DayFile files[7] = {DayFile::O1, DayFile::O2, DayFile::O3, DayFile::O4, DayFile::O5, DayFile::O6, DayFile::OA};
    for (int k = 0; k < 7; ++k) put(dayFilePath(stamp, files[k]), o[k], written);
    return written;
}

}  // namespace vex::bench
