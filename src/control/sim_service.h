#pragma once
// The simulated data service: a living racing calendar around today. Cards are published two days
// ahead, betting opens the evening before (with the opening odds of the southern-Kanto races), the
// morning brings weather, going and scratches, and every race's results, payouts and final odds
// follow four minutes after its post. Races are generated when first asked for and kept in a small
// cache, so a bulk download of 150 days never waits on the service.
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

#include "control/service_control.h"
#include "control/sim_race.h"
#include "control/sim_world.h"

namespace vex::control {

class SimService : public DataSource {
public:
    static constexpr int kPastDays = 150, kFutureDays = 2;

    // The calendar runs from `today` - 150 to `today` + 2 (day numbers).
    SimService(std::uint64_t seed, int today);

    const sim::World& world() const { return world_; }
    std::shared_ptr<const sim::SimRace> race(int trackDay, int raceIndex);
    // Race by its 16-character key; null when there is none.
    std::shared_ptr<const sim::SimRace> raceByKey(const std::string& key);

    std::vector<DataFile> diffFiles(const std::string& fromStamp, const std::string& nowStamp) override;
    std::vector<std::string> realtime(const std::string& dataSpec, const std::string& key,
                                      const std::string& nowStamp) override;
    int downloadCount(const std::vector<DataFile>& files) override { return static_cast<int>(files.size()); }
    std::optional<RaceFacts> raceFacts(const std::string& yyyymmdd, int track, int race, std::int64_t now) override;
    bool trackMeets(const std::string& yyyymmdd, int track) override;

    // Every data file of the race days firstDay..lastDay created by `nowStamp`, in name order.
    std::vector<DataFile> filesOfDays(int firstDay, int lastDay, const std::string& nowStamp);

private:
    struct Entry {
        std::string stamp, name;
        int trackDay, race;  // race -1: a file of the whole track-day
        char kind;           // 'C' card, 'O' opening odds, 'M' morning changes, 'R' result
    };
    void buildCatalogue();
    DataFile fileOf(const Entry& e);
    std::vector<std::string> recordsOf(const Entry& e);

    sim::World world_;
    std::vector<Entry> catalogue_;  // sorted by name
    std::vector<sim::Minute> lastResult_;  // per track-day
    std::list<std::pair<long long, std::shared_ptr<const sim::SimRace>>> lru_;
    std::unordered_map<long long, decltype(lru_)::iterator> cached_;
};

}  // namespace vex::control
