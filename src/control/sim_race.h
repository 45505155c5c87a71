#pragma once
// One simulated race: how it is run (scratches, finishing order, times, corners), its odds at any
// moment (all kinds derived from one set of win shares with the takeout of each pool), its payouts,
// and the records the service delivers for it.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "control/sim_util.h"
#include "control/sim_world.h"

namespace vex::sim {

// Odds values in tenths; the special values below are written as hyphens, asterisks or blanks.
inline constexpr int kCancelled = -1;  // a bracket pair its frames' scratches rule out: "----"
inline constexpr int kNotSold = -3;    // never on sale for this field: "****"
// No such runner, or a combination with a scratched one: spaces, popularity included.
inline constexpr int kBlank = 0;

struct OddsTable {
    std::vector<int> odds;        // index k - 1
    std::vector<int> upper;       // place and wide only
    std::vector<int> popularity;  // 0 for none
    long long total = 0;          // vote total, hundreds of yen
    bool sold = true;
    // Popularity of combination k (1-based), ranked now when the table was left unranked.
    int popularityOf(int k) const;
};

struct OddsSet {
    OddsTable win, place, bracketQuinella, quinella, wide, exacta, trio, trifecta, bracketExacta;
    int places = 3;  // places paid
};

struct PayoutEntry {
    int a = 0, b = 0, c = 0;
    int payout = 0;  // yen per 100 yen
    int popularity = 0;
};

struct Payouts {
    std::vector<PayoutEntry> win, place, bracketQuinella, quinella, wide, bracketExacta, exacta, trio, trifecta;
};

struct Runner {
    Horse horse;
    int number = 0, frame = 0;
    bool scratched = false;
    bool stopped = false;  // did not finish
    int position = 0;      // final position, 0 none (ties share a position)
    bool deadHeat = false;
    int arrival = 0;
    int time = 0;  // tenths of a second
    int last3f = 0, last4f = 0;
    std::array<int, 4> corners{};
    std::string margin;  // 3 chars
    int timeDiff = 0;    // tenths behind the winner (winner: minus the lead)
    int weightCarried = 560;
    int bodyWeight = 0, weightChange = 0;
    bool debut = false;
    int jockey = 0, trainer = 0;
    int apprentice = 0;
    int popularity = 0, winOdds = 0;  // final
};

class SimRace {
public:
    SimRace(const World& world, int trackDay, int raceIndex);

    const TrackDay& trackDay() const { return *td_; }
    const RaceCard& card() const { return *card_; }
    int registered() const { return static_cast<int>(runners_.size()); }
    const std::vector<Runner>& runners() const { return runners_; }
    std::string raceKey() const;  // 16 characters

    Minute cardTime() const;     // the card is published
    Minute scratchTime() const;  // scratches are announced
    Minute saleOpen() const;     // betting opens
    Minute postTime() const;
    Minute resultTime() const;  // results and payouts are confirmed

    // Win shares of the public at a moment (final from the post on); 0 for scratched runners.
    std::vector<double> sharesAt(Minute t) const;
    OddsSet oddsAt(Minute t) const;
    const OddsSet& finalOdds() const;
    const Payouts& payouts() const;
    // The Compi index of every registered runner (by horse number - 1), published before the
    // scratches: 40-90, strictly falling from rank 1 until it reaches 40.
    const std::vector<int>& compiValues() const { return compiValues_; }

    // Records, each ending in CR LF. `made` is the day number written as the record's make date.
    std::string raRecord(bool results, bool scratchesKnown, int made) const;
    std::vector<std::string> seRecords(bool results, bool scratchesKnown, int made) const;
    std::string hrRecord(int made) const;
    // O1..O6, OA at moment t.
    std::vector<std::string> oddsRecords(Minute t, int made) const;

private:
    void putEntry(std::string& rec, const Runner& x) const;
    void putBodyWeight(std::string& rec, const Runner& x, bool results, bool scratched) const;
    void putResult(std::string& rec, const Runner& x, bool results, bool scratched) const;
    // How each runner stands on the day: its true strength, and how the public and the Compi index
    // judge it.
    struct Judgements {
        std::vector<double> strength, publicView, compiView;
    };
    // Runs the race: every draw comes from one stream seeded by the race, in this order.
    void run();
    std::vector<double> drawRunners(Rng& r);  // returns the runners' ratings
    void setBodyWeight(Runner& x) const;
    void drawScratches(Rng& r);
    Judgements drawJudgements(const std::vector<double>& rating, Rng& r) const;
    void setShares(const std::vector<double>& publicView);
    void setCompiValues(const std::vector<double>& compiView);
    std::vector<int> drawFinishingOrder(const std::vector<double>& strength, Rng& r);
    int drawPositions(const std::vector<int>& order, Rng& r);
    int drawLaps(Rng& r);
    void drawTimes(const std::vector<int>& order, int tie, Rng& r);
    void drawCorners(const std::vector<int>& order, Rng& r);
    void showFinalOdds();
    std::string header(const char* kind, char category, int made, int length) const;

    const World* world_;
    const TrackDay* td_;
    const RaceCard* card_;
    std::uint64_t key_;
    std::vector<Runner> runners_;
    std::vector<double> finalShares_;
    std::vector<int> compiValues_;
    int starters_ = 0, finishers_ = 0;
    std::vector<int> laps_;
    mutable std::unique_ptr<OddsSet> final_;
    mutable std::unique_ptr<Payouts> payouts_;
};

// Odds of every kind from win shares (0 for scratched runners), for a field of `frames.size()`
// registered runners. Exposed for tests.
// `rankAll` false ranks win and place only (the others answer popularityOf on demand).
OddsSet computeOdds(const std::vector<double>& shares, const std::vector<int>& frames, double poolScale,
                    bool rankAll = true);

}  // namespace vex::sim
