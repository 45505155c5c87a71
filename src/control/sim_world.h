#pragma once
// The simulated racing world: the meeting calendar of every track, a population of horses that run
// every few weeks, and the card of every race (field, distance, post time, conditions). Everything
// is a pure function of the seed and the date, so the window of days only decides what is built.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vex::sim {

struct TrackSpec {
    int code;             // service track code
    bool southKanto;      // 42..45
    bool night;           // night racing: the last post is late in the evening
    int firstPost;        // hhmm of the first race (day tracks)
    int interval;         // minutes between posts
    int course;           // dirt course code
    std::vector<int> distances;
    int turfCourse;       // 0: no turf
    std::vector<int> turfDistances;
    double prizeScale;    // 1.0 = the biggest track
    int fieldTarget;      // usual field size
    int poolPerYear;      // horses foaled per year that start their career here
    bool central = false; // a central-racing course: its young horses later move to local tracks
};

const std::vector<TrackSpec>& trackSpecs();
const TrackSpec* trackSpec(int code);

// The meeting days of `track` in the Monday-based week `week` (day numbers, ascending).
std::vector<int> meetingDaysInWeek(std::uint64_t seed, int track, int week);
// Meeting number within the year and day of the meeting (1-based) of a meeting day.
void meetingNumberOf(std::uint64_t seed, int track, int day, int& meeting, int& dayOfMeeting);

using HorseId = std::uint32_t;

struct Horse {
    HorseId id = 0;
    std::string regNo;  // 10 digits: birth year, breed code, home track code, serial (3)
    char breed = '1';   // breed code: the simulated horses are all thoroughbreds
    std::string name;   // CP932 katakana
    int sex = 1;        // 1 colt, 2 filly, 3 gelding
    int coat = 3;
    int birthYear = 0;
    double ability = 0;  // standard units
    int style = 1;       // 0 front-runner .. 3 closer
    int baseWeight = 470;
    int debutDay = 0, retireDay = 0, transferDay = 0;
    int homeBefore = 0, homeAfter = 0;  // track codes
    int trainerBefore = 0, trainerAfter = 0, jockey = 0;
    int homeOn(int day) const { return day < transferDay ? homeBefore : homeAfter; }
    int trainerOn(int day) const { return day < transferDay ? trainerBefore : trainerAfter; }
};

struct RaceCard {
    int number = 0;
    int post = 0;  // hhmm
    int distance = 0;
    int course = 0;
    std::vector<HorseId> field;  // by horse number - 1
    int category = 13;           // race kind code
    int classRank = 0;           // 0 lowest .. 7 top
    bool special = false, graded = false;
    int edition = 0;
    std::string name;       // CP932
    std::string shortName;  // CP932, 6 bytes
    std::string condition;  // CP932
    std::string classCode = "000";  // youngest-age condition code
    int prize1 = 0;         // hundreds of yen
    char weightRule = '2';
};

struct TrackDay {
    int day = 0;
    int track = 0;
    int meeting = 1, dayOfMeeting = 1;
    int weather = 1, going = 1;  // codes
    std::vector<RaceCard> races;
};

struct RunRef {
    int day;
    int trackDay;  // index into World::trackDays()
    int race;      // 0-based
};

class World {
public:
    // Builds the calendar and the cards of the days firstDay..lastDay (day numbers).
    World(std::uint64_t seed, int firstDay, int lastDay);

    std::uint64_t seed() const { return seed_; }
    int firstDay() const { return firstDay_; }
    int lastDay() const { return lastDay_; }
    const std::vector<TrackDay>& trackDays() const { return trackDays_; }
    // Index of the track-day, or -1.
    int findTrackDay(int day, int track) const;
    Horse horse(HorseId id) const;
    // The horse's runs within the window, in date order.
    const std::vector<RunRef>& runsOf(HorseId id) const;

private:
    void buildCards();

    std::uint64_t seed_;
    int firstDay_, lastDay_;
    std::vector<TrackDay> trackDays_;
    std::unordered_map<std::uint64_t, int> trackDayIndex_;
    std::unordered_map<HorseId, std::vector<RunRef>> runs_;
};

// What a horse's age takes from its ability in `month`: the young are still growing, the old fade.
double ageEffect(int age, int month);

// Names shared by the records (CP932).
std::string trainerName(int track, int index);
std::string jockeyName(int track, int index);

}  // namespace vex::sim
