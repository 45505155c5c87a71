// The program's side of the bridge against the bridge's dispatch loop built for Linux over the
// simulated service: the same answers as the service itself, and a bridge that dies, hangs or
// talks nonsense gives a link code, never a hang or a crash, with a fresh bridge afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "app/clock.h"
#include "control/bridge_control.h"
#include "control/bridge_process.h"
#include "control/control_factory.h"
#include "control/control_settings.h"
#include "control/service_control.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "datalink/result_messages.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex::control {
namespace {

using namespace std::chrono_literals;

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(DateTime{2024, 5, 10, 20, 0, 0});
        setenv("VEXMORA_NOW", "2024/05/10 20:00:00", 1);  // the bridge's clock
    }
    void TearDown() override {
        setClock(std::nullopt);
        unsetenv("VEXMORA_NOW");
    }
    // The longer deadline also covers the bridge's start.
    static BridgeControl bridge(const std::string& switches = "", std::chrono::milliseconds reply = 5000ms,
                                std::chrono::milliseconds longer = 60s) {
        return BridgeControl(std::string(VEXMORA_BRIDGE_SIM) + " " + switches, {reply, longer, longer}, nullptr);
    }
    test::TempHome home;
};

struct Read {
    // every NVRead result with its record and its file name
    std::vector<std::tuple<int, std::string, std::string>> results;
};

Read readAll(DataControl& c) {
    Read r;
    for (int guard = 0; guard < 1000000; ++guard) {
        std::string record, name;
        int size = 100000;
        const int code = c.NVRead(record, size, name);
        r.results.emplace_back(code, record, name);
        if (code == 0 || code < -3) break;
    }
    return r;
}

int openDownload(DataControl& c, int& readCount) {
    int downloadCount = 0;
    std::string last;
    return c.NVOpen("RACEDIFF", "20240508000000", 1, readCount, downloadCount, last);
}

TEST_F(BridgeTest, TheCommandIsSplitIntoWordsWithoutAShell) {
    using W = std::vector<std::string>;
    EXPECT_EQ(splitCommand("wine  /usr/share/vexmora/bridge/vexmora-bridge32.exe"),
              (W{"wine", "/usr/share/vexmora/bridge/vexmora-bridge32.exe"}));
    EXPECT_EQ(splitCommand("ssh -T me@winpc \"C:\\Program Files\\vexmora-bridge.exe\" --delay-ms 1"),
              (W{"ssh", "-T", "me@winpc", "C:\\Program Files\\vexmora-bridge.exe", "--delay-ms", "1"}));
    EXPECT_EQ(splitCommand("a \"\" b; rm -rf x"), (W{"a", "", "b;", "rm", "-rf", "x"})) << "no shell reads it";
    EXPECT_TRUE(splitCommand("   ").empty());
    EXPECT_TRUE(splitCommand("wine \"unclosed").empty());

    setenv("VEXMORA_SERVICE", "bridge:wine vexmora-bridge32.exe", 1);
    EXPECT_EQ(activeSource().kind, ActiveSource::Bridge);
    EXPECT_EQ(activeSource().bridgeCommand, "wine vexmora-bridge32.exe");
    EXPECT_EQ(dataControlProblem(), "");
    setenv("VEXMORA_SERVICE", "bridge: ", 1);
    EXPECT_NE(dataControlProblem(), "") << "no command to start";
    EXPECT_FALSE(createDataControl(nullptr));
    unsetenv("VEXMORA_SERVICE");
}

