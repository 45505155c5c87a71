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

bool isEmptyYear(std::string_view yearField) { return isSpaces(yearField) || yearField == "0000"; }

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

namespace {

[[noreturn]] void fileError(const fs::path& file, int error) {
    throw RecordFileError(file, error != 0 ? std::strerror(error) : "file cut short");
}

// Reads exactly `len` bytes at `offset`; false with errno set on an error, errno 0 at the end of
// the file.
bool preadFully(int fd, char* out, std::size_t len, off_t offset) {
    while (len > 0) {
        ssize_t n = ::pread(fd, out, len, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = 0;
            return false;
        }
        out += n;
        len -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

}  // namespace

RecordFile::RecordFile(const fs::path& file, int recordLength, Mode mode) : file_(file), length_(recordLength) {
    if (recordLength <= 0) return;
    fd_ = openForReading(file_);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        int error = errno;
        close();
        fileError(file_, error);
    }
    if (!S_ISREG(st.st_mode)) {  // a folder of that name is no file
        close();
        return;
    }
    exists_ = true;
    count_ = static_cast<std::size_t>(st.st_size) / static_cast<std::size_t>(recordLength);
    stray_ = static_cast<std::size_t>(st.st_size) % static_cast<std::size_t>(recordLength);
    if (mode == Indexed) {
        keys_.resize(count_);
        for (std::size_t n = 0; n < count_; ++n) read(n, Common::RaceKey.pos - 1, Common::RaceKey.len, keys_[n].data());
    }
    if (mode == Whole && st.st_size > 0) {
        bytes_.resize(static_cast<std::size_t>(st.st_size));
        if (!preadFully(fd_, bytes_.data(), bytes_.size(), 0)) {
            int error = errno;
            close();
            fileError(file_, error);
        }
        inMemory_ = true;
        close();
    }
}

RecordFile::~RecordFile() { close(); }

void RecordFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

RecordFile::RecordFile(RecordFile&& other) noexcept
    : file_(std::move(other.file_)),
      length_(other.length_),
      fd_(other.fd_),
      exists_(other.exists_),
      count_(other.count_),
      stray_(other.stray_),
      bytes_(std::move(other.bytes_)),
      inMemory_(other.inMemory_),
      keys_(std::move(other.keys_)) {
    other.fd_ = -1;
    other.exists_ = false;
    other.count_ = 0;
    other.inMemory_ = false;
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::move(other.file_);
        length_ = other.length_;
        fd_ = other.fd_;
        exists_ = other.exists_;
        count_ = other.count_;
        stray_ = other.stray_;
        bytes_ = std::move(other.bytes_);
        inMemory_ = other.inMemory_;
        keys_ = std::move(other.keys_);
        other.fd_ = -1;
        other.exists_ = false;
        other.count_ = 0;
        other.inMemory_ = false;
    }
    return *this;
}

bool RecordFile::read(std::size_t n, int offset, int len, char* dest) const {
    if (n >= count_ || offset < 0 || len < 0 || offset > length_ - len) return false;
    std::size_t at = n * static_cast<std::size_t>(length_) + static_cast<std::size_t>(offset);
    if (inMemory_) {
        std::memcpy(dest, bytes_.data() + at, static_cast<std::size_t>(len));
        return true;
    }
    if (!preadFully(fd_, dest, static_cast<std::size_t>(len), static_cast<off_t>(at)))
        fileError(file_, errno);
    return true;
}

bool RecordFile::read(std::size_t n, std::string& out) const {
    if (n >= count_) return false;
    out.resize(static_cast<std::size_t>(length_));
    return read(n, out.data());
}

const char* RecordFile::raceKeyOf(std::size_t n, char* buffer) const {
    if (!keys_.empty()) return keys_[n].data();
    read(n, Common::RaceKey.pos - 1, Common::RaceKey.len, buffer);
    return buffer;
}

std::optional<std::size_t> RecordFile::findTrackRace(std::string_view trackAndRace) const {
    if (trackAndRace.size() != 4 || length_ < Common::RaceKey.pos - 1 + Common::RaceKey.len) return std::nullopt;
    // Within the race key: track code at 8-9, race number at 14-15.
    constexpr int track = Common::Track.pos - Common::RaceKey.pos;
    constexpr int race = Common::RaceNumber.pos - Common::RaceKey.pos;
    char buffer[16];
    for (std::size_t n = 0; n < count_; ++n) {
        const char* key = raceKeyOf(n, buffer);
        if (key[track] == trackAndRace[0] && key[track + 1] == trackAndRace[1] && key[race] == trackAndRace[2] &&
            key[race + 1] == trackAndRace[3])
            return n;
    }
    return std::nullopt;
}

