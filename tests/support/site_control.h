#pragma once
// A data control for the tests of the betting site's cycles: the data-service operations answer
// "nothing to read", the site's operations are the test's own.
#include <string>

#include "datalink/data_control.h"

namespace vex::test {

struct SiteOnlyControl : DataControl {
    int NVInit(const std::string&) override { return 0; }
    int NVSetUIProperties() override { return 0; }
    int NVOpen(const std::string&, const std::string&, int, int&, int&, std::string&) override { return -1; }
    int NVStatus() override { return 0; }
    int NVRead(std::string&, int&, std::string&) override { return 0; }
    int NVRTOpen(const std::string&, const std::string&) override { return 0; }
    int NVCancel() override { return 0; }
    int NVClose() override { return 0; }
};

}  // namespace vex::test
