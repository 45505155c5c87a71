#pragma once
// The bet page as a model a window can drive: kind, method, multi boxes, odds filter, stake mode and
// amount in; the index card, the bet list and the three labels (with the rate's colour) out. Every
// input change regenerates the list from scratch, as the page always has; erase marks survive only
// the regenerations that do not clear the list first.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "betting/bet_generator.h"
#include "betting/bet_list.h"
#include "betting/bet_race.h"
#include "betting/index_card.h"
#include "betting/stake_split.h"

namespace vex {

class Settings;
struct IntSetting;
struct StringSetting;

// Default amount per race (KaimeSet/DefaultAmount, 3000 when unset).
int readDefaultAmount(const Settings& settings);
// Stores a new default amount, raised to 100 when lower; returns the value stored.
int storeDefaultAmount(Settings& settings, int amount);

class BetPage {
public:
    // Restores the filter texts, the stake mode and the kind (with its stored method) from
    // `settings` when given. With `persist`, changes of kind, method, filter and stake mode are
    // written back as they happen; without it (the command line) nothing is written.
    explicit BetPage(Settings* settings = nullptr, bool persist = true);

    // ---- race
    // Selects a race: fills the card (keeping the marks when it is the race shown before), clears
    // the list, puts the default amount into the amount box and regenerates.
    void selectRace(const BetRace& race);
    // Fresh odds or payouts for the shown race (a refresh or a reload of its day): the card's
    // values, the odds and the stakes split by them change; marks, erase marks, kind, method, stake
    // mode and amount stay.
    void refreshRace(const BetRace& race);
    // A day was (re)loaded: the next selection starts with clean marks.
    void dayLoaded();
    bool hasRace() const { return race_.has_value(); }
    const BetRace* race() const { return race_ ? &*race_ : nullptr; }

    // ---- choices
    BetKind kind() const { return choice_.kind; }
    void setKind(BetKind kind);
    const std::vector<std::string>& methodItems() const { return methods_; }
    int method() const { return choice_.method; }
    void setMethod(int method);
    bool multiShown(Multi m) const { return multiShown_[static_cast<int>(m)]; }
    bool multiChecked(Multi m) const { return choice_.multiOn(m); }
    void setMulti(Multi m, bool checked);
    // Mark columns 8..11 shown (as [0..3]).
    const std::array<bool, 4>& markColumnsVisible() const { return marksShown_; }

    const std::string& lowerText() const { return lowerText_; }
    const std::string& upperText() const { return upperText_; }
    void setLowerText(const std::string& text);
    void setUpperText(const std::string& text);

    StakeMode stakeMode() const { return mode_; }
    void setStakeMode(StakeMode mode);
    long long amount() const { return amount_; }
    // The amount box changed: re-split the current list without regenerating it.
    void setAmount(long long amount);
    int defaultAmount() const;

    // ---- index card
    const IndexCard& card() const { return card_; }
    void cardHeaderClick(int col);
    void cardCellClick(int col, int row);
    // "全" (set) or "CL" (clear) of mark pair 1, 2 or 3.
    void markPair(int pair, bool set);
    // Writes `text` into mark column `col` on the rows of the given horses, then regenerates.
    void markHorses(int col, const std::vector<int>& horses, const std::string& text);
    // The column a pair acts on now, -1 when it does nothing.
    int markPairColumn(int pair) const;

    // ---- bet list
    const BetList& bets() const { return bets_; }
    // The list as the window shows it, formatted from bets().
    const TextGrid& betList() const { return grid_; }
    // A click on a data cell: column 0 toggles the erase mark and regenerates (the caller keeps
    // its scroll position). A header click on column 1 or higher sorts.
    void betListClick(int col, int row);
    void betListHeaderClick(int col);
    const BetListSort& sortState() const { return sort_; }
    bool rowIsHit(int row) const;
    const SplitLabels& labels() const { return labels_; }

    // Rebuilds the list from the card and the choices, keeping erase marks of lines that come back.
    void regenerate();

private:
    void applyKind(BetKind kind, bool store);
    void clearListAndRegenerate();
    void clearList();
    // Formats the grid and the labels from the list and the split's summary.
    void show();
    bool persisting() const;
    void storeInt(const IntSetting& setting, int value);
    void storeString(const StringSetting& setting, const std::string& value);

    Settings* settings_;
    bool persist_;
    std::optional<BetRace> race_;
    IndexCard card_;
    BetList bets_;
    TextGrid grid_;
    BetListSort sort_;
    StakeSummary summary_;
    SplitRefusal refusal_ = SplitRefusal::None;
    SplitLabels labels_;
    BetChoice choice_;
    std::vector<std::string> methods_;
    std::array<bool, 4> marksShown_{true, false, false, false};
    std::array<bool, kMultiCount> multiShown_{};
    std::string lowerText_ = "1.0", upperText_ = "9999999.9";
    StakeMode mode_ = StakeMode::Even;
    long long amount_ = 3000;
};

}  // namespace vex
