#pragma once
// Pieces shared by the code tables and formatters (not part of their interface).
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "vocabulary/cp932.h"

namespace vex::detail {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline bool isBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// Saturates rather than overflows on absurdly long digit runs.
inline std::int64_t appendDigit(std::int64_t v, char c) {
    return v > 99'999'999'999'999LL ? v : v * 10 + (c - '0');
}

// Leading blanks skipped, then digits up to the first non-digit. nullopt when there is no digit.
inline std::optional<std::int64_t> leadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i == s.size() || !isDigit(s[i])) return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) v = appendDigit(v, s[i]);
    return v;
}

// A code "read as a number": digits with blanks around them and nothing else.
inline std::optional<std::int64_t> wholeNumber(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    std::int64_t v = 0;
    for (char c : s) {
        if (!isDigit(c)) return std::nullopt;
        v = appendDigit(v, c);
    }
    return v;
}

// Code -> CP932 text, built once from UTF-8 rows.
template <typename Key>
class CodeTable {
public:
    CodeTable(std::initializer_list<std::pair<Key, const char*>> utf8Rows) {
        for (const auto& [key, text] : utf8Rows) rows_.emplace(key, sj(text));
    }
    template <typename K>
    const std::string* find(const K& key) const {
        auto it = rows_.find(key);
        return it == rows_.end() ? nullptr : &it->second;
    }

private:
    std::map<Key, std::string, std::less<>> rows_;
};

using TextCodeTable = CodeTable<std::string>;
using NumberCodeTable = CodeTable<std::int64_t>;

}  // namespace vex::detail
