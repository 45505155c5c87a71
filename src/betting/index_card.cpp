#include "betting/index_card.h"

#include <cstdio>

#include "betting/grid_sort.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

// Pair kinds (枠連 馬連 ワイド 馬単 枠単) offer Box and 軸流し; the triples add 2軸流し and ﾌｫｰﾒｰｼｮﾝ.
bool isPairKind(BetKind kind) { return betKindInfo(kind).picks == 2; }
bool isTripleKind(BetKind kind) { return betKindInfo(kind).picks == 3; }

}  // namespace

std::string multiCaption(Multi m) {
    static const char* captions[kMultiCount] = {"マルチ", "1,2着マルチ", "2,3着マルチ", "1,3着マルチ"};
    return sj(captions[static_cast<int>(m)]);
}

std::vector<std::string> methodItems(BetKind kind) {
    if (isPairKind(kind)) return {"Box", sj("軸流し")};
    if (isTripleKind(kind)) return {"Box", sj("1軸流し"), sj("2軸流し"), sj("ﾌｫｰﾒｰｼｮﾝ")};
    return {};
}

std::array<bool, 4> markColumnsShown(BetKind kind, int method) {
    // ◎ always; 相手 for the wheels; ○ ▲ for the formation and the 3連単 two-horse wheel.
    std::array<bool, 4> shown{true, false, false, false};
    if (isPairKind(kind)) {
        shown[3] = method == 1;
    } else if (kind == BetKind::Trio) {
        shown[3] = method == 1 || method == 2;
        shown[1] = shown[2] = method == 3;
    } else if (kind == BetKind::Trifecta) {
        shown[3] = method == 1;
        shown[1] = shown[2] = method == 2 || method == 3;
    }
    return shown;
}

std::array<bool, kMultiCount> multiBoxesShown(BetKind kind, int method) {
    std::array<bool, kMultiCount> shown{};
    if (kind == BetKind::Exacta || kind == BetKind::BracketExacta) {
        shown[0] = method == 0 || method == 1;
    } else if (kind == BetKind::Trifecta) {
        shown[0] = method >= 1 && method <= 3;
        shown[1] = shown[2] = shown[3] = method == 3;
    }
    return shown;
}

int markPairColumn(int pair, BetKind kind, int method) {
    switch (pair) {
        case 1: return kCardMark1;
        case 2:
            if (method == 1) return kCardPartner;
            if (method == 2) return kind == BetKind::Trio ? kCardPartner : kCardMark2;
            if (method == 3) return kCardMark2;
            return -1;
        case 3:
            if ((kind == BetKind::Trifecta && method == 2) || method == 3) return kCardMark3;
            return -1;
        default: return -1;
    }
}

const std::string& IndexCard::markText() {
    static const std::string t = sj("ν");
    return t;
}
const std::string& IndexCard::zoneText() {
    static const std::string t = sj("☆");
    return t;
}

IndexCard::IndexCard() : grid_(2, kCardColumns) {
    static const char* headers[kCardColumns] = {"枠", "馬", "馬名", "ｺﾝﾋﾟ", "順", "単OZ",
                                                "順", "該当", "◎", "○", "▲", "相手"};
    for (int c = 0; c < kCardColumns; ++c) grid_.setCell(c, 0, sj(headers[c]));
}

