#pragma once
// The data service's code tables and the small fixed-width formatters the record readers share.
// Every function is pure. Results are CP932 text; widths are CP932 bytes (a full-width character is
// two bytes, ASCII and half-width katakana one).
//
// Tables with a style number: the plain form returns "" for a style the table does not know; the
// out-parameter form returns false and leaves `out` untouched, which is what callers that keep a
// previous text rely on.
#include <stdexcept>
#include <string>
#include <string_view>

namespace vex {

// ---- track

// Style 0: 6 bytes (race header); style 2: 4 bytes, two full-width characters (file names, lists).
// Unknown and blank codes give spaces of the style's width.
std::string TrackName(std::string_view trackCode, int style);
bool TrackName(std::string_view trackCode, int style, std::string& out);

// 6 bytes: 01-10 their style-0 name, 30-61 "地方  ", the overseas codes A0-H2 but C5 "海外  ",
// anything else 6 spaces.
std::string TrackGroup(std::string_view trackCode);

// ---- tables keyed on record codes (exact, case-sensitive text unless "read as a number")

// Style 4: 8 bytes ("サラ３歳"); unknown codes 4 full-width spaces.
std::string RaceKindName(std::string_view raceKindCode, int style = 4);
bool RaceKindName(std::string_view raceKindCode, int style, std::string& out);

// Style 1: "G1   ", "重賞 ", "地区限定1", ...; unknown codes "　　 ".
std::string GradeName(std::string_view gradeCode, int style = 1);
bool GradeName(std::string_view gradeCode, int style, std::string& out);

// Style 1: one character, 0 "　", 1 土 ... 8 金 (code read as a number). An unknown code leaves
// `out` unchanged too; the plain form gives "".
std::string WeekdayName(std::string_view weekdayCode, int style = 1);
bool WeekdayName(std::string_view weekdayCode, int style, std::string& out);

// Style 1: "サラ", "サラ系", ...; unknown codes "".
std::string BreedName(std::string_view breedCode, int style = 1);
bool BreedName(std::string_view breedCode, int style, std::string& out);

std::string WeightRuleName(std::string_view weightRuleCode);      // unknown: ""
std::string HorseMarkText(std::string_view horseMarkCode);        // read as a number; unknown: "　"
std::string AbnormalityName(std::string_view abnormalityCode);    // 8 bytes; unknown: 8 spaces
std::string CoatColourName(std::string_view coatCode);            // unknown: "－"

// Style 1, the code trimmed of blanks first: "12" -> "1/2", "H" -> "ハナ"; unknown "".
std::string MarginText(std::string_view marginCode, int style = 1);
bool MarginText(std::string_view marginCode, int style, std::string& out);

std::string CourseName(std::string_view courseCode);       // read as a number; unknown: ""
std::string CourseShortName(std::string_view courseCode);  // read as a number; unknown: ""
std::string WeatherName(std::string_view weatherCode);     // unknown: ""

// Style 0 "良", style 1 "芝:良", style 2 "ダ:良"; unknown codes "".
std::string GoingName(std::string_view goingCode, int style);
bool GoingName(std::string_view goingCode, int style, std::string& out);

std::string SexName(std::string_view sexCode);  // unknown: ""

// "1kg減" ... "4kg減"; the heavy-horse tracks 81-84 "10kg減", "20kg減"; anything else "　".
std::string WeightAllowanceText(std::string_view trackCode, std::string_view allowanceCode);

// The three characters of a race symbol code as part1 + " " + part2 + " " + part3; a character the
// table does not list (or a missing one) gives an empty part. Tracks 81-84 have their own tables.
std::string RaceSymbolText(std::string_view trackCode, std::string_view symbolCode);

// ---- circled numbers

// 1..18 -> "①".."⑱", anything else "－".
std::string CircledNumber(int n);
// The same for a digit text read as a number (blanks around it allowed).
std::string CircledNumberText(std::string_view digits);

// ---- frame rule

// Frame (1..8) of horse `horse` in a field of `runners`. Returns 0 unless 1 <= horse <= runners <= 18:
// the rule has no meaning outside that and callers index frame arrays with the result.
int FrameOfHorse(int runners, int horse);

// ---- formatters of record fields

// printf-style text: the fixed-width numbers of grids, labels and files ("%2d", "%5.1f", ...).
// The compiler checks the arguments against the format.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// 1234567 -> "1,234,567"; a minus stays in front.
std::string GroupedDigits(long long n);

// A digit field that must convert and does not. what() is CP932 text naming the field, for a message.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(std::string_view field);
};

// Leading number of s (blanks skipped, stops at the first non-digit) right-aligned as wide as s;
// zero gives s.size() spaces: "07" -> " 7", "00" -> "  ".
std::string DigitsText(std::string_view s);
// Leading number of s in tenths, one decimal, right-aligned one wider than s: "0570" -> " 57.0";
// zero gives s.size() spaces.
std::string TenthsText(std::string_view s);
// 4-character time (minute, seconds, tenth) as "123.4" / "1 5.7"; 5 spaces for "9999", "0000" or
// seconds-and-tenth "999"/blank. Throws ConversionError for a non-digit.
std::string RaceTimeText(std::string_view time);
// Body-weight change: "000" -> "+-0", "999" or blank -> "-", else sign + the number.
std::string WeightChangeText(std::string_view sign, std::string_view change);
// Race class line: "GⅠ"+name for grades A-C, else "新馬", "未出走", "未勝利", "ｵｰﾌﾟﾝ", " 500下" ...,
// falling back to the name, "重賞", "特別" or " ". Throws ConversionError for a non-digit class.
std::string RaceClassText(std::string_view raceClass, std::string_view grade, std::string_view name);
// Average time per 600 m before the last 600 m, in tenths, 3 characters; "   " when a field is blank
// or zero or the race is 600 m or shorter. Throws ConversionError for a non-digit field.
std::string Pace600Text(std::string_view time, std::string_view last600, std::string_view distance);

// "hhmm" plus n minutes -> "hhmm" (hours not wrapped at 24, so 2350 + 20 -> "2410"); blank -> "".
std::string AddMinutes(std::string_view hhmm, int minutes);
// "hhmmss" plus n seconds -> "hhmmss", each part at least two digits; blank -> "".
std::string AddSeconds(std::string_view hhmmss, int seconds);

// Removes every full-width space, minding character boundaries.
std::string StripFullWidthSpaces(std::string_view s);
// s with the bytes from 1-based `position` on replaced by `text`; s keeps its length (text running
// past the end is cut, a position outside s changes nothing).
std::string OverwriteAt(std::string_view s, std::string_view text, int position);

}  // namespace vex
