#pragma once
// A scripted data-service control for the download tests: serves "files" of records, with the
// file boundaries and end of data the real control gives, and lets a test inject failures.
#include <functional>
#include <string>
#include <vector>

#include "datalink/data_control.h"

namespace vex::test {

class FakeControl : public DataControl {
public:
    std::vector<std::vector<std::string>> files;  // records (each ends CR LF)
    std::string lastFileTimestamp = "20240601123000";
    int openResult = 0;
    int downloadCount = 0;       // > 0: NVStatus climbs to it one step per poll
    int statusError = 0;         // NVStatus returns this at the poll it is reached (0: never)
    int readErrorAt = -1;        // NVRead returns readError instead of the record with this index
    int readError = -502;
    int closeResult = 0;
    std::function<void(int recordIndex)> onRecord;  // called before each record is handed out

    std::string openedFrom;
    int opens = 0, closes = 0, cancels = 0, statusCalls = 0, reads = 0;

    int NVInit(const std::string&) override { return 0; }
    int NVSetUIProperties() override { return 0; }
    int NVOpen(const std::string& dataSpec, const std::string& from, int option, int& readCount, int& dlCount,
               std::string& last) override {
        ++opens;
        openedFrom = from;
        if (dataSpec != "RACEDIFF" || option != 1) return -111;
        readCount = static_cast<int>(files.size());
        dlCount = downloadCount;
        last = lastFileTimestamp;
        file_ = 0;
        next_ = 0;
        served_ = 0;
        return openResult;
    }
    int NVStatus() override {
        ++statusCalls;
        if (statusError != 0 && statusCalls >= 2) return statusError;
        return statusCalls < downloadCount ? statusCalls : downloadCount;
    }
    int NVRead(std::string& record, int& bufferSize, std::string& fileName) override {
        ++reads;
        if (bufferSize != 100000) return -999;
        while (file_ < files.size()) {
            if (next_ < files[file_].size()) {
                int index = served_++;
                if (index == readErrorAt) return readError;
                if (onRecord) onRecord(index);
                record = files[file_][next_++];
                fileName = "F" + std::to_string(file_);
                return static_cast<int>(record.size());
            }
            ++file_;
            next_ = 0;
            return -1;
        }
        return 0;
    }
    int NVRTOpen(const std::string&, const std::string&) override { return 0; }
    int NVCancel() override {
        ++cancels;
        return 0;
    }
    int NVClose() override {
        ++closes;
        return closeResult;
    }
    int RakutenLogin(const std::string&, const std::string&) override { return 0; }
    int RakutenLogout() override { return 0; }
    int RakutenBet(const std::string&, const std::string&, int, int&, int&, int&, std::string&) override { return 0; }
    int RakutenZandaka(int&, int&, int&, int&, const std::string&) override { return 0; }
    int RakutenDeposit() override { return 0; }

private:
    std::size_t file_ = 0, next_ = 0;
    int served_ = 0;
};

}  // namespace vex::test
