#pragma once
// Every file the program writes is replaced atomically: the content goes to a temporary file in the
// same folder, is flushed to disk, and is then renamed over the target. A crash or a killed process
// leaves either the old or the new file, never a cut one. For tests of that, the environment
// variable VEXMORA_DIE_AT_REPLACEMENT=N ends the process just before its Nth replacement.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_read.h"  // the reading side

namespace vex {

// Raised when a file cannot be written; what() names the file.
class FileWriteError : public std::runtime_error {
public:
    FileWriteError(const std::filesystem::path& file, const std::string& reason);
    const std::filesystem::path& file() const { return file_; }
    // The system's reason alone, without the file (for messages that count files by reason).
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path file_;
    std::string reason_;
};

// `flush` false skips the flush to disk: still atomic against a crashed or killed process, not
// against a power cut. For bulk output that can simply be written again (exports).
void writeFileAtomic(const std::filesystem::path& file, std::string_view bytes, bool flush = true);
// Each line followed by CR LF.
void writeLinesAtomic(const std::filesystem::path& file, const std::vector<std::string>& lines, bool flush = true);

// Many files replaced with one sync instead of one per file: each file is written to its own
// temporary file, commit() syncs the file system once and renames every temporary over its target.
// Each target still ends up old or new, never cut. Temporaries not committed are removed.
class AtomicFileBatch {
public:
    AtomicFileBatch() = default;
    ~AtomicFileBatch();
    AtomicFileBatch(const AtomicFileBatch&) = delete;
    AtomicFileBatch& operator=(const AtomicFileBatch&) = delete;

    // Writes the temporary file of `file`; throws FileWriteError (nothing is left behind then).
    void add(const std::filesystem::path& file, std::string_view bytes);
    // Each line followed by CR LF.
    void addLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

    struct LinesFile {
        const std::filesystem::path* file;
        const std::vector<std::string>* lines;
    };
    // addLines for many files on up to `threads` threads (0: one per core): creating and filling
    // thousands of files is file-system work that spreads over the cores. Returns the files whose
    // temporary could not be written (nothing is left behind for them); the others are pending.
    std::vector<FileWriteError> addLinesEach(const std::vector<LinesFile>& files, unsigned threads = 0);

    // Syncs and renames (on up to `threads` threads); returns the files that could not be replaced
    // (their old content stays).
    std::vector<FileWriteError> commit(unsigned threads = 1);

private:
    struct Pending {
        std::filesystem::path file;
        std::string temporary;
    };
    std::vector<Pending> pending_;
};

// Temporaries are named "." + target name + "." + writer's pid + "." + counter. A process killed
// while writing leaves them behind; these remove the ones whose writer no longer runs (a live
// process's, this one's included, are kept). Returns how many were removed.
std::size_t removeStaleTemporaries(const std::filesystem::path& folder);
// The same for `root`, its subfolders and theirs (the application folder: Data, SEI/<year>, ...).
std::size_t removeStaleTemporariesBelow(const std::filesystem::path& root);

}  // namespace vex
