#pragma once
// Digit fields. Records, store files, the account book and the settings hold numbers as digits in
// fixed-width text, padded with spaces; this is the one place that says what counts as a number.
//  - strict: spaces around, an optional minus, then digits only; anything else is no number;
//  - right-aligned: leading spaces, then digits to the field's end (the strict reading of a field
//    whose digits are right-aligned; a sign or a trailing space is no number);
//  - leading: spaces, then the digits up to the first other byte (what follows is ignored).
// Blank tests say which blanks they accept: isSpaces takes the ASCII space alone.
#include <bit>
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

// Digit runs longer than 18 (which may not fit 64 bits), read by from_chars, which says so.
std::optional<std::int64_t> longDigitsToTheEnd(const char* first, const char* end);

// The digits from `first` to `end`, all of them, as one number; nullopt when there are none, any
// other byte is among them, or the number is beyond 64 bits. The day load reads over half a million
// of these per day: up to 18 digits, which cannot overflow, are read by hand.
inline std::optional<std::int64_t> digitsToTheEnd(const char* first, const char* end) {
    if (first == end) return std::nullopt;
    if (end - first > 18) return longDigitsToTheEnd(first, end);
    std::int64_t value = 0;
    for (const char* p = first; p < end; ++p) {
        if (!isDigit(*p)) return std::nullopt;
        value = value * 10 + (*p - '0');
    }
    return value;
}

// The bytes at `bytes` as one unsigned word of their machine order (little-endian here).
template <class Word>
[[gnu::always_inline]] inline std::uint64_t loadWord(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// A field of fixed width at the top of a word, behind space padding, built in registers from one
// or two loads (overlapping for the odd widths). Copying it into a padded word in memory instead
// stalls the load of that word: in the analysis's profile, a fifth of its time on 3-byte fields.
[[gnu::always_inline]] inline std::uint64_t fixedFieldWord(const char* field, std::size_t size) {
    if (size == 8) return loadWord<std::uint64_t>(field);
    const std::uint64_t padding = 0x2020202020202020ULL >> (8 * size);
    const int shift = 64 - 8 * static_cast<int>(size);
    if (size >= 4) return padding | loadWord<std::uint32_t>(field) << shift | loadWord<std::uint32_t>(field + size - 4) << 32;
    if (size >= 2) return padding | loadWord<std::uint16_t>(field) << shift | loadWord<std::uint16_t>(field + size - 2) << 48;
    return padding | loadWord<std::uint8_t>(field) << 56;
}

// A right-aligned field of at most 8 bytes read as one 64-bit word: the field is placed at the
// word's end behind space padding, the leading spaces become '0's, and when every byte is then a
// digit the eight are combined in three multiplications. The day load reads over a million of
// these (every combination's odds and popularity). Little-endian machines only.
[[gnu::always_inline]] inline std::optional<std::int64_t> shortRightAlignedNumber(const char* field, std::size_t size) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    std::uint64_t word = ' ' * ones;
    if (__builtin_constant_p(size)) {  // a record field of fixed width: a load or two
        word = fixedFieldWord(field, size);
    } else {
        for (std::size_t i = 0; i < size; ++i)  // each byte in at the top: the last one ends there
            word = word >> 8 | std::uint64_t{static_cast<unsigned char>(field[i])} << 56;
    }
    const std::uint64_t notSpace = word ^ (' ' * ones);
    if (notSpace == 0) return std::nullopt;
    const int leadingSpaces = __builtin_ctzll(notSpace) / 8;
    word += ('0' - ' ') * ones & ((std::uint64_t{1} << (8 * leadingSpaces)) - 1);
    const std::uint64_t highNibbles = word & (0xF0 * ones);
    const std::uint64_t pastNine = (word + 6 * ones) & (0xF0 * ones);
    if (highNibbles != 0x30 * ones || pastNine != 0x30 * ones) return std::nullopt;
    std::uint64_t digits = word - '0' * ones;  // the first byte is the most significant digit
    // A narrow field of known width (most record fields) has only '0's below its top bytes.
    if (__builtin_constant_p(size) && size <= 2) {
        const std::uint64_t two = digits >> 48;
        return static_cast<std::int64_t>((two & 0xFF) * 10 + (two >> 8));
    }
    if (__builtin_constant_p(size) && size <= 4) {
        std::uint64_t four = digits >> 32;
        four = (four * 10 + (four >> 8)) & 0x00FF00FFULL;
        return static_cast<std::int64_t>((four * 100 + (four >> 16)) & 0xFFFFULL);
    }
    digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FFULL;
    digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFFULL;
    digits = (digits * 10000 + (digits >> 32)) & 0x00000000FFFFFFFFULL;
    return static_cast<std::int64_t>(digits);
}

// Inline: hundreds of thousands of these are read per day load or analysis. A field of up to 16
// bytes whose head is blank (a payout of 0 is eight spaces and "0") is read by its last eight bytes;
// longer blank runs are skipped eight at a time.
inline std::optional<std::int64_t> rightAlignedNumber(std::string_view field) {
    const char* p = field.data();
    const char* const end = p + field.size();
    if constexpr (std::endian::native == std::endian::little) {
        if (!field.empty() && field.size() <= 8) return shortRightAlignedNumber(p, field.size());
        if (field.size() > 8 && field.size() <= 16) {
            const char* last8 = end - 8;
            while (p < last8 && *p == ' ') ++p;
            if (p == last8) return shortRightAlignedNumber(last8, 8);
            p = field.data();
        }
    }
    while (end - p >= 8 && std::memcmp(p, "        ", 8) == 0) p += 8;
    while (p < end && *p == ' ') ++p;
    if (p == end || !isDigit(*p)) return std::nullopt;
    return digitsToTheEnd(p, end);
}

// A record field as the race table reads it: the right-aligned reading when it lies in
// 0..999,999,999 (wider than any field), else 0. Inline for the same reason as the reading above.
inline int fieldNumber(std::string_view field) {
    const std::optional<std::int64_t> value = rightAlignedNumber(field);
    return value && *value >= 0 && *value <= 999'999'999 ? static_cast<int>(*value) : 0;
}

}  // namespace vex
