#include "app/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "app/parallel.h"

namespace vex {
namespace fs = std::filesystem;

FileWriteError::FileWriteError(const fs::path& file, const std::string& reason)
    : std::runtime_error(file.string() + ": " + reason), file_(file), reason_(reason) {}

namespace {

// The writer's pid of a temporary's name, 0 when the name is not one of ours.
pid_t writerOfTemporary(std::string_view name) {
    auto lastNumber = [&name]() -> std::optional<unsigned long> {
        std::size_t dot = name.rfind('.');
        if (dot == std::string_view::npos || dot + 1 == name.size()) return std::nullopt;
        unsigned long n = 0;
        for (char c : name.substr(dot + 1)) {
            if (c < '0' || c > '9' || n > 100000000UL) return std::nullopt;
            n = n * 10 + static_cast<unsigned long>(c - '0');
        }
        name = name.substr(0, dot);
        return n;
    };
    if (name.size() < 2 || name[0] != '.') return 0;
    if (!lastNumber()) return 0;  // counter
    auto pid = lastNumber();
    if (!pid || *pid == 0 || name.size() < 2) return 0;  // a target name must remain
    return static_cast<pid_t>(*pid);
}

bool processRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

std::size_t removeStaleTemporaries(const fs::path& folder) {
    std::size_t removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        pid_t pid = writerOfTemporary(name);
        if (pid == 0 || processRuns(pid)) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (::unlink(it->path().c_str()) == 0) ++removed;
    }
    return removed;
}

std::size_t removeStaleTemporariesBelow(const fs::path& root) {
    std::size_t removed = removeStaleTemporaries(root);
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || it->is_symlink(typeError)) continue;
        removed += removeStaleTemporaries(it->path());
        std::error_code subError;
        for (fs::directory_iterator sub(it->path(), subError), subEnd; !subError && sub != subEnd;
             sub.increment(subError)) {
            std::error_code subType;
            if (sub->is_directory(subType) && !sub->is_symlink(subType)) removed += removeStaleTemporaries(sub->path());
        }
    }
    return removed;
}

namespace {

int writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Each line followed by CR LF, gathered straight from the lines (no joined copy of the file).
int writeLinesTo(int fd, const std::vector<std::string>& lines) {
    static char crlf[] = "\r\n";
    constexpr std::size_t kBatch = 1024;  // iovecs per call (IOV_MAX on Linux)
    std::vector<iovec> iov;
    iov.reserve(kBatch);
    for (std::size_t i = 0; i < lines.size();) {
        iov.clear();
        for (; i < lines.size() && iov.size() + 2 <= kBatch; ++i) {
            iov.push_back({const_cast<char*>(lines[i].data()), lines[i].size()});
            iov.push_back({crlf, 2});
        }
        for (std::size_t k = 0; k < iov.size();) {
            ssize_t n = ::writev(fd, iov.data() + k, static_cast<int>(iov.size() - k));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            auto done = static_cast<std::size_t>(n);
            while (k < iov.size() && done >= iov[k].iov_len) done -= iov[k++].iov_len;
            if (done > 0) {
                iov[k].iov_base = static_cast<char*>(iov[k].iov_base) + done;
                iov[k].iov_len -= done;
            }
        }
    }
    return 0;
}

// Creates the temporary file of `file`, fills it with `fill(fd)` (which returns 0 or an errno),
// flushes it to disk when `flush`, and returns its name. Throws FileWriteError after removing it.
template <typename Fill>
std::string writeTemporary(const fs::path& file, Fill&& fill, bool flush) {
    // Named by process and counter and created exclusively with the final mode (the umask
    // applies), which spares mkstemp's random names and a chmod per file.
    static std::atomic<unsigned long> counter{0};
    fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::string base = (dir / ("." + file.filename().string() + "." + std::to_string(::getpid()) + ".")).string();
    std::string name;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        name = base + std::to_string(++counter);
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw FileWriteError(file, std::strerror(errno));
    int err = fill(fd);
    if (err == 0 && flush && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        ::unlink(name.c_str());
        throw FileWriteError(file, std::strerror(err));
    }
    return name;
}

// Runs `work(i)` for every i in [0, count) on up to `threads` threads (0: one per core). Files of
// one folder go to one thread at a time: creating entries in a folder takes the folder's lock, so
// threads working in the same folder mostly wait for each other. `folderOf(i)` names the folder of
// item i; items of a folder are expected next to each other (sorted by path).
template <typename FolderOf, typename Work>
void forEachFileByFolder(std::size_t count, unsigned threads, FolderOf&& folderOf, Work&& work) {
    std::vector<std::size_t> starts;  // first item of each run of one folder
    for (std::size_t i = 0; i < count; ++i)
        if (i == 0 || folderOf(i) != folderOf(i - 1)) starts.push_back(i);
    starts.push_back(count);
    forEachOnCores(starts.size() - 1, threads, [&](std::size_t run) {
        for (std::size_t i = starts[run]; i < starts[run + 1]; ++i) work(i);
    });
}

// While alive, syncs the file system holding `folder` every 100 ms from a thread of its own: the
// disk then works while the next files are written, and the one sync of the commit has little
// left to wait for.
class Writeback {
public:
    explicit Writeback(const fs::path& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ >= 0) thread_ = std::thread([this] { run(); });
    }
    ~Writeback() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return done_; })) {
            lock.unlock();
            ::syncfs(fd_);
            lock.lock();
        }
    }
    int fd_;
    bool done_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
};

