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

// ---- circled numbers

// 1..18 -> "①".."⑱", anything else "－".
std::string CircledNumber(int n);
// The same for a digit text read as a number (leading blanks allowed).
std::string CircledNumberText(std::string_view digits);

// ---- frame rule

// Frame (1..8) of horse `horse` in a field of `runners`. Returns 0 unless 1 <= horse <= runners <= 18:
// the rule has no meaning outside that and callers index frame arrays with the result.
int FrameOfHorse(int runners, int horse);

}  // namespace vex
