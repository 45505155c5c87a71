// vexmora-cli compi-import FILE: the Compi page import on a saved page source, without the
// question. The file is taken as UTF-8, or as CP932 when it is not valid UTF-8.
#include <optional>

#include "app/file_read.h"
#include "cli/command.h"
#include "compi/compi_page_import.h"
#include "vocabulary/cp932.h"
#include "vocabulary/utf8.h"

namespace vex::cli {
namespace {

// A saved page is some hundred kilobytes; anything far larger is no page.
constexpr std::size_t kLargestPage = std::size_t{16} << 20;

// The page as UTF-8; nullopt when it is neither UTF-8 nor CP932 (a CP932 decoding that needed
// replacement characters).
std::optional<std::string> pageText(std::string bytes) {
    if (isValidUtf8(bytes)) return bytes;
    std::string text = toUtf8(bytes);
    if (text.find("\xEF\xBF\xBD") != std::string::npos) return std::nullopt;
    return text;
}

// Why nothing was imported, for a page the import passed over without a word.
std::string silentOutcome(const CompiImportResult& result) {
    if (result.outcome == CompiImportResult::Undated)
        return result.titleText.empty() ? "ページの日付が読めません。"
                                        : "ページの日付が正しくありません（" + result.titleText + "）。";
    return "コンピ指数のページではありません（どちらのレイアウトのタイトルもありません）。";
}

}  // namespace

int runCompiImport(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty())
        throw UsageError("コンピ指数のページを保存したファイルを一つ指定してください (one file holding a Compi page source)");
    const std::string& name = args[0];
    FileRead page = readRegularFile(name, kLargestPage);
    if (page.state != FileRead::Read) {
        printError(sj(name + (page.state == FileRead::Missing ? " がありません。" : " を読めません（" + page.reason + "）。")));
        return kFailed;
    }
    std::optional<std::string> text = pageText(std::move(page.bytes));
    if (!text) {
        printError(sj(name + ": UTF-8 でも CP932 でもありません。何も書き込みませんでした。"));
        return kFailed;
    }
    PrintingReporter reporter;
    CompiImportResult result = importCompiPage(*text, reporter, false);
    switch (result.outcome) {
        case CompiImportResult::Written: return kOk;
        case CompiImportResult::NotAPage:
        case CompiImportResult::Undated:
            printError(sj(name + ": " + silentOutcome(result) + "何も書き込みませんでした。"));
            return kFailed;
        default: return kFailed;
    }
}

}  // namespace vex::cli
