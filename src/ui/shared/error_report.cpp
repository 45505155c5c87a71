#include "ui/shared/error_report.h"

#include <QStringDecoder>
#include <exception>

#include "app/error_log.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"

namespace vex::ui {

bool VexmoraApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportError("処理を続けられませんでした。\n" + errorText(e.what()));
    } catch (...) {
        reportError("処理を続けられませんでした。");
    }
    return false;
}

QString errorText(const char* what) {
    QByteArray bytes(what);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? fromCp932(bytes.toStdString()) : text;
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
