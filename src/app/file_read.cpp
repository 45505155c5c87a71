#include "app/file_read.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "app/atomic_file.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

// ---- file faults

struct FaultCount {
    int after = 0;  // successful operations left before the fault
};
struct Faults {
    std::map<std::string, FaultCount> reads, writes;
};

std::optional<Faults> parseFaults(std::string_view text) {
    Faults faults;
    while (!text.empty()) {
        std::size_t end = text.find(';');
        std::string_view item = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (item.empty()) continue;
        std::size_t colon = item.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        std::string_view kind = item.substr(0, colon), name = item.substr(colon + 1);
        FaultCount count;
        if (std::size_t at = name.find('@'); at != std::string_view::npos) {
            std::string_view n = name.substr(at + 1);
            auto [p, ec] = std::from_chars(n.data(), n.data() + n.size(), count.after);
            if (ec != std::errc() || p != n.data() + n.size() || count.after < 0) return std::nullopt;
            name = name.substr(0, at);
        }
        if (name.empty()) return std::nullopt;
        if (kind == "read") faults.reads[std::string(name)] = count;
        else if (kind == "write") faults.writes[std::string(name)] = count;
        else return std::nullopt;
    }
    return faults;
}

std::mutex faultMutex;

Faults& faults() {
    static Faults active = [] {
        const char* env = std::getenv("VEXMORA_FILE_FAULTS");
        return parseFaults(env ? env : "").value_or(Faults{});
    }();
    return active;
}

// True when this operation on `file` is to fail.
bool faulty(std::map<std::string, FaultCount> Faults::*which, const fs::path& file) {
    std::lock_guard lock(faultMutex);
    auto& planned = faults().*which;
    if (planned.empty()) return false;
    auto it = planned.find(file.filename().string());
    if (it == planned.end()) return false;
    if (it->second.after == 0) return true;
    --it->second.after;
    return false;
}

}  // namespace

bool isFileFaultPlan(const std::string& text) { return parseFaults(text).has_value(); }

bool setFileFaults(const std::string& text) {
    std::optional<Faults> parsed = parseFaults(text);
    if (!parsed) return false;
    std::lock_guard lock(faultMutex);
    faults() = std::move(*parsed);
    return true;
}

// ---- reading

FileReadError::FileReadError(const fs::path& file, const std::string& reason)
    : std::runtime_error(file.string() + " を読めません（" + reason + "）"), file_(file) {}

namespace {

// A descriptor, -1 when there is no file, -2 (with `reason`) when it cannot be opened.
int openFile(const fs::path& file, std::string& reason, int extraFlags) {
    if (faulty(&Faults::reads, file)) {
        reason = std::strerror(EIO);
        return -2;
    }
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | extraFlags);
    if (fd >= 0) return fd;
    if (errno == ENOENT || errno == ENOTDIR) return -1;
    reason = std::strerror(errno);
    return -2;
}

}  // namespace

