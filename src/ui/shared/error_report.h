#pragma once
// No error ends the program: an exception that escapes a window handler (a file that cannot be
// written, a settings write refused, ...) or a worker job is shown in a message box and written
// to ErrorLog.txt, and the program goes on.
#include <QApplication>
#include <QString>
#include <exception>

namespace vex::ui {

class VexmoraApplication : public QApplication {
public:
    // Qt sets the C library to the user's locale; numbers go back to C formatting, so the odds
    // and rates the core writes read "7.6", never "7,6", whatever the desktop's language.
    VexmoraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The text of an exception: every what() of ours is UTF-8 (the core's texts and file names alike).
QString errorText(const std::exception& e);
// Inside a catch block: the text of the exception being handled, whatever was thrown; never empty.
QString caughtErrorText();

// Shows `text` (beep and message box over the active window) and appends it to the error log;
// an error log that cannot be written does not hide the message.
void reportError(const QString& text);

}  // namespace vex::ui
