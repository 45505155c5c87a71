// The Windows versions of the few core routines the test control's core code calls whose Linux
// versions use POSIX files, flock, iconv or /proc. Same contracts as in app/ and vocabulary/.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/file_read.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

std::string toCp932(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    int m = WideCharToMultiByte(932, 0, wide.data(), n, nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(932, 0, wide.data(), n, out.data(), m, "?", nullptr);
    return out;
}

// The ledger's folder.
fs::path appFolder() {
    const wchar_t* home = _wgetenv(L"VEXMORA_TEST_CONTROL_HOME");
    return home ? fs::path(home) : fs::path(L".");
}

FileReadError::FileReadError(const fs::path& file, const std::string& reason)
    : std::runtime_error(file.string() + " を読めません（" + reason + "）"), file_(file) {}

FileWriteError::FileWriteError(const fs::path& file, const std::string& reason)
    : std::runtime_error(file.string() + ": " + reason), file_(file), reason_(reason) {}

FileRead readFile(const fs::path& file) {
    FileRead read;
    FILE* f = _wfopen(file.c_str(), L"rb");
    if (!f) {
        std::error_code ec;
        if (fs::exists(file, ec)) {
            read.state = FileRead::Unreadable;
            read.reason = std::strerror(errno);
        }
        return read;
    }
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) read.bytes.append(buffer, n);
    read.state = std::ferror(f) ? FileRead::Unreadable : FileRead::Read;
    if (read.state == FileRead::Unreadable) read.reason = std::strerror(errno);
    std::fclose(f);
    return read;
}

// The feed a test serves holds regular files only; anything else, or too large a file, is refused
// as the Linux reader refuses it. As there, one open and one read of the size the handle tells:
// every lookup of the path by name costs Wine a walk of the folders.
FileRead readRegularFile(const fs::path& file, std::size_t maxBytes) {
    FileRead read;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return read;
        read.state = FileRead::Unreadable;
        const DWORD attributes = GetFileAttributesW(file.c_str());
        read.reason = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                          ? "not a regular file within its size bound"
                          : "cannot be opened (error " + std::to_string(error) + ")";
        return read;
    }
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size) || static_cast<std::size_t>(size.QuadPart) > maxBytes) {
        CloseHandle(h);
        read.state = FileRead::Unreadable;
        read.reason = "not a regular file within its size bound";
        return read;
    }
    read.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    const bool ok = read.bytes.empty() || ReadFile(h, read.bytes.data(), static_cast<DWORD>(read.bytes.size()), &got, nullptr);
    CloseHandle(h);
    read.bytes.resize(got);
    read.state = ok ? FileRead::Read : FileRead::Unreadable;
    if (!ok) read.reason = "read failed";
    return read;
}

const FileRead& readRegularFileKept(const fs::path& file, std::size_t maxBytes) {
    thread_local FileRead kept;
    kept = readRegularFile(file, maxBytes);
    return kept;
}

std::string readFileBytes(const fs::path& file) {
    FileRead read = readFile(file);
    if (read.state == FileRead::Unreadable) throw FileReadError(file, read.reason);
    return std::move(read.bytes);
}

void writeFileAtomic(const fs::path& file, std::string_view bytes, bool) {
    fs::path temporary = file.parent_path() / (L"." + file.filename().wstring() + L".tmp");
    FILE* f = _wfopen(temporary.c_str(), L"wb");
    if (!f) throw FileWriteError(file, std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) {
        _wremove(temporary.c_str());
        throw FileWriteError(file, "write failed");
    }
    if (!MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        _wremove(temporary.c_str());
        throw FileWriteError(file, "rename failed");
    }
}

// The lock is the Windows one on the same lock file; the wait is not bounded (one user here).
FileLock::FileLock(const fs::path& file, std::chrono::milliseconds) {
    fs::path lockFile = file.parent_path() / (L"." + file.filename().wstring() + L".lock");
    fd_ = _wopen(lockFile.c_str(), _O_RDWR | _O_CREAT | _O_BINARY, 0644);
    if (fd_ < 0) return;
    OVERLAPPED whole{};
    LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole);
}

FileLock::~FileLock() {
    if (fd_ >= 0) _close(fd_);  // closing releases the lock
}

FileUpdate::FileUpdate(fs::path file, std::chrono::milliseconds wait) : file_(std::move(file)), lock_(file_, wait) {
    FileRead read = readFile(file_);
    if (read.state == FileRead::Unreadable) throw FileReadError(file_, read.reason);
    existed_ = read.state == FileRead::Read;
    bytes_ = std::move(read.bytes);
}

FileUpdate::~FileUpdate() = default;

void FileUpdate::replace(std::string_view bytes) { writeFileAtomic(file_, bytes); }

}  // namespace vex

namespace vex::control {

// Its Linux home starts processes. Only the settings dialog checks a bridge command with it, and the
// test control has no dialog (it is made without a ControlUi), so no command ever reaches here.
std::vector<std::string> splitCommand(const std::string&) { return {}; }

}  // namespace vex::control
