#include "compi/compi_file.h"

#include <algorithm>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A field cut by the end of a short line is missing, not a one-digit number.
int number(std::string_view line, int pos) {
    std::string_view field = fieldOf(line, Field{pos, 2});
    return field.size() == 2 ? fieldNumber(field) : 0;
}

}  // namespace

std::string compiFileName(std::string_view dayStamp, std::string_view trackCode, std::string_view extension) {
    std::string name(dayStamp);
    name += TrackName(trackCode, 2);
    name += extension;
    return name;
}

fs::path compiWritePath(std::string_view dayStamp, std::string_view trackCode) {
    return appFolder() / "Data" / toUtf8(compiFileName(dayStamp, trackCode, ".Comp"));
}

std::optional<fs::path> CaseInsensitiveFolder::find(const std::string& name) {
    if (!listed_) {
        listed_ = true;
        std::error_code ec;
        for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code fileEc;
            if (!it->is_regular_file(fileEc)) continue;
            exact_.emplace(it->path().filename().string(), it->path());
            // Of several names differing only in case, the lowest as text wins: stable across runs.
            auto [at, added] = byLowerName_.emplace(lowerAscii(it->path().filename().string()), it->path());
            if (!added && it->path() < at->second) at->second = it->path();
        }
    }
    if (auto exact = exact_.find(name); exact != exact_.end()) return exact->second;
    auto it = byLowerName_.find(lowerAscii(name));
    if (it == byLowerName_.end()) return std::nullopt;
    return it->second;
}

CompiFileChooser::CompiFileChooser(const fs::path& companionFolder)
    : companion_((companionFolder.empty() ? appFolder() : companionFolder) / "Data"), own_(appFolder() / "Data") {}

std::optional<fs::path> CompiFileChooser::choose(std::string_view dayStamp, std::string_view trackCode) {
    std::string name = toUtf8(compiFileName(dayStamp, trackCode, ".comp"));
    if (auto file = companion_.find(name)) return file;
    return own_.find(name);
}

namespace {

// The ranked (number, value) pairs of one half of a Compi line, 4 bytes a pair from `column`:
// pairs without a number or a value are passed over, those naming a number above `limit` are
// skipped and counted.
template <typename Take>
int takeRankedPairs(std::string_view line, int pairs, int column, int limit, Take take) {
    int skipped = 0;
    for (int m = 1; m <= pairs; ++m) {
        const int which = number(line, 4 * m + column);
        const int value = which > 0 ? number(line, 4 * m + column + 2) : 0;
        if (which <= 0 || value <= 0) continue;
        if (which > limit) {
            ++skipped;
            continue;
        }
        take(m, which, value);
    }
    return skipped;
}

}  // namespace

int takeCompiLine(std::string_view line, int runners, RaceRecord& race) {
    int skipped = takeRankedPairs(line, std::min(runners, kMaxRunners), 11, kMaxRunners, [&](int m, int horse, int value) {
        race.compiValue[horse] = value;
        race.compiRank[horse] = m;
        if (m == 1) race.topValue = value;
        if (m == 2) race.secondValue = value;
    });
    race.recommendedHorse = number(line, 87);
    if (race.recommendedHorse > 0 && race.recommendedHorse <= kMaxRunners)
        race.recommendedHorseRank = race.compiRank[race.recommendedHorse];
    skipped += takeRankedPairs(line, kMaxFrames, 85, kMaxFrames, [&](int m, int frame, int value) {
        race.frameCompiValue[frame] = value;
        race.frameCompiRank[frame] = m;
    });
    race.recommendedFrame = number(line, 121);
    if (race.recommendedFrame > 0 && race.recommendedFrame <= kMaxFrames)
        race.recommendedFrameRank = race.frameCompiRank[race.recommendedFrame];
    return skipped;
}

int CompiLineReader::take(const fs::path& file, int raceNumber, int runners, RaceRecord& race) {
    if (file != file_) {
        file_ = file;
        lines_ = readLines(file);
    }
    if (raceNumber < 1 || raceNumber > static_cast<int>(lines_.size())) return 0;
    return takeCompiLine(lines_[static_cast<std::size_t>(raceNumber - 1)], runners, race);
}

void writeCompiFile(const fs::path& file, const std::vector<std::string>& lines) { writeLinesAtomic(file, lines); }

}  // namespace vex
