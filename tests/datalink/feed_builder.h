#pragma once
// A deterministic download feed for tests: race days with cards, results, payouts and odds that
// are sent more than once, for the southern-Kanto tracks and others, with the awkward records a
// real feed can carry (foreign kinds, horse 19, race 13, cut records, odds kinds 0 and 9).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/clock.h"
#include "store/record_layout.h"
#include "support/records.h"
#include "vocabulary/cp932.h"

namespace vex::test {

class FeedBuilder {
public:
    explicit FeedBuilder(std::uint32_t seed = 1) : state_(seed) {}

    // One feed file per day from `first`, `days` days.
    std::vector<std::vector<std::string>> build(const DateTime& first, int days, int racesPerDay = 6) {
        std::vector<std::vector<std::string>> files;
        std::time_t t = toEpoch(DateTime{first.year, first.month, first.day, 12, 0, 0});
        for (int d = 0; d < days; ++d, t += 24 * 3600) {
            DateTime day = fromEpoch(t);
            char date[16];
            std::snprintf(date, sizeof date, "%04d%02d%02d", day.year, day.month, day.day);
            std::vector<std::string> file;
            std::string kanto = std::to_string(42 + d % 4);
            for (int race = 1; race <= racesPerDay; ++race) addRace(file, date, kanto, race);
            for (int race = 1; race <= 2; ++race) addRace(file, date, "30", race);
            if (d % 7 == 3) addRace(file, date, "05", 1);
            addOddities(file, date, kanto);
            files.push_back(std::move(file));
        }
        return files;
    }

    // One race: card, runners, odds twice (an update), results, payout.
    void addRace(std::vector<std::string>& out, const std::string& date, const std::string& track, int race) {
        std::string key = raceKey(date, track, race);
        int runners = 8 + static_cast<int>(next() % 5);
        std::string ra = Record::ra(key).sent('1');
        setField(ra, RA::Registered, two(runners));
        setField(ra, RA::PostTime, two(10 + race) + "30");
        fillDigits(ra, RA::RaceName);
        out.push_back(ra);
        for (int h = 1; h <= runners; ++h) out.push_back(runner(key, h, '1'));
        for (int version = 0; version < 2; ++version) {
            for (const char* kind : {"O1", "O2", "O3", "O4", "O5", "O6", "OA"}) {
                std::string o = Record::of(kind, key).sent(version == 0 ? '1' : '4');
                fillDigits(o, {45, 30});
                out.push_back(o);
            }
        }
        setField(ra, Common::Category, "7");
        out.push_back(ra);
        for (int h = 1; h <= runners; ++h) out.push_back(runner(key, h, '7'));
        std::string hr = Record::hr(key).sent('2');
        fillDigits(hr, {103, 40});
        out.push_back(hr);
    }

    void addOddities(std::vector<std::string>& out, const std::string& date, const std::string& track) {
        std::string key = raceKey(date, track, 1);
        out.push_back(runner(key, 19, '7'));                                    // horse 19
        out.push_back(runner(raceKey(date, track, 13), 2, '7'));                // race 13: no slot
        out.push_back(Record::of("O1", key).sent('0').str());            // odds kind 0
        out.push_back(Record::of("O2", key).sent('9').str());            // odds kind 9
        out.push_back(Record::ra(key).sent('7').str().substr(0, 700) + "\r\n");  // cut
        out.push_back(Record("H1", 300, key).sent('7').str());                              // not stored
        std::string badTrack = Record::hr(raceKey(date, "4x", 2)).sent('7');
        out.push_back(badTrack);
        std::string noRunners = Record::ra(raceKey(date, track, 11)).sent('1');
        setField(noRunners, RA::Registered, "19");
        out.push_back(noRunners);
    }

    std::string runner(const std::string& key, int horse, char category) {
        std::string se = Record::se(key).sent(category);
        setField(se, SE::Horse, two(horse));
        // Horses come from a pool, so the per-horse files collect several runs; years before the
        // bound stay out of SEI/.
        int id = static_cast<int>(next() % 400);
        char number[16];
        std::snprintf(number, sizeof number, "%04d%06d", 2006 + id % 16, id);
        setField(se, SE::RegistrationNumber, number);
        setField(se, SE::HorseName, sj("テストホース") + std::to_string(id));
        fillDigits(se, SE::FinishPosition);
        return se;
    }

private:
    static std::string two(int n) {
        char b[8];
        std::snprintf(b, sizeof b, "%02d", n % 100);
        return b;
    }
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    void fillDigits(std::string& r, Field f) {
        for (int i = 0; i < f.len; ++i) r[static_cast<std::size_t>(f.pos - 1 + i)] = static_cast<char>('0' + next() % 10);
    }
    std::uint32_t state_;
};

}  // namespace vex::test
