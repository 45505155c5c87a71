#pragma once
// Result codes of the data-service control turned into the texts the user sees.
#include <string>
#include <string_view>

namespace vex {

// Message for `code` returned by the control operation `operation` (its name as called, e.g.
// "NVOpen"), followed by the code in brackets: "<message>(<code>)". A code the operation's table
// does not list, or an operation without a table, gives just "(<code>)". CP932.
std::string ResultMessage(std::string_view operation, int code);

}  // namespace vex
