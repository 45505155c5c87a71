#include "control/control_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <exception>
#include <system_error>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "control/betting_account.h"
#include "control/bridge_process.h"
#include "control/control_ui.h"
#include "vocabulary/cp932.h"

namespace vex::control {

namespace {

std::filesystem::path orDefault(const std::filesystem::path& file) {
    return file.empty() ? controlSettingsFile() : file;
}


bool validServiceKey(const std::string& key) {
    return key.size() == 17 &&
           std::all_of(key.begin(), key.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

}  // namespace

std::filesystem::path controlSettingsFile() { return appFolder() / "ServiceControl.dat"; }

ControlSettings loadControlSettings(const std::filesystem::path& file) {
    AccountBook book = BettingAccount::readBook(orDefault(file));
    ControlSettings s;
    s.source = book.source == "feed" ? SourceKind::Feed : book.source == "bridge" ? SourceKind::Bridge : SourceKind::Simulated;
    s.feedFolder = book.feedFolder;
    s.bridgeCommand = book.bridgeCommand;
    s.serviceKey = book.serviceKey;
    return s;
}

std::string settingsProblem(const ControlSettings& s) {
    if (!s.serviceKey.empty() && !validServiceKey(s.serviceKey)) return sj("利用キーは英数字17桁で入力してください。");
    // The file keeps one setting a line: a line break in a name cannot be stored.
    if (s.feedFolder.find_first_of("\r\n") != std::string::npos)
        return sj("改行を含むフォルダ名は使えません。");
    if (s.bridgeCommand.find_first_of("\r\n") != std::string::npos) return sj("改行を含むコマンドは使えません。");
    if (s.source == SourceKind::Bridge && splitCommand(s.bridgeCommand).empty())
        return sj("ブリッジを起動するコマンドを指定してください。");
    if (s.source != SourceKind::Feed) return {};
    if (s.feedFolder.empty()) return sj("フィードのフォルダを指定してください。");
    std::error_code ec;
    if (!std::filesystem::is_directory(s.feedFolder, ec))
        return sj("フィードのフォルダが見つかりません: ") + toCp932(s.feedFolder);
    return {};
}

std::string saveControlSettings(const ControlSettings& s, const std::filesystem::path& file) {
    if (std::string problem = settingsProblem(s); !problem.empty()) return problem;
    try {
        FileUpdate update(orDefault(file));
        AccountBook book = BettingAccount::bookOf(update.file(), update.existed(), update.bytes());
        book.source = s.source == SourceKind::Feed ? "feed" : s.source == SourceKind::Bridge ? "bridge" : "sim";
        book.feedFolder = s.feedFolder;
        book.bridgeCommand = s.bridgeCommand;
        book.serviceKey = s.serviceKey;
        update.replace(BettingAccount::serialise(book));
    } catch (const std::runtime_error& e) {  // FileReadError, FolderBusyError, FileWriteError
        return sj("設定を保存できませんでした: ") + toCp932(e.what());
    }
    return {};
}

std::string serviceOverride() {
    const char* env = std::getenv("VEXMORA_SERVICE");
    return env ? env : "";
}

ActiveSource activeSource() {
    ActiveSource a;
    if (std::string env = serviceOverride(); !env.empty()) {
        a.fromEnvironment = true;
        a.text = env;
        if (env == "sim") {
            a.kind = ActiveSource::Simulated;
        } else if (env.rfind("feed:", 0) == 0) {
            a.kind = ActiveSource::Feed;
            a.feedFolder = env.substr(5);
        } else if (env.rfind("bridge:", 0) == 0) {
            a.kind = ActiveSource::Bridge;
            a.bridgeCommand = env.substr(7);
        } else {
            a.kind = ActiveSource::Unknown;
        }
        return a;
    }
    ControlSettings saved = loadControlSettings();
    if (saved.source == SourceKind::Feed) {
        a.kind = ActiveSource::Feed;
        a.feedFolder = saved.feedFolder;
    } else if (saved.source == SourceKind::Bridge) {
        a.kind = ActiveSource::Bridge;
        a.bridgeCommand = saved.bridgeCommand;
    }
    return a;
}

int editSettingsThroughUi(ControlUi& ui, bool& sourceChanged) {
    sourceChanged = false;
    const ControlSettings before = loadControlSettings();
    ControlSettings settings = before;
    if (!ui.editSettings(settings, serviceOverride())) return 0;
    // The dialog refuses what cannot be saved; a UI that does not is answered with -100 here.
    if (!saveControlSettings(settings).empty()) return -100;
    sourceChanged = settings.source != before.source ||
                    (settings.source == SourceKind::Feed && settings.feedFolder != before.feedFolder) ||
                    (settings.source == SourceKind::Bridge && settings.bridgeCommand != before.bridgeCommand);
    return 0;
}

}  // namespace vex::control
