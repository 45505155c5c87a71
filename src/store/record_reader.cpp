#include "store/record_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "store/store_paths.h"

namespace vex {
namespace fs = std::filesystem;

std::optional<long long> readNumber(std::string_view field) {
    std::size_t b = 0, e = field.size();
    while (b < e && field[b] == ' ') ++b;
    while (e > b && field[e - 1] == ' ') --e;
    if (b == e) return std::nullopt;
    bool negative = false;
    if (field[b] == '-') {
        negative = true;
        ++b;
        if (b == e) return std::nullopt;
    }
    long long value = 0;
    for (std::size_t i = b; i < e; ++i) {
        char c = field[i];
        if (c < '0' || c > '9') return std::nullopt;
        if (value > (std::numeric_limits<long long>::max() - (c - '0')) / 10) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

long long numberOr0(std::string_view field) { return readNumber(field).value_or(0); }

long long leadingNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        if (value > std::numeric_limits<long long>::max() / 10 - 9) break;
        value = value * 10 + (field[i] - '0');
    }
    return value;
}

bool isBlank(std::string_view field) { return field.find_first_not_of(' ') == std::string_view::npos; }

bool isEmptyYear(std::string_view yearField) { return isBlank(yearField) || yearField == "0000"; }

std::string RecordView::trackAndRace() const {
    std::string key(text(Common::Track));
    key += text(Common::RaceNumber);
    return key;
}

std::string_view recordLine(std::string_view received) {
    std::size_t end = received.find('\n');
    if (end == std::string_view::npos) end = received.size();
    if (end > 0 && received[end - 1] == '\r') --end;
    return received.substr(0, end);
}

// ---- RecordFile

RecordFile::RecordFile(const fs::path& file, int recordLength) : length_(recordLength) {
    if (recordLength <= 0) return;
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    count_ = static_cast<std::size_t>(st.st_size) / static_cast<std::size_t>(recordLength);
}

RecordFile::~RecordFile() {
    if (fd_ >= 0) ::close(fd_);
}

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(other.fd_), length_(other.length_), count_(other.count_) {
    other.fd_ = -1;
    other.count_ = 0;
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        length_ = other.length_;
        count_ = other.count_;
        other.fd_ = -1;
        other.count_ = 0;
    }
    return *this;
}

