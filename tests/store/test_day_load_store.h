#pragma once
// The records of the hand-built store of the day-load tests (and the day-load fuzz target).
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../support/records.h"

namespace vex::test {

inline std::string key16(std::string_view date8, std::string_view track, int race) {
    return raceKey(date8, track, race, 3, 5);
}

// A race of the day-load store: the body patterned (so copies of unread fields can be checked byte
// for byte), then runners and post time.
inline std::string ra(std::string_view date8, std::string_view track, int race, int runners, std::string_view post,
                      int seed = 1) {
    return Record::ra(key16(date8, track, race)).patterned(seed).runners(runners).post(post).str();
}

struct Runner {
    int horse = 1, frame = 1;
    std::string reg;             // 10 characters
    int finish = 0;              // 0 = none
    std::string weight = "470";  // body weight
    int corner2 = 5, corner3 = 5, corner4 = 5;
    std::string winOdds = "0035";
};

inline std::string se(std::string_view date8, std::string_view track, int race, const Runner& x, int seed = 3) {
    return Record::se(key16(date8, track, race))
        .patterned(seed + x.horse)
        .set(Common::Category, "7")
        .frame(x.frame)
        .horse(x.horse)
        .reg(x.reg)
        .set(SE::BodyWeight, x.weight)
        .finish(x.finish)
        .corners(9, x.corner2, x.corner3, x.corner4)
        .set(SE::WinOdds, x.winOdds)
        .num(SE::WinPopularity, x.horse)
        .str();
}

}  // namespace vex::test
