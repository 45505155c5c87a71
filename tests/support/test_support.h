#pragma once
// Shared helpers of the core tests.
#include <filesystem>
#include <string>
#include <vector>

#include "app/reporter.h"

namespace vex::test {

// A fresh folder under the system temp folder, removed at the end of the test. While it lives,
// VEXMORA_HOME points at it (the previous value is restored).
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// Records everything the core tells the user (as UTF-8) and answers questions from a queue
// (true when the queue is empty).
class RecordingReporter : public Reporter {
public:
    void information(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void beep() override { ++beeps; }
    void status(const std::string& text) override;

    std::vector<std::string> informations, questions, statuses;
    std::vector<bool> answers;  // consumed front to back
    int beeps = 0;
};

// Runs vexmora-cli with `args` (shell-quoted by the caller) and the extra environment assignments
// `env` ("NAME=value ..."); returns stdout, and the exit code through `exitCode`.
std::string runCli(const std::string& args, int& exitCode, const std::string& env = "");
// Runs a shell script (commands of several processes at once) and returns its stdout.
std::string runShell(const std::string& script);
// Runs a shell command line; returns stdout, and the exit code through `exitCode`.
std::string runCommand(const std::string& command, int& exitCode);
// The vexmora-cli program the tests run.
std::string cliPath();

// The name of an installed locale that writes numbers with a decimal comma (2,5); empty when none
// is. The C library's locale is left as it was.
std::string commaDecimalLocale();

}  // namespace vex::test