bool RecordFile::readInto(std::size_t n, char* dest) const {
    if (fd_ < 0 || n >= count_) return false;
    std::size_t want = static_cast<std::size_t>(length_);
    off_t offset = static_cast<off_t>(n * want);
    std::size_t got = 0;
    while (got < want) {
        ssize_t r = ::pread(fd_, dest + got, want - got, offset + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    // The file shrank under us: treat the record as absent rather than half read.
    if (got < want) {
        std::memset(dest, ' ', want);
        return false;
    }
    return true;
}

bool RecordFile::read(std::size_t n, std::string& out) const {
    if (fd_ < 0 || n >= count_) return false;
    out.resize(static_cast<std::size_t>(length_));
    return readInto(n, out.data());
}

void forEachRecord(const fs::path& file, int recordLength, const std::function<bool(std::string_view)>& visit) {
    RecordFile f(file, recordLength);
    if (!f.isOpen() || f.count() == 0) return;
    // Whole file in one read; records are views into it.
    std::string bytes(f.count() * static_cast<std::size_t>(recordLength), ' ');
    std::size_t len = static_cast<std::size_t>(recordLength);
    for (std::size_t n = 0; n < f.count(); ++n) {
        if (!f.readInto(n, bytes.data() + n * len)) return;
    }
    std::string_view all(bytes);
    for (std::size_t n = 0; n < f.count(); ++n)
        if (!visit(all.substr(n * len, len))) return;
}

// ---- lookups

std::optional<std::string> findOddsRecord(const fs::path& file, int recordLength, std::string_view trackAndRace) {
    std::optional<std::string> found;
    forEachRecord(file, recordLength, [&](std::string_view rec) {
        RecordView r(rec);
        if (trackAndRace.size() == 4 && r.text(Common::Track) == trackAndRace.substr(0, 2) &&
            r.text(Common::RaceNumber) == trackAndRace.substr(2, 2)) {
            found = std::string(rec);
            return false;
        }
        return true;
    });
    return found;
}

std::optional<std::string> findRecordByKey(const fs::path& file, int recordLength, std::string_view raceKey) {
    std::optional<std::string> found;
    forEachRecord(file, recordLength, [&](std::string_view rec) {
        if (RecordView(rec).raceKey() == raceKey) {
            found = std::string(rec);
            return false;
        }
        return true;
    });
    return found;
}

std::optional<std::size_t> runnerSlotIndex(int raceNumber, int slot) {
    if (raceNumber < 1 || raceNumber > kSlotRaces || slot < 0 || slot >= kSlotHorses) return std::nullopt;
    return static_cast<std::size_t>((raceNumber - 1) * kSlotHorses + slot);
}

std::optional<std::string> readRunnerSlot(const fs::path& file, int raceNumber, int slot) {
    auto index = runnerSlotIndex(raceNumber, slot);
    if (!index) return std::nullopt;
    RecordFile f(file, RecordLength::SE);
    std::string out;
    if (!f.read(*index, out)) return std::nullopt;
    return out;
}

// ---- past runs

std::optional<fs::path> pastRunFileOf(RecordView seRecord) {
    std::string_view number = seRecord.text(SE::RegistrationNumber);
    if (number.size() < 4 || !isSafeNamePiece(number) || !isSafeNamePiece(number.substr(0, 4))) return std::nullopt;
    return pastRunFilePath(number);
}

std::vector<std::size_t> pastRunIndexes(const RecordFile& file, long long currentDate, int limit) {
    std::vector<std::size_t> taken;
    if (currentDate <= 0 || !file.isOpen()) return taken;
    std::string rec;
    for (std::size_t n = file.count(); n-- > 0 && static_cast<int>(taken.size()) < limit;) {
        if (!file.read(n, rec)) continue;
        long long date = RecordView(rec).date();
        if (date > 0 && date < currentDate) taken.push_back(n);
    }
    return taken;
}

std::vector<std::string> pastRuns(const fs::path& seiFile, long long currentDate, int limit) {
    RecordFile file(seiFile, RecordLength::SE);
    std::vector<std::string> runs;
    for (std::size_t n : pastRunIndexes(file, currentDate, limit)) {
        std::string rec;
        if (file.read(n, rec)) runs.push_back(std::move(rec));
    }
    return runs;
}

namespace {
bool isCentralTrack(int track) { return track >= 1 && track <= 10; }
}  // namespace

std::optional<fs::path> pastRaceFileOf(RecordView pastRun) {
    std::string_view date = pastRun.text(Common::Date);
    std::string_view track = pastRun.text(Common::Track);
    if (date.size() < 8 || track.size() < 2) return std::nullopt;
    if (isCentralTrack(pastRun.track())) {
        if (!isSafeNamePiece(date)) return std::nullopt;
        return dayFilePath(dayStamp(date), DayFile::RA);
    }
    std::string name(date);
    name += track;
    if (!isSafeNamePiece(name) || !isSafeNamePiece(date.substr(0, 4))) return std::nullopt;
    return pastRaceFilePath(date, track);
}

std::optional<std::string> pastRaceRecord(RecordView pastRun) {
    auto file = pastRaceFileOf(pastRun);
    if (!file) return std::nullopt;
    int track = pastRun.track();
    int race = pastRun.race();
    bool central = isCentralTrack(track);
    std::optional<std::string> found;
    forEachRecord(*file, RecordLength::RA, [&](std::string_view rec) {
        RecordView r(rec);
        if (r.race() == race && (!central || r.track() == track)) {
            found = std::string(rec);
            return false;
        }
        return true;
    });
    return found;
}

}  // namespace vex
