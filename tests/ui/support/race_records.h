#pragma once
// Race and runner records for window tests, written as a feed the feed-replay control serves.
#include <QDir>
#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "support/records.h"

namespace vex::uitest {

using test::two;

inline std::string raceKey(const std::string& yyyymmdd, int track, int race, int meeting = 1, int day = 3) {
    return test::raceKey(yyyymmdd, two(track), race, meeting, day);
}

struct RaceSpec {
    std::string date = "20240512";
    int track = 44;
    int race = 1;
    int runners = 12;
    std::string post = "1530";
    int distance = 1200;
    int course = 24;  // dirt
    std::string name = "テスト特別";
};

inline std::string raceRecord(const RaceSpec& s) {
    std::string r = test::Record::ra(raceKey(s.date, s.track, s.race)).sent('7');
    setField(r, RA::Weekday, "2");
    setField(r, RA::RaceName, sj(s.name));
    setField(r, RA::ShortName, sj("テスト"));
    setField(r, RA::Edition, "005");
    setField(r, RA::Grade, "E");
    setField(r, RA::Category, "13");
    setField(r, RA::Symbol, "000");
    setField(r, RA::WeightRule, "3");
    setField(r, RA::YoungestAge, "999");
    setField(r, RA::ConditionName, sj("Ｂ２"));
    char d[8];
    std::snprintf(d, sizeof d, "%04d", s.distance);
    setField(r, RA::Distance, d);
    setField(r, RA::Surface, two(s.course));
    const char* prizes[5] = {"00001500", "00000600", "00000390", "00000225", "00000150"};
    for (int k = 1; k <= 5; ++k) setField(r, RA::Prize.at(k, 8), prizes[k - 1]);
    for (int k = 1; k <= 3; ++k) setField(r, RA::AddedPrize.at(k, 8), "00000000");
    setField(r, RA::PostTime, s.post);
    setField(r, RA::Registered, two(s.runners));
    setField(r, RA::Finishers, two(s.runners));
    setField(r, RA::Weather, "1");
    setField(r, RA::TurfGoing, "1");
    setField(r, RA::DirtGoing, "2");
    return r;
}

inline std::string registration(int horse, int stable = 0) {
    char b[16];
    std::snprintf(b, sizeof b, "2019%06d", stable * 100 + horse);
    return b;
}

// A runner of race `s`; `finish` 0 for a race not yet run.
inline std::string runnerRecord(const RaceSpec& s, int horse, int finish, int stable = 0) {
    std::string r = test::Record::se(raceKey(s.date, s.track, s.race)).sent('7');
    setField(r, SE::Frame, std::to_string(horse <= 8 ? horse : 8));
    setField(r, SE::Horse, two(horse));
    setField(r, SE::RegistrationNumber, registration(horse, stable));
    setField(r, SE::HorseName, sj("テストホース") + two(horse));
    setField(r, SE::HorseSymbol, "00");
    setField(r, SE::Sex, "1");
    setField(r, SE::Coat, "03");
    setField(r, SE::Age, "05");
    setField(r, SE::Trainer, sj("調教師"));
    setField(r, SE::WeightCarried, "560");
    setField(r, SE::Jockey, sj("騎手") + two(horse));
    setField(r, SE::BodyWeight, "480");
    setField(r, SE::FinishPosition, two(finish));
    if (finish > 0) {
        setField(r, SE::Time, "1134");
        for (int c = 1; c <= 4; ++c) setField(r, SE::Corner.at(c, 2), two(finish));
        setField(r, SE::WinPopularity, two(finish));
        setField(r, SE::Last3F, "385");
        setField(r, SE::FirstPlacedName, sj("ウィナー"));
        setField(r, SE::TimeDifference, "0005");
    }
    setField(r, SE::Prize, "00001200");
    setField(r, SE::AddedPrize, "00000000");
    return r;
}

// Writes the records as one difference file of a feed folder.
inline void writeFeed(const QString& folder, const std::string& stamp14, const std::vector<std::string>& records) {
    QDir().mkpath(folder + "/diff");
    std::string bytes;
    for (const std::string& r : records) bytes += r;
    writeFileAtomic((folder + "/diff/").toStdString() + stamp14 + ".txt", bytes);
}

}  // namespace vex::uitest
