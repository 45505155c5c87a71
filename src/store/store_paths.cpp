#include "store/store_paths.h"

#include <cstdio>

#include "app/app_folder.h"
#include "store/record_layout.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

struct DayFileInfo {
    DayFile kind;
    const char* extension;
    int length;
    const char* recordKind;
};

constexpr DayFileInfo kDayFileInfo[] = {
    {DayFile::RA, ".nvRA", RecordLength::RA, "RA"}, {DayFile::HR, ".nvHR", RecordLength::HR, "HR"},
    {DayFile::O1, ".nvO1", RecordLength::O1, "O1"}, {DayFile::O2, ".nvO2", RecordLength::O2, "O2"},
    {DayFile::O3, ".nvO3", RecordLength::O3, "O3"}, {DayFile::O4, ".nvO4", RecordLength::O4, "O4"},
    {DayFile::O5, ".nvO5", RecordLength::O5, "O5"}, {DayFile::O6, ".nvO6", RecordLength::O6, "O6"},
    {DayFile::OA, ".nvOA", RecordLength::OA, "OA"},
};

const DayFileInfo& infoOf(DayFile kind) { return kDayFileInfo[static_cast<int>(kind)]; }

std::string_view piece(std::string_view s, std::size_t pos, std::size_t len) {
    return pos < s.size() ? s.substr(pos, len) : std::string_view{};
}

// The stamp's CP932 joiners, converted once.
const std::string& year() {
    static const std::string s = sj("年");
    return s;
}
const std::string& month() {
    static const std::string s = sj("月");
    return s;
}
const std::string& day() {
    static const std::string s = sj("日");
    return s;
}

}  // namespace

const char* dayFileExtension(DayFile kind) { return infoOf(kind).extension; }
int dayFileRecordLength(DayFile kind) { return infoOf(kind).length; }

std::optional<DayFile> oddsDayFileOfKind(std::string_view recordKind) {
    for (const auto& info : kDayFileInfo)
        if (info.kind != DayFile::RA && info.kind != DayFile::HR && recordKind == info.recordKind) return info.kind;
    return std::nullopt;
}

std::string dayStamp(std::string_view yyyymmdd) {
    std::string s;
    s.reserve(14);
    s.append(piece(yyyymmdd, 0, 4)).append(year());
    s.append(piece(yyyymmdd, 4, 2)).append(month());
    s.append(piece(yyyymmdd, 6, 2)).append(day());
    return s;
}

std::string dayStampOfRecord(std::string_view record) { return dayStamp(fieldOf(record, Common::Date)); }

std::string dayStampOf(const DateTime& date) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d", date.year % 10000, date.month % 100, date.day % 100);
    return dayStamp(digits);
}

std::optional<std::string> dateOfDayStamp(std::string_view stamp) {
    if (stamp.size() < 14) return std::nullopt;
    if (stamp.substr(4, 2) != year() || stamp.substr(8, 2) != month() || stamp.substr(12, 2) != day())
        return std::nullopt;
    std::string digits;
    digits.append(stamp.substr(0, 4)).append(stamp.substr(6, 2)).append(stamp.substr(10, 2));
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    return digits;
}

std::string trackShortName(std::string_view trackCode) { return TrackName(trackCode, 2); }

std::string fileNamePiece(std::string_view cp932) { return toUtf8(cp932); }

bool isSafeNamePiece(std::string_view cp932) {
    if (cp932.empty() || cp932.front() == '.') return false;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        auto c = static_cast<unsigned char>(cp932[i]);
        if (isLeadByte(c) && i + 1 < cp932.size()) {
            ++i;  // a trail byte may look like '\\' (0x5C) but is part of the character
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    }
    return true;
}

fs::path dataFolder() { return appFolder() / "Data"; }
fs::path pastRunFolder() { return appFolder() / "SEI"; }
fs::path pastRaceFolder() { return appFolder() / "SEIR"; }

fs::path dayFilePath(std::string_view stamp, DayFile kind) {
    return dataFolder() / (fileNamePiece(stamp) + dayFileExtension(kind));
}

fs::path runnerFilePath(std::string_view stamp, std::string_view trackCode) {
    std::string name(stamp);
    name += trackShortName(trackCode);
    return dataFolder() / (fileNamePiece(name) + kRunnerFileExtension);
}

fs::path compiFilePath(std::string_view stamp, std::string_view trackCode) {
    return compiFilePath(appFolder(), stamp, trackCode);
}

fs::path compiFilePath(const fs::path& folder, std::string_view stamp, std::string_view trackCode) {
    std::string name(stamp);
    name += trackShortName(trackCode);
    return folder / "Data" / (fileNamePiece(name) + kCompiFileExtension);
}

// Built as one string and made a path once: the day load makes one per runner, and every `/`
// of a path splits it anew.
fs::path pastRunFilePath(std::string_view registrationNumber) {
    std::string path = pastRunFolder().native();
    path += '/';
    path += fileNamePiece(piece(registrationNumber, 0, 4));
    path += '/';
    path += fileNamePiece(registrationNumber);
    path += kPastRunFileExtension;
    return fs::path(std::move(path));
}

fs::path pastRaceFilePath(std::string_view yyyymmdd, std::string_view trackCode) {
    std::string name(yyyymmdd);
    name += trackCode;
    return pastRaceFolder() / fileNamePiece(piece(yyyymmdd, 0, 4)) / (fileNamePiece(name) + kPastRaceFileExtension);
}

fs::path chaseHorseFilePath() { return appFolder() / kChaseHorseFileName; }

const fs::path& DayPaths::operator[](DayFile kind) const {
    switch (kind) {
        case DayFile::RA: return ra;
        case DayFile::HR: return hr;
        case DayFile::O1: return o1;
        case DayFile::O2: return o2;
        case DayFile::O3: return o3;
        case DayFile::O4: return o4;
        case DayFile::O5: return o5;
        case DayFile::O6: return o6;
        case DayFile::OA: return oa;
    }
    return ra;
}

DayPaths dayPaths(std::string_view stamp) {
    DayPaths p;
    p.stamp = std::string(stamp);
    p.ra = dayFilePath(stamp, DayFile::RA);
    p.hr = dayFilePath(stamp, DayFile::HR);
    p.o1 = dayFilePath(stamp, DayFile::O1);
    p.o2 = dayFilePath(stamp, DayFile::O2);
    p.o3 = dayFilePath(stamp, DayFile::O3);
    p.o4 = dayFilePath(stamp, DayFile::O4);
    p.o5 = dayFilePath(stamp, DayFile::O5);
    p.o6 = dayFilePath(stamp, DayFile::O6);
    p.oa = dayFilePath(stamp, DayFile::OA);
    return p;
}

}  // namespace vex
