#include "voting/voting_log.h"

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/error_log.h"

namespace vex {

VotingLog::VotingLog(std::filesystem::path file) : file_(file.empty() ? appFolder() / "VovoVaro.log" : std::move(file)) {}

void VotingLog::load() { lines_ = lastLines(readLines(file_), kKeptAtStart); }

void VotingLog::add(const std::string& line) { add(std::vector<std::string>{line}); }

void VotingLog::add(const std::vector<std::string>& lines) {
    added_.insert(added_.end(), lines.begin(), lines.end());
    FileUpdate update(file_);
    std::vector<std::string> next = update.lines();
    if (!cut_) next = lastLines(std::move(next), kKeptAtStart);
    next.insert(next.end(), lines.begin(), lines.end());
    update.replaceLines(next);
    lines_ = std::move(next);
    cut_ = true;
}

}  // namespace vex
