#pragma once
// Small deterministic helpers of the simulated service: hashing, random streams and civil dates.
// Every value the simulation produces comes from a hash of the seed and the thing it describes, so
// a race looks the same whatever day the program happens to run on.
#include <cmath>
#include <cstdint>
#include <string>

#include "app/clock.h"
#include "vocabulary/civil_date.h"

namespace vex::sim {

inline std::uint64_t mix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

template <typename... T>
std::uint64_t hashOf(std::uint64_t seed, T... parts) {
    std::uint64_t h = mix64(seed);
    ((h = mix64(h ^ static_cast<std::uint64_t>(parts))), ...);
    return h;
}

// Uniform in [0, 1) from a hash.
inline double unit(std::uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }

// A small random stream (splitmix64) for the many draws of one race.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next() { return mix64(s_++); }
    double uniform() { return unit(next()); }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    double normal() {
        double u1 = uniform(), u2 = uniform();
        if (u1 < 1e-300) u1 = 1e-300;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::uint64_t s_;
};

// Days are civil day numbers (vocabulary/civil_date.h, which also gives their weekday).
using vex::weekdayOf;
// Monday-based week number.
inline int weekOf(int day) { return (day - 4 + 7000000) / 7 - 1000000; }
inline int mondayOfWeek(int week) { return week * 7 + 4; }

// Minutes of the civil calendar: day * 1440 + minute of day.
using Minute = std::int64_t;
inline Minute minuteOf(const DateTime& t) {
    return static_cast<Minute>(dayNumber(t.year, t.month, t.day)) * 1440 + t.hour * 60 + t.minute;
}
// Seconds are kept apart so that stamps are exact.
inline std::int64_t secondOf(const DateTime& t) { return minuteOf(t) * 60 + t.second; }

inline std::string digits(long long v, int width) {
    std::string s = std::to_string(v < 0 ? -v : v);
    if (static_cast<int>(s.size()) > width) s = s.substr(s.size() - width);
    return std::string(width - s.size(), '0') + s;
}

// "yyyymmddhhnnss" of a civil minute.
inline std::string stampOf(Minute m) {
    int day = static_cast<int>(m >= 0 ? m / 1440 : (m - 1439) / 1440);
    int mod = static_cast<int>(m - static_cast<Minute>(day) * 1440);
    return ymdText(day) + digits(mod / 60, 2) + digits(mod % 60, 2) + "00";
}

}  // namespace vex::sim
