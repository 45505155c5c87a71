#pragma once
// Pieces shared by the code tables and formatters (not part of their interface).
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex::detail {

// Code -> CP932 text, built once from UTF-8 rows.
template <typename Key>
class CodeTable {
public:
    CodeTable(std::initializer_list<std::pair<Key, const char*>> utf8Rows) {
        for (const auto& [key, text] : utf8Rows) rows_.emplace(key, sj(text));
    }
    template <typename K>
    const std::string* find(const K& key) const {
        auto it = rows_.find(key);
        return it == rows_.end() ? nullptr : &it->second;
    }

private:
    std::map<Key, std::string, std::less<>> rows_;
};

using TextCodeTable = CodeTable<std::string>;
using NumberCodeTable = CodeTable<std::int64_t>;

}  // namespace vex::detail
