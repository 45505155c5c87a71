#pragma once
// Appearance files written by hand for the analysis tests (core, CLI and window): a day of three
// races whose figures were worked out on paper, see the expectations in tests/stats.
#include <filesystem>
#include <string>
#include <vector>

#include "app/atomic_file.h"

namespace vex::test {

// One appearance line (3,696 bytes), fields set where the writer puts them.
class AppearanceLine {
public:
    AppearanceLine(const std::string& date, int track, int race, int registered, int distance = 1400,
                   int surface = 24)
        : line_(3696, ' ') {
        put(0, date);
        put(8, "1500");
        put(12, num(track, 2));
        put(18, num(race, 2));
        put(26, num(registered, 2));
        put(29, "13");
        put(31, "3");
        put(32, "000");
        put(95, num(distance, 4));
        put(99, num(surface, 2));
        put(115, " 0");
        put(117, "0");
        for (int h = 1; h <= registered; ++h) runner(h, 0, 0, 0, h);
        for (int j = 0; j < 36; ++j) put(3372 + 9 * j, "000000000");
    }
    // Compi value and rank ("%3d", "%2d"), finishing position and popularity of horse h.
    AppearanceLine& runner(int h, int compiValue, int compiRank, int finish, int popularity) {
        int at = block(h);
        put(at + 1, num(h, 2));
        put(at + 66, pad(compiValue, 3) + pad(compiRank, 2));
        put(at + 76, num(finish, 2) + num(popularity, 2));
        put(at + 149, pad(0, 9) + pad(0, 9));
        put(at + 167, "0");
        return *this;
    }
    AppearanceLine& paid(int h, int win, int place) {
        put(block(h) + 149, pad(win, 9) + pad(place, 9));
        if (place > 0) put(3372 + 27, num(place, 9));  // the race sold place bets
        return *this;
    }
    AppearanceLine& scratched(int h) {
        put(block(h) + 76, "0000");
        put(block(h) + 167, "1");
        return *this;
    }
    AppearanceLine& recommendedRank(int rank) {
        put(115, pad(rank, 2));
        return *this;
    }
    AppearanceLine& condition(const std::string& code3) {
        put(32, code3);
        return *this;
    }
    AppearanceLine& put(int at, const std::string& bytes) {
        line_.replace(static_cast<std::size_t>(at), bytes.size(), bytes);
        return *this;
    }
    const std::string& str() const { return line_; }

private:
    static int block(int h) { return 118 + 173 * (h - 1); }
    static std::string num(int v, int width) {
        std::string s = std::to_string(v);
        return std::string(static_cast<std::size_t>(width) - s.size(), '0') + s;
    }
    static std::string pad(int v, int width) {
        std::string s = std::to_string(v);
        return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
    }
    std::string line_;
};

// Race 1 (大井 1R, 5 runners): Compi top 90, so zone A; horse 5 scratched.
// Race 2 (大井 10R, 6 runners): a dead heat for the win of horses 2 and 4; top 88, zone C; the
// recommended horse is Compi rank 2 (horse 4).
// Race 3 (川崎 3R, 5 runners): no Compi data.
inline std::vector<std::string> handDayLines() {
    AppearanceLine r1("20240512", 44, 1, 5, 1200);
    r1.runner(1, 90, 1, 1, 1).runner(3, 75, 2, 3, 2).runner(2, 70, 3, 2, 3).runner(4, 60, 4, 4, 4);
    r1.runner(5, 50, 5, 0, 0).scratched(5).recommendedRank(1);
    r1.paid(1, 250, 120).paid(2, 0, 150).paid(3, 0, 300);
    AppearanceLine r2("20240512", 44, 10, 6, 1600);
    r2.runner(2, 88, 1, 1, 2).runner(4, 70, 2, 1, 1).runner(1, 65, 3, 3, 3).runner(3, 60, 4, 4, 4);
    r2.runner(5, 55, 5, 5, 5).runner(6, 50, 6, 6, 6).recommendedRank(2).condition("703");
    r2.paid(2, 180, 110).paid(4, 320, 140).paid(1, 0, 200);
    AppearanceLine r3("20240512", 45, 3, 5, 1400);
    r3.put(8, "1600");
    r3.runner(1, 0, 0, 2, 1).runner(3, 0, 0, 1, 2).runner(2, 0, 0, 3, 3).runner(4, 0, 0, 4, 4).runner(5, 0, 0, 5, 5);
    r3.paid(3, 400, 150).paid(1, 0, 130);
    return {r1.str(), r2.str(), r3.str()};
}

// Writes the hand-made day as TOKEI/em20240512.dat under `home`.
inline void writeHandDay(const std::filesystem::path& home) {
    std::filesystem::create_directories(home / "TOKEI");
    writeLinesAtomic(home / "TOKEI" / "em20240512.dat", handDayLines(), false);
}

}  // namespace vex::test
