#include "betting/bet_page.h"

#include <algorithm>

#include "app/settings.h"

namespace vex {

int readDefaultAmount(const Settings& settings) { return read(settings, settings::kDefaultAmount); }

int storeDefaultAmount(Settings& settings, int amount) {
    const int value = std::max(amount, 100);
    write(settings, settings::kDefaultAmount, value);
    return value;
}

BetPage::BetPage(Settings* settings, bool persist) : settings_(settings), persist_(persist), grid_(emptyBetList()) {
    int kind = 0, mode = 0;
    if (settings_) {
        lowerText_ = read(*settings_, settings::kOddsLower);
        upperText_ = read(*settings_, settings::kOddsUpper);
        mode = read(*settings_, settings::kStakeSplit);
        kind = read(*settings_, settings::kBetKindItem);
        amount_ = readDefaultAmount(*settings_);
    }
    mode_ = mode >= 0 && mode < kStakeModeCount ? static_cast<StakeMode>(mode) : StakeMode::Even;
    applyKind(betKindOfSelectorItem(kind).value_or(BetKind::Win), false);
}

// A file that cannot be read was reported at start and refuses every write: a message on each
// click would only repeat it, and a throw would leave the page half changed. The choice holds for
// this run.
bool BetPage::persisting() const { return settings_ && persist_ && settings_->readProblem().empty(); }

void BetPage::storeInt(const IntSetting& setting, int value) {
    if (persisting()) write(*settings_, setting, value);
}
void BetPage::storeString(const StringSetting& setting, const std::string& value) {
    if (persisting()) write(*settings_, setting, value);
}

int BetPage::defaultAmount() const { return settings_ ? readDefaultAmount(*settings_) : 3000; }

void BetPage::selectRace(const BetRace& race) {
    race_ = race;
    card_.fill(*race_);
    clearList();
    amount_ = defaultAmount();
    regenerate();
}

void BetPage::refreshRace(const BetRace& race) {
    if (!race_ || race_->slot != race.slot) return selectRace(race);
    race_ = race;
    card_.refresh(*race_);
    regenerate();
}

void BetPage::dayLoaded() {
    card_.forgetRace();
    race_.reset();
    clearList();
    show();
}

void BetPage::applyKind(BetKind kind, bool store) {
    choice_.kind = kind;
    if (store) storeInt(settings::kBetKindItem, selectorItemOf(kind));
    const int stored = settings_ ? settings_->readInteger(settings::kBetMethodSection, settings::kBetMethodKey, choice_.method) : choice_.method;
    methods_ = vex::methodItems(kind);
    if (methods_.empty()) choice_.method = -1;
    else choice_.method = stored >= 0 && stored < static_cast<int>(methods_.size()) ? stored : 0;
    marksShown_ = markColumnsShown(kind, choice_.method);
    multiShown_ = multiBoxesShown(kind, choice_.method);
}

void BetPage::clearList() {
    bets_ = BetList{choice_.kind};
    summary_ = {};
    refusal_ = SplitRefusal::None;
}

void BetPage::clearListAndRegenerate() {
    clearList();
    regenerate();
}

void BetPage::show() {
    grid_ = betListGrid(bets_);
    labels_ = splitLabels(summary_, amount_, refusal_);
}

void BetPage::setKind(BetKind kind) {
    applyKind(kind, true);
    clearListAndRegenerate();
}

void BetPage::setMethod(int method) {
    if (methods_.empty()) return;
    if (method < 0 || method >= static_cast<int>(methods_.size())) return;
    choice_.method = method;
    storeInt(IntSetting{settings::kBetMethodSection, settings::kBetMethodKey, 0}, method);
    marksShown_ = markColumnsShown(choice_.kind, method);
    multiShown_ = multiBoxesShown(choice_.kind, method);
    clearListAndRegenerate();
}

void BetPage::setMulti(Multi m, bool checked) {
    choice_.multi[static_cast<int>(m)] = checked;
    clearListAndRegenerate();
}

void BetPage::setLowerText(const std::string& text) {
    lowerText_ = text;
    storeString(settings::kOddsLower, text);
    clearListAndRegenerate();
}

void BetPage::setUpperText(const std::string& text) {
    upperText_ = text;
    storeString(settings::kOddsUpper, text);
    clearListAndRegenerate();
}

void BetPage::setStakeMode(StakeMode mode) {
    mode_ = mode;
    storeInt(settings::kStakeSplit, static_cast<int>(mode));
    regenerate();
}

void BetPage::setAmount(long long amount) {
    amount_ = amount;
    refusal_ = splitStakes(mode_, amount_, bets_, summary_);
    show();
}

void BetPage::cardHeaderClick(int col) {
    if (card_.headerClick(col)) regenerate();
}

void BetPage::cardCellClick(int col, int row) {
    if (card_.cellClick(col, row)) regenerate();
}

int BetPage::markPairColumn(int pair) const { return vex::markPairColumn(pair, choice_.kind, choice_.method); }

void BetPage::markPair(int pair, bool set) {
    const int col = markPairColumn(pair);
    if (col < 0) return;
    card_.setColumn(col, set);
    regenerate();
}

void BetPage::markHorses(int col, const std::vector<int>& horses, const std::string& text) {
    for (int row = 1; row <= card_.dataRows(); ++row)
        if (std::find(horses.begin(), horses.end(), card_.horseOfRow(row)) != horses.end()) card_.setMark(col, row, text);
    regenerate();
}

void BetPage::betListClick(int col, int row) {
    // Any data row of the grid answers, the empty row of a list without lines too.
    if (col != kListErase || row < 1 || row >= grid_.rowCount()) return;
    if (row <= static_cast<int>(bets_.lines.size())) {
        BetLine& line = bets_.lines[static_cast<std::size_t>(row - 1)];
        line.erased = !line.erased;
    }
    storeInt(settings::kStakeSplit, static_cast<int>(mode_));
    regenerate();
}

void BetPage::betListHeaderClick(int col) {
    if (sort_.headerClick(bets_, col)) show();
}

bool BetPage::rowIsHit(int row) const {
    if (!race_ || row < 1 || row > static_cast<int>(bets_.lines.size())) return false;
    return isHit(choice_.kind, bets_.lines[static_cast<std::size_t>(row - 1)].numbers, *race_);
}

void BetPage::regenerate() {
    const std::vector<Combination> erased = erasedCombinations(bets_);
    clearList();
    if (race_) {
        const OddsFilter filter{filterValue(lowerText_), filterValue(upperText_), ignoresOdds(mode_)};
        bets_.lines = acceptLines(candidates(card_, race_->runners, choice_), *race_, choice_.kind, filter);
        markErased(bets_, erased);
        refusal_ = splitStakes(mode_, amount_, bets_, summary_);
    }
    show();
}

}  // namespace vex
