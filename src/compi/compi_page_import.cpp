#include "compi/compi_page_import.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/file_read.h"
#include "store/race_table.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

// The page's own texts, as UTF-8.
constexpr std::string_view kTitle2022 = "<title>コンピ指数（詳細）- 地方競馬全場コンピ";
constexpr std::string_view kTitle2024 = "<title>コンピ指数（詳細）- 地方競馬";
constexpr std::string_view kTitleLine2022 = "<h2 class=\"line line_bottom\">コンピ指数";
constexpr std::string_view kTitleLine2024 = "<h2 class=\"title_style1\">コンピ指数";
constexpr std::string_view kRaceMarker = "<span class=\"race\"><span class=\"font14\">";
constexpr std::string_view kRaceEnd = "</span>R";
constexpr std::string_view kFrameSection = "【枠番コンピ】";
constexpr std::string_view kRecommendedCell = "<td id=\"bg-r\"";

struct PageTrack {
    std::string_view onPage;    // as the title line writes it
    std::string_view fileName;  // the two characters of the file name
};
constexpr PageTrack kSouthKantoTracks[] = {{"川崎", "川崎"}, {"大井", "大井"}, {"船橋", "船橋"}, {"浦和", "浦和"}};
constexpr PageTrack kAllTracks[] = {{"川崎", "川崎"}, {"大井", "大井"}, {"船橋", "船橋"}, {"浦和", "浦和"},
                                    {"門別", "門別"}, {"帯広", "帯広"}, {"盛岡", "盛岡"}, {"水沢", "水沢"},
                                    {"金沢", "金沢"}, {"笠松", "笠松"}, {"名古屋", "名古"}, {"園田", "園田"},
                                    {"姫路", "姫路"}, {"高知", "高知"}, {"佐賀", "佐賀"}};

constexpr int kLowestValue = 40, kHighestValue = 90;

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= ' ') line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.remove_suffix(1);
    return line;
}

bool holds(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

// A whole number: leading spaces, then digits to the end; 0 when it does not read.
int wholeNumber(std::string_view text) {
    auto n = rightAlignedNumber(text);
    return n && *n <= 999999 ? static_cast<int>(*n) : 0;
}

// Race numbers: the full-width digits stand for 1 to 9, anything else reads as a whole number.
int raceNumberOf(std::string_view text) {
    static constexpr std::string_view kFullWidth[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
    for (int d = 0; d < 9; ++d)
        if (text == kFullWidth[d]) return d + 1;
    return wholeNumber(text);
}

// The start of the `count` UTF-8 characters before byte `end`.
std::size_t charactersBefore(std::string_view text, std::size_t end, int count) {
    std::size_t at = end;
    while (count > 0 && at > 0) {
        --at;
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) --count;
    }
    return at;
}

// The first `count` characters of a UTF-8 line, as CP932.
std::string leadingCp932(std::string_view line, int count) {
    std::size_t at = 0;
    while (at < line.size() && count > 0) {
        ++at;
        while (at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) ++at;
        --count;
    }
    return toCp932(line.substr(0, at));
}

// A two-byte field of a horse line (1-based position), read as the Compi file's fields are.
int twoByteNumber(std::string_view line, std::size_t position) {
    if (line.size() < position + 1) return 0;
    return wholeNumber(line.substr(position - 1, 2));
}

struct HorseLine {
    int horse = 0, value = 0;
};

// Horse in bytes 1-2 and value in bytes 7-8; a one-digit horse is byte 1, its value bytes 6-7.
HorseLine readHorseLine(std::string_view utf8Line) {
    std::string line = leadingCp932(utf8Line, 8);
    HorseLine read{twoByteNumber(line, 1), twoByteNumber(line, 7)};
    if (read.horse > 0) return read;
    read.horse = !line.empty() && isDigit(line[0]) ? line[0] - '0' : 0;
    read.value = twoByteNumber(line, 6);
    return read;
}

bool readTitleDate(std::string_view line, CompiPage& page) {
    std::size_t year = line.find("年"), month = line.find("月"), day = line.find("日");
    if (year == std::string_view::npos || month == std::string_view::npos || day == std::string_view::npos)
        return false;
    auto between = [&](std::size_t from, std::size_t to) {
        return to > from ? line.substr(from, to - from) : std::string_view();
    };
    std::size_t yearStart = charactersBefore(line, year, 4);
    page.year = wholeNumber(line.substr(yearStart, year - yearStart));
    page.month = wholeNumber(between(year + 3, month));
    page.day = wholeNumber(between(month + 3, day));
    // Beyond the rule's "above 0": a date that does not exist would name a file for no day.
    char ymd[32];
    std::snprintf(ymd, sizeof ymd, "%04d%02d%02d", page.year, page.month, page.day);
    return page.year > 2000 && page.month > 0 && page.day > 0 && dayNumberOfYmd(ymd).has_value();
}

std::string titleTrack(std::string_view line, CompiPageLayout layout) {
    auto pick = [&](const auto& tracks) -> std::string {
        for (const PageTrack& track : tracks)
            if (holds(line, track.onPage)) return sj(track.fileName);
        return {};
    };
    return layout == CompiPageLayout::AllTracks2022 ? pick(kSouthKantoTracks) : pick(kAllTracks);
}

}  // namespace

