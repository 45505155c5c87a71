#pragma once
// The Compi page import: the page source of the index provider's Compi page for one track and day
// (copied by the user from the browser) becomes the Compi file of that track and day.
//
// Pages arrive as Unicode text (UTF-8), so the markers are found without any loss of characters
// the page may hold beyond CP932; only what goes into the file (date, track) is CP932. The horse
// lines' byte rules count CP932 bytes, as the file world does.
//
// Two layouts are known; the parsers differ in the title-line marker, the tracks they recognise,
// and what happens without a track or a usable title line.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/reporter.h"

namespace vex {

enum class CompiPageLayout { None, AllTracks2022, SouthKanto2024 };

// The layout named by the first line holding one of the two titles; None without one.
CompiPageLayout compiPageLayout(const std::vector<std::string_view>& lines);

inline constexpr int kCompiPageRaces = 12;
inline constexpr int kCompiPageHorses = 16;

// What the page says about one race. `refusal` (CP932) is set when the race holds data we cannot
// stand behind (a horse beyond 16, a value outside 40-90, one horse with two values): the race is
// then written without data.
struct CompiPageRace {
    std::array<int, kCompiPageHorses + 1> value{};  // per horse number 1..16; 0 = none
    int recommendedHorse = 0;
    std::string refusal;
};

struct CompiPage {
    int year = 0, month = 0, day = 0;
    std::string track;  // CP932, 4 bytes; empty when the title line names no known track
    std::string titleText;  // UTF-8: what the title line says after its marker (for messages)
    std::array<CompiPageRace, kCompiPageRaces + 1> races{};  // race numbers 1..12
};

// Date and track from the layout's title line; false when no line holds a real date.
bool findCompiPageDate(const std::vector<std::string_view>& lines, CompiPageLayout layout, CompiPage& page);
// The races' horse lines, values and recommended horses (lines without the blank ones).
void collectCompiPageRaces(const std::vector<std::string_view>& lines, CompiPage& page);

// "yyyy年mm月dd日" + track + ".Comp" (CP932), and its first 18 bytes, the label of the messages.
std::string compiPageFileName(const CompiPage& page);
std::string compiPageLabel(const CompiPage& page);
// The 12 lines of the Compi file, 122 bytes each (CP932).
std::vector<std::string> compiPageLines(const CompiPage& page);

struct CompiImportResult {
    enum Outcome {
        NotAPage,     // neither layout: nothing said
        Undated,      // a 2024 page without a title line holding a real date: nothing said
        Refused,      // told the user why nothing was written
        Declined,     // "No" at the question
        Written,
        WriteFailed,  // the existing file cannot be read, or the write failed: told the user
    };
    Outcome outcome = NotAPage;
    std::filesystem::path file;  // the Compi file (when a name was found)
    std::string titleText;       // Undated: what the title line says (UTF-8), empty without one
};

// The whole import: layout, date and track, the question (when `ask`), the races, the file in the
// application's Data folder, the messages. A Compi file that exists but cannot be read is never
// replaced. The import writes only what it can stand behind: nothing for a page without a known
// track or without any race holding values, and a race the page holds no values for keeps the
// values the file had (said by race).
CompiImportResult importCompiPage(std::string_view utf8Page, Reporter& reporter, bool ask = true);

}  // namespace vex
