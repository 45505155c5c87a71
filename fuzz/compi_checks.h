#pragma once
// What must hold for any page given to the Compi page import. Shared by the libFuzzer target and
// the bounded random test that stands in for it without clang. Returns an empty text when all is
// well, else what went wrong.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_read.h"
#include "compi/compi_page_import.h"
#include "vocabulary/fields.h"

namespace vex::fuzz {

// Two-byte field at 0-based `at` of a line; 0 for blanks.
inline int compiField(const std::string& line, std::size_t at) { return fieldNumber(std::string_view(line).substr(at, 2)); }

// Slots of `count` x 4 bytes from `at` must be ordered by value, then number, both descending.
inline bool slotsOrdered(const std::string& line, std::size_t at, int count) {
    int lastValue = 100, lastNumber = 100;
    for (int k = 0; k < count; ++k, at += 4) {
        int number = compiField(line, at), value = compiField(line, at + 2);
        if (number == 0) continue;
        if (value > lastValue || (value == lastValue && number >= lastNumber)) return false;
        lastValue = value;
        lastNumber = number;
    }
    return true;
}

// The parse of any page: 12 lines of 122 bytes, values within 40-90, slots in order; a race
// refused keeps no slots. The file is not written here (the whole import is the same steps plus
// the write).
inline std::string compiPageProblem(std::string_view page) {
    std::vector<std::string_view> lines = splitLines(page);
    CompiPageLayout layout = compiPageLayout(lines);
    CompiPage parsed;
    bool dated = layout != CompiPageLayout::None && findCompiPageDate(lines, layout, parsed);
    if (!dated) return {};
    if (compiPageLabel(parsed).size() != 18) return "a label that is not 18 bytes";
    collectCompiPageRaces(lines, parsed);
    std::vector<std::string> out = compiPageLines(parsed);
    if (out.size() != 12) return "not 12 lines";
    for (std::size_t r = 0; r < out.size(); ++r) {
        const std::string& line = out[r];
        if (line.size() != 122) return "a line that is not 122 bytes";
        if (compiField(line, 12) != static_cast<int>(r) + 1) return "a line under the wrong race number";
        if (!slotsOrdered(line, 14, 18) || !slotsOrdered(line, 88, 8)) return "slots out of order";
        for (std::size_t at = 16; at < 86; at += 4) {
            int value = compiField(line, at);
            if (value != 0 && (value < 40 || value > 90)) return "a value outside 40-90";
        }
        if (!parsed.races[r + 1].refusal.empty() && compiField(line, 14) != 0) return "a refused race kept slots";
    }
    return {};
}

}  // namespace vex::fuzz
