#pragma once
// Every message box and file or folder picker of the program goes through here, so that window
// tests can seed the next answers (modal boxes would block on the offscreen platform) and read
// what was shown. Texts are QStrings; core texts arrive through UiReporter.
#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>

#include "app/reporter.h"

namespace vex::ui {

class Dialogs {
public:
    // Information box with an OK button.
    static void information(QWidget* parent, const QString& text);
    // Yes/No question; true for yes.
    static bool askYesNo(QWidget* parent, const QString& text);
    // File / folder pickers; empty when cancelled.
    static QString openFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    static QString chooseFolder(QWidget* parent, const QString& caption, const QString& dir);
    static QString saveFile(QWidget* parent, const QString& caption, const QString& path, const QString& filter);
    static void beep();

    // ---- for tests: while seeded, no dialog opens.
    // Answers used by askYesNo (front first); pickers take seeded paths.
    static void seedAnswers(std::deque<bool> answers);
    static void seedPaths(std::deque<QString> paths);
    // Starts recording: information and question texts are kept instead of shown, questions take
    // seeded answers (yes when none are left).
    static void startRecording();
    static void stopRecording();
    static bool recording();
    static QStringList shown();  // every information and question text, in order
    static void clearShown();
    static int beeps();
};

// Reporter of the core that talks through Dialogs and a status callback.
class UiReporter : public Reporter {
public:
    explicit UiReporter(QWidget* parent) : parent_(parent) {}
    void information(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void beep() override;
    void status(const std::string& text) override;
    std::function<void(const QString&)> onStatus;

private:
    QWidget* parent_;
};

}  // namespace vex::ui
