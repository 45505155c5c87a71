#pragma once
// Number reading shared by the code tables and formatters (not part of their interface).
#include <cstdint>
#include <optional>
#include <string_view>

namespace vex::detail {

// Leading blanks skipped, then digits up to the first non-digit. nullopt when there is no digit.
// Saturates instead of overflowing on absurdly long digit runs.
inline std::optional<std::int64_t> leadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i == s.size() || s[i] < '0' || s[i] > '9') return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = v > 99'999'999'999'999LL ? v : v * 10 + (s[i] - '0');
    return v;
}

inline bool isBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace vex::detail