CompiPageLayout compiPageLayout(const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines) {
        line = trimmed(line);
        // The 2024 title is a prefix of the 2022 one, so the longer is tested first.
        if (holds(line, kTitle2022)) return CompiPageLayout::AllTracks2022;
        if (holds(line, kTitle2024)) return CompiPageLayout::SouthKanto2024;
    }
    return CompiPageLayout::None;
}

bool findCompiPageDate(const std::vector<std::string_view>& lines, CompiPageLayout layout, CompiPage& page) {
    std::string_view marker = layout == CompiPageLayout::AllTracks2022 ? kTitleLine2022 : kTitleLine2024;
    for (std::string_view line : lines) {
        if (!holds(line, marker)) continue;
        page.track = titleTrack(line, layout);
        if (readTitleDate(line, page)) return true;
    }
    page.track.clear();
    return false;
}

namespace {

// Takes one horse line of a race block into the race.
void takeHorse(const HorseLine& read, bool recommended, CompiPageRace& race, std::vector<bool>& seen) {
    char reason[96];
    if (read.value == 0 && read.horse <= kCompiPageHorses) {  // no value: a scratched horse
        if (recommended) race.recommendedHorse = read.horse;   // still the page's mark
        return;
    }
    if (read.horse > kCompiPageHorses) {
        std::snprintf(reason, sizeof reason, "%d番は16頭を超える馬番です", read.horse);
    } else if (read.value < kLowestValue || read.value > kHighestValue) {
        std::snprintf(reason, sizeof reason, "%d番の指数%dは40～90の外です", read.horse, read.value);
    } else if (seen[static_cast<std::size_t>(read.horse)] && race.value[static_cast<std::size_t>(read.horse)] != read.value) {
        std::snprintf(reason, sizeof reason, "%d番に二つの指数があります", read.horse);
    } else {
        seen[static_cast<std::size_t>(read.horse)] = true;
        race.value[static_cast<std::size_t>(read.horse)] = read.value;
        if (recommended) race.recommendedHorse = read.horse;
        return;
    }
    if (race.refusal.empty()) race.refusal = sj(reason);
}

// The up to 16 horse lines after the race line `at`.
void collectRace(const std::vector<std::string_view>& lines, std::size_t at, CompiPageRace& race) {
    std::vector<bool> seen(kCompiPageHorses + 1, false);
    for (std::size_t j = 1; j <= kCompiPageHorses && at + j < lines.size(); ++j) {
        std::string_view line = lines[at + j];
        HorseLine read = readHorseLine(line);
        if (read.horse > 0) takeHorse(read, holds(lines[at + j - 1], kRecommendedCell), race, seen);
        if (holds(line, "race_name") || holds(line, "</table>")) break;
    }
}

}  // namespace

void collectCompiPageRaces(const std::vector<std::string_view>& lines, CompiPage& page) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = trimmed(lines[i]);
        if (holds(line, kFrameSection)) break;
        std::size_t marker = line.find(kRaceMarker);
        if (marker == std::string_view::npos) continue;
        std::size_t from = marker + kRaceMarker.size();
        std::size_t to = line.find(kRaceEnd, from);
        int raceNumber = raceNumberOf(line.substr(from, to == std::string_view::npos ? 0 : to - from));
        // The file has 12 lines: a race outside 1..12 has no place in it.
        if (raceNumber < 1 || raceNumber > kCompiPageRaces) continue;
        collectRace(lines, i, page.races[static_cast<std::size_t>(raceNumber)]);
    }
}

std::string compiPageFileName(const CompiPage& page) {
    return compiPageLabel(page) + ".Comp";
}

std::string compiPageLabel(const CompiPage& page) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d", page.year);
    std::string label = date + sj("年");
    std::snprintf(date, sizeof date, "%02d", page.month);
    label += date + sj("月");
    std::snprintf(date, sizeof date, "%02d", page.day);
    label += date + sj("日");
    return label + (page.track.empty() ? sj("　　") : page.track);
}

namespace {

std::string twoDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%2d", n);
    return text;
}

// Slots ordered by value, highest first; equal values put the higher number first.
std::string orderedSlots(std::vector<std::pair<int, int>> valueAndNumber, std::size_t width) {
    std::sort(valueAndNumber.begin(), valueAndNumber.end(), std::greater<>());
    std::string slots;
    for (auto [value, number] : valueAndNumber) slots += twoDigits(number) + twoDigits(value);
    slots.resize(width, ' ');
    return slots;
}