TEST_F(BridgeTest, ReadsTheSameAnswersAsTheServiceItself) {
    ServiceControl direct(std::make_unique<SimService>(1, static_cast<int>(sim::minuteOf(now()) / 1440)), nullptr);
    BridgeControl bridged = bridge();
    int directCount = 0, bridgedCount = 0;
    for (DataControl* c : {static_cast<DataControl*>(&direct), static_cast<DataControl*>(&bridged)})
        ASSERT_EQ(c->NVInit("SA000000/SD000000/Vexmora/Version.1.05"), 0);
    ASSERT_EQ(openDownload(direct, directCount), 0);
    ASSERT_EQ(openDownload(bridged, bridgedCount), 0);
    EXPECT_EQ(bridgedCount, directCount);
    while (direct.NVStatus() < directCount) {}
    int status = 0;
    while ((status = bridged.NVStatus()) >= 0 && status < bridgedCount) {}
    EXPECT_EQ(status, bridgedCount);
    const long long tripsBefore = bridged.roundTrips();
    const Read a = readAll(direct), b = readAll(bridged);
    ASSERT_GT(a.results.size(), 100u);
    EXPECT_TRUE(a.results == b.results) << "records, file names, file boundaries and the end, in the same order";
    EXPECT_NE(std::get<2>(b.results.front()), "");
    EXPECT_LT(bridged.roundTrips() - tripsBefore, bridgedCount / 4) << "many files a reply, not one";
    EXPECT_EQ(bridged.NVClose(), 0);
    EXPECT_EQ(direct.NVClose(), 0);

    // Real-time requests and their reads go the same way; a cancel empties what a batch held.
    ASSERT_EQ(bridged.NVRTOpen("0B12", "20240510"), 0);
    ASSERT_EQ(direct.NVRTOpen("0B12", "20240510"), 0);
    EXPECT_TRUE(readAll(direct).results == readAll(bridged).results);
    EXPECT_EQ(bridged.NVClose(), 0);
    ASSERT_EQ(openDownload(bridged, bridgedCount), 0);
    std::string record, name;
    int size = 100000;
    while (bridged.NVStatus() < bridgedCount) {}
    ASSERT_GT(bridged.NVRead(record, size, name), 0);
    const long long tripsAtCancel = bridged.roundTrips();
    EXPECT_EQ(bridged.NVCancel(), 0);
    EXPECT_EQ(bridged.roundTrips(), tripsAtCancel + 1) << "the cancel goes out at once, nothing more is read";
    EXPECT_EQ(bridged.NVRead(record, size, name), -203) << "nothing of the cancelled batch is left over";
}

// Opens the download and waits until its files are there.
void openAndWait(DataControl& c) {
    int readCount = 0;
    ASSERT_EQ(openDownload(c, readCount), 0);
    int status = 0;
    while ((status = c.NVStatus()) >= 0 && status < readCount) {}
    ASSERT_EQ(status, readCount);
}

TEST_F(BridgeTest, TheNextBatchIsReadAheadWithoutChangingWhatTheCallerSees) {
    ServiceControl direct(std::make_unique<SimService>(1, static_cast<int>(sim::minuteOf(now()) / 1440)), nullptr);
    BridgeControl bridged = bridge("--batch-records 50");
    for (DataControl* c : {static_cast<DataControl*>(&direct), static_cast<DataControl*>(&bridged)}) {
        ASSERT_EQ(c->NVInit("id"), 0);
        openAndWait(*c);
    }
    const Read a = readAll(direct), b = readAll(bridged);
    ASSERT_GT(a.results.size(), 500u);
    EXPECT_TRUE(a.results == b.results);
    EXPECT_EQ(bridged.NVClose(), 0);

    // A cancel while the next batch is out waits for its reply, then goes out itself.
    openAndWait(bridged);
    std::string record, name;
    int size = 100000;
    for (int i = 0; i < 60; ++i) ASSERT_GE(bridged.NVRead(record, size, name), -1);
    const long long trips = bridged.roundTrips();
    EXPECT_EQ(bridged.NVCancel(), 0);
    EXPECT_EQ(bridged.roundTrips(), trips + 1);
    EXPECT_EQ(bridged.NVRead(record, size, name), -203) << "nothing read ahead is handed out after the cancel";
    EXPECT_EQ(bridged.NVClose(), 0);
}

