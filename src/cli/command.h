#pragma once
// vexmora-cli subcommands. Each subcommand lives in its own file (cmd_<name>.cpp); commands()
// lists them all, in the order help shows them.
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/reporter.h"

namespace vex::cli {

// Exit codes of vexmora-cli.
inline constexpr int kOk = 0, kFailed = 1, kUsage = 2;

// Raised by a command for a usage error (exit 2); what() is printed to stderr.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Run = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string name;
    std::string usage;  // one line, shown by "help"
    Run run;
};

const std::vector<Command>& commands();

int runBetLines(const std::vector<std::string>& args);
int runBets(const std::vector<std::string>& args);
int runCard(const std::vector<std::string>& args);
int runCompiImport(const std::vector<std::string>& args);
int runCompiPages(const std::vector<std::string>& args);
int runDays(const std::vector<std::string>& args);
int runDirectRead(const std::vector<std::string>& args);
int runDownload(const std::vector<std::string>& args);
int runFeedExport(const std::vector<std::string>& args);
int runLoad(const std::vector<std::string>& args);
int runRefreshOdds(const std::vector<std::string>& args);
int runRefreshResults(const std::vector<std::string>& args);
int runStats(const std::vector<std::string>& args);
int runVote(const std::vector<std::string>& args);

// The arguments of the commands that export the simulated service's days: a folder, then
// --from / --to yyyymmdd (day numbers; the defaults when not given). Usage errors for the rest.
struct FolderAndDays {
    std::string folder;
    int first = 0, last = 0;
};
FolderAndDays parseFolderAndDays(const std::vector<std::string>& args, int defaultFirst, int defaultLast);

// UTF-8 text in the terminal's encoding (the locale's character set): as it is where that is
// UTF-8, or plain ASCII, which says nothing of the terminal.
std::string forTerminal(std::string_view utf8);

// Prints CP932 text as a line on stdout / stderr, in the terminal's encoding.
void printLine(const std::string& cp932);
void printError(const std::string& cp932);

// The command line's reporter: information and status texts are printed as lines; questions are
// answered with `answer` (commands run without dialogs) and printed too.
class PrintingReporter : public Reporter {
public:
    explicit PrintingReporter(bool answer = true) : answer_(answer) {}
    void information(const std::string& text) override { printLine(text); }
    bool askYesNo(const std::string& text) override {
        printLine(text);
        return answer_;
    }
    void beep() override {}
    void status(const std::string& text) override { printLine(text); }

private:
    bool answer_;
};

}  // namespace vex::cli
