// Fixed-width formatters of record fields.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "vocabulary/codes.h"
#include "vocabulary/codes_detail.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {

std::string GroupedDigits(long long n) {
    std::string digits = std::to_string(n);
    const std::size_t first = n < 0 ? 1 : 0;  // after the minus
    for (std::size_t at = digits.size(); at > first + 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string formatText(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

namespace {

// Right-aligns in `width` but never cuts (a wider text stays whole).
std::string alignRight(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string twoDigits(std::int64_t n) {
    std::string text = std::to_string(n);
    return text.size() < 2 ? "0" + text : text;
}

// A digit field the formatters cannot do without: no number is a conversion error.
std::int64_t numberOrThrow(std::string_view field) {
    const std::optional<std::int64_t> value = rightAlignedNumber(field);
    if (!value) throw ConversionError(field);
    return *value;
}

// num / den rounded half away from zero; den > 0.
std::int64_t roundedQuotient(std::int64_t num, std::int64_t den) {
    const std::int64_t magnitude = ((num < 0 ? -num : num) * 2 + den) / (den * 2);
    return num < 0 ? -magnitude : magnitude;
}

}  // namespace

ConversionError::ConversionError(std::string_view field)
    : std::runtime_error("'" + toUtf8(field) + "' is not a valid integer value") {}

std::string DigitsText(std::string_view s) {
    const std::int64_t n = leadingNumber(s).value_or(0);
    if (n == 0) return std::string(s.size(), ' ');
    return alignRight(std::to_string(n), s.size());
}

std::string TenthsText(std::string_view s) {
    const std::int64_t n = leadingNumber(s).value_or(0);
    if (n == 0) return std::string(s.size(), ' ');
    return alignRight(std::to_string(n / 10) + "." + std::to_string(n % 10), s.size() + 1);
}

std::string RaceTimeText(std::string_view time) {
    const std::string_view tail = time.size() > 1 ? time.substr(1, 3) : std::string_view();
    if (tail == "999" || isSpaces(tail) || time == "9999" || time == "0000") return std::string(5, ' ');
    if (time.size() != 4 || !isDigits(time)) throw ConversionError(time);
    const int seconds = (time[1] - '0') * 10 + (time[2] - '0');
    return std::string(1, time[0]) + alignRight(std::to_string(seconds), 2) + "." + time[3];
}

std::string WeightChangeText(std::string_view sign, std::string_view change) {
    if (change == "000") return "+-0";
    if (change == "999" || isSpaces(change)) return "-";
    const std::string digits = DigitsText(change);
    const auto first = digits.find_first_not_of(' ');
    return std::string(sign) + (first == std::string::npos ? std::string() : digits.substr(first));
}

std::string RaceClassText(std::string_view raceClass, std::string_view grade, std::string_view name) {
    static const std::string g1 = sj("GⅠ"), g2 = sj("GⅡ"), g3 = sj("GⅢ"), newcomer = sj("新馬"),
                             unraced = sj("未出走"), maiden = sj("未勝利"), open = sj("ｵｰﾌﾟﾝ"), below = sj("下"),
                             graded = sj("重賞"), special = sj("特別");
    if (grade == "A") return g1 + std::string(name);
    if (grade == "B") return g2 + std::string(name);
    if (grade == "C") return g3 + std::string(name);

    std::string text = " ";
    if (!isSpaces(raceClass)) {
        const std::int64_t n = numberOrThrow(raceClass);
        if (n == 701)
            text = newcomer;
        else if (n == 702)
            text = unraced;
        else if (n == 703)
            text = maiden;
        else if (n == 999)
            text = open;
        else if (n != 0)  // 0 would read "   0下"
            text = alignRight(std::to_string(n * 100), 4) + below;
    }
    if (text != " ") return text;
    if (!StripFullWidthSpaces(name).empty()) return std::string(name);
    if (grade == "D") return graded;
    if (grade == "E") return special;
    return " ";
}

std::string Pace600Text(std::string_view time, std::string_view last600, std::string_view distance) {
    const std::string none(3, ' ');
    if (isSpaces(time) || isSpaces(last600) || isSpaces(distance)) return none;
    if (time.size() != 4 || !isDigits(time)) throw ConversionError(time);
    const std::int64_t t = (time[0] - '0') * 600 + numberOrThrow(time.substr(1));
    const std::int64_t last = numberOrThrow(last600);
    const std::int64_t metres = numberOrThrow(distance);
    // 600 m or shorter has no "before the last 600 m" (and the formula would divide by zero).
    if (t == 0 || last == 0 || metres <= 600) return none;
    // (t - last) / (metres / 100 - 6) * 6, kept exact in integers.
    const std::int64_t pace = roundedQuotient((t - last) * 600, metres - 600);
    return alignRight(std::to_string(pace), 3).substr(0, 3);
}

std::string AddMinutes(std::string_view hhmm, int minutes) {
    if (isSpaces(hhmm)) return {};
    auto part = [&](std::size_t at) {
        return at < hhmm.size() ? leadingNumber(hhmm.substr(at, 2)).value_or(0) : 0;
    };
    std::int64_t total = part(0) * 60 + part(2) + minutes;
    if (total < 0) total = 0;  // a time before midnight of the day has no hhmm form
    return twoDigits(total / 60) + twoDigits(total % 60);
}

std::string AddSeconds(std::string_view hhmmss, int seconds) {
    if (isSpaces(hhmmss)) return {};
    auto part = [&](std::size_t at) {
        return at < hhmmss.size() ? leadingNumber(hhmmss.substr(at, 2)).value_or(0) : 0;
    };
    std::int64_t total = part(0) * 3600 + part(2) * 60 + part(4) + seconds;
    if (total < 0) total = 0;
    return twoDigits(total / 3600) + twoDigits(total % 3600 / 60) + twoDigits(total % 60);
}

std::string StripFullWidthSpaces(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const bool pair = isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
        const std::size_t n = pair ? 2 : 1;
        // Walk whole characters: the bytes 81 40 can also be a trail byte followed by '@'.
        if (!(pair && s[i] == '\x81' && s[i + 1] == '\x40')) out.append(s.substr(i, n));
        i += n;
    }
    return out;
}

std::string OverwriteAt(std::string_view s, std::string_view text, int position) {
    std::string out(s);
    if (position < 1 || static_cast<std::size_t>(position) > out.size()) return out;
    const std::size_t at = static_cast<std::size_t>(position) - 1;
    const std::size_t n = std::min(text.size(), out.size() - at);
    out.replace(at, n, text.substr(0, n));
    return out;
}

}  // namespace vex
