#pragma once
// The settings file: one INI file (Vexmora.ini in the application folder) in the classic
// private-profile format, CP932 with CR LF. Every window that keeps settings owns a Settings; each
// call reads or writes the file itself (no cache), so a value written by one window is seen at once
// by every other one, and by vexmora-cli.
//
// Sections, keys and values are CP932 texts; section and key names are matched without regard to
// ASCII case.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vex {

// A write the system refused. what() is "<file> に書き込めません" (UTF-8, as every exception text of
// ours), followed by why when it is not the write itself (the file could not be read, another
// run holds it).
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const std::filesystem::path& file, const std::string& why = {});
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

// Where a bare settings file name is looked for.
enum class SettingsFolder { Application, UserConfig, Current };

class Settings {
public:
    Settings() = default;
    explicit Settings(std::string fileName, SettingsFolder defaultDir = SettingsFolder::Application)
        : fileName_(std::move(fileName)), defaultDir_(defaultDir) {}

    // File name as set (UTF-8; empty means "Vexmora.ini"). A name with a folder in it is used
    // unchanged; a bare name is looked for in the folder defaultDir gives:
    //   Application  the application folder;
    //   UserConfig   the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config);
    //   Current      the current directory.
    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string fileName) { fileName_ = std::move(fileName); }
    SettingsFolder defaultDir() const { return defaultDir_; }
    void setDefaultDir(SettingsFolder dir) { defaultDir_ = dir; }

    // The file every call goes to, resolved anew on each call.
    std::filesystem::path path() const;

    // Empty while the file can be read or does not exist; else why it cannot be read, naming it
    // (CP932). Reads then give the defaults, which nothing that spends money may rely on.
    std::string readProblem() const;

    // A missing file or key gives the default. Integers: blanks and a sign allowed, "0x" for
    // hexadecimal, digits read up to the first other character; no digits at all gives the
    // default. Any non-zero integer is true.
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    int readInteger(std::string_view section, std::string_view key, int def) const;
    // At most 2047 characters. A value wrapped in "..." or in the half-width corner brackets loses
    // them, so blanks at either end can be kept; the default comes back as given.
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;

    // Integers in decimal, booleans as "1"/"0", strings verbatim. Throws SettingsWriteError when
    // the file cannot be read, is held by another run too long, or cannot be written (the old file
    // is then left as it was).
    void writeBool(std::string_view section, std::string_view key, bool value) const;
    void writeInteger(std::string_view section, std::string_view key, int value) const;
    void writeString(std::string_view section, std::string_view key, std::string_view value) const;

private:
    std::string fileName_;
    SettingsFolder defaultDir_ = SettingsFolder::Application;
};

// The keys the program keeps, with their defaults, so callers do not spell them twice.
struct IntSetting {
    const char* section;
    const char* key;
    int def;
};
struct BoolSetting {
    const char* section;
    const char* key;
    bool def;
};
// Integer keys that a window edits within a range: a value outside it (a hand-edited 0) reads as
// the nearest end, so no caller ever runs on it.
struct RangedIntSetting {
    const char* section;
    const char* key;
    int def, low, high;
};
// String keys whose default is a fixed text; keys defaulting to a folder take it from the caller.
struct StringSetting {
    const char* section;
    const char* key;
    const char* def;
};

inline int read(const Settings& ini, const IntSetting& s) { return ini.readInteger(s.section, s.key, s.def); }
inline int read(const Settings& ini, const RangedIntSetting& s) {
    return std::clamp(ini.readInteger(s.section, s.key, s.def), s.low, s.high);
}
inline bool read(const Settings& ini, const BoolSetting& s) { return ini.readBool(s.section, s.key, s.def); }
inline std::string read(const Settings& ini, const StringSetting& s) { return ini.readString(s.section, s.key, s.def); }
inline void write(const Settings& ini, const IntSetting& s, int v) { ini.writeInteger(s.section, s.key, v); }
inline void write(const Settings& ini, const RangedIntSetting& s, int v) { ini.writeInteger(s.section, s.key, v); }
inline void write(const Settings& ini, const BoolSetting& s, bool v) { ini.writeBool(s.section, s.key, v); }
inline void write(const Settings& ini, const StringSetting& s, std::string_view v) { ini.writeString(s.section, s.key, v); }

