#pragma once
// The core never opens a dialog. It tells the user things through this interface: the desktop
// program shows message boxes, vexmora-cli prints, tests record and answer. All texts are CP932.
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