std::string raceLine(const CompiPage& page, int raceNumber) {
    char key[16];
    std::snprintf(key, sizeof key, "%04d%02d%02d", page.year, page.month, page.day);
    std::string line = key + (page.track.empty() ? sj("　　") : page.track) + twoDigits(raceNumber);
    const CompiPageRace& race = page.races[static_cast<std::size_t>(raceNumber)];
    std::vector<std::pair<int, int>> horses;
    std::array<int, kMaxFrames + 1> frameValue{};
    int runners = 0;
    if (race.refusal.empty())
        for (int horse = 1; horse <= kCompiPageHorses; ++horse)
            if (race.value[static_cast<std::size_t>(horse)] > 0) runners = horse;
    for (int horse = 1; horse <= runners; ++horse) {
        int value = race.value[static_cast<std::size_t>(horse)];
        if (value <= 0) continue;
        horses.emplace_back(value, horse);
        int& frame = frameValue[static_cast<std::size_t>(FrameOfHorse(runners, horse))];
        frame = std::max(frame, value);
    }
    std::vector<std::pair<int, int>> frames;
    for (int frame = 1; frame <= kMaxFrames; ++frame)
        if (frameValue[static_cast<std::size_t>(frame)] > 0) frames.emplace_back(frameValue[static_cast<std::size_t>(frame)], frame);
    int recommended = race.refusal.empty() ? race.recommendedHorse : 0;
    bool recommendedHasValue = recommended > 0 && recommended <= runners && race.value[static_cast<std::size_t>(recommended)] > 0;
    line += orderedSlots(horses, 72) + twoDigits(recommended);
    line += orderedSlots(frames, 32) + twoDigits(recommendedHasValue ? FrameOfHorse(runners, recommended) : 0);
    return line;
}

}  // namespace

std::vector<std::string> compiPageLines(const CompiPage& page) {
    std::vector<std::string> lines;
    for (int race = 1; race <= kCompiPageRaces; ++race) lines.push_back(raceLine(page, race));
    return lines;
}

namespace {

std::vector<std::string_view> nonBlankLines(const std::vector<std::string_view>& lines) {
    std::vector<std::string_view> kept;
    for (std::string_view line : lines)
        if (!trimmed(line).empty()) kept.push_back(line);
    return kept;
}

// A page cut before its end could hold half a race; the frame section or the closing tag shows
// that the copy reached the end.
bool reachesTheEnd(const std::vector<std::string_view>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (holds(*it, kFrameSection) || holds(*it, "</html>") || holds(*it, "</HTML>")) return true;
    return false;
}

// Replaces the file, unless the one there cannot be read. True when written.
bool replaceCompiFile(const fs::path& file, const std::vector<std::string>& lines, Reporter& reporter) {
    try {
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        FileUpdate update(file);  // refuses a file that exists but cannot be read
        update.replaceLines(lines);
        return true;
    } catch (const FileWriteError& e) {
        reporter.information(sj(e.what()));
    } catch (const std::runtime_error& e) {  // FileReadError, FolderBusyError: UTF-8 texts
        reporter.information(sj(e.what()));
    }
    return false;
}

}  // namespace

CompiImportResult importCompiPage(std::string_view utf8Page, Reporter& reporter, bool ask) {
    CompiImportResult result;
    std::vector<std::string_view> lines = splitLines(utf8Page);
    CompiPageLayout layout = compiPageLayout(lines);
    if (layout == CompiPageLayout::None) return result;
    CompiPage page;
    bool dated = findCompiPageDate(lines, layout, page);
    if (layout == CompiPageLayout::AllTracks2022 && (!dated || page.track.empty())) {
        reporter.information(sj("データが正しくないか、存在しません。"));
        result.outcome = CompiImportResult::Refused;
        return result;
    }
    if (!dated) return result;
    std::string label = compiPageLabel(page);
    result.file = appFolder() / "Data" / toUtf8(compiPageFileName(page));
    if (!reachesTheEnd(lines)) {
        reporter.information("[" + label + "]" + sj("のページは途中で切れています。何も書き込みませんでした。"));
        result.outcome = CompiImportResult::Refused;
        return result;
    }
    if (ask && !reporter.askYesNo("[" + label + "]" + sj("のコンピ指数を取り込みますか？"))) {
        result.outcome = CompiImportResult::Declined;
        return result;
    }
    collectCompiPageRaces(nonBlankLines(lines), page);
    if (!replaceCompiFile(result.file, compiPageLines(page), reporter)) {
        result.outcome = CompiImportResult::WriteFailed;
        return result;
    }
    result.outcome = CompiImportResult::Written;
    reporter.information("[" + label + "]" + sj("のコンピ指数を取り込みました。"));
    for (int race = 1; race <= kCompiPageRaces; ++race) {
        const std::string& refusal = page.races[static_cast<std::size_t>(race)].refusal;
        if (!refusal.empty())
            reporter.information("[" + label + "]" + std::to_string(race) + sj("Rは取り込みませんでした（") + refusal + sj("）。"));
    }
    return result;
}

}  // namespace vex
