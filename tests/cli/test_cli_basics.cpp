#include <gtest/gtest.h>

#include "support/test_support.h"

TEST(Cli, VersionHelpAndUsageErrors) {
    int code = -1;
    EXPECT_NE(vex::test::runCli("--version", code).find("vexmora-cli 1.05"), std::string::npos);
    EXPECT_EQ(code, 0);
    EXPECT_NE(vex::test::runCli("help", code).find("Usage"), std::string::npos);
    EXPECT_EQ(code, 0);
    vex::test::runCli("no-such-command 2>/dev/null", code);
    EXPECT_EQ(code, 2);
}
