#include "control/sim_service.h"

#include <algorithm>

namespace vex::control {
using namespace vex::sim;

namespace {
constexpr std::size_t kCachedRaces = 48;

Minute minuteOfStamp(const std::string& s) {
    int day = dayNumberOfYmd(s.substr(0, 8)).value_or(-1);
    if (day < 0 || s.size() < 12) return 0;
    return static_cast<Minute>(day) * 1440 + std::stoi(s.substr(8, 2)) * 60 + std::stoi(s.substr(10, 2));
}
}  // namespace

SimService::SimService(std::uint64_t seed, int today) : world_(seed, today - kPastDays, today + kFutureDays) {
    buildCatalogue();
}

void SimService::buildCatalogue() {
    const auto& tds = world_.trackDays();
    lastResult_.assign(tds.size(), 0);
    for (std::size_t i = 0; i < tds.size(); ++i) {
        const TrackDay& td = tds[i];
        const TrackSpec* dataSpec = trackSpec(td.track);
        std::string base = "_" + ymdText(td.day) + digits(td.track, 2) + "_";
        int ti = static_cast<int>(i);
        Minute card = static_cast<Minute>(td.day - 2) * 1440 + 12 * 60;
        Minute open = static_cast<Minute>(td.day - 1) * 1440 + 17 * 60;
        Minute morning = static_cast<Minute>(td.day) * 1440 + 8 * 60 + 30;
        catalogue_.push_back({stampOf(card), stampOf(card) + base + "00_CARD.txt", ti, -1, 'C'});
        if (dataSpec && dataSpec->southKanto)
            catalogue_.push_back({stampOf(open), stampOf(open) + base + "00_ODDS.txt", ti, -1, 'O'});
        catalogue_.push_back({stampOf(morning), stampOf(morning) + base + "00_CHANGE.txt", ti, -1, 'M'});
        for (std::size_t r = 0; r < td.races.size(); ++r) {
            const RaceCard& rc = td.races[r];
            Minute result = static_cast<Minute>(td.day) * 1440 + rc.post / 100 * 60 + rc.post % 100 + 4;
            lastResult_[i] = std::max(lastResult_[i], result);
            catalogue_.push_back({stampOf(result), stampOf(result) + base + digits(rc.number, 2) + "_RESULT.txt", ti,
                                  static_cast<int>(r), 'R'});
        }
    }
    std::sort(catalogue_.begin(), catalogue_.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
}

std::shared_ptr<const SimRace> SimService::race(int trackDay, int raceIndex) {
    long long key = static_cast<long long>(trackDay) * 100 + raceIndex;
    auto it = cached_.find(key);
    if (it != cached_.end()) {
        lru_.splice(lru_.begin(), lru_, it->second);
        return it->second->second;
    }
    auto made = std::make_shared<const SimRace>(world_, trackDay, raceIndex);
    lru_.emplace_front(key, made);
    cached_[key] = lru_.begin();
    if (lru_.size() > kCachedRaces) {
        cached_.erase(lru_.back().first);
        lru_.pop_back();
    }
    return made;
}

std::shared_ptr<const SimRace> SimService::raceByKey(const std::string& key) {
    if (key.size() != 16) return nullptr;
    int day = dayNumberOfYmd(key.substr(0, 8)).value_or(-1);
    if (day < 0) return nullptr;
    int td = world_.findTrackDay(day, std::stoi(key.substr(8, 2)));
    if (td < 0) return nullptr;
    const TrackDay& t = world_.trackDays()[static_cast<std::size_t>(td)];
    if (std::stoi(key.substr(10, 2)) != t.meeting || std::stoi(key.substr(12, 2)) != t.dayOfMeeting) return nullptr;
    int number = std::stoi(key.substr(14, 2));
    if (number < 1 || number > static_cast<int>(t.races.size())) return nullptr;
    return race(td, number - 1);
}

std::vector<std::string> SimService::recordsOf(const Entry& e) {
    std::vector<std::string> out;
    const TrackDay& td = world_.trackDays()[static_cast<std::size_t>(e.trackDay)];
    Minute made = minuteOfStamp(e.stamp);
    int madeDay = static_cast<int>(made / 1440);
    auto add = [&](std::vector<std::string>&& v) {
        for (auto& s : v) out.push_back(std::move(s));
    };
    if (e.kind == 'R') {
        auto r = race(e.trackDay, e.race);
        out.push_back(r->raRecord(true, true, madeDay));
        add(r->seRecords(true, true, madeDay));
        out.push_back(r->hrRecord(madeDay));
        const TrackSpec* dataSpec = trackSpec(td.track);
        if (dataSpec && dataSpec->southKanto) add(r->oddsRecords(r->postTime(), madeDay));
        return out;
    }
    for (std::size_t i = 0; i < td.races.size(); ++i) {
        auto r = race(e.trackDay, static_cast<int>(i));
        if (e.kind == 'O') {
            add(r->oddsRecords(made, madeDay));
        } else {
            bool morning = e.kind == 'M';
            out.push_back(r->raRecord(false, morning, madeDay));
            add(r->seRecords(false, morning, madeDay));
        }
    }
    return out;
}

DataFile SimService::fileOf(const Entry& e) {
    DataFile f;
    f.stamp = e.stamp;
    f.name = e.name;
    f.records = [this, e] { return recordsOf(e); };
    return f;
}

std::vector<DataFile> SimService::diffFiles(const std::string& fromStamp, const std::string& nowStamp) {
    std::vector<DataFile> out;
    Minute nowMinute = minuteOfStamp(nowStamp);
    for (const Entry& e : catalogue_) {
        if (e.stamp <= fromStamp || e.stamp > nowStamp) continue;
        // The opening odds are withdrawn once the day's results carry the final odds.
        if (e.kind == 'O' && nowMinute >= lastResult_[static_cast<std::size_t>(e.trackDay)]) continue;
        out.push_back(fileOf(e));
    }
    return out;
}

std::vector<DataFile> SimService::filesOfDays(int firstDay, int lastDay, const std::string& nowStamp) {
    std::vector<DataFile> out;
    Minute nowMinute = minuteOfStamp(nowStamp);
    for (const Entry& e : catalogue_) {
        int day = world_.trackDays()[static_cast<std::size_t>(e.trackDay)].day;
        if (day < firstDay || day > lastDay || e.stamp > nowStamp) continue;
        if (e.kind == 'O' && nowMinute >= lastResult_[static_cast<std::size_t>(e.trackDay)]) continue;
        out.push_back(fileOf(e));
    }
    return out;
}

std::vector<std::string> SimService::realtime(const std::string& dataSpec, const std::string& key,
                                              const std::string& nowStamp) {
    std::vector<std::string> out;
    Minute nowMinute = minuteOfStamp(nowStamp);
    int today = static_cast<int>(nowMinute / 1440);
    if (dataSpec == "0B30") {
        auto r = raceByKey(key);
        if (r) out = r->oddsRecords(nowMinute, today);
        return out;
    }
    int day = dayNumberOfYmd(key).value_or(-1);
    const auto& tds = world_.trackDays();
    for (std::size_t i = 0; i < tds.size(); ++i) {
        if (tds[i].day != day) continue;
        for (std::size_t n = 0; n < tds[i].races.size(); ++n) {
            auto r = race(static_cast<int>(i), static_cast<int>(n));
            if (r->resultTime() > nowMinute) continue;
            out.push_back(r->raRecord(true, true, today));
            for (auto& s : r->seRecords(true, true, today)) out.push_back(std::move(s));
            out.push_back(r->hrRecord(today));
        }
    }
    return out;
}

std::optional<RaceFacts> SimService::raceFacts(const std::string& yyyymmdd, int track, int raceNo, std::int64_t now) {
    int day = dayNumberOfYmd(yyyymmdd).value_or(-1);
    int td = day < 0 ? -1 : world_.findTrackDay(day, track);
    if (td < 0) return std::nullopt;
    const TrackDay& t = world_.trackDays()[static_cast<std::size_t>(td)];
    if (raceNo < 1 || raceNo > static_cast<int>(t.races.size())) return std::nullopt;
    auto r = race(td, raceNo - 1);
    RaceFacts f;
    f.post = r->postTime();
    f.saleOpen = r->saleOpen();
    f.registered = r->registered();
    bool known = now >= r->scratchTime();
    for (const Runner& x : r->runners()) {
        f.frames.push_back(x.frame);
        f.scratched.push_back(known && x.scratched);
    }
    if (now >= r->resultTime()) f.payoutRecord = r->hrRecord(static_cast<int>(now / 1440));
    return f;
}

bool SimService::trackMeets(const std::string& yyyymmdd, int track) {
    int day = dayNumberOfYmd(yyyymmdd).value_or(-1);
    return day >= 0 && world_.findTrackDay(day, track) >= 0;
}

}  // namespace vex::control
