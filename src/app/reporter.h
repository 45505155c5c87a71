#pragma once
// The core never opens a dialog. It tells the user things through this interface: the desktop
// program shows message boxes, vexmora-cli prints, tests record and answer. All texts are CP932.
// A job on a worker calls its reporter on that thread; the window's reporter carries the texts
// over to the window, and questions are asked by the window before the job starts.
#include <string>

namespace vex {

class Reporter {
public:
    virtual ~Reporter() = default;
    // Information box with an OK button.
    virtual void information(const std::string& text) = 0;
    // Yes/No question; true for yes.
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void beep() = 0;
    // A status line (status bar, status label, or a printed line).
    virtual void status(const std::string& text) = 0;
};

}  // namespace vex