// For tests of a killed process: VEXMORA_DIE_AT_REPLACEMENT=N ends this process (SIGKILL) just
// before its Nth file replacement, so the kill meets a known moment of the writing.
long dieAtReplacement() {
    const char* text = std::getenv("VEXMORA_DIE_AT_REPLACEMENT");
    if (!text) return 0;
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && n > 0 ? n : 0;
}

int replaceFile(const char* temporary, const char* file) {
    static const long dieAt = dieAtReplacement();
    static std::atomic<long> replacements{0};
    if (dieAt > 0 && ++replacements == dieAt) ::kill(::getpid(), SIGKILL);
    return ::rename(temporary, file);
}

}  // namespace

void writeFileAtomic(const fs::path& file, std::string_view bytes, bool flush) {
    std::string tmp = writeTemporary(
        file, [&](int fd) { return writeAll(fd, bytes); }, flush);
    if (replaceFile(tmp.c_str(), file.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        throw FileWriteError(file, std::strerror(err));
    }
}

AtomicFileBatch::~AtomicFileBatch() {
    for (const auto& p : pending_) ::unlink(p.temporary.c_str());
}

void AtomicFileBatch::add(const fs::path& file, std::string_view bytes) {
    std::string tmp = writeTemporary(file, [&](int fd) { return writeAll(fd, bytes); }, false);
    pending_.push_back({file, std::move(tmp)});
}

void AtomicFileBatch::addLines(const fs::path& file, const std::vector<std::string>& lines) {
    std::string tmp = writeTemporary(file, [&](int fd) { return writeLinesTo(fd, lines); }, false);
    pending_.push_back({file, std::move(tmp)});
}

std::vector<FileWriteError> AtomicFileBatch::addLinesEach(const std::vector<LinesFile>& files, unsigned threads) {
    std::vector<std::string> temporaries(files.size());
    std::vector<std::optional<FileWriteError>> errors(files.size());
    std::optional<Writeback> writeback;
    if (files.size() > 1) writeback.emplace(files.front().file->parent_path());
    auto folderOf = [&](std::size_t i) { return files[i].file->parent_path(); };
    forEachFileByFolder(files.size(), threads, folderOf, [&](std::size_t i) {
        try {
            temporaries[i] = writeTemporary(
                *files[i].file, [&](int fd) { return writeLinesTo(fd, *files[i].lines); }, false);
        } catch (const FileWriteError& e) {
            errors[i] = e;
        }
    });
    std::vector<FileWriteError> failures;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (errors[i])
            failures.push_back(*errors[i]);
        else
            pending_.push_back({*files[i].file, std::move(temporaries[i])});
    }
    return failures;
}

int AtomicFileBatch::syncPending() const {
    // One sync of the file system holding the temporaries makes them all durable.
    int fd = ::open(pending_.front().temporary.c_str(), O_RDONLY | O_CLOEXEC);
    int syncError = 0;
    if (fd < 0 || ::syncfs(fd) != 0) syncError = errno;
    if (fd >= 0) ::close(fd);
    return syncError;
}

std::vector<FileWriteError> AtomicFileBatch::commit(unsigned threads) {
    std::vector<FileWriteError> failures;
    if (pending_.empty()) return failures;
    const int syncError = syncPending();
    std::vector<int> errors(pending_.size(), 0);
    auto folderOf = [&](std::size_t i) { return pending_[i].file.parent_path(); };
    forEachFileByFolder(pending_.size(), syncError != 0 ? 1 : threads, folderOf, [&](std::size_t i) {
        const Pending& p = pending_[i];
        if (syncError == 0 && replaceFile(p.temporary.c_str(), p.file.c_str()) == 0) return;
        errors[i] = syncError != 0 ? syncError : errno;
        ::unlink(p.temporary.c_str());
    });
    for (std::size_t i = 0; i < pending_.size(); ++i)
        if (errors[i] != 0) failures.emplace_back(pending_[i].file, std::strerror(errors[i]));
    pending_.clear();
    return failures;
}

std::vector<FileWriteError> AtomicFileBatch::commitEach(const Replace& replace) {
    std::vector<FileWriteError> failures;
    if (pending_.empty()) return failures;
    const int syncError = syncPending();
    for (Pending& p : pending_) {
        bool renamed = false;
        auto renameTemporary = [&] {
            if (syncError != 0) throw FileWriteError(p.file, std::strerror(syncError));
            if (replaceFile(p.temporary.c_str(), p.file.c_str()) != 0) throw FileWriteError(p.file, std::strerror(errno));
            renamed = true;
        };
        try {
            replace(p.file, renameTemporary);
        } catch (const FileWriteError& e) {
            failures.emplace_back(p.file, e.reason());
        } catch (const std::exception& e) {
            failures.emplace_back(p.file, e.what());
        }
        if (!renamed) ::unlink(p.temporary.c_str());
    }
    pending_.clear();
    return failures;
}

void writeLinesAtomic(const fs::path& file, const std::vector<std::string>& lines, bool flush) {
    std::string bytes;
    std::size_t total = 0;
    for (const auto& line : lines) total += line.size() + 2;
    bytes.reserve(total);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    writeFileAtomic(file, bytes, flush);
}

}  // namespace vex
