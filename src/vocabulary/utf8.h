#pragma once
// Telling UTF-8 apart: outside text files (saved page sources) come as UTF-8 or as CP932.
#include <string_view>

namespace vex {

// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace vex
