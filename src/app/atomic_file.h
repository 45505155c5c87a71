#pragma once
// Every file the program writes is replaced atomically: the content goes to a temporary file in the
// same folder, is flushed to disk, and is then renamed over the target. A crash or a killed process
// leaves either the old or the new file, never a cut one.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

// Raised when a file cannot be written; what() names the file.
class FileWriteError : public std::runtime_error {
public:
    FileWriteError(const std::filesystem::path& file, const std::string& reason);
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

void writeFileAtomic(const std::filesystem::path& file, std::string_view bytes);
// Each line followed by CR LF.
void writeLinesAtomic(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Whole file as bytes; empty when it does not exist.
std::string readFileBytes(const std::filesystem::path& file);
// Lines of a text file without their CR LF or LF; empty when it does not exist.
std::vector<std::string> readLines(const std::filesystem::path& file);

}  // namespace vex
