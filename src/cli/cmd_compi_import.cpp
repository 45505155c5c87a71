// vexmora-cli compi-import FILE: the Compi page import on a saved page source, without the
// question. The file is taken as UTF-8, or as CP932 when it is not valid UTF-8.
#include "app/file_read.h"
#include "cli/command.h"
#include "compi/compi_page_import.h"
#include "vocabulary/cp932.h"
#include "vocabulary/utf8.h"

namespace vex::cli {

int runCompiImport(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("compi-import needs one file holding a Compi page source");
    FileRead page = readFile(args[0]);
    if (page.state != FileRead::Read) {
        std::string why = page.state == FileRead::Missing ? "ありません" : "を読めません（" + page.reason + "）";
        printError(sj(args[0] + " " + why));
        return kFailed;
    }
    std::string text = isValidUtf8(page.bytes) ? std::move(page.bytes) : toUtf8(page.bytes);
    PrintingReporter reporter;
    CompiImportResult result = importCompiPage(text, reporter, false);
    switch (result.outcome) {
    case CompiImportResult::Refused:
    case CompiImportResult::WriteFailed:
        return kFailed;
    default:
        return kOk;
    }
}

}  // namespace vex::cli
