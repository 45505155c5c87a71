#pragma once
// What must hold for any bytes handed to the record readers and to the download's routing and
// store rules. Shared by the libFuzzer target and the bounded random test that stands in for it
// without clang. Returns an empty text when all is well, else what went wrong.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_folder.h"
#include "datalink/bulk_download.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "store/store_paths.h"

namespace vex::fuzz {

inline constexpr const char* kRecordKinds[] = {"RA", "SE", "HR", "O1", "O2", "O3", "O4", "O5", "O6", "OA", "H1", "ZZ"};
inline constexpr int kRecordLengths[] = {RecordLength::RA, RecordLength::SE, RecordLength::HR, RecordLength::O1,
                                         RecordLength::O2, RecordLength::O3, RecordLength::O4, RecordLength::O5,
                                         RecordLength::O6, RecordLength::OA, 300, 100};

// Input byte 0 picks the shape: even, the rest is the record as received; odd, a record of the
// kind byte 1 picks, of its exact length, with the input's bytes laid over positions 3 onwards and
// its last bytes over the runner-count and horse fields (so the routing's deeper rules are reached).
inline std::string recordFromInput(std::string_view input) {
    if (input.size() < 2 || (static_cast<unsigned char>(input[0]) & 1) == 0)
        return std::string(input.size() < 1 ? input : input.substr(1));
    std::size_t k = static_cast<unsigned char>(input[1]) % std::size(kRecordKinds);
    std::string r(static_cast<std::size_t>(kRecordLengths[k] - 2), ' ');
    r.replace(0, 2, kRecordKinds[k]);
    std::string_view body = input.substr(2);
    for (std::size_t i = 0; i < body.size() && i + 2 < r.size(); ++i) r[i + 2] = body[i];
    if (body.size() >= 2) {
        setField(r, RA::Registered, body.substr(body.size() - 2));
        setField(r, SE::Horse, body.substr(body.size() - 2));
    }
    return r + "\r\n";
}

inline bool underFolder(const std::filesystem::path& p, const std::filesystem::path& root) {
    auto rel = p.lexically_normal().lexically_relative(root);
    return !rel.empty() && *rel.begin() != ".." && p.lexically_normal() == (root / rel).lexically_normal() &&
           p.string().find("/../") == std::string::npos;
}

inline std::string recordProblem(std::string_view input) {
    std::string received = recordFromInput(input);
    std::string_view line = recordLine(received);
    if (line.find('\n') != std::string_view::npos) return "a record line holds a line feed";
    if (received.compare(0, line.size(), line) != 0) return "a record line is not the record's start";

    // Field readers: never past the record, numbers only from digits.
    RecordView v(line);
    for (Field f : {Common::Kind, Common::RaceKey, Common::Track, Common::RaceNumber, Common::Date, RA::Registered,
                    RA::PostTime, SE::Horse, SE::RegistrationNumber, SE::HorseName, SE::FinishPosition,
                    Odds::Trifecta.odds(4896), HR::Trifecta.popularity(6)}) {
        std::string_view t = v.text(f);
        if (t.size() > static_cast<std::size_t>(f.len)) return "a field longer than its length";
        if (auto n = strictNumber(t)) {
            std::string_view s = t.substr(t.find_first_not_of(' '));
            s = s.substr(0, s.find_last_not_of(' ') + 1);
            if (s.front() == '-') s.remove_prefix(1);
            if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return "a number read from a field that is not digits";
        } else if (v.number(f) != 0) {
            return "a lenient number that is not 0 for a field that is not a number";
        }
    }
    (void)leadingNumber(line);
    (void)v.trackAndRace();
    (void)pastRunFileOf(v);
    (void)pastRaceFileOf(v);

    // Routing: every target inside the store, slots inside the slot file, wrong lengths nowhere.
    const std::filesystem::path root = appFolder();
    Routing routing = routeRecord(line, RoutingContext{20240105, "2009"});
    if (routing.malformed && !routing.routes.empty()) return "a malformed record was routed";
    for (const auto& route : routing.routes) {
        if (!underFolder(route.file(), root)) return "a target outside the store: " + route.file().string();
        if (route.rule == StoreRule::Slot && route.slot >= static_cast<std::size_t>(kSlotCount))
            return "a slot outside the slot file";
    }
    for (const auto& folder : routing.folders)
        if (!underFolder(folder.path(), root)) return "a folder outside the store: " + folder.path().string();

    // Store rules in memory: upsert adds at most one line; the sort orders totally and keeps lines.
    // Lines cut from the record's first 4.7 KB, where the input's bytes lie: the blank rest of an
    // 83 KB odds record would add only thousands of equal lines to sort.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < line.size() && lines.size() < 128; at += 37) lines.emplace_back(line.substr(at, 61));
    std::vector<std::string> before = lines;
    std::string zeroed(line);
    zeroCategoryAndDate(zeroed);
    if (zeroed.size() != line.size()) return "zeroing changed the length";
    upsertLine(lines, zeroed);
    if (lines.size() != before.size() && lines.size() != before.size() + 1) return "upsert changed the line count by more than one";
    sortStoreLines(lines);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (storeLineLess(lines[i], lines[i - 1])) return "sorted lines out of order";
        if (storeLineLess(lines[i - 1], lines[i]) && storeLineLess(lines[i], lines[i - 1])) return "order not strict";
    }
    std::size_t count = lines.size();
    trimFirstBlankLine(lines);
    if (lines.size() + 1 < count) return "trim removed more than one line";
    return {};
}

}  // namespace vex::fuzz