namespace settings {
inline constexpr IntSetting kMainTop{"locate", "top", 10};
inline constexpr IntSetting kMainLeft{"locate", "left", 10};
// Large enough for the whole bet page; a screen smaller than this gets a window as large as it.
inline constexpr IntSetting kMainWidth{"locate", "width", 1280};
inline constexpr IntSetting kMainHeight{"locate", "height", 700};
inline constexpr const char* kDirSection = "Dir";
inline constexpr const char* kCompanionFolderKey = "quillet";    // default: application folder
inline constexpr const char* kTimeSeriesFolderKey = "jikeiretu"; // default: application folder
inline constexpr const char* kBetFileFolderKey = "kaime";        // default: application folder
inline constexpr StringSetting kLastDownload{"JvDataGet", "LastTime", ""};  // empty: now - 90 days
// The timing window's fields and their ranges.
inline constexpr RangedIntSetting kAutoOddsMinutes{"Time", "AutoOzGet", 10, 1, 59};
inline constexpr RangedIntSetting kAutoOddsSeconds{"Time", "AutoOzGetSec", 0, 0, 59};
inline constexpr RangedIntSetting kAutoResultMinutes{"Time", "AutoRdataGet", 10, 5, 59};
inline constexpr RangedIntSetting kAutoVoteInterval{"Time", "AutoTohyoInterval", 5, 2, 60};
inline constexpr RangedIntSetting kAutoWeightGet{"Time", "AutoBataijuGet", 37, 2, 59};  // written only
inline constexpr StringSetting kOddsLower{"OzSpan", "Toz1A", "1.0"};
inline constexpr StringSetting kOddsUpper{"OzSpan", "Toz2A", "9999999.9"};
inline constexpr IntSetting kDefaultAmount{"KaimeSet", "DefaultAmount", 3000};
inline constexpr IntSetting kStakeSplit{"KaimeSet", "HaibunSet", 0};
inline constexpr IntSetting kBetKindItem{"kaimemake", "kakesiki", 0};
inline constexpr const char* kBetMethodSection = "kaimemake";
inline constexpr const char* kBetMethodKey = "kaikata";  // default: the current choice
inline constexpr IntSetting kBalanceTop{"ZandakaFormlocate", "top", 10};
inline constexpr IntSetting kBalanceLeft{"ZandakaFormlocate", "left", 700};
inline constexpr IntSetting kCompiTop{"locateCompiForm", "top", 50};
inline constexpr IntSetting kCompiLeft{"locateCompiForm", "left", 100};
inline constexpr BoolSetting kNoRedrawAfterFetch{"Disp", "NotRefresh", false};
// The day stamp of the day shown last, selected again at the next start; empty: the newest day.
inline constexpr StringSetting kLastShownDay{"Disp", "LastDay", ""};
// A vote whose total is above this many yen is confirmed a second time.
inline constexpr IntSetting kSecondConfirmAbove{"KaimeSet", "SecondConfirmAbove", 10000};
}  // namespace settings

// The file format itself, on file contents in memory (the fuzz targets drive these directly).
namespace profile {

// What the file reader gives for section/key: the trimmed value with one matching pair of ' or "
// removed, cut to `limit` characters; nullopt when the section or key is absent.
std::optional<std::string> lookUp(std::string_view file, std::string_view section, std::string_view key,
                                  std::size_t limit = 2047);

// The file contents after writing key=value: the key's line replaced in place, or the key added
// to its section, or the section added at the end. Every line ends in CR LF.
std::string withValue(std::string_view file, std::string_view section, std::string_view key,
                      std::string_view value);

// An integer value as the file reader reads it; `def` when there are no digits.
int parseInteger(std::string_view text, int def);

// The string read rule on top of the file reader: the default is wrapped in corner brackets, and
// one pair of "" or corner brackets is removed from what comes back.
std::string readString(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view def);

}  // namespace profile
}  // namespace vex
