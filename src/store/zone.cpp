#include "store/zone.h"

#include "vocabulary/cp932.h"

namespace vex {

int zonePattern(int r, int top, int second) {
    int pattern = 0;
    if (r >= 1 && r <= 9) {
        if (top == 90)
            pattern = 1;
        else if (top >= 60 && top <= 77)
            pattern = 2;
    }
    if (r >= 10) {
        if (top >= 88 && top <= 90)
            pattern = 3;
        else if (top >= 60 && top <= 77)
            pattern = 4;
    }
    if (pattern == 0 && second >= 78 && second <= 90) pattern = 5;
    return pattern;
}

bool zoneFits(int pattern, int k, int weight, std::string_view style) {
    static const std::string front = sj("先"), middle = sj("中");
    if (weight < 420 || weight > 700) return false;
    if (style != front && style != middle) return false;
    switch (pattern) {
        case 1: return k == 1;
        case 2: return k >= 5 && k <= 9;
        case 3: return k >= 2 && k <= 3;
        case 4: return k >= 4 && k <= 6;
        case 5: return k >= 1 && k <= 2;
        default: return false;
    }
}

std::string zoneLabel(int pattern) {
    if (pattern < 1 || pattern > 5) return {};
    return std::string(1, static_cast<char>(64 + pattern));
}

void applyZoneRule(RaceTable& table) {
    for (int s = 0; s < kMaxRaces; ++s) {
        if (!table.slotUsed(s)) continue;
        RaceRecord& race = table.races[static_cast<std::size_t>(s)];
        const RawRecords& raw = table.raw[static_cast<std::size_t>(s)];
        race.zonePattern = zonePattern(raceNumber(raw.ra), race.topValue, race.secondValue);
        if (race.zonePattern == 0) continue;
        int n = registeredRunners(raw.ra);
        for (int i = 0; i < n; ++i) {
            int h = i + 1;
            int weight = fieldNumber(raw.pastSe[static_cast<std::size_t>(i)][0].field(SE::BodyWeight));
            if (zoneFits(race.zonePattern, race.compiRank[h], weight, race.runningStyle[h][1])) race.zoneFlag[h] = 1;
        }
    }
}

}  // namespace vex
