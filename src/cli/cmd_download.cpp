// vexmora-cli download: the bulk download without dialogs.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "app/app_folder.h"
#include "cli/command.h"
#include "cli/progress_line.h"
#include "control/control_factory.h"
#include "control/control_ui.h"
#include "datalink/bulk_download.h"
#include "datalink/data_control.h"
#include "vocabulary/cp932.h"

namespace vex::cli {
namespace {

// Ctrl-C and SIGTERM cancel the way the download window's cancel does: they press the download's
// token, the read loop stops at its next turn and what was read is written; LastTime stays.

// Made before the handlers are set and never replaced, so the handler only reads it.
const CancelToken& signalToken() {
    static const CancelToken token;
    return token;
}

extern "C" void cancelOnSignal(int) { signalToken().cancel(); }

// Prints like PrintingReporter and keeps the last message of the download itself for stderr when
// the command fails. On a terminal the texts that count files share one line (ProgressLine);
// piped, every text is a line, as a script reading it expects.
class DownloadReporter : public PrintingReporter {
public:
    void information(const std::string& text) override {
        if (progress_) progress_->end();
        PrintingReporter::information(text);
        last = text;
    }
    void status(const std::string& text) override {
        if (!last.empty() && text == last) return;  // the message just printed (the cancel's) is not doubled
        if (progress_)
            progress_->status(toUtf8(text));
        else
            PrintingReporter::status(text);
    }
    // Called once the download exists: its record count goes on the progress line.
    void showProgressOnTerminal(const BulkDownload& download) {
        if (!isatty(STDOUT_FILENO)) return;
        progress_ = std::make_unique<ProgressLine>(std::cout, [&download] { return download.stats().records; });
    }
    void endProgress() {
        if (progress_) progress_->end();
    }
    std::string last;

private:
    std::unique_ptr<ProgressLine> progress_;
};

// The control's notices (feed entries passed over) among the download's own texts.
class NoticePrinter : public control::ControlUi {
public:
    explicit NoticePrinter(Reporter& reporter) : reporter_(reporter) {}
    bool editSettings(control::ControlSettings&, const std::string&) override { return false; }
    int chooseAccount(const std::vector<std::string>&, int) override { return -1; }
    void notice(const std::string& text) override { reporter_.information(text); }

private:
    Reporter& reporter_;
};

// Why a download that did not complete failed, for stderr.
std::string failureLine(DownloadOutcome outcome, const DownloadReporter& reporter) {
    if (outcome == DownloadOutcome::Cancelled) return sj("NVCancel:キャンセルされました");
    return reporter.last;
}

}  // namespace

int runDownload(const std::vector<std::string>& args) {
    std::optional<DateTime> from;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--from" && i + 1 < args.size()) {
            from = parseDateTime(args[++i]);
            if (!from) throw UsageError("--from は \"yyyy/mm/dd hh:nn:ss\" で指定してください (--from wants \"yyyy/mm/dd hh:nn:ss\"): " + args[i]);
            if (toEpoch(*from) > nowEpoch() + 24 * 60 * 60)
                throw UsageError("--from " + args[i] + " は現在より1日以上先です (later than now plus one day)");
        } else {
            throw UsageError("不明な引数です (unknown argument): " + args[i]);
        }
    }
    createAppFolders();
    DownloadReporter reporter;
    NoticePrinter notices(reporter);
    std::unique_ptr<DataControl> control = createDataControl(&notices);
    if (!control) {
        printError(dataControlProblem());
        return kFailed;
    }
    // The desktop program initialises the control once at start-up with its software identifier;
    // the command line does the same before the download. A failure is reported and the download
    // goes on, as there.
    if (int rc = control->NVInit(kSoftwareId); rc != 0) printLine(sj("NVInitエラー：") + std::to_string(rc));
    BulkDownload download(*control, reporter);
    if (from) download.setFromTime(*from);
    reporter.showProgressOnTerminal(download);

    download.setCancelToken(signalToken());
    std::signal(SIGINT, cancelOnSignal);
    std::signal(SIGTERM, cancelOnSignal);
    // The banner is no message of the download: it must never stand for its failure.
    printLine(download.startMessage());
    std::cout.flush();  // shown at once: whoever watches knows the download, and its cancel, are live
    DownloadOutcome outcome = download.run();
    reporter.endProgress();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    switch (outcome) {
        case DownloadOutcome::Completed:
        case DownloadOutcome::NoNewData: return kOk;
        default:
            if (std::string line = failureLine(outcome, reporter); !line.empty()) printError(line);
            return kFailed;
    }
}

}  // namespace vex::cli
