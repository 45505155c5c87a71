#include "cli/progress_line.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "cli/command.h"
#include "vocabulary/codes.h"

namespace vex::cli {
namespace {

// A new draw at most this often: the download polls every 10 ms, a terminal need not redraw so.
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

struct Count {
    long long done = 0, total = 0;
};

// The "(done/total)" that ends a text that counts files.
std::optional<Count> countAtEnd(const std::string& text) {
    if (text.empty() || text.back() != ')') return std::nullopt;
    const auto open = text.rfind('(');
    const auto slash = text.rfind('/');
    if (open == std::string::npos || slash == std::string::npos || slash < open) return std::nullopt;
    Count c;
    const char* first = text.data() + open + 1;
    const char* middle = text.data() + slash;
    const char* last = text.data() + text.size() - 1;
    auto a = std::from_chars(first, middle, c.done);
    auto b = std::from_chars(middle + 1, last, c.total);
    if (a.ec != std::errc() || a.ptr != middle || b.ec != std::errc() || b.ptr != last) return std::nullopt;
    return c;
}

// 1234567 -> "1,234,567"; the counts never go below 0.
std::string grouped(long long n) { return GroupedDigits(std::max(n, 0LL)); }

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::function<long long()> records)
    : out_(out), records_(std::move(records)) {}

ProgressLine::~ProgressLine() { end(); }

std::string ProgressLine::lineOf(const std::string& utf8, long long records, double seconds) {
    const auto count = countAtEnd(utf8);
    if (!count) return "";
    const long long percent = count->total > 0 ? count->done * 100 / count->total : 0;
    std::string line = utf8 + "  " + std::to_string(percent) + "%";
    // While the service downloads no record is read yet: records and rate would only say 0.
    if (records <= 0) return line;
    const long long rate = seconds > 0 ? static_cast<long long>(static_cast<double>(records) / seconds) : 0;
    return line + "  " + grouped(records) + "件  " + grouped(rate) + "件/秒";
}

void ProgressLine::status(const std::string& utf8) {
    const auto count = countAtEnd(utf8);
    if (!count) {
        end();
        out_ << forTerminal(utf8) << '\n' << std::flush;
        return;
    }
    const Clock::time_point t = Clock::now();
    // The rate counts from the last moment nothing had been read: the read loop's start.
    if (!records_ || records_() == 0) readingSince_ = t;
    const bool last = count->done == count->total;
    if (open_ && !last && t - drawn_ < kRedrawEvery) {
        skipped_ = utf8;
        return;
    }
    draw(utf8, t);
}

void ProgressLine::draw(const std::string& utf8, Clock::time_point t) {
    drawn_ = t;
    skipped_.clear();
    const double seconds = std::chrono::duration<double>(t - readingSince_).count();
    // Back to the line's start and clear it: a shorter text leaves nothing of the longer one.
    out_ << "\r\033[K" << forTerminal(lineOf(utf8, records_ ? records_() : 0, seconds)) << std::flush;
    open_ = true;
}

void ProgressLine::end() {
    if (!open_) return;
    if (!skipped_.empty()) draw(skipped_, Clock::now());
    out_ << '\n' << std::flush;
    open_ = false;
}

}  // namespace vex::cli
