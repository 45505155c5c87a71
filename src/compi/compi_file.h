#pragma once
// Compi files: one text file per track and day holding the Compi index line of each race
// ("2024年05月12日大井.Comp" in a Data folder). We write ".Comp" into our own Data folder; readers
// ask for ".comp" and find the file whatever the case of its name. The companion application keeps
// files of the same name and format under its own folder, and those are read first.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/race_table.h"

namespace vex {

inline constexpr int kCompiLineWidth = 122;
inline constexpr int kCompiLinesPerFile = 12;

// File name (CP932) of a track's day: day stamp + two-character track name + extension.
std::string compiFileName(std::string_view dayStamp, std::string_view trackCode, std::string_view extension);
// Where our own copy is written: application folder + Data + name + ".Comp".
std::filesystem::path compiWritePath(std::string_view dayStamp, std::string_view trackCode);

// Finds files of a folder by name without regard to ASCII case, listing the folder once.
class CaseInsensitiveFolder {
public:
    explicit CaseInsensitiveFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}
    // `name` is a UTF-8 file name; nullopt when the folder holds no such file.
    std::optional<std::filesystem::path> find(const std::string& name);

private:
    std::filesystem::path folder_;
    bool listed_ = false;
    std::map<std::string, std::filesystem::path> exact_, byLowerName_;
};

// Picks the Compi file of a track's day: the companion folder's Data first, else our own Data.
// Keeps its folder listings, so a day load lists each folder once.
class CompiFileChooser {
public:
    // `companionFolder`: the companion application's folder (the `quillet` setting); empty means
    // the application folder.
    explicit CompiFileChooser(const std::filesystem::path& companionFolder);
    std::optional<std::filesystem::path> choose(std::string_view dayStamp, std::string_view trackCode);

private:
    CaseInsensitiveFolder companion_, own_;
};

// Takes a Compi line into the race record: per horse its value and rank (rank = slot position),
// the top and second values, the recommended horse and its rank, per frame its value and rank,
// the recommended frame and its rank. Only the first `runners` horse slots are read. A slot naming
// a horse outside 1..18 or a frame outside 1..8 is skipped. Returns the number of slots skipped so.
int takeCompiLine(std::string_view line, int runners, RaceRecord& race);

// Reads the race's line (line number = race number) of `file` into the race record; a missing line
// gives no data. The lines of the last file read are kept, so the 12 races of a track read it once.
class CompiLineReader {
public:
    int take(const std::filesystem::path& file, int raceNumber, int runners, RaceRecord& race);

private:
    std::filesystem::path file_;
    std::vector<std::string> lines_;
};

// Writes a whole Compi file (each line followed by CR LF) atomically.
void writeCompiFile(const std::filesystem::path& file, const std::vector<std::string>& lines);

}  // namespace vex
