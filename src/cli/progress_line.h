#pragma once
// The download's progress on a terminal: the texts that count files ("データ読込み中．．．(12/40)")
// rewrite one line in place, with the percent, the records read and the rate; every other text
// ends that line and is printed as a line of its own.
#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace vex::cli {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;
    // `records` tells how many records have been read so far.
    ProgressLine(std::ostream& out, std::function<long long()> records);
    ~ProgressLine();

    // A status text (UTF-8): drawn on the progress line when it counts files, else printed as a
    // line (ending the progress line first).
    void status(const std::string& utf8);
    // Ends the progress line, if one is drawn, so that other output starts on a fresh line.
    void end();

    // The text and figures as the line shows them (records and rate once records are read); ""
    // when the text counts no files.
    static std::string lineOf(const std::string& utf8, long long records, double seconds);

private:
    void draw(const std::string& utf8, Clock::time_point t);

    std::ostream& out_;
    std::function<long long()> records_;
    Clock::time_point readingSince_{}, drawn_{};
    std::string skipped_;  // a text not drawn for the redraw pace, drawn when the line ends
    bool open_ = false;
};

}  // namespace vex::cli