FileStamp fileStampOf(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return {};
    auto ns = [](const timespec& t) { return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec; };
    return {true, st.st_dev, st.st_ino, static_cast<unsigned long long>(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

int openForReading(const fs::path& file) {
    std::string reason;
    int fd = openFile(file, reason, 0);
    if (fd == -2) throw FileReadError(file, reason);
    return fd;
}

namespace {

void fail(FileRead& into, std::string reason) {
    into.state = FileRead::Unreadable;
    into.reason = std::move(reason);
    into.bytes.clear();
}

std::string tooLarge(std::size_t limit) { return "大きすぎます（上限 " + std::to_string(limit) + " バイト）"; }

// Reads the opened `fd` to its end (at most `limit` bytes) and closes it. `known`: its status when
// the caller has taken it already (a system call less per file; the analysis reads 150).
void readOpened(int fd, FileRead& into, std::size_t limit, const struct stat* known = nullptr) {
    std::string& bytes = into.bytes;
    // One read of the known size instead of a character stream: the store's files are large.
    struct stat st {};
    if (known) st = *known;
    else if (::fstat(fd, &st) != 0) st = {};
    std::size_t room = std::min<std::size_t>(1 << 16, limit + 1);
    if (S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= limit)
        room = static_cast<std::size_t>(st.st_size) + 1;  // the extra byte sees a file that grew
    // An earlier file's bytes are read over, not cleared first: only room beyond them is filled, so a
    // buffer kept for many files is not zeroed to its largest size for every small one.
    if (bytes.size() < room) bytes.resize(room);
    std::size_t have = 0;
    for (;;) {
        if (bytes.size() == have) bytes.resize(std::min(have * 2 + (1 << 16), limit + 1));
        ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n > 0) have += static_cast<std::size_t>(n);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {  // a folder of that name ends here too (EISDIR)
            fail(into, std::strerror(errno));
            ::close(fd);
            return;
        }
        if (have > limit) {
            fail(into, tooLarge(limit));
            ::close(fd);
            return;
        }
    }
    ::close(fd);
    bytes.resize(have);
    into.state = FileRead::Read;
}

}  // namespace

void readFile(const fs::path& file, FileRead& into) {
    into.state = FileRead::Missing;
    into.reason.clear();
    int fd = openFile(file, into.reason, 0);
    if (fd == -2) into.state = FileRead::Unreadable;
    if (fd < 0) {
        into.bytes.clear();
        return;
    }
    readOpened(fd, into, into.bytes.max_size() - 1);
}

void readRegularFile(const fs::path& file, FileRead& into, std::size_t maxBytes) {
    into.state = FileRead::Missing;
    into.reason.clear();
    // Opened without waiting: a FIFO would otherwise block the open until a writer comes.
    int fd = openFile(file, into.reason, O_NONBLOCK);
    if (fd == -2) into.state = FileRead::Unreadable;
    if (fd < 0) {
        into.bytes.clear();
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(into, "通常のファイルではありません");
    }
    if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail(into, tooLarge(maxBytes));
    }
    readOpened(fd, into, maxBytes, &st);
}

FileRead readRegularFile(const fs::path& file, std::size_t maxBytes) {
    FileRead result;
    readRegularFile(file, result, maxBytes);
    return result;
}

FileRead readFile(const fs::path& file) {
    FileRead result;
    readFile(file, result);
    return result;
}

std::string readFileBytes(const fs::path& file) {
    FileRead read = readFile(file);
    if (read.state == FileRead::Unreadable) throw FileReadError(file, read.reason);
    return std::move(read.bytes);
}

namespace {
std::vector<std::string> ownedLines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(text)) lines.emplace_back(line);
    return lines;
}
}  // namespace

std::vector<std::string> readLines(const fs::path& file) { return ownedLines(readFileBytes(file)); }

const FileRead& readRegularFileKept(const fs::path& file, std::size_t maxBytes) {
    thread_local FileRead kept;
    if (kept.bytes.capacity() > (std::size_t{1} << 24)) kept = FileRead{};  // no large file held on to
    readRegularFile(file, kept, maxBytes);
    return kept;
}

// ---- read-modify-write under a lock

FolderBusyError::FolderBusyError(const fs::path& file)
    : std::runtime_error("フォルダ " + file.parent_path().string() + " は他のプログラムが使用中です（" +
                         file.filename().string() + "）。しばらくしてからやり直してください。") {}

FileLock::FileLock(const fs::path& file, std::chrono::milliseconds wait) {
    fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    fs::path lockFile = dir / ("." + file.filename().string() + ".lock");
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) break;  // no locks on this file system: nothing to wait for
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            throw FolderBusyError(file);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

FileUpdate::FileUpdate(fs::path file, std::chrono::milliseconds wait) : file_(std::move(file)), lock_(file_, wait) {
    FileRead read = readFile(file_);
    if (read.state == FileRead::Unreadable) throw FileReadError(file_, read.reason);
    existed_ = read.state == FileRead::Read;
    bytes_ = std::move(read.bytes);
}

FileUpdate::~FileUpdate() = default;

std::vector<std::string> FileUpdate::lines() const { return ownedLines(bytes_); }

void FileUpdate::refuseFaultyWrite() const {
    if (faulty(&Faults::writes, file_)) throw FileWriteError(file_, std::strerror(ENOSPC));
}

void FileUpdate::replace(std::string_view bytes) {
    refuseFaultyWrite();
    writeFileAtomic(file_, bytes);
}

void FileUpdate::replaceLines(const std::vector<std::string>& lines) {
    refuseFaultyWrite();
    writeLinesAtomic(file_, lines);
}

}  // namespace vex
