#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vex {
namespace fs = std::filesystem;

FileWriteError::FileWriteError(const fs::path& file, const std::string& reason)
    : std::runtime_error(file.string() + ": " + reason), file_(file) {}

void writeFileAtomic(const fs::path& file, std::string_view bytes) {
    fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::string pattern = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) throw FileWriteError(file, std::strerror(errno));
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(pattern.c_str());
        throw FileWriteError(file, std::strerror(err));
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) fail(errno);
    ::fchmod(fd, 0644);
    if (::close(fd) != 0) {
        ::unlink(pattern.c_str());
        throw FileWriteError(file, std::strerror(errno));
    }
    if (::rename(pattern.c_str(), file.c_str()) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        throw FileWriteError(file, std::strerror(err));
    }
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
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> readLines(const fs::path& file) {
    std::string bytes = readFileBytes(file);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.emplace_back(bytes, start, stop - start);
        start = end + 1;
    }
    return lines;
}

}  // namespace vex
