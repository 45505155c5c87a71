#include "ui/shared/error_report.h"

#include <clocale>
#include <exception>

#include "app/error_log.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"

namespace vex::ui {

VexmoraApplication::VexmoraApplication(int& argc, char** argv) : QApplication(argc, argv) {
    std::setlocale(LC_NUMERIC, "C");
}

bool VexmoraApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportError("処理を続けられませんでした。\n" + caughtErrorText());
    }
    return false;
}

QString errorText(const std::exception& e) { return QString::fromUtf8(e.what()); }

QString caughtErrorText() {
    QString text;
    try {
        throw;
    } catch (const std::exception& e) {
        text = errorText(e);
    } catch (...) {
    }
    // Never empty: callers tell a failure by its text.
    return text.isEmpty() ? QString("原因の分からないエラーです。") : text;
}

void reportError(const QString& text) {
    try {
        ErrorLog().addError(toCp932(text));
    } catch (const std::exception&) {
        // The message below is all the user gets then.
    }
    Dialogs::beep();
    Dialogs::information(QApplication::activeWindow(), text);
}

}  // namespace vex::ui
