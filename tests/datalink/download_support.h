#pragma once
// Helpers shared by the download tests: the record-by-record reference store and tree comparison.
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "datalink/bulk_download.h"
#include "store/record_reader.h"

namespace vex::test {

// Stores each record the plain way: read the whole target file, apply the rule, write it back.
inline void referenceStore(const std::vector<std::vector<std::string>>& files, const RoutingContext& context) {
    for (const auto& file : files) {
        for (const auto& record : file) {
            std::string_view line = recordLine(record);
            Routing routing = routeRecord(line, context);
            for (const auto& folder : routing.folders) std::filesystem::create_directories(folder.path().parent_path());
            for (const auto& route : routing.routes) {
                std::vector<std::string> lines = readLines(route.file());
                keepWholeRecords(lines, route.target.recordLength(), route.rule == StoreRule::Slot);
                if (route.rule == StoreRule::Slot) {
                    if (lines.empty()) lines.assign(216, std::string(553, ' '));
                    padSlotLines(lines);
                    lines[route.slot] = std::string(line);
                } else {
                    std::string zeroed(line);
                    zeroCategoryAndDate(zeroed);
                    upsertLine(lines, zeroed);
                    sortStoreLines(lines);
                    if (route.rule == StoreRule::UpsertTrimmed) trimFirstBlankLine(lines);
                }
                std::ofstream out(route.file(), std::ios::binary | std::ios::trunc);
                for (const auto& l : lines) out << l << "\r\n";
            }
        }
    }
}

// Every regular file under `root` (temporaries left by a killed writer excluded), by relative path.
inline std::map<std::string, std::string> treeOf(const std::filesystem::path& root) {
    std::map<std::string, std::string> tree;
    if (!std::filesystem::exists(root)) return tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string name = entry.path().filename().string();
        if (name.starts_with(".")) continue;
        tree[std::filesystem::relative(entry.path(), root).string()] = readFileBytes(entry.path());
    }
    return tree;
}

}  // namespace vex::test
