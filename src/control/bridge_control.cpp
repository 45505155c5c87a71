#include "control/bridge_control.h"

#include <algorithm>

#include "control/bridge_process.h"
#include "control/control_settings.h"
#include "datalink/result_messages.h"
#include "vocabulary/cp932.h"

namespace vex::control {

namespace {

using bridge::Op;
using bridge::Value;
using std::chrono::milliseconds;

static_assert(link::kRefused == -9005, "the bridge answers -9005 for a call its control refused");

Value text(const std::string& s) { return Value{0, s}; }
Value number(int n) { return Value{n, {}}; }

std::string outcomeText(BridgeProcess::Outcome outcome, milliseconds deadline) {
    switch (outcome) {
        case BridgeProcess::Outcome::TimedOut: return "no reply within " + std::to_string(deadline.count() / 1000) + " s";
        case BridgeProcess::Outcome::Ended: return "the bridge ended";
        case BridgeProcess::Outcome::Malformed: return "an oversized or broken reply frame";
        case BridgeProcess::Outcome::Reply: break;
    }
    return {};
}

int linkCode(BridgeProcess::Outcome outcome) {
    switch (outcome) {
        case BridgeProcess::Outcome::TimedOut: return link::kNoReply;
        case BridgeProcess::Outcome::Ended: return link::kEnded;
        default: return link::kMalformed;
    }
}

// The reason of a Refused reply, or empty when the reply is something else.
std::string refusal(const std::string& reply) {
    bridge::Reader in(reply);
    if (in.op() != Op::Refused) return {};
    std::string why = in.text();
    return in.complete() ? "refused: " + why : "refused";
}

}  // namespace

BridgeDeadlines bridgeDeadlinesFromSettings() {
    const Settings ini;
    BridgeDeadlines d;
    d.reply = std::chrono::seconds(std::max(1, read(ini, settings::kBridgeReplySeconds)));
    d.read = std::chrono::seconds(std::max(1, read(ini, settings::kBridgeReadSeconds)));
    d.interactive = std::max({d.interactive, d.reply, d.read});
    return d;
}

BridgeControl::BridgeControl(std::string command, BridgeDeadlines deadlines, ControlUi* ui)
    : command_(std::move(command)), deadlines_(deadlines), ui_(ui) {}

BridgeControl::~BridgeControl() = default;

int BridgeControl::fail(int code, const char* name, const std::string& what) {
    std::string detail = std::string(name) + ": " + what + " [" + toCp932(command_) + "]";
    if (process_) {
        if (code == link::kEnded) process_->awaitEnd(std::chrono::milliseconds(500));
        const std::string status = process_->endStatus();
        if (!status.empty()) detail += " " + status;
        if (!process_->lastStderrLine().empty()) detail += sj(" 最後の出力: ") + process_->lastStderrLine();
    }
    process_.reset();  // a fresh bridge for the next operation
    readAhead_ = false;
    dropBatch();
    lastFailure_ = detail;
    setLinkFailureDetail(detail);
    return code;
}

int BridgeControl::exchange(const std::string& request, const char* name, milliseconds deadline, std::string& reply) {
    ++roundTrips_;
    process_->send(request);
    return receive(name, deadline, reply);
}

int BridgeControl::receive(const char* name, milliseconds deadline, std::string& reply) {
    refused_ = false;
    const BridgeProcess::Outcome outcome = process_->receive(deadline, reply);
    if (outcome != BridgeProcess::Outcome::Reply) return fail(linkCode(outcome), name, outcomeText(outcome, deadline));
    if (std::string why = refusal(reply); !why.empty()) {
        refused_ = true;
        return fail(link::kMalformed, name, why);
    }
    return 0;
}

// Starts the bridge and says hello; a bridge without a control is still started.
int BridgeControl::startBridge(bridge::Hello& answer) {
    if (!process_) {
        std::string why;
        process_ = BridgeProcess::start(splitCommand(command_), why);
        if (!process_) return fail(link::kNotStarted, "Hello", why.empty() ? "cannot start" : why);
    }
    std::string reply;
    // Starting may take a while (Wine, ssh): the hello waits as long as a batched read.
    if (int code = exchange(bridge::helloRequest(), "Hello", deadlines_.read, reply); code != 0) return code;
    std::optional<bridge::Hello> h = bridge::parseHello(reply);
    if (!h) return fail(link::kMalformed, "Hello", "a broken hello");
    answer = *h;
    if (h->protocolVersion != bridge::kProtocolVersion)
        return fail(link::kMalformed, "Hello",
                    "the bridge speaks protocol version " + std::to_string(h->protocolVersion) + ", this program " +
                        std::to_string(bridge::kProtocolVersion) + ": use the bridge of this program's version");
    return 0;
}

int BridgeControl::hello(bridge::Hello& answer) {
    settleReadAhead();
    if (int code = startBridge(answer); code != 0) return code;
    if (!answer.controlCreated) return fail(link::kRefused, "Hello", answer.problem);
    return 0;
}

void BridgeControl::settleReadAhead() {
    if (!readAhead_) return;
    readAhead_ = false;
    std::string reply;
    receive("ReadBatch", deadlines_.read, reply);  // a failure ends the bridge: the next one is fresh
}

int BridgeControl::ensureStarted(const char* name) {
    settleReadAhead();
    if (process_) return 0;
    bridge::Hello answer;
    if (int code = hello(answer); code != 0) return code;
    if (!softwareId_) return 0;
    // A fresh bridge holds a fresh control: it is initialised as the one it replaces was.
    std::vector<Value> args{text(*softwareId_)};
    const int code = call(Op::NVInit, args, deadlines_.reply);
    if (code == 0 || link::isLinkFailure(code)) return code;  // a link failure has its detail already
    return fail(code < 0 ? code : link::kRefused, name, "NVInit on the fresh bridge answered " + std::to_string(code));
}

int BridgeControl::call(Op op, std::vector<Value>& args, milliseconds deadline) {
    const bridge::Operation& operation = *bridge::controlOperation(op);
    if (int code = ensureStarted(operation.name); code != 0) return code;
    std::string reply;
    if (int code = exchange(bridge::callRequest(operation, args), operation.name, deadline, reply); code != 0) return code;
    int result = 0;
    if (!bridge::parseCallReply(operation, reply, result, args)) return fail(link::kMalformed, operation.name, "a broken reply");
    return result;
}

int BridgeControl::NVInit(const std::string& softwareId) {
    std::vector<Value> args{text(softwareId)};
    softwareId_.reset();  // ensureStarted must not initialise it a first time on its own
    const int code = call(Op::NVInit, args, deadlines_.reply);
    if (code == 0) softwareId_ = softwareId;
    return code;
}

int BridgeControl::NVSetUIProperties() {
    if (!ui_) return serviceSettingsDialog();
    bool sourceChanged = false;
    return editSettingsThroughUi(*ui_, sourceChanged);
}

int BridgeControl::serviceSettingsDialog() {
    std::vector<Value> none;
    return call(Op::NVSetUIProperties, none, deadlines_.interactive);
}

int BridgeControl::NVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
                          int& downloadCount, std::string& lastFileTimestamp) {
    dropBatch();
    std::vector<Value> args{text(dataSpec), text(fromTime), number(option), {}, {}, {}};
    const int code = call(Op::NVOpen, args, deadlines_.reply);
    readCount = args[3].number;
    downloadCount = args[4].number;
    lastFileTimestamp = args[5].text;
    return code;
}

