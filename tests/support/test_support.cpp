#include "support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "vocabulary/cp932.h"

namespace vex::test {
namespace fs = std::filesystem;

TempHome::TempHome() {
    std::string pattern = (fs::temp_directory_path() / "vexmora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (const char* old = std::getenv("VEXMORA_HOME")) {
        hadPrevious_ = true;
        previous_ = old;
    }
    setenv("VEXMORA_HOME", path_.c_str(), 1);
}

TempHome::~TempHome() {
    if (hadPrevious_)
        setenv("VEXMORA_HOME", previous_.c_str(), 1);
    else
        unsetenv("VEXMORA_HOME");
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void RecordingReporter::information(const std::string& text) { informations.push_back(toUtf8(text)); }
void RecordingReporter::status(const std::string& text) { statuses.push_back(toUtf8(text)); }
bool RecordingReporter::askYesNo(const std::string& text) {
    questions.push_back(toUtf8(text));
    if (answers.empty()) return true;
    bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

std::string runCommand(const std::string& command, int& exitCode) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot start " + command);
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int status = pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string runCli(const std::string& args, int& exitCode, const std::string& env) {
#ifdef VEXMORA_CLI_PATH
    return runCommand(env + " " VEXMORA_CLI_PATH " " + args, exitCode);
#else
    (void)env;
    return runCommand("vexmora-cli " + args, exitCode);
#endif
}

std::string runShell(const std::string& script) {
    int exitCode = -1;
    return runCommand(script, exitCode);
}

std::string cliPath() {
#ifdef VEXMORA_CLI_PATH
    return VEXMORA_CLI_PATH;
#else
    return "vexmora-cli";
#endif
}

std::string commaDecimalLocale() {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    std::string found;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8", "ru_RU.utf8"})
        if (std::setlocale(LC_NUMERIC, name) && std::localeconv()->decimal_point[0] == ',') {
            found = name;
            break;
        }
    std::setlocale(LC_NUMERIC, before.c_str());
    return found;
}

}  // namespace vex::test
