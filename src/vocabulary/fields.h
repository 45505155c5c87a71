#pragma once
// Digit fields. Records, store files, the account book and the settings hold numbers as digits in
// fixed-width text, padded with spaces; this is the one place that says what counts as a number.
//  - strict: spaces around, an optional minus, then digits only; anything else is no number;
//  - right-aligned: leading spaces, then digits to the field's end (the strict reading of a field
//    whose digits are right-aligned; a sign or a trailing space is no number);
//  - leading: spaces, then the digits up to the first other byte (what follows is ignored).
// Blank tests say which blanks they accept: isSpaces takes the ASCII space alone.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace vex {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// At least one byte, and every byte a digit 0-9.
bool isDigits(std::string_view text);

// Nothing but ASCII spaces; an empty field is blank too.
bool isSpaces(std::string_view field);

// The strict reading; nullopt for a blank field, any other byte, or a number beyond 64 bits.
std::optional<std::int64_t> strictNumber(std::string_view field);

// The leading reading; nullopt when no digit follows the spaces. Absurdly long digit runs stop
// growing at 15 digits rather than overflow.
std::optional<std::int64_t> leadingNumber(std::string_view field);

// The digits from `first` to `end`, all of them, as one number (from_chars); nullopt otherwise.
std::optional<std::int64_t> digitsToTheEnd(const char* first, const char* end);

// Inline: hundreds of thousands of these are read per day load or analysis. Long blank runs (a
// payout of 0 is eight spaces and "0") are skipped eight at a time, one or two digits read directly.
inline std::optional<std::int64_t> rightAlignedNumber(std::string_view field) {
    const char* p = field.data();
    const char* const end = p + field.size();
    while (end - p >= 8 && std::memcmp(p, "        ", 8) == 0) p += 8;
    while (p < end && *p == ' ') ++p;
    if (p == end || !isDigit(*p)) return std::nullopt;
    if (end - p == 1) return *p - '0';
    if (end - p == 2 && isDigit(p[1])) return (p[0] - '0') * 10 + (p[1] - '0');
    return digitsToTheEnd(p, end);
}

// A record field as the race table reads it: the right-aligned reading when it lies in
// 0..999,999,999 (wider than any field), else 0.
int fieldNumber(std::string_view field);

}  // namespace vex
