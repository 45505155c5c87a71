#pragma once
// The day load of the commands that take a DAY, in batch mode: when it fails, each says why as
// `load` does (an unreadable file named, or the day's data missing).
#include <string>
#include <vector>

#include "app/reporter.h"
#include "dayload/day_load.h"

namespace vex::cli {

// Holds the load's messages, so that stdout carries a command's output alone and what went wrong
// follows on stderr.
class HeldMessages : public Reporter {
public:
    void information(const std::string& text) override { texts.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    void beep() override {}
    void status(const std::string& text) override { texts.push_back(text); }
    void printAll() const;
    std::vector<std::string> texts;
};

// Loads `dayStamp` (CP932) into `table`, its messages into `messages`; when the day is not loaded,
// prints them on stderr ("データ作成が未完了のようです。" when the load said nothing).
DayLoadResult loadDayOrSayWhy(RaceTable& table, const std::string& dayStamp, HeldMessages& messages);

}  // namespace vex::cli
