#pragma once
// A data-service control whose answers the test sets.
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
