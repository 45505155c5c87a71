#include "store/day_files.h"


#include "app/clock.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;

std::string damagedFilesMessage() {
    return sj("データファイルが壊れています。欠けたレコードは読み込みませんでした。");
}

void DamagedFiles::note(const RecordFile& file) {
    if (file.strayBytes() > 0) add(file.file(), file.strayBytes(), file.recordLength());
}

void DamagedFiles::note(const fs::path& file, int recordLength) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && recordLength > 0 && size % static_cast<std::uintmax_t>(recordLength) != 0)
        add(file, static_cast<std::size_t>(size % static_cast<std::uintmax_t>(recordLength)), recordLength);
}

void DamagedFiles::add(const fs::path& file, std::size_t stray, int recordLength) {
    std::string line = toCp932(file.string()) + sj("：大きさがレコード長") + std::to_string(recordLength) +
                       sj("の倍数ではありません（末尾の") + std::to_string(stray) + sj("バイトは欠けたレコードです）");
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
}

std::string DamagedFiles::message() const {
    constexpr std::size_t kShown = 10;
    std::lock_guard lock(mutex_);
    if (lines_.empty()) return {};
    std::string text = damagedFilesMessage();
    for (std::size_t i = 0; i < lines_.size() && i < kShown; ++i) text += "\n" + lines_[i];
    if (lines_.size() > kShown) text += "\n" + sj("ほか") + std::to_string(lines_.size() - kShown) + sj("件");
    return text;
}

bool isDayStamp(std::string_view s) {
    static const std::string y = sj("年"), mo = sj("月"), d = sj("日");
    if (!(s.size() == 14 && isDigits(s.substr(0, 4)) && s.substr(4, 2) == y && isDigits(s.substr(6, 2)) &&
          s.substr(8, 2) == mo && isDigits(s.substr(10, 2)) && s.substr(12, 2) == d))
        return false;
    std::string stamp14 = std::string(s.substr(0, 4)) + std::string(s.substr(6, 2)) + std::string(s.substr(10, 2));
    return parseStamp14(stamp14 + "000000").has_value();
}

RunnerFiles::RunnerFiles(std::string dayStamp, DamagedFiles* damaged)
    : dayStamp_(std::move(dayStamp)), damaged_(damaged) {}
RunnerFiles::~RunnerFiles() = default;

bool RunnerFiles::read(RawRecords& raw) {
    std::string track(raw.ra.field(Common::Track));
    auto it = byTrack_.find(track);
    if (it == byTrack_.end()) {
        std::unique_ptr<RecordFile> file;
        if (isDayStamp(dayStamp_) && isSafeNamePiece(track))
            file = std::make_unique<RecordFile>(runnerFilePath(dayStamp_, track), RecordLength::SE, RecordFile::Whole);
        if (file && damaged_) damaged_->note(*file);
        it = byTrack_.emplace(track, std::move(file)).first;
    }
    RecordFile* file = it->second.get();
    if (!file || !file->exists()) return false;
    int race = raceNumber(raw.ra);
    int runners = registeredRunners(raw.ra);
    for (int m = 0; m < runners; ++m) {
        int slot = (race - 1) * kMaxRunners + m;
        if (slot >= 0) file->read(static_cast<std::size_t>(slot), raw.se[static_cast<std::size_t>(m)].bytes.data());
    }
    return true;
}

}  // namespace vex
