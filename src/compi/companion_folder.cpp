#include "compi/companion_folder.h"

#include <cctype>
#include <cstdlib>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUninstallPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::string_view kAppPathValue = "Inno Setup: App Path";

bool isSpacesOrTabs(std::string_view s) { return s.find_first_not_of(" \t") == std::string_view::npos; }

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The text of a quoted registry string starting after its opening quote; `end` gets the position
// after the closing quote (npos when unterminated). \xHHHH escapes are UTF-16 code units.
std::string unquote(std::string_view s, std::size_t& end) {
    std::string out;
    std::size_t i = 0;
    unsigned pendingHigh = 0;
    while (i < s.size()) {
        char c = s[i++];
        if (c == '"') {
            end = i;
            return out;
        }
        if (c != '\\' || i >= s.size()) {
            out += c;
            continue;
        }
        char e = s[i++];
        if (e == 'x') {
            unsigned code = 0;
            int digits = 0;
            while (i < s.size() && digits < 4 && std::isxdigit(static_cast<unsigned char>(s[i]))) {
                char h = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
                code = code * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : h - 'a' + 10);
                ++i;
                ++digits;
            }
            if (code >= 0xD800 && code < 0xDC00) {
                pendingHigh = code;
            } else if (code >= 0xDC00 && code < 0xE000 && pendingHigh) {
                unsigned full = 0x10000 + ((pendingHigh - 0xD800) << 10) + (code - 0xDC00);
                out += static_cast<char>(0xF0 | (full >> 18));
                out += static_cast<char>(0x80 | ((full >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((full >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (full & 0x3F));
                pendingHigh = 0;
            } else {
                appendUtf8(out, code);
            }
        } else if (e == 'n') {
            out += '\n';
        } else if (e == 't') {
            out += '\t';
        } else if (e == '0') {
            out += '\0';
        } else {
            out += e;  // \\ and \"
        }
    }
    end = std::string_view::npos;
    return out;
}

// The key of a section line "[Software\\...] 1234": unescaped, lower case.
std::optional<std::string> sectionKey(std::string_view line) {
    if (line.empty() || line.front() != '[') return std::nullopt;
    std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    std::string key;
    std::string_view inner = line.substr(1, close - 1);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\' && i + 1 < inner.size() && inner[i + 1] == '\\') ++i;
        key += inner[i];
    }
    return lowerAscii(key);
}

std::optional<std::string> lookUp(std::string_view reg, const std::string& wantedKey, std::string_view valueName) {
    bool inKey = false;
    std::size_t start = 0;
    while (start < reg.size()) {
        std::size_t stop = reg.find('\n', start);
        if (stop == std::string_view::npos) stop = reg.size();
        std::string_view line = reg.substr(start, stop - start);
        start = stop + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (auto key = sectionKey(line)) {
            inKey = *key == wantedKey;
            continue;
        }
        if (!inKey || line.size() < 2 || line.front() != '"') continue;
        std::size_t nameEnd = 0;
        std::string name = unquote(line.substr(1), nameEnd);
        if (nameEnd == std::string_view::npos) continue;
        std::string_view rest = line.substr(1 + nameEnd);
        if (lowerAscii(name) != lowerAscii(valueName) || rest.substr(0, 2) != "=\"") continue;
        std::size_t valueEnd = 0;
        std::string value = unquote(rest.substr(2), valueEnd);
        if (valueEnd == std::string_view::npos) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

}  // namespace

fs::path companionFolder(const Settings& ini) {
    std::string value = ini.readString(settings::kDirSection, settings::kCompanionFolderKey, "");
    if (isSpacesOrTabs(value)) return appFolder();
    return fs::path(toUtf8(value));
}

std::optional<fs::path> winePrefix() {
    fs::path prefix;
    if (const char* p = std::getenv("WINEPREFIX"); p && *p)
        prefix = p;
    else if (const char* home = std::getenv("HOME"); home && *home)
        prefix = fs::path(home) / ".wine";
    else
        return std::nullopt;
    std::error_code ec;
    if (!fs::is_regular_file(prefix / "system.reg", ec)) return std::nullopt;
    return prefix;
}

std::optional<std::string> wineRegistryString(std::string_view reg, std::string_view keyPath,
                                              std::string_view valueName) {
    std::string key = lowerAscii(keyPath);
    if (auto v = lookUp(reg, key, valueName)) return v;
    const std::string software = "software\\";
    if (key.compare(0, software.size(), software) == 0) {
        std::string key32 = software + "wow6432node\\" + key.substr(software.size());
        return lookUp(reg, key32, valueName);
    }
    return std::nullopt;
}

fs::path wineToLinuxPath(const fs::path& prefix, std::string_view windowsPath) {
    std::string path(windowsPath);
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        std::string drive = lowerAscii(path.substr(0, 2));
        std::string rest = path.substr(2);
        while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
        std::error_code ec;
        fs::path device = prefix / "dosdevices" / drive;
        if (fs::exists(device, ec)) return device / rest;
        if (drive == "c:") return prefix / "drive_c" / rest;
        return device / rest;
    }
    return fs::path(path);
}

void discoverCompanionFolder(const Settings& ini) {
    auto blank = [&] { return isSpacesOrTabs(ini.readString(settings::kDirSection, settings::kCompanionFolderKey, "")); };
    if (!blank()) return;
    std::optional<fs::path> prefix = winePrefix();
    if (!prefix) return;
    std::string reg = readFileBytes(*prefix / "system.reg");
    for (const StringSetting* keyName : {&kCompanionKeyLocal, &kCompanionKeyKanto}) {
        if (!blank()) return;
        std::string name = read(ini, *keyName);
        if (isSpacesOrTabs(name)) continue;
        std::optional<std::string> value = wineRegistryString(reg, std::string(kUninstallPath) + name, kAppPathValue);
        if (!value || isSpacesOrTabs(*value)) continue;
        ini.writeString(settings::kDirSection, settings::kCompanionFolderKey,
                        toCp932(wineToLinuxPath(*prefix, *value).string()));
    }
}

}  // namespace vex
