#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vex {
namespace fs = std::filesystem;

FileWriteError::FileWriteError(const fs::path& file, const std::string& reason)
    : std::runtime_error(file.string() + ": " + reason), file_(file) {}

namespace {

// Creates the temporary file of `file` and writes its content in pieces (flushed to disk when
// `flush`); returns its name. Throws FileWriteError after removing it.
template <typename Writer>
std::string writeTemporary(const fs::path& file, Writer&& writeAll, bool flush = false) {
    // Named by process and counter and created exclusively with the final mode (the umask
    // applies), which spares mkstemp's random names and a chmod per file.
    static unsigned long counter = 0;
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
    auto writeBytes = [&](std::string_view bytes) {
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
    };
    int err = writeAll(writeBytes);
    if (err == 0 && flush && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        ::unlink(name.c_str());
        throw FileWriteError(file, std::strerror(err));
    }
    return name;
}

}  // namespace

void writeFileAtomic(const fs::path& file, std::string_view bytes, bool flush) {
    std::string tmp = writeTemporary(file, [&](auto&& writeBytes) { return writeBytes(bytes); }, flush);
    if (::rename(tmp.c_str(), file.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        throw FileWriteError(file, std::strerror(err));
    }
}

AtomicFileBatch::~AtomicFileBatch() {
    for (const auto& p : pending_) ::unlink(p.temporary.c_str());
}

void AtomicFileBatch::add(const fs::path& file, std::string_view bytes) {
    std::string tmp = writeTemporary(file, [&](auto&& writeBytes) { return writeBytes(bytes); });
    pending_.push_back({file, std::move(tmp)});
}

void AtomicFileBatch::addLines(const fs::path& file, const std::vector<std::string>& lines) {
    std::string tmp = writeTemporary(file, [&](auto&& writeBytes) {
        // Joined in chunks so a large file needs no second copy of itself in memory.
        std::size_t total = 0;
        for (const auto& line : lines) total += line.size() + 2;
        std::string chunk;
        chunk.reserve(std::min<std::size_t>(total, 1 << 20));
        for (const auto& line : lines) {
            chunk += line;
            chunk += "\r\n";
            if (chunk.size() >= (1 << 20)) {
                if (int err = writeBytes(chunk)) return err;
                chunk.clear();
            }
        }
        return writeBytes(chunk);
    });
    pending_.push_back({file, std::move(tmp)});
}

std::vector<FileWriteError> AtomicFileBatch::commit() {
    std::vector<FileWriteError> failures;
    if (pending_.empty()) return failures;
    // One sync of the file system holding the temporaries makes them all durable.
    int fd = ::open(pending_.front().temporary.c_str(), O_RDONLY | O_CLOEXEC);
    int syncError = 0;
    if (fd < 0 || ::syncfs(fd) != 0) syncError = errno;
    if (fd >= 0) ::close(fd);
    for (const auto& p : pending_) {
        if (syncError != 0) {
            ::unlink(p.temporary.c_str());
            failures.emplace_back(p.file, std::strerror(syncError));
        } else if (::rename(p.temporary.c_str(), p.file.c_str()) != 0) {
            int err = errno;
            ::unlink(p.temporary.c_str());
            failures.emplace_back(p.file, std::strerror(err));
        }
    }
    pending_.clear();
    return failures;
}

void writeLinesAtomic(const fs::path& file, const std::vector<std::string>& lines) {
    std::string bytes;
    std::size_t total = 0;
    for (const auto& line : lines) total += line.size() + 2;
    bytes.reserve(total);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    writeFileAtomic(file, bytes);
}

std::string readFileBytes(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    // One read of the known size instead of a character stream: the store's files are large.
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        std::size_t room = bytes.capacity() - bytes.size();
        std::size_t old = bytes.size();
        ssize_t n;
        if (room > 0) {
            bytes.resize(bytes.capacity());
            n = ::read(fd, bytes.data() + old, room);
            bytes.resize(old + static_cast<std::size_t>(n > 0 ? n : 0));
        } else {
            n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
        }
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            throw std::system_error(err, std::generic_category(), file.string());
        }
    }
    ::close(fd);
    return bytes;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> readLines(const fs::path& file) {
    std::string bytes = readFileBytes(file);
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(bytes)) lines.emplace_back(line);
    return lines;
}

}  // namespace vex