std::optional<std::size_t> RecordFile::findRaceKey(std::string_view raceKey) const {
    if (raceKey.size() != static_cast<std::size_t>(Common::RaceKey.len) ||
        length_ < Common::RaceKey.pos - 1 + Common::RaceKey.len)
        return std::nullopt;
    char buffer[16];
    for (std::size_t n = 0; n < count_; ++n)
        if (std::string_view(raceKeyOf(n, buffer), 16) == raceKey) return n;
    return std::nullopt;
}

void forEachRecord(const fs::path& file, int recordLength, const std::function<bool(std::string_view)>& visit) {
    std::string bytes;
    std::size_t len = static_cast<std::size_t>(recordLength);
    std::size_t count = 0;
    try {
        RecordFile f(file, recordLength, RecordFile::Whole);
        count = f.count();
        bytes.resize(count * len);
        for (std::size_t n = 0; n < count; ++n) f.read(n, bytes.data() + n * len);
    } catch (const RecordFileError&) {
        return;
    }
    std::string_view all(bytes);
    for (std::size_t n = 0; n < count; ++n)
        if (!visit(all.substr(n * len, len))) return;
}

// ---- lookups

namespace {

// The record the lookup `find` finds in `file`; nullopt when none, or when the file is missing
// or unreadable.
template <typename Find>
std::optional<std::string> lookUp(const fs::path& file, int recordLength, Find find) {
    try {
        RecordFile f(file, recordLength);
        std::optional<std::size_t> n = find(f);
        std::string out;
        if (n && f.read(*n, out)) return out;
    } catch (const RecordFileError&) {
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> findOddsRecord(const fs::path& file, int recordLength, std::string_view trackAndRace) {
    return lookUp(file, recordLength, [&](const RecordFile& f) { return f.findTrackRace(trackAndRace); });
}

std::optional<std::string> findRecordByKey(const fs::path& file, int recordLength, std::string_view raceKey) {
    return lookUp(file, recordLength, [&](const RecordFile& f) { return f.findRaceKey(raceKey); });
}

std::optional<std::size_t> runnerSlotIndex(int raceNumber, int slot) {
    if (raceNumber < 1 || raceNumber > kSlotRaces || slot < 0 || slot >= kSlotHorses) return std::nullopt;
    return static_cast<std::size_t>((raceNumber - 1) * kSlotHorses + slot);
}

std::optional<std::string> readRunnerSlot(const fs::path& file, int raceNumber, int slot) {
    auto index = runnerSlotIndex(raceNumber, slot);
    if (!index) return std::nullopt;
    return lookUp(file, RecordLength::SE, [&](const RecordFile&) { return index; });
}

// ---- past runs

std::optional<fs::path> pastRunFileOf(RecordView seRecord) {
    std::string_view number = seRecord.text(SE::RegistrationNumber);
    if (number.size() < 4 || !isSafeNamePiece(number) || !isSafeNamePiece(number.substr(0, 4))) return std::nullopt;
    return pastRunFilePath(number);
}

std::vector<std::size_t> pastRunIndexes(const RecordFile& file, long long currentDate, int limit) {
    std::vector<std::size_t> taken;
    if (currentDate <= 0 || !file.exists()) return taken;
    char date[8];
    for (std::size_t n = file.count(); n-- > 0 && static_cast<int>(taken.size()) < limit;) {
        try {
            if (!file.read(n, Common::Date.pos - 1, Common::Date.len, date)) continue;
        } catch (const RecordFileError&) {
            continue;
        }
        long long d = fieldNumber(std::string_view(date, sizeof date));
        if (d > 0 && d < currentDate) taken.push_back(n);
    }
    return taken;
}

std::vector<std::string> pastRuns(const fs::path& seiFile, long long currentDate, int limit) {
    std::vector<std::string> runs;
    try {
        // Small files scanned from the end: one read beats a seek per record.
        RecordFile file(seiFile, RecordLength::SE, RecordFile::Whole);
        for (std::size_t n : pastRunIndexes(file, currentDate, limit)) {
            std::string rec;
            if (file.read(n, rec)) runs.push_back(std::move(rec));
        }
    } catch (const RecordFileError&) {
    }
    return runs;
}

bool isCentralTrack(int track) { return track >= 1 && track <= 10; }

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
