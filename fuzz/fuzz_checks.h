#pragma once
// What must hold for any input to the settings reader and the CP932 conversion. Shared by the
// libFuzzer targets and by the bounded random test that stands in for them without clang. Each
// function returns an empty text when all is well, else what went wrong.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "vocabulary/cp932.h"

namespace vex::fuzz {

inline std::vector<std::string_view> linesOf(std::string_view file) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        std::size_t stop = end;
        if (stop > start && file[stop - 1] == '\r') --stop;
        lines.push_back(file.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

// Input: [section selector][key selector] value NUL file. Section and key come from a small set
// of plain names (in varying case) so that a write can be checked by reading it back.
inline std::string settingsProblem(std::string_view input) {
    static constexpr const char* kSections[] = {"locate", "LOCATE", "Dir", "OzSpan", "s", "Time"};
    static constexpr const char* kKeys[] = {"top", "Top", "quillet", "Toz1A", "k", "AutoOzGet"};
    if (input.size() < 2) {
        (void)profile::lookUp(input, "s", "k");
        return {};
    }
    std::string_view section = kSections[static_cast<unsigned char>(input[0]) % std::size(kSections)];
    std::string_view key = kKeys[static_cast<unsigned char>(input[1]) % std::size(kKeys)];
    input.remove_prefix(2);
    std::size_t nul = input.find('\0');
    std::string_view value = input.substr(0, nul);
    std::string_view file = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

    auto found = profile::lookUp(file, section, key);
    if (found && found->size() > 2 * 2047) return "value longer than 2047 characters";
    std::string text = profile::readString(file, section, key, value);
    if (text.size() > 2 * 2047) return "string longer than 2047 characters";
    (void)profile::parseInteger(value, 0);
    if (found) (void)profile::parseInteger(*found, 0);

    // Writing changes one line, adds one, or adds a section at the end; nothing else moves.
    std::string out = profile::withValue(file, section, key, value);
    auto before = linesOf(file);
    auto after = linesOf(out);
    if (after.size() == before.size()) {
        int changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) changed += before[i] != after[i];
        if (changed > 1) return "a write changed more than one line";
    } else if (after.size() == before.size() + 1) {
        std::size_t i = 0;
        while (i < before.size() && before[i] == after[i]) ++i;
        for (std::size_t j = i; j < before.size(); ++j)
            if (before[j] != after[j + 1]) return "a write moved lines around the added key";
    } else if (after.size() == before.size() + 2) {
        for (std::size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i]) return "a new section disturbed the lines before it";
    } else {
        return "a write changed the number of lines by more than two";
    }
    // And the value written is the value read back.
    std::string_view oneLine = value.substr(0, value.find_first_of("\r\n"));
    std::string alone = "[s]\r\nk=" + std::string(oneLine) + "\r\n";
    if (profile::lookUp(out, section, key) != profile::lookUp(alone, "s", "k")) return "a written value reads back differently";
    return {};
}

inline bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// Input: [width] bytes, taken both as CP932 and as (possibly broken) UTF-8.
inline std::string cp932Problem(std::string_view input) {
    std::size_t width = input.empty() ? 0 : static_cast<unsigned char>(input[0]) % 64;
    std::string utf8 = toUtf8(input);
    if (!validUtf8(utf8)) return "decoding produced broken UTF-8";
    std::string back = toCp932(utf8);
    // Decoding what was encoded gives the same characters; only the replacement mark becomes '?'.
    std::string expected;
    for (std::size_t at = 0;;) {
        std::size_t mark = utf8.find("\xEF\xBF\xBD", at);
        expected.append(utf8, at, mark == std::string::npos ? std::string::npos : mark - at);
        if (mark == std::string::npos) break;
        expected += '?';
        at = mark + 3;
    }
    if (toUtf8(back) != expected) return "CP932 round trip changed the text";
    (void)toCp932(input);

    std::string_view cut = cutToWidth(input, width);
    if (cut.size() > width || input.substr(0, cut.size()) != cut) return "cut is not a prefix within the width";
    if (cut.size() + 1 < std::min(width, input.size())) return "cut dropped more than half a character";
    if (padLeft(input, width).size() != width || padRight(input, width).size() != width) return "pad missed the width";
    return {};
}

}  // namespace vex::fuzz
