#pragma once
// Reading files. Every read says one of three things: missing, read, or cannot be read (and why).
// A file that exists but cannot be read is never taken for an empty one, so no read-modify-write
// replaces it. Files that another run may change at the same time (vexmora-cli beside the desktop
// program) are read and replaced under their lock (FileUpdate), so no run loses another's change.
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

struct FileRead {
    enum State { Missing, Read, Unreadable };
    State state = Missing;
    std::string bytes;   // Read: the whole file
    std::string reason;  // Unreadable: the system's text
};

FileRead readFile(const std::filesystem::path& file);
// The same into `into`, whose buffer is reused: for many files read one after another.
void readFile(const std::filesystem::path& file, FileRead& into);

// For files a user or a feed names, which may be anything: only a regular file is read (a FIFO or
// a device is Unreadable, "通常のファイルではありません", and never waited for), and only up to
// `maxBytes` (beyond: Unreadable, "大きすぎます…"). Reasons are UTF-8.
FileRead readRegularFile(const std::filesystem::path& file, std::size_t maxBytes);
void readRegularFile(const std::filesystem::path& file, FileRead& into, std::size_t maxBytes);
// The same into a buffer kept by this thread, valid until its next call on the thread: for the many
// files whose bytes are copied out at once (a fresh buffer is zeroed to the file's size first).
const FileRead& readRegularFileKept(const std::filesystem::path& file, std::size_t maxBytes);

// A file that exists but cannot be read. what() is UTF-8, like the file name: "<file> を読めません（reason）".
class FileReadError : public std::runtime_error {
public:
    FileReadError(const std::filesystem::path& file, const std::string& reason);
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

// The whole file; empty when it does not exist. Throws FileReadError when it cannot be read.
std::string readFileBytes(const std::filesystem::path& file);
// Lines without their CR LF or LF; none when the file does not exist. Throws FileReadError.
std::vector<std::string> readLines(const std::filesystem::path& file);
// Lines of text held in memory, split the same way (views into `text`).
std::vector<std::string_view> splitLines(std::string_view text);

// What identifies a file's content on disk without reading it: a replacement (a rename over it)
// or a write changes it. Taken before a read, compared before the replace, it tells whether
// another run wrote the file in between.
struct FileStamp {
    bool exists = false;
    unsigned long long device = 0, inode = 0, size = 0;
    long long modifiedNs = 0, changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp fileStampOf(const std::filesystem::path& file);

// For positioned reads (the store's record files): a descriptor of the opened file, -1 when there
// is none. Throws FileReadError when it exists but cannot be opened.
int openForReading(const std::filesystem::path& file);

// Another run held a file's lock longer than we wait. what() is UTF-8 and names the folder.
class FolderBusyError : public std::runtime_error {
public:
    explicit FolderBusyError(const std::filesystem::path& file);
};

inline constexpr std::chrono::milliseconds kLockWait{5000};

// The lock (flock) of a file shared with other runs, held while alive. It is taken on
// "<folder>/.<name>.lock", not on the file itself: the file is replaced by a rename, which would
// leave a lock on the old file behind. Throws FolderBusyError after waiting `wait`. A folder in
// which the lock file cannot be made goes unlocked: writing there fails and says so anyway.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file, std::chrono::milliseconds wait = kLockWait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

// One read-modify-write of a file shared with other runs, under the file's FileLock from the read
// to the rename. Throws FolderBusyError after waiting `wait`, FileReadError for a file that
// cannot be read.
class FileUpdate {
public:
    explicit FileUpdate(std::filesystem::path file, std::chrono::milliseconds wait = kLockWait);
    ~FileUpdate();
    FileUpdate(const FileUpdate&) = delete;
    FileUpdate& operator=(const FileUpdate&) = delete;

    const std::filesystem::path& file() const { return file_; }
    bool existed() const { return existed_; }
    const std::string& bytes() const { return bytes_; }
    std::vector<std::string> lines() const;

    // Atomic replacement; throws FileWriteError (the old content stays). bytes() stays as read.
    void replace(std::string_view bytes);
    void replaceLines(const std::vector<std::string>& lines);

private:
    void refuseFaultyWrite() const;
    std::filesystem::path file_;
    FileLock lock_;
    bool existed_ = false;
    std::string bytes_;
};

// ---- for tests: make reads or writes of a file fail, by its name (the last part of the path).
// "read:NAME[@N];write:NAME[@N]": after N successful reads (writes through FileUpdate) of a file
// so named, the next ones fail (EIO, ENOSPC). The environment variable VEXMORA_FILE_FAULTS holds the
// same text for other processes; setFileFaults replaces it in this one ("" clears). False, and
// nothing changed, when the text is malformed.
bool setFileFaults(const std::string& text);
// Whether `text` is such a plan (what setFileFaults would take).
bool isFileFaultPlan(const std::string& text);

}  // namespace vex