void IndexCard::writeRow(int row, const BetRunner& r) {
    static const std::string blank5 = "     ";
    static const std::string wideBlank = sj("　");
    grid_.setCell(kCardFrame, row, formatText("%2d", r.frame));
    grid_.setCell(kCardHorse, row, formatText("%2d", r.horse));
    grid_.setCell(kCardName, row, r.name);
    std::string compi;
    if (r.compiValue >= 40) compi = formatText("%3d", r.compiValue);
    else if (r.compiValue == 11) compi = sj("消");
    else if (r.compiValue == 12) compi = sj("除");
    else if (r.compiValue == 13) compi = sj("止");
    else compi = blank5;
    grid_.setCell(kCardCompi, row, compi);
    grid_.setCell(kCardCompiRank, row, r.compiRank >= 1 ? formatText("%2d", r.compiRank) : wideBlank);
    if (r.winOdds > 0) {
        char b[32];
        std::snprintf(b, sizeof b, "%5.1f", r.winOdds);
        grid_.setCell(kCardWinOdds, row, b);
    } else {
        grid_.setCell(kCardWinOdds, row, blank5);
    }
    grid_.setCell(kCardWinPopularity, row, r.winPopularity >= 1 ? formatText("%2d", r.winPopularity) : wideBlank);
    grid_.setCell(kCardZone, row, r.zoneFlag > 0 ? zoneText() : std::string());
}

void IndexCard::fill(const BetRace& race) {
    const bool same = race.slot >= 0 && race.slot == shownSlot_;
    // Put the rows back in horse order first, so kept marks stay with their horses.
    sortFlags_[kCardHorse] = 0;
    sortGridRows(grid_, kCardHorse, false);
    const int clearTo = same ? kCardMark1 : kCardColumns;
    for (int r = 1; r < grid_.rowCount(); ++r)
        for (int c = 0; c < clearTo; ++c) grid_.setCell(c, r, {});
    const int runners = std::max(0, std::min(race.runners, static_cast<int>(race.cardRows.size())));
    grid_.resize(runners + 1, kCardColumns);
    for (int r = 1; r <= runners; ++r) writeRow(r, race.cardRows[r - 1]);
    if (runners == 0) {
        grid_.resize(2, kCardColumns);
        for (int c = 0; c < kCardColumns; ++c) grid_.setCell(c, 1, {});
    }
    zoneLabel_ = race.zonePattern >= 1 && race.zonePattern <= 5 ? std::string(1, static_cast<char>(64 + race.zonePattern))
                                                               : std::string();
    shownSlot_ = race.slot;
}

void IndexCard::refresh(const BetRace& race) {
    if (race.slot != shownSlot_) return fill(race);
    for (int row = 1; row < grid_.rowCount(); ++row) {
        const int h = horseOfRow(row);
        if (h >= 1 && h <= static_cast<int>(race.cardRows.size())) writeRow(row, race.cardRows[h - 1]);
    }
    zoneLabel_ = race.zonePattern >= 1 && race.zonePattern <= 5 ? std::string(1, static_cast<char>(64 + race.zonePattern))
                                                               : std::string();
}

bool IndexCard::headerClick(int col) {
    if (col == kCardHorse || col == kCardCompiRank || col == kCardWinPopularity) {
        sortFlags_[col] = 1 - sortFlags_[col];
        sortGridRows(grid_, col, sortFlags_[col] == 1);
        return false;
    }
    if (col >= kCardMark1 && col <= kCardPartner) {
        for (int r = 1; r < grid_.rowCount(); ++r)
            grid_.setCell(col, r, grid_.cell(kCardZone, r) == zoneText() ? markText() : std::string());
        return true;
    }
    return false;
}

bool IndexCard::cellClick(int col, int row) {
    if (col < kCardMark1 || col > kCardPartner || row < 1 || row >= grid_.rowCount()) return false;
    grid_.setCell(col, row, grid_.cell(col, row).empty() ? markText() : std::string());
    return true;
}

void IndexCard::setColumn(int col, bool marked) {
    if (col < kCardMark1 || col > kCardPartner) return;
    for (int r = 1; r < grid_.rowCount(); ++r) grid_.setCell(col, r, marked ? markText() : std::string());
}

void IndexCard::setMark(int col, int row, const std::string& text) {
    if (col < kCardMark1 || col > kCardPartner || row < 1 || row >= grid_.rowCount()) return;
    grid_.setCell(col, row, text);
}

bool IndexCard::hasMark(int col, int row) const { return !grid_.cell(col, row).empty(); }

int IndexCard::horseOfRow(int row) const { return cellInt(grid_.cell(kCardHorse, row)); }

}  // namespace vex