int BridgeControl::NVStatus() {
    std::vector<Value> none;
    return call(Op::NVStatus, none, deadlines_.reply);
}

int BridgeControl::fetchBatch(int bufferSize) {
    const std::string request = bridge::batchRequest({bufferSize, kBatchRecords, kBatchBytes});
    std::string reply;
    if (readAhead_) {
        readAhead_ = false;
        if (int code = receive("ReadBatch", deadlines_.read, reply); code != 0) return code;
    } else {
        if (int code = ensureStarted("ReadBatch"); code != 0) return code;
        if (int code = exchange(request, "ReadBatch", deadlines_.read, reply); code != 0) return code;
    }
    std::optional<bridge::Batch> batch = bridge::parseBatchReply(reply);
    if (!batch) return fail(link::kMalformed, "ReadBatch", "a broken reply");
    if (batch->stop == 1) {
        ++roundTrips_;
        process_->send(request);
        readAhead_ = true;
    }
    batch_ = bridge::BatchCursor(std::move(*batch));
    return 0;
}

int BridgeControl::NVRead(std::string& record, int& bufferSize, std::string& fileName) {
    if (std::optional<int> code = batch_.next(record, fileName)) return *code;
    record.clear();
    fileName.clear();
    if (int code = fetchBatch(bufferSize); code != 0) return code;
    // A batch holds at least one result (parseBatchReply): the cursor has one to give.
    return batch_.next(record, fileName).value_or(link::kMalformed);
}

int BridgeControl::NVRTOpen(const std::string& dataSpec, const std::string& key) {
    dropBatch();
    std::vector<Value> args{text(dataSpec), text(key)};
    return call(Op::NVRTOpen, args, deadlines_.reply);
}

int BridgeControl::NVCancel() {
    dropBatch();
    std::vector<Value> none;
    return call(Op::NVCancel, none, deadlines_.reply);
}

int BridgeControl::NVClose() {
    dropBatch();
    std::vector<Value> none;
    return call(Op::NVClose, none, deadlines_.reply);
}

