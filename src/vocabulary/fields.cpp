#include "vocabulary/fields.h"

#include <algorithm>
#include <charconv>

namespace vex {

bool isDigits(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), isDigit); }

bool isSpaces(std::string_view field) { return field.find_first_not_of(' ') == std::string_view::npos; }

std::optional<std::int64_t> strictNumber(std::string_view field) {
    const auto first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    field = field.substr(first, field.find_last_not_of(' ') - first + 1);
    // from_chars takes a minus but no plus, and no spaces: exactly the digits that are left.
    if (field.front() == '-' && (field.size() == 1 || !isDigit(field[1]))) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> leadingNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    if (i == field.size() || !isDigit(field[i])) return std::nullopt;
    std::int64_t value = 0;
    for (; i < field.size() && isDigit(field[i]); ++i)
        if (value <= 99'999'999'999'999LL) value = value * 10 + (field[i] - '0');
    return value;
}

std::optional<std::int64_t> longDigitsToTheEnd(const char* first, const char* end) {
    if (first == end || !isDigit(*first)) return std::nullopt;  // from_chars would take a minus
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(first, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace vex
