#include "app/error_log.h"

#include <cstdio>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "vocabulary/cp932.h"

namespace vex {

std::vector<std::string> lastLines(std::vector<std::string> lines, std::size_t keep) {
    if (lines.size() > keep) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(keep));
    return lines;
}

ErrorLog::ErrorLog() : ErrorLog(appFolder() / "ErrorLog.txt") {}
ErrorLog::ErrorLog(std::filesystem::path file) : file_(std::move(file)) {}

// Reread under the lock: the desktop program and vexmora-cli log to the same file.
void ErrorLog::startUp(const std::string& folderLine) {
    FileUpdate update(file_);
    lines_ = lastLines(update.lines(), kKeptAtStart);
    lines_.push_back(sj("ソフト起動：") + formatDateTime(now()));
    lines_.push_back(folderLine);
    update.replaceLines(lines_);
}

void ErrorLog::addError(const std::string& message) {
    FileUpdate update(file_);
    lines_ = update.lines();
    DateTime t = now();
    char hms[16];
    std::snprintf(hms, sizeof hms, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    lines_.push_back(sj("【エラー】") + hms + sj("：") + message);
    update.replaceLines(lines_);
}

}  // namespace vex
