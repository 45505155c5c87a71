#include "voting/voting_log.h"

#include "app/app_folder.h"
#include "app/atomic_file.h"

namespace vex {

VotingLog::VotingLog(std::filesystem::path file) : file_(file.empty() ? appFolder() / "VovoVaro.log" : std::move(file)) {}

void VotingLog::load() {
    lines_ = readLines(file_);
    if (lines_.size() > kKeptAtStart) lines_.erase(lines_.begin(), lines_.end() - kKeptAtStart);
}

void VotingLog::add(const std::string& line) {
    lines_.push_back(line);
    save();
}

void VotingLog::add(const std::vector<std::string>& lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
    save();
}

void VotingLog::save() const { writeLinesAtomic(file_, lines_); }

}  // namespace vex
