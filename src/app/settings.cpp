#include "app/settings.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

constexpr char kOpenBracket = '\xA2';   // half-width corner brackets, one byte each in CP932
constexpr char kCloseBracket = '\xA3';
constexpr std::size_t kStringLimit = 2047;

// The blanks a settings line may carry around names and values.
bool isIniSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isIniSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isIniSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Length in bytes of the CP932 character starting at s[i] (a lead byte at the very end counts alone).
std::size_t charLength(std::string_view s, std::size_t i) {
    return isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// ASCII case folding that leaves the second byte of a double-byte character alone: those bytes
// overlap the ASCII letters, and folding them would make different kanji match.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        std::size_t n = charLength(a, i);
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else {
            auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
            if (fold(a[i]) != fold(b[i])) return false;
        }
        i += n;
    }
    return true;
}

// Position of the first `c` that is a character of its own (not the second byte of a kanji).
std::size_t findChar(std::string_view s, char c) {
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i))
        if (s[i] == c) return i;
    return std::string_view::npos;
}

bool endsWithChar(std::string_view s, char c) {
    if (s.empty() || s.back() != c) return false;
    std::size_t i = 0;
    while (i + charLength(s, i) < s.size()) i += charLength(s, i);
    return i == s.size() - 1;
}

std::size_t countChars(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) ++n;
    return n;
}

std::string_view firstChars(std::string_view s, std::size_t limit) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < limit && i < s.size(); ++n) i += charLength(s, i);
    return s.substr(0, i);
}

// One line of the file as the reader sees it. Only a ';' opening the line (after blanks) starts
// a comment; a ';' further on belongs to the value.
struct Parsed {
    enum Kind { Other, Section, Entry } kind = Other;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // entry value, trimmed
};

Parsed parse(std::string_view line) {
    Parsed p;
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return p;
    if (t.front() == '[') {
        std::size_t close = findChar(t, ']');
        if (close != std::string_view::npos) {
            p.kind = Parsed::Section;
            p.name = trim(t.substr(1, close - 1));
            return p;
        }
    }
    std::size_t eq = findChar(t, '=');
    if (eq == std::string_view::npos) return p;
    p.kind = Parsed::Entry;
    p.name = trim(t.substr(0, eq));
    p.value = trim(t.substr(eq + 1));
    return p;
}

// Where a section and a key sit among the lines; the first of duplicates wins.
struct Location {
    std::optional<std::size_t> section;  // header line
    std::optional<std::size_t> entry;    // key line inside that section
    std::size_t insertAt = 0;            // where a missing key goes: after the section's last entry
};

Location locate(const std::vector<std::string_view>& lines, std::string_view section, std::string_view key) {
    Location loc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Parsed p = parse(lines[i]);
        if (!loc.section) {
            if (p.kind == Parsed::Section && sameName(p.name, section)) {
                loc.section = i;
                loc.insertAt = i + 1;
            }
            continue;
        }
        if (p.kind == Parsed::Section) break;
        if (p.kind == Parsed::Entry) {
            loc.insertAt = i + 1;
            if (sameName(p.name, key)) {
                loc.entry = i;
                break;
            }
        }
    }
    return loc;
}

// A value is one line of the file: a line break in it would start new lines (and could forge
// other keys), so the value ends at the first one.
std::string_view oneLine(std::string_view value) {
    std::size_t cut = value.find_first_of("\r\n");
    return cut == std::string_view::npos ? value : value.substr(0, cut);
}

}  // namespace

