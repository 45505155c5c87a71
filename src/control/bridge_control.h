#pragma once
// The control behind VEXMORA_SERVICE=bridge:COMMAND: every operation goes as one request frame to
// vexmora-bridge.exe, a child process that hosts the service's own control (under Wine, or on a
// Windows PC through ssh), and comes back as one reply frame. Used from the control worker only.
//
// Every reply has a deadline. A bridge that dies, hangs or sends a broken frame is ended and the
// operation answers one of the link codes (data_control.h), its detail naming the operation, the
// command and the bridge's last stderr line; the next operation starts a fresh bridge (and repeats
// NVInit on it). Credentials travel only inside frames.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "bridge/bridge_protocol.h"
#include "datalink/data_control.h"

namespace vex::settings {
inline constexpr IntSetting kBridgeReplySeconds{"Bridge", "ReplySeconds", 30};
inline constexpr IntSetting kBridgeReadSeconds{"Bridge", "ReadSeconds", 120};
}  // namespace vex::settings

namespace vex::control {

class BridgeProcess;
class ControlUi;

struct BridgeDeadlines {
    std::chrono::milliseconds reply{30000};
    std::chrono::milliseconds read{120000};  // the batched read and the bet
    // Calls that may wait on the control's own windows (its settings dialog, the deposit, the
    // account selection).
    std::chrono::milliseconds interactive{600000};
};
// The deadlines of the settings file (at least one second each).
BridgeDeadlines bridgeDeadlinesFromSettings();

class BridgeControl : public DataControl {
public:
    // The batched read asks for at most this much per reply.
    static constexpr int kBatchRecords = 4096;
    static constexpr int kBatchBytes = 4 << 20;

    // `ui` may be null: NVSetUIProperties then opens the service's own dialog on the bridge's side.
    BridgeControl(std::string command, BridgeDeadlines deadlines, ControlUi* ui);
    ~BridgeControl() override;

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

    // The service's own settings dialog, on the bridge's side.
    int serviceSettingsDialog();
    // The voting library check on the bridge's side; the link code when the bridge failed.
    int checkLibrary(const std::string& library, bridge::LibraryCheckResult& result);
    // Starts the bridge and says hello: 0, or the link code. `hello` holds its answer.
    int hello(bridge::Hello& hello);
    // Request frames sent so far (each one round trip).
    long long roundTrips() const { return roundTrips_; }

    // The detail of the last link failure (CP932), as setLinkFailureDetail got it.
    const std::string& lastFailure() const { return lastFailure_; }

private:
    int call(bridge::Op op, std::vector<bridge::Value>& args, std::chrono::milliseconds deadline);
    // One request and its reply; the link code (and the bridge ended) when it failed.
    int exchange(const std::string& request, const char* name, std::chrono::milliseconds deadline, std::string& reply);
    // The reply to the request sent last; the link code (and the bridge ended) when it failed.
    int receive(const char* name, std::chrono::milliseconds deadline, std::string& reply);
    int ensureStarted(const char* name);
    int fail(int code, const char* name, const std::string& what);
    int startBridge(bridge::Hello& answer);
    int fetchBatch(int bufferSize);
    // Reads and drops the reply of a batched read sent ahead: one request, one reply, in order.
    void settleReadAhead();
    void dropBatch() { batch_ = {}; }

    std::string command_;
    BridgeDeadlines deadlines_;
    ControlUi* ui_;
    std::unique_ptr<BridgeProcess> process_;
    std::optional<std::string> softwareId_;  // repeated on a fresh bridge
    bridge::BatchCursor batch_;  // what the last batched read has not handed out yet
    // The next batched read went out when the last one stopped at a limit: the bridge reads it
    // while the caller stores this one.
    bool readAhead_ = false;
    std::string lastFailure_;
    bool refused_ = false;  // the last failed exchange was a refusal: the request was not carried out
    long long roundTrips_ = 0;
};

// The connection test of the settings dialog: starts a bridge with `command`, says hello and calls
// NVInit, and tells the answer in words (CP932). Runs a bridge of its own, on any thread.
std::string bridgeConnectionTest(const std::string& command, const BridgeDeadlines& deadlines);
// The service's own settings dialog through a bridge of its own: NVInit, then NVSetUIProperties;
// the code of the first that fails, else 0.
int serviceSettingsThroughBridge(const std::string& command, const BridgeDeadlines& deadlines);
// The voting library's check on the bridge's side, through a bridge of its own: 0 with `result`
// set, or the link code.
int checkLibraryThroughBridge(const std::string& command, const BridgeDeadlines& deadlines,
                              const std::string& library, bridge::LibraryCheckResult& result);
// The library the check asks the bridge for, in the bridge's own folder.
inline constexpr const char* kBridgeVoteLibrary = "IPAT_LIB.dll";

}  // namespace vex::control
