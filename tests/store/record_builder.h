#pragma once
// Building records of the data service's fixed layouts for tests.
#include <string>
#include <string_view>

#include "store/record_layout.h"

namespace vex::test {

// A record of `length` bytes (CR LF included): kind, category, race key, the rest spaces.
inline std::string makeRecord(std::string_view kind, int length, std::string_view raceKey,
                              char category = '7') {
    std::string r(static_cast<std::size_t>(length - 2), ' ');
    r += "\r\n";
    setField(r, Common::Kind, kind);
    r[2] = category;
    setField(r, {4, 8}, "20240101");  // creation date, zeroed by the store
    setField(r, Common::RaceKey, raceKey);
    return r;
}

// Key: yyyymmdd + track + meeting "01" + day "01" + race.
inline std::string raceKey(std::string_view yyyymmdd, std::string_view track, int race) {
    std::string k(yyyymmdd);
    k += track;
    k += "0101";
    k += static_cast<char>('0' + race / 10);
    k += static_cast<char>('0' + race % 10);
    return k;
}

inline std::string withField(std::string record, Field f, std::string_view value) {
    setField(record, f, value);
    return record;
}

}  // namespace vex::test
