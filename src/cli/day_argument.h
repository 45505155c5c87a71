#pragma once
// DAY, wherever a command takes one: 2026-12-09, 20261209, today, tomorrow, or the day stamp
// 2026年12月09日 as `days` prints it.
#include <string>

namespace vex::cli {

// The CP932 day stamp of a DAY argument (UTF-8, as typed). today and tomorrow follow the program's
// clock. Throws UsageError, naming the accepted forms, for anything that is no real date.
std::string dayStampOfArgument(const std::string& typed);

// The forms above, for usage texts.
extern const char* const kDayForms;

}  // namespace vex::cli
