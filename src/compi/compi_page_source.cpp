#include "compi/compi_page_source.h"

namespace vex {

namespace {

// A horse row: the number, a 4-character tag, the value; the line ends by opening the next row's
// first cell, marked when the next horse is the recommended one.
std::string horseLines(const CompiPageRaceValues& race, std::string_view tag, std::string_view cell,
                       std::string_view markedCell) {
    std::string out;
    for (std::size_t i = 0; i < race.values.size(); ++i) {
        int horse = static_cast<int>(i) + 1;
        int value = race.values[i];
        out += std::to_string(horse) + std::string(tag) + (value > 0 ? std::to_string(value) : "--");
        out += "</td><td class=\"name\">" + std::to_string(horse) + "番</td></tr>";
        if (i + 1 < race.values.size()) out += std::string(horse + 1 == race.recommendedHorse ? markedCell : cell);
        out += "\n";
    }
    return out;
}

std::string raceMarker(int race) { return "<span class=\"race\"><span class=\"font14\">" + std::to_string(race) + "</span>R</span>"; }

std::string allTracksRaces(const std::vector<CompiPageRaceValues>& races) {
    std::string out = "<table class=\"compi\">\n";
    for (const auto& race : races) {
        const char* first = race.recommendedHorse == 1 ? "<tr><td id=\"bg-r\"><b>" : "<tr><td class=\"no\"><b>";
        out += "<tr><th colspan=\"3\">" + raceMarker(race.race) + "</th></tr>" + first + "\n";
        out += horseLines(race, "</b>", "<tr><td class=\"no\"><b>", "<tr><td id=\"bg-r\"><b>");
        out += "<tr><td class=\"race_name\">" + std::to_string(race.race) + "R</td></tr>\n";
    }
    return out + "</table>\n<p>【枠番コンピ】</p>\n";
}

std::string southKantoRaces(const std::vector<CompiPageRaceValues>& races) {
    std::string out;
    for (const auto& race : races) {
        const char* first = race.recommendedHorse == 1 ? "<tr><td id=\"bg-r\"><a href=\"#u\">" : "<tr><td><a href=\"#u\">";
        out += "  <div class=\"head\">" + raceMarker(race.race) + "  <table class=\"c\">" + first + "\n";
        out += horseLines(race, "</a>", "<tr><td><a href=\"#u\">", "<tr><td id=\"bg-r\"><a href=\"#u\">");
        out += "</table></div>\n";
    }
    return out;
}

}  // namespace

std::string compiPageSource(CompiPageLayout layout, int year, int month, int day, std::string_view track,
                            const std::vector<CompiPageRaceValues>& races) {
    std::string date = std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) + "日";
    std::string page = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n";
    if (layout == CompiPageLayout::AllTracks2022) {
        page += "<title>コンピ指数（詳細）- 地方競馬全場コンピ</title>\n</head>\n<body>\n";
        page += "<h2 class=\"line line_bottom\">コンピ指数　" + date + " " + std::string(track) + "</h2>\n";
        page += allTracksRaces(races);
    } else {
        page += "<title>コンピ指数（詳細）- 地方競馬</title>\n</head>\n<body>\n";
        page += "<h2 class=\"title_style1\">コンピ指数 " + date + " " + std::string(track) + "競馬</h2>\n";
        page += southKantoRaces(races);
    }
    return page + "</body>\n</html>\n";
}

}  // namespace vex
