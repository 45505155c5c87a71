#pragma once
// The one scripted data-service control of the tests. The download serves "files" of records with
// the file boundaries and end of data the real control gives; a real-time request serves one list
// of records; every answer can be set and every call is counted. The betting site's operations
// answer 0: tests of the site's cycles override them.
#include <functional>
#include <string>
#include <vector>

#include "datalink/data_control.h"

namespace vex::test {

class FakeControl : public DataControl {
public:
    // ---- what the test sets
    int initResult = 0;
    int setUiResult = 0;
    std::vector<std::vector<std::string>> files;  // the download's records (each ends CR LF)
    std::vector<std::string> realtime;            // every real-time request's records
    std::string lastFileTimestamp = "20240601123000";
    int openResult = 0;          // of NVOpen and NVRTOpen
    int downloadCount = 0;       // > 0: NVStatus climbs to it one step per poll
    int statusError = 0;         // NVStatus returns this at the poll it is reached (0: never)
    int readErrorAt = -1;        // NVRead returns readError instead of the record with this index
    int readError = -502;
    int closeResult = 0;
    std::function<void(int recordIndex)> onRecord;  // called before each download record is handed out

    // ---- what the control was asked
    std::string softwareId, openedFrom;
    std::vector<std::string> opened;  // real-time requests, "dataSpec:key"
    std::vector<int> bufferSizes;     // of the real-time reads
    int initCalls = 0, setUiCalls = 0, opens = 0, closes = 0, cancels = 0, statusCalls = 0, reads = 0;

    int NVInit(const std::string& id) override {
        ++initCalls;
        softwareId = id;
        return initResult;
    }
    int NVSetUIProperties() override {
        ++setUiCalls;
        return setUiResult;
    }
    int NVOpen(const std::string& dataSpec, const std::string& from, int option, int& readCount, int& dlCount,
               std::string& last) override {
        ++opens;
        openedFrom = from;
        if (dataSpec != "RACEDIFF" || option != 1) return -111;
        readCount = static_cast<int>(files.size());
        dlCount = downloadCount;
        last = lastFileTimestamp;
        startReading(false);
        return openResult;
    }
    int NVStatus() override {
        ++statusCalls;
        if (statusError != 0 && statusCalls >= 2) return statusError;
        return statusCalls < downloadCount ? statusCalls : downloadCount;
    }
    int NVRead(std::string& record, int& bufferSize, std::string& fileName) override {
        ++reads;
        return readingRealtime_ ? readRealtime(record, bufferSize) : readFiles(record, bufferSize, fileName);
    }
    int NVRTOpen(const std::string& dataSpec, const std::string& key) override {
        opened.push_back(dataSpec + ":" + key);
        startReading(true);
        return openResult;
    }
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
    void startReading(bool realtime) {
        readingRealtime_ = realtime;
        file_ = next_ = 0;
        served_ = 0;
    }
    // The download always reads with a buffer of 100000 bytes: another size is a fault.
    int readFiles(std::string& record, int bufferSize, std::string& fileName) {
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
    int readRealtime(std::string& record, int bufferSize) {
        bufferSizes.push_back(bufferSize);
        if (static_cast<int>(next_) == readErrorAt) return readError;
        if (next_ >= realtime.size()) return 0;
        record = realtime[next_++];
        return static_cast<int>(record.size());
    }

    bool readingRealtime_ = false;
    std::size_t file_ = 0, next_ = 0;
    int served_ = 0;
};

}  // namespace vex::test