namespace profile {

std::optional<std::string> lookUp(std::string_view file, std::string_view section, std::string_view key,
                                  std::size_t limit) {
    std::vector<std::string_view> lines = splitLines(file);
    Location loc = locate(lines, section, key);
    if (!loc.entry) return std::nullopt;
    std::string_view value = parse(lines[*loc.entry]).value;
    // One matching pair of quotes goes; the closing one only when the value was not cut short.
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (quoted) value.remove_prefix(1);
    std::string_view cut = firstChars(value, limit);
    if (quoted && cut.size() == value.size()) cut.remove_suffix(1);
    return std::string(cut);
}

std::string withValue(std::string_view file, std::string_view section, std::string_view key,
                      std::string_view value) {
    std::vector<std::string_view> lines = splitLines(file);
    Location loc = locate(lines, section, key);
    std::string entry = std::string(key) + "=" + std::string(oneLine(value));
    std::string out;
    out.reserve(file.size() + entry.size() + section.size() + 8);
    auto put = [&](std::string_view line) {
        out += line;
        out += "\r\n";
    };
    if (!loc.section) {
        for (auto line : lines) put(line);
        put("[" + std::string(section) + "]");
        put(entry);
        return out;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (loc.entry && i == *loc.entry) {
            // Keep the key as the file spells it.
            put(std::string(parse(lines[i]).name) + "=" + std::string(oneLine(value)));
            continue;
        }
        if (!loc.entry && i == loc.insertAt) put(entry);
        put(lines[i]);
    }
    if (!loc.entry && loc.insertAt == lines.size()) put(entry);
    return out;
}

int parseInteger(std::string_view text, int def) {
    std::size_t i = 0;
    while (i < text.size() && isIniSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (text.size() - i >= 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        if (text.size() - i == 2) return def;  // a bare "0x" is no number
        base = 16;
        i += 2;
    }
    // Like the platform: 32-bit arithmetic that wraps, so "0xFFFFFFFF" is -1.
    std::uint32_t result = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        result = result * base + digit;
        any = true;
    }
    if (!any) return def;
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

std::string readString(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view def) {
    std::optional<std::string> found = lookUp(file, section, key, kStringLimit);
    std::string s;
    if (found) {
        s = std::move(*found);
    } else {
        // The default goes through the reader wrapped in corner brackets, so an empty default
        // still comes back as something (and blanks at its ends survive).
        std::string wrapped = kOpenBracket + std::string(def) + kCloseBracket;
        s = std::string(firstChars(wrapped, kStringLimit));
    }
    if (s.size() == 2 && (s == "\"\"" || (s[0] == kOpenBracket && s[1] == kCloseBracket))) return {};
    if (countChars(s) > 2 && ((s.front() == '"' && s.back() == '"') ||
                              (s.front() == kOpenBracket && endsWithChar(s, kCloseBracket))))
        return s.substr(1, s.size() - 2);
    return s;
}

}  // namespace profile

SettingsWriteError::SettingsWriteError(const fs::path& file, const std::string& why)
    : std::runtime_error(file.string() + " に書き込めません" + (why.empty() ? "" : "\n" + why)),
      file_(file) {}

fs::path Settings::path() const {
    fs::path name = fileName_.empty() ? fs::path("Vexmora.ini") : fs::path(fileName_);
    if (name.has_parent_path()) return name;
    switch (defaultDir_) {
    case SettingsFolder::Application:
        return appFolder() / name;
    case SettingsFolder::UserConfig: {
        if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return fs::path(xdg) / name;
        const char* home = std::getenv("HOME");
        return fs::path(home && *home ? home : ".") / ".config" / name;
    }
    case SettingsFolder::Current:
        break;
    }
    return name;
}

std::string Settings::readProblem() const {
    const fs::path file = path();
    const FileRead read = readFile(file);
    if (read.state != FileRead::Unreadable) return {};
    return toCp932(FileReadError(file, read.reason).what());
}

namespace {

std::optional<std::string> readValue(const Settings& ini, std::string_view section, std::string_view key) {
    FileRead read = readFile(ini.path());
    if (read.state != FileRead::Read) return std::nullopt;
    return profile::lookUp(read.bytes, section, key);
}

}  // namespace

bool Settings::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

int Settings::readInteger(std::string_view section, std::string_view key, int def) const {
    std::optional<std::string> value = readValue(*this, section, key);
    return value ? profile::parseInteger(*value, def) : def;
}

std::string Settings::readString(std::string_view section, std::string_view key, std::string_view def) const {
    // A missing or unreadable file reads as empty: every key absent.
    return profile::readString(readFile(path()).bytes, section, key, def);
}

void Settings::writeBool(std::string_view section, std::string_view key, bool value) const {
    writeString(section, key, value ? "1" : "0");
}

void Settings::writeInteger(std::string_view section, std::string_view key, int value) const {
    writeString(section, key, std::to_string(value));
}

void Settings::writeString(std::string_view section, std::string_view key, std::string_view value) const {
    // Under the lock: the desktop program and vexmora-cli write the same file. One that exists but
    // cannot be read is refused rather than replaced by one holding a single key.
    const fs::path file = path();
    try {
        FileUpdate update(file);
        update.replace(profile::withValue(update.bytes(), section, key, value));
    } catch (const FileWriteError&) {
        throw SettingsWriteError(file);
    } catch (const std::runtime_error& e) {  // FileReadError, FolderBusyError
        throw SettingsWriteError(file, e.what());
    }
}

}  // namespace vex
