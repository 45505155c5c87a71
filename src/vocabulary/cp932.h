#pragma once
// CP932 (Shift_JIS) text. The core keeps every text as CP932 bytes in std::string so that byte
// positions and widths hold exactly as in the records; conversion to and from UTF-8 happens only at
// the edges (windows, command line, source literals).
#include <string>
#include <string_view>

namespace vex {

// CP932 -> UTF-8. Policy for bytes that are not valid CP932: each offending byte becomes U+FFFD
// and decoding goes on with the next byte; nothing throws.
std::string toUtf8(std::string_view cp932);

// UTF-8 -> CP932. Characters that CP932 cannot hold, and malformed UTF-8, become '?'.
std::string toCp932(std::string_view utf8);

// UTF-8 -> `encoding` (an iconv name: "EUC-JP", "SHIFT_JIS", ...), for a terminal that is not
// UTF-8. Characters it cannot hold, and malformed UTF-8, become '?'; an encoding iconv does not
// know leaves the text as it is.
std::string fromUtf8To(std::string_view encoding, std::string_view utf8);

// Short form for program texts written as UTF-8 literals: sj("投票") is the CP932 text.
inline std::string sj(std::string_view utf8) { return toCp932(utf8); }

// True for a byte that starts a two-byte CP932 character.
constexpr bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Width of a CP932 text in bytes (what the fixed-width fields count).
inline std::size_t widthOf(std::string_view cp932) { return cp932.size(); }

// Longest prefix of at most `width` bytes that does not split a two-byte character.
std::string_view cutToWidth(std::string_view cp932, std::size_t width);

// Cut to `width` bytes at a character boundary, then pad with ASCII spaces to exactly `width`
// bytes (a cut half character leaves a space), on the right or on the left.
std::string padRight(std::string_view cp932, std::size_t width);
std::string padLeft(std::string_view cp932, std::size_t width);

}  // namespace vex