TEST_F(BridgeTest, AKilledBridgeFailsItsCallAndTheNextCallStartsAFreshOne) {
    BridgeControl c = bridge("--die-after NVStatus");
    ASSERT_EQ(c.NVInit("id"), 0);
    int readCount = 0;
    ASSERT_EQ(openDownload(c, readCount), 0);
    EXPECT_EQ(c.NVStatus(), link::kEnded);
    EXPECT_NE(c.lastFailure().find("NVStatus"), std::string::npos) << c.lastFailure();
    EXPECT_NE(c.lastFailure().find(VEXMORA_BRIDGE_SIM), std::string::npos) << "names the command";
    EXPECT_NE(c.lastFailure().find("dying after NVStatus"), std::string::npos) << "its last stderr line";
    EXPECT_NE(c.lastFailure().find("exit code 9"), std::string::npos);
    EXPECT_NE(toUtf8(ResultMessage("NVStatus", link::kEnded)).find("ブリッジが終了しました"), std::string::npos);
    // A fresh bridge, initialised as the old one was: not -201, and not -202 (nothing is open there).
    EXPECT_EQ(openDownload(c, readCount), 0);
}

TEST_F(BridgeTest, AHungBridgeMissesItsDeadline) {
    BridgeControl c = bridge("--hang-on NVOpen", 1000ms);
    ASSERT_EQ(c.NVInit("id"), 0);
    int readCount = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(openDownload(c, readCount), link::kNoReply);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_NE(c.lastFailure().find("hanging in NVOpen"), std::string::npos) << c.lastFailure();
    EXPECT_EQ(c.NVClose(), 0) << "the next call has a fresh bridge";
}

TEST_F(BridgeTest, GarbageAndOversizedFramesAreRefused) {
    for (const char* fault : {"--garbage-on", "--oversize-on"}) {
        BridgeControl c = bridge(std::string(fault) + " NVRTOpen");
        ASSERT_EQ(c.NVInit("id"), 0);
        EXPECT_EQ(c.NVRTOpen("0B12", "20240510"), link::kMalformed) << fault;
        EXPECT_EQ(c.NVRTOpen("0B12", "20240510"), link::kMalformed) << fault << ": again, on a fresh bridge";
        EXPECT_EQ(c.NVClose(), 0) << fault;
    }
    BridgeControl batch = bridge("--oversize-on ReadBatch");
    ASSERT_EQ(batch.NVInit("id"), 0);
    ASSERT_EQ(batch.NVRTOpen("0B12", "20240510"), 0);
    std::string record, name;
    int size = 60000;
    EXPECT_EQ(batch.NVRead(record, size, name), link::kMalformed);
}

TEST_F(BridgeTest, ABridgeThatCannotStartOrHasNoControlSaysWhy) {
    BridgeControl missing("/nonexistent/vexmora-bridge.exe", {}, nullptr);
    EXPECT_EQ(missing.NVInit("id"), link::kNotStarted);
    EXPECT_NE(missing.lastFailure().find("/nonexistent/vexmora-bridge.exe"), std::string::npos);
    BridgeControl none = bridge("--no-control");
    EXPECT_EQ(none.NVInit("id"), link::kRefused);
    EXPECT_NE(none.lastFailure().find("no control in this test"), std::string::npos) << none.lastFailure();
    bridge::Hello hello;
    EXPECT_EQ(none.hello(hello), link::kRefused);
    EXPECT_FALSE(hello.controlCreated);
    EXPECT_EQ(hello.protocolVersion, bridge::kProtocolVersion);
}

