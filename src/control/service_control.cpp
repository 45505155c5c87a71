#include "control/service_control.h"

#include <algorithm>
#include <utility>

#include "app/clock.h"
#include "control/control_ui.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/fields.h"

namespace vex::control {
namespace {

bool isDigitsOfLength(const std::string& s, std::size_t n) { return s.size() == n && isDigits(s); }

std::string nowStamp() { return formatStamp14(now()); }

// NVRead's answer for a file that cannot be read: "ダウンロードに失敗しました。(通信エラーやディスクエラー)".
constexpr int kReadFailed = -502;

}  // namespace

ServiceControl::ServiceControl(std::unique_ptr<DataSource> source, ControlUi* ui)
    : source_(std::move(source)), ui_(ui), account_(*source_, ui) {}

ServiceControl::~ServiceControl() = default;

int ServiceControl::NVInit(const std::string& softwareId) {
    (void)softwareId;
    initialised_ = true;
    return 0;
}

int ServiceControl::NVSetUIProperties() {
    if (!ui_) return 0;
    bool sourceChanged = false;
    if (int code = editSettingsThroughUi(*ui_, sourceChanged); code != 0) return code;
    // While VEXMORA_SERVICE decides the source, the saved choice waits for a start without it.
    if (sourceChanged && serviceOverride().empty() && sourceMaker_) {
        if (std::unique_ptr<DataSource> next = sourceMaker_()) {
            pending_ = std::move(next);
            adoptPendingSource();
        }
    }
    return 0;
}

void ServiceControl::adoptPendingSource() {
    if (!pending_ || mode_ != Mode::Closed) return;
    std::unique_ptr<DataSource> old = std::exchange(source_, std::move(pending_));
    account_.setRaces(*source_);  // before the old source goes: the account refers to it
}

int ServiceControl::NVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
                           int& downloadCount, std::string& lastFileTimestamp) {
    readCount = downloadCount = 0;
    if (!initialised_) return -201;
    if (mode_ != Mode::Closed) return -202;
    if (dataSpec != "RACEDIFF") return -111;
    if (!isDigitsOfLength(fromTime, 14)) return -112;
    if (option != 1) return -115;
    std::vector<DataFile> files = source_->diffFiles(fromTime, nowStamp());
    if (files.empty()) return -1;
    files_ = std::move(files);
    fileIndex_ = recordIndex_ = 0;
    fileLoaded_ = false;
    current_.clear();
    readCount = static_cast<int>(files_.size());
    downloadCount = downloadCount_ = source_->downloadCount(files_);
    downloaded_ = 0;
    lastFileTimestamp.clear();
    // A file whose name is no time is still served, but would leave the next from-time unreadable.
    for (const DataFile& f : files_)
        if (parseStamp14(f.stamp)) lastFileTimestamp = std::max(lastFileTimestamp, f.stamp);
    mode_ = Mode::Download;
    return 0;
}

int ServiceControl::NVStatus() {
    if (!initialised_) return -201;
    if (mode_ != Mode::Download) return -203;
    // The pretend download advances a twentieth of the files per poll.
    downloaded_ = std::min(downloadCount_, downloaded_ + std::max(1, downloadCount_ / 20));
    return downloaded_;
}

int ServiceControl::NVRead(std::string& record, int& bufferSize, std::string& fileName) {
    record.clear();
    if (!initialised_) return -201;
    if (mode_ == Mode::Closed) return -203;
    if (mode_ == Mode::Download && downloaded_ < downloadCount_) {
        NVStatus();
        return -3;
    }
    for (;;) {
        if (fileIndex_ >= files_.size()) return 0;
        const DataFile& file = files_[fileIndex_];
        if (!fileLoaded_) {
            // A file that cannot be read (a folder of that name, no permission) is a read error of
            // the service, not an exception through the caller's read loop.
            try {
                current_ = file.records ? file.records() : std::vector<std::string>{};
            } catch (const std::exception&) {
                return kReadFailed;
            }
            recordIndex_ = 0;
            fileLoaded_ = true;
        }
        fileName = file.name;
        if (recordIndex_ < current_.size()) {
            std::string& r = current_[recordIndex_++];
            if (bufferSize > 0 && static_cast<int>(r.size()) > bufferSize) r.resize(static_cast<std::size_t>(bufferSize));
            record = std::move(r);
            return static_cast<int>(record.size());
        }
        ++fileIndex_;
        fileLoaded_ = false;
        current_.clear();
        current_.shrink_to_fit();
        if (mode_ == Mode::Download) return -1;
    }
}

int ServiceControl::NVRTOpen(const std::string& dataSpec, const std::string& key) {
    if (!initialised_) return -201;
    if (mode_ != Mode::Closed) return -202;
    if (dataSpec == "0B30") {
        if (!isDigitsOfLength(key, 16) || dayNumberOfYmd(key.substr(0, 8)).value_or(-1) < 0) return -114;
    } else if (dataSpec == "0B12") {
        if (!isDigitsOfLength(key, 8) || dayNumberOfYmd(key).value_or(-1) < 0) return -114;
    } else {
        return -111;
    }
    DataFile file;
    file.stamp = nowStamp();
    file.name = dataSpec + key + ".txt";
    auto records = std::make_shared<std::vector<std::string>>(source_->realtime(dataSpec, key, file.stamp));
    file.records = [records] { return *records; };
    files_.clear();
    files_.push_back(std::move(file));
    fileIndex_ = recordIndex_ = 0;
    fileLoaded_ = false;
    downloadCount_ = downloaded_ = 0;
    mode_ = Mode::Realtime;
    return 0;
}

int ServiceControl::NVCancel() {
    if (mode_ == Mode::Download) {
        mode_ = Mode::Closed;
        files_.clear();
        current_.clear();
        adoptPendingSource();
    }
    return 0;
}

int ServiceControl::NVClose() {
    mode_ = Mode::Closed;
    files_.clear();
    current_.clear();
    fileIndex_ = recordIndex_ = 0;
    fileLoaded_ = false;
    adoptPendingSource();
    return 0;
}

int ServiceControl::RakutenLogin(const std::string& userId, const std::string& password) {
    return account_.login(userId, password);
}
int ServiceControl::RakutenLogout() { return account_.logout(); }
int ServiceControl::RakutenBet(const std::string& pin, const std::string& betLines, int mode, int& purchaseAmount,
                               int& remainingVotes, int& purchaseLimit, std::string& resultText) {
    return account_.bet(pin, betLines, mode, purchaseAmount, remainingVotes, purchaseLimit, resultText);
}
int ServiceControl::RakutenZandaka(int& purchaseLimit, int& boughtToday, int& paidOutToday, int& remainingVotes,
                                   const std::string& text) {
    (void)text;
    return account_.balance(purchaseLimit, boughtToday, paidOutToday, remainingVotes);
}
int ServiceControl::RakutenDeposit() { return account_.deposit(); }

}  // namespace vex::control
