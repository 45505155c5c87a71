// Splitting text into lines: plain C++, apart from file_read.cpp's POSIX files, so that the
// Windows test control (tests/wine) builds it too.
#include "app/file_read.h"

namespace vex {

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

}  // namespace vex