int BridgeControl::RakutenLogin(const std::string& userId, const std::string& password) {
    std::vector<Value> args{text(userId), text(password)};
    // Only the account switch passes an id: the control answers it with its own window.
    return call(Op::RakutenLogin, args, userId.empty() ? deadlines_.reply : deadlines_.interactive);
}

int BridgeControl::RakutenLogout() {
    std::vector<Value> none;
    return call(Op::RakutenLogout, none, deadlines_.reply);
}

int BridgeControl::RakutenBet(const std::string& pin, const std::string& betLines, int mode, int& purchaseAmount,
                              int& remainingVotes, int& purchaseLimit, std::string& resultText) {
    purchaseAmount = remainingVotes = purchaseLimit = 0;
    resultText.clear();
    // Started first, so that a bridge that will not start is a plain failure: nothing was sent.
    if (int code = ensureStarted("RakutenBet"); code != 0) return code;
    std::vector<Value> args{text(pin), text(betLines), number(mode), {}, {}, {}, {}};
    const int code = call(Op::RakutenBet, args, deadlines_.read);
    // The bet went out and its answer was lost, or the control broke off inside it: it may stand.
    // Never a failure, never retried. Only a refused request is known not to have been carried out.
    if (code == link::kNoReply || code == link::kEnded || code == link::kRefused ||
        (code == link::kMalformed && !refused_))
        return link::kBetUnknown;
    purchaseAmount = args[3].number;
    remainingVotes = args[4].number;
    purchaseLimit = args[5].number;
    resultText = args[6].text;
    return code;
}

int BridgeControl::RakutenZandaka(int& purchaseLimit, int& boughtToday, int& paidOutToday, int& remainingVotes,
                                  const std::string& text_) {
    std::vector<Value> args{{}, {}, {}, {}, text(text_)};
    const int code = call(Op::RakutenZandaka, args, deadlines_.reply);
    purchaseLimit = args[0].number;
    boughtToday = args[1].number;
    paidOutToday = args[2].number;
    remainingVotes = args[3].number;
    return code;
}

int BridgeControl::RakutenDeposit() {
    std::vector<Value> none;
    return call(Op::RakutenDeposit, none, deadlines_.interactive);
}

int BridgeControl::checkLibrary(const std::string& library, bridge::LibraryCheckResult& result) {
    // Only loading a library: a bridge whose control could not be created answers it too.
    settleReadAhead();
    bridge::Hello answer;
    const bool fresh = !process_;
    if (fresh)
        if (int code = startBridge(answer); code != 0) return code;
    std::string reply;
    if (int code = exchange(bridge::libraryCheckRequest(library), "LibraryCheck", deadlines_.reply, reply); code != 0)
        return code;
    std::optional<bridge::LibraryCheckResult> r = bridge::parseLibraryCheckReply(reply);
    if (!r) return fail(link::kMalformed, "LibraryCheck", "a broken reply");
    // A bridge started for the check alone ends with it: the next operation starts one with its
    // control initialised (or says why there is none).
    if (fresh) process_.reset();
    result = *r;
    return 0;
}

std::string bridgeConnectionTest(const std::string& command, const BridgeDeadlines& deadlines) {
    BridgeControl bridged(command, deadlines, nullptr);
    bridge::Hello hello;
    const int code = bridged.hello(hello);
    if (code == link::kRefused && !hello.bridgeVersion.empty())
        return sj("ブリッジ（") + hello.bridgeVersion + sj("）は起動しましたが、サービスのコントロールを作成できませんでした: ") +
               hello.problem;
    if (code != 0) return sj("ブリッジと通信できませんでした: ") + ResultMessage("Hello", code);
    const int init = bridged.NVInit(kSoftwareId);
    if (link::isLinkFailure(init)) return sj("ブリッジと通信できませんでした: ") + ResultMessage("NVInit", init);
    if (init != 0)
        return sj("ブリッジ（") + hello.bridgeVersion + sj("）とコントロールは動いていますが、NVInitが失敗しました(") +
               std::to_string(init) + ")";
    return sj("接続できました。ブリッジ（") + hello.bridgeVersion + sj("）がサービスのコントロールを作成し、NVInitが成功しました。");
}

int serviceSettingsThroughBridge(const std::string& command, const BridgeDeadlines& deadlines) {
    BridgeControl bridged(command, deadlines, nullptr);
    const int code = bridged.NVInit(kSoftwareId);
    return code == 0 ? bridged.serviceSettingsDialog() : code;
}

int checkLibraryThroughBridge(const std::string& command, const BridgeDeadlines& deadlines,
                              const std::string& library, bridge::LibraryCheckResult& result) {
    BridgeControl bridged(command, deadlines, nullptr);
    return bridged.checkLibrary(library, result);
}

}  // namespace vex::control
