#pragma once
// Where the store keeps its files: folders, the day stamp, the track short name and every file name.
// Texts (day stamp, short name) are CP932 like the records; on disk the names are UTF-8.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/clock.h"

namespace vex {

// The record files of one race day in Data/.
enum class DayFile { RA, HR, O1, O2, O3, O4, O5, O6, OA };

inline constexpr DayFile kDayFiles[] = {DayFile::RA, DayFile::HR, DayFile::O1, DayFile::O2, DayFile::O3,
                                        DayFile::O4, DayFile::O5, DayFile::O6, DayFile::OA};

// ".nvRA", ".nvHR", ".nvO1" ... ".nvOA".
const char* dayFileExtension(DayFile kind);
// Fixed record length of the file's records, CR LF included.
int dayFileRecordLength(DayFile kind);
// The odds day file for record kind "O1".."O6", "OA" (nullopt for anything else).
std::optional<DayFile> oddsDayFileOfKind(std::string_view recordKind);

// Extensions of the other record files.
inline constexpr const char* kRunnerFileExtension = ".nvSEr";
inline constexpr const char* kCompiFileExtension = ".comp";
inline constexpr const char* kPastRunFileExtension = ".nvSEI";
inline constexpr const char* kPastRaceFileExtension = ".nvSERA";
inline constexpr const char* kChaseHorseFileName = "ChaseHorse.dat";

// The .nvSEr slot file: 12 races of 18 horses, each slot one SE record.
inline constexpr int kSlotRaces = 12;
inline constexpr int kSlotHorses = 18;
inline constexpr int kSlotCount = kSlotRaces * kSlotHorses;

// Day stamp: yyyy年mm月dd日, 14 CP932 bytes, from the 8 characters yyyymmdd (taken as they are).
std::string dayStamp(std::string_view yyyymmdd);
// Day stamp of a record's race date (positions 12 to 19).
std::string dayStampOfRecord(std::string_view record);
// Day stamp of a calendar date (today's, for example).
std::string dayStampOf(const DateTime& date);
// "yyyymmdd" back from a day stamp; nullopt when the text is not a day stamp.
std::optional<std::string> dateOfDayStamp(std::string_view stamp);

// Two-character track short name (4 CP932 bytes) used in file names and lists.
std::string trackShortName(std::string_view trackCode);

// A CP932 name piece as a UTF-8 file name piece.
std::string fileNamePiece(std::string_view cp932);
// True when bytes taken from a record may be used inside a file name: no path separators, no
// control bytes, not empty and not starting with a dot (so a record can never point elsewhere).
bool isSafeNamePiece(std::string_view cp932);

// Folders under the application folder.
std::filesystem::path dataFolder();
std::filesystem::path pastRunFolder();   // SEI
std::filesystem::path pastRaceFolder();  // SEIR

// Data/ + day stamp + extension.
std::filesystem::path dayFilePath(std::string_view dayStamp, DayFile kind);
// Data/ + day stamp + track short name + ".nvSEr".
std::filesystem::path runnerFilePath(std::string_view dayStamp, std::string_view trackCode);
// <folder>/Data/ + day stamp + track short name + ".comp"; folder defaults to the application
// folder (the companion application's folder gives its preferred copy).
std::filesystem::path compiFilePath(std::string_view dayStamp, std::string_view trackCode);
std::filesystem::path compiFilePath(const std::filesystem::path& folder, std::string_view dayStamp,
                                    std::string_view trackCode);
// SEI/ + first 4 characters of the registration number + / + registration number + ".nvSEI".
std::filesystem::path pastRunFilePath(std::string_view registrationNumber);
// SEIR/ + year + / + year + month-day + track code + ".nvSERA".
std::filesystem::path pastRaceFilePath(std::string_view yyyymmdd, std::string_view trackCode);
// ChaseHorse.dat in the application folder.
std::filesystem::path chaseHorseFilePath();

// The paths of one day's files, built once per day load.
struct DayPaths {
    std::string stamp;  // CP932
    std::filesystem::path ra, hr, o1, o2, o3, o4, o5, o6, oa;
    const std::filesystem::path& operator[](DayFile kind) const;
};
DayPaths dayPaths(std::string_view dayStamp);

}  // namespace vex