TEST_F(BridgeTest, ABridgeOfAnotherProtocolVersionIsRefusedInWords) {
    BridgeControl old = bridge("--protocol 1");
    EXPECT_EQ(old.NVInit("id"), link::kMalformed);
    const std::string versions = "protocol version 1, this program " + std::to_string(bridge::kProtocolVersion);
    EXPECT_NE(old.lastFailure().find(versions), std::string::npos) << old.lastFailure();
    const std::string test = bridgeConnectionTest(std::string(VEXMORA_BRIDGE_SIM) + " --protocol 1", {});
    EXPECT_NE(test.find("protocol version 1"), std::string::npos) << toUtf8(test);
}

TEST_F(BridgeTest, ABetWhoseAnswerIsLostIsUnknownAndCredentialsStayInTheFrames) {
    BridgeControl login = bridge("--die-after RakutenLogin");
    EXPECT_EQ(login.RakutenLogin("someone", "secretpw"), link::kEnded);
    EXPECT_EQ(login.lastFailure().find("secretpw"), std::string::npos);
    EXPECT_EQ(login.lastFailure().find("someone"), std::string::npos);

    BridgeControl c = bridge("--die-after RakutenBet");
    ASSERT_EQ(c.RakutenLogin("", ""), 0);
    int amount = -1, remaining = -1, limit = -1;
    std::string answer = "stale";
    const std::string line(90, '0');
    EXPECT_EQ(c.RakutenBet("4321", line, 1, amount, remaining, limit, answer), link::kBetUnknown);
    EXPECT_EQ(amount, 0);
    EXPECT_EQ(answer, "");
    EXPECT_EQ(c.lastFailure().find("4321"), std::string::npos);
    EXPECT_NE(ResultMessage("RakutenBet", link::kBetUnknown).find(betResultUnknownText()), std::string::npos);

    // A broken answer to a bet is no answer either.
    for (const char* fault : {"--garbage-on RakutenBet", "--oversize-on RakutenBet"}) {
        BridgeControl broken = bridge(fault);
        ASSERT_EQ(broken.RakutenLogin("", ""), 0) << fault;
        EXPECT_EQ(broken.RakutenBet("", line, 1, amount, remaining, limit, answer), link::kBetUnknown) << fault;
    }

    // A bridge that never started sent nothing: a plain failure, not an unknown result.
    BridgeControl missing("/nonexistent/vexmora-bridge.exe", {}, nullptr);
    EXPECT_EQ(missing.RakutenBet("", line, 1, amount, remaining, limit, answer), link::kNotStarted);
}

TEST_F(BridgeTest, TheLibraryCheckRunsOnTheBridgesSide) {
    BridgeControl c = bridge();
    bridge::LibraryCheckResult result{};
    ASSERT_EQ(c.checkLibrary(VEXMORA_TEST_LIBRARY_WITH_EXPORT, result), 0);
    EXPECT_EQ(result, bridge::LibraryCheckResult::Present);
    ASSERT_EQ(c.checkLibrary(VEXMORA_TEST_LIBRARY_WITHOUT_EXPORT, result), 0);
    EXPECT_EQ(result, bridge::LibraryCheckResult::NoExport);
    ASSERT_EQ(c.checkLibrary("/nonexistent/IPAT_LIB.dll", result), 0);
    EXPECT_EQ(result, bridge::LibraryCheckResult::NotLoaded);

    // Loading a library needs no control: a bridge without one still answers the check.
    BridgeControl none = bridge("--no-control");
    ASSERT_EQ(none.checkLibrary(VEXMORA_TEST_LIBRARY_WITH_EXPORT, result), 0) << none.lastFailure();
    EXPECT_EQ(result, bridge::LibraryCheckResult::Present);
    ASSERT_EQ(none.checkLibrary(VEXMORA_TEST_LIBRARY_WITHOUT_EXPORT, result), 0);
    EXPECT_EQ(result, bridge::LibraryCheckResult::NoExport);
    EXPECT_EQ(none.NVInit("id"), link::kRefused) << "the control's operations still say why not";
    EXPECT_NE(none.lastFailure().find("no control in this test"), std::string::npos) << none.lastFailure();
}

}  // namespace
}  // namespace vex::control
