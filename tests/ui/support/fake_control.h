#pragma once
// A data-service control whose answers the test sets.
#include <string>
#include <vector>

#include "datalink/data_control.h"

namespace vex::uitest {

class FakeControl : public DataControl {
public:
    int initResult = 0;
    int initCalls = 0;
    std::string softwareId;
    int setUiResult = 0;
    int setUiCalls = 0;

    int NVInit(const std::string& id) override {
        ++initCalls;
        softwareId = id;
        return initResult;
    }
    int NVSetUIProperties() override {
        ++setUiCalls;
        return setUiResult;
    }
    int NVOpen(const std::string&, const std::string&, int, int& readCount, int& downloadCount,
               std::string& last) override {
        readCount = downloadCount = 0;
        last.clear();
        return -1;
    }
    int NVStatus() override { return 0; }
    int NVRead(std::string&, int&, std::string&) override { return 0; }
    int NVRTOpen(const std::string&, const std::string&) override { return 0; }
    int NVCancel() override { return 0; }
    int NVClose() override { return 0; }
    int RakutenLogin(const std::string&, const std::string&) override { return 0; }
    int RakutenLogout() override { return 0; }
    int RakutenBet(const std::string&, const std::string&, int, int&, int&, int&, std::string&) override { return 0; }
    int RakutenZandaka(int&, int&, int&, int&, const std::string&) override { return 0; }
    int RakutenDeposit() override { return 0; }
};

}  // namespace vex::uitest

namespace vex::uitest {

// Serves a fixed list of records as one downloaded file, as the service does after NVOpen.
class RecordControl : public FakeControl {
public:
    std::vector<std::string> records;  // each ends with CR LF
    std::string lastFileTimestamp = "20240511000000";
    int opens = 0;

    int NVOpen(const std::string&, const std::string&, int, int& readCount, int& downloadCount,
               std::string& last) override {
        ++opens;
        next_ = 0;
        readCount = records.empty() ? 0 : 1;
        downloadCount = 0;
        last = lastFileTimestamp;
        return 0;
    }
    int NVRead(std::string& record, int&, std::string& fileName) override {
        fileName = "feed.txt";
        if (next_ < records.size()) {
            record = records[next_++];
            return static_cast<int>(record.size());
        }
        if (next_ == records.size()) {
            ++next_;
            return -1;  // the file boundary
        }
        return 0;
    }

private:
    std::size_t next_ = 0;
};

}  // namespace vex::uitest
