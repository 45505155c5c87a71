#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <exception>
#include <iostream>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "cli/command.h"
#include "cli/command_help.h"
#include "cli/environment.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> list{
        {"betlines", "betlines DAY N <bets options>", runBetLines},
        {"bets",
         "bets DAY N --kind K [--method M] [--mark C:H[,H...]]... [--multi CAPTION]... "
         "[--mode S] [--amount A] [--lower X] [--upper Y]",
         runBets},
        {"card", "card DAY N", runCard},
        {"compi-import", "compi-import FILE", runCompiImport},
        {"compi-pages", "compi-pages DIR [--from yyyymmdd] [--to yyyymmdd]", runCompiPages},
        {"days", "days", runDays},
        {"direct-read", "direct-read", runDirectRead},
        {"download", "download [--from \"yyyy/mm/dd hh:nn:ss\"]", runDownload},
        {"feed-export", "feed-export DIR [--from yyyymmdd] [--to yyyymmdd] [--odds-history]", runFeedExport},
        {"load", "load DAY", runLoad},
        {"refresh-odds", "refresh-odds DAY N", runRefreshOdds},
        {"refresh-results", "refresh-results DAY", runRefreshResults},
        {"stats",
         "stats [--from DAY] [--to DAY] [--track T,..] [--surface turf|dirt] [--distance A-B] [--runners A-B] "
         "[--race A-B] [--popularity P,..] [--type I,..] [--class I,..] [--weight I,..] "
         "[--by compi|popularity|zone|strategy] [--csv]",
         runStats},
        {"vote", "vote DAY N <bets options>", runVote},
    };
    return list;
}

FolderAndDays parseFolderAndDays(const std::vector<std::string>& args, int defaultFirst, int defaultLast) {
    FolderAndDays parsed{{}, defaultFirst, defaultLast};
    std::string fromText, toText;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--from" || args[i] == "--to") && i + 1 < args.size()) {
            (args[i] == "--from" ? fromText : toText) = args[i + 1];
            ++i;
        } else if (parsed.folder.empty() && args[i].rfind("--", 0) != 0) {
            parsed.folder = args[i];
        } else {
            throw UsageError("余分な引数です (unexpected argument): " + args[i]);
        }
    }
    if (parsed.folder.empty()) throw UsageError("書き出すフォルダを指定してください (the target folder is missing)");
    auto take = [](const std::string& text, const char* option, int& day) {
        if (text.empty()) return;
        day = dayNumberOfYmd(text).value_or(-1);
        if (day < 0) throw UsageError(std::string(option) + " は yyyymmdd で指定してください (wants yyyymmdd): " + text);
    };
    take(fromText, "--from", parsed.first);
    take(toText, "--to", parsed.last);
    return parsed;
}

namespace {

// Empty when UTF-8 is written as it is.
std::string terminalEncoding() {
    // Asked once and given back: the rest of the program keeps the "C" character rules.
    std::string encoding;
    if (std::setlocale(LC_CTYPE, "")) encoding = nl_langinfo(CODESET);
    std::setlocale(LC_CTYPE, "C");
    if (encoding == "UTF-8" || encoding == "ANSI_X3.4-1968" || encoding == "ASCII") encoding.clear();
    return encoding;
}

}  // namespace

std::string forTerminal(std::string_view utf8) {
    static const std::string encoding = terminalEncoding();
    return encoding.empty() ? std::string(utf8) : fromUtf8To(encoding, utf8);
}

void printLine(const std::string& cp932) { std::cout << forTerminal(toUtf8(cp932)) << '\n'; }
void printError(const std::string& cp932) { std::cerr << forTerminal(toUtf8(cp932)) << '\n'; }

static void printHelp() {
    std::cout << "vexmora-cli " VEXMORA_VERSION " - the headless companion of Vexmora\n\n"
                 "Usage: vexmora-cli <command> [arguments]\n\nCommands:\n"
                 "  help [COMMAND]   explains one command, with an example\n  --version\n";
    for (const auto& c : commands()) std::cout << "  " << c.usage << '\n';
    std::cout << "\nEnvironment: VEXMORA_HOME, VEXMORA_SERVICE (sim | feed:DIR | bridge:COMMAND), VEXMORA_NOW.\n";
}

}  // namespace vex::cli

int main(int argc, char** argv) {
    using namespace vex::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printHelp();
        return kUsage;
    }
    if (args[0] == "--version") {
        std::cout << "vexmora-cli " VEXMORA_VERSION "\n";
        return kOk;
    }
    if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        if (args.size() == 1) {
            printHelp();
            return kOk;
        }
        if (printCommandHelp(args[1])) return kOk;
        std::cerr << "不明なコマンドです (unknown command): " << args[1] << "\n";
        return kUsage;
    }
    for (const auto& c : commands()) {
        if (c.name != args[0]) continue;
        if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) return printCommandHelp(c.name) ? kOk : kUsage;
        if (std::string clock = vex::clockSettingProblem(); !clock.empty()) {
            std::cerr << forTerminal(clock) << '\n';
            return kFailed;
        }
        if (std::string environment = environmentProblem(); !environment.empty()) {
            std::cerr << forTerminal(environment) << '\n';
            return kUsage;
        }
        try {
            vex::removeStaleTemporariesBelow(vex::appFolder());
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
        } catch (const UsageError& e) {
            std::cerr << forTerminal(e.what()) << "\n使い方 (Usage): vexmora-cli " << c.usage << '\n';
            return kUsage;
        } catch (const std::exception& e) {
            std::cerr << forTerminal(e.what()) << '\n';
            return kFailed;
        }
    }
    std::cerr << "不明なコマンドです (unknown command): " << args[0] << "\n";
    printHelp();
    return kUsage;
}
