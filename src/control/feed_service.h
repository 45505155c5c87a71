#pragma once
// Feed replay: serves record files recorded earlier (by vexmora-cli feed-export, or by hand):
//   DIR/diff/<yyyymmddhhnnss>*.txt   difference files, served when their stamp is later than the
//                                    from-time, in name order
//   DIR/0B30/<16-character race key>.txt   the race's odds for NVRTOpen("0B30", key)
//   DIR/0B12/<yyyymmdd>.txt                the day's results for NVRTOpen("0B12", date)
// Records are CP932 lines ended by CR LF (a bare LF is accepted). Nothing is downloaded. Only
// regular files up to kLargestFeedFile are read; other entries are passed over with a notice.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "control/service_control.h"

namespace vex::control {

// A day of every track's records is some tens of megabytes.
inline constexpr std::size_t kLargestFeedFile = std::size_t{256} << 20;

// The records of a feed file: one per non-empty line, each given back with CR LF.
std::vector<std::string> splitFeedRecords(const std::string& bytes);

class FeedService : public DataSource {
public:
    explicit FeedService(std::filesystem::path dir);

    std::vector<DataFile> diffFiles(const std::string& fromStamp, const std::string& nowStamp) override;
    std::vector<std::string> realtime(const std::string& dataSpec, const std::string& key,
                                      const std::string& nowStamp) override;
    int downloadCount(const std::vector<DataFile>&) override { return 0; }
    std::optional<RaceFacts> raceFacts(const std::string& yyyymmdd, int track, int race, std::int64_t now) override;
    bool trackMeets(const std::string& yyyymmdd, int track) override;

private:
    struct RaceIndex {
        std::string ra, hr;
        std::map<int, std::string> se;  // by horse number
    };
    void index();

    struct DiffEntry {
        std::string name;
        std::filesystem::path path;
        std::string passedOver;  // why it is not served (CP932), empty when it is
    };
    std::filesystem::path dir_;
    std::vector<DiffEntry> diff_;  // sorted by name
    bool indexed_ = false;
    std::map<std::string, RaceIndex> races_;  // by date + track + race number (12 characters)
};

}  // namespace vex::control
