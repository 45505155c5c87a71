#pragma once
// The part of the control that both stand-ins share: the state machine of the data operations
// (init, open, status, read, real-time open, cancel, close) over a source of data files, and the
// betting operations over the simulated betting account.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/betting_account.h"
#include "datalink/data_control.h"

namespace vex::control {

class ControlUi;

// One data file of the difference stream: its 14-digit creation stamp, its name and its records
// (each ending in CR LF), made only when the file is read.
struct DataFile {
    std::string stamp;
    std::string name;
    std::function<std::vector<std::string>()> records;
    std::string passedOver;  // why the source does not serve this entry (CP932); empty when it does
};

class DataSource : public RaceFactsSource {
public:
    // Files created after `fromStamp` and not after `nowStamp`, in name order.
    virtual std::vector<DataFile> diffFiles(const std::string& fromStamp, const std::string& nowStamp) = 0;
    // Records of a real-time request ("0B30" race key, "0B12" date) as of `nowStamp`.
    virtual std::vector<std::string> realtime(const std::string& dataSpec, const std::string& key,
                                              const std::string& nowStamp) = 0;
    // How many of `files` the service pretends to download first (the rest it has at hand).
    virtual int downloadCount(const std::vector<DataFile>& files) = 0;
};

class ServiceControl : public DataControl {
public:
    ServiceControl(std::unique_ptr<DataSource> source, ControlUi* ui);
    ~ServiceControl() override;

    int NVInit(const std::string& softwareId) override;
    int NVSetUIProperties() override;
    int NVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
               int& downloadCount, std::string& lastFileTimestamp) override;
    int NVStatus() override;
    int NVRead(std::string& record, int& bufferSize, std::string& fileName) override;
    int NVRTOpen(const std::string& dataSpec, const std::string& key) override;
    int NVCancel() override;
    int NVClose() override;

    int RakutenLogin(const std::string& userId, const std::string& password) override;
    int RakutenLogout() override;
    int RakutenBet(const std::string& pin, const std::string& betLines, int mode, int& purchaseAmount,
                   int& remainingVotes, int& purchaseLimit, std::string& resultText) override;
    int RakutenZandaka(int& purchaseLimit, int& boughtToday, int& paidOutToday, int& remainingVotes,
                       const std::string& text) override;
    int RakutenDeposit() override;

    DataSource& source() { return *source_; }

    // Makes the source the settings choose now (null when it cannot start). Given, the control
    // changes over to a source saved in its settings dialog: at once when no download or real-time
    // request is open, else when it closes.
    using SourceMaker = std::function<std::unique_ptr<DataSource>()>;
    void setSourceMaker(SourceMaker maker) { sourceMaker_ = std::move(maker); }

private:
    void adoptPendingSource();

    enum class Mode { Closed, Download, Realtime };

    std::unique_ptr<DataSource> source_;
    std::unique_ptr<DataSource> pending_;  // the next source, waiting for the open request to close
    SourceMaker sourceMaker_;
    ControlUi* ui_;
    BettingAccount account_;
    bool initialised_ = false;
    Mode mode_ = Mode::Closed;
    std::vector<DataFile> files_;
    std::size_t fileIndex_ = 0;
    std::vector<std::string> current_;  // records of the file being read
    std::size_t recordIndex_ = 0;
    bool fileLoaded_ = false;
    int downloadCount_ = 0, downloaded_ = 0;
};

}  // namespace vex::control
