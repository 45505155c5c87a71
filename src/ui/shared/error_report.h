#pragma once
// No error ends the program: an exception that escapes a window handler (a file that cannot be
// written, a settings write refused, ...) or a worker job is shown in a message box and written
// to ErrorLog.txt, and the program goes on.
#include <QApplication>
#include <QString>

namespace vex::ui {

class VexmoraApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

// The text of an exception, whose what() may be UTF-8 (file names) or CP932 (the core's texts).
QString errorText(const char* what);

// Shows `text` (beep and message box over the active window) and appends it to the error log;
// an error log that cannot be written does not hide the message.
void reportError(const QString& text);

}  // namespace vex::ui
