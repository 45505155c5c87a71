// vexmora-bridge-sim: the bridge's dispatch loop on Linux, over the simulated service (or a feed
// folder), for the tests of the program's side. Besides --delay-ms it takes test switches that
// break it on purpose at one request, named by its operation ("RakutenBet", "ReadBatch", ...):
//   --feed DIR            serve DIR instead of the simulated service
//   --no-control          the hello says the control could not be created
//   --die-after NAME      carry the request out, then end without a reply (exit code 9)
//   --hang-on NAME        never answer it
//   --garbage-on NAME     answer with a frame that is no reply
//   --oversize-on NAME    answer with a length beyond the reply limit
//   --protocol N          the hello gives protocol version N (a bridge of another version)
//   --batch-records N     a batched read gathers at most N records, whatever it is asked
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "bridge/bridge_dispatch.h"
#include "control/control_factory.h"
#include "control/feed_service.h"
#include "control/service_control.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "app/clock.h"
#include "voting/library_check.h"

namespace vex {
namespace {

using bridge::Op;
using bridge::Value;

class SimHost : public bridge::ControlHost {
public:
    SimHost(std::unique_ptr<DataControl> control, bool created) : control_(std::move(control)), created_(created) {}
    std::string problem() const override { return created_ ? "" : "no control in this test"; }

    int call(const bridge::Operation& op, std::vector<Value>& a) override {
        DataControl& c = *control_;
        switch (op.op) {
            case Op::NVInit: return c.NVInit(a[0].text);
            case Op::NVSetUIProperties: return c.NVSetUIProperties();
            case Op::NVOpen: return c.NVOpen(a[0].text, a[1].text, a[2].number, a[3].number, a[4].number, a[5].text);
            case Op::NVStatus: return c.NVStatus();
            case Op::NVRead: return c.NVRead(a[0].text, a[1].number, a[2].text);
            case Op::NVRTOpen: return c.NVRTOpen(a[0].text, a[1].text);
            case Op::NVCancel: return c.NVCancel();
            case Op::NVClose: return c.NVClose();
            case Op::RakutenLogin: return c.RakutenLogin(a[0].text, a[1].text);
            case Op::RakutenLogout: return c.RakutenLogout();
            case Op::RakutenBet:
                return c.RakutenBet(a[0].text, a[1].text, a[2].number, a[3].number, a[4].number, a[5].number, a[6].text);
            case Op::RakutenZandaka: return c.RakutenZandaka(a[0].number, a[1].number, a[2].number, a[3].number, a[4].text);
            case Op::RakutenDeposit: return c.RakutenDeposit();
            default: return -9005;
        }
    }
    // A relative name is taken in the bridge's own folder, as on Windows.
    bridge::LibraryCheckResult checkLibrary(const std::string& library) override {
        const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        return static_cast<bridge::LibraryCheckResult>(checkVoteLibrary(voteLibraryFile(library, folder)));
    }

private:
    std::unique_ptr<DataControl> control_;
    bool created_;
};

std::string opName(std::string_view request) {
    if (request.empty()) return {};
    const auto op = static_cast<Op>(static_cast<unsigned char>(request[0]));
    if (const bridge::Operation* o = bridge::controlOperation(op)) return o->name;
    if (op == Op::ReadBatch) return "ReadBatch";
    if (op == Op::LibraryCheck) return "LibraryCheck";
    return op == Op::Hello ? "Hello" : "";
}

struct Switches {
    std::map<std::string, std::string> faults;  // switch -> operation name
    std::string feed;
    std::optional<int> protocol, batchRecords;
    bool noControl = false;
    std::vector<const char*> rest{"vexmora-bridge-sim"};
};

Switches parseSwitches(int argc, char** argv) {
    Switches s;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-control") s.noControl = true;
        else if (arg == "--feed" && i + 1 < argc) s.feed = argv[++i];
        else if (arg == "--protocol" && i + 1 < argc) s.protocol = std::atoi(argv[++i]);
        else if (arg == "--batch-records" && i + 1 < argc) s.batchRecords = std::atoi(argv[++i]);
        else if (arg.rfind("--", 0) == 0 && arg != "--delay-ms" && i + 1 < argc) s.faults[arg] = argv[++i];
        else s.rest.push_back(argv[i]);
    }
    return s;
}

// What a broken bridge does in place of its reply; false: answer normally.
bool misbehave(const Switches& s, const std::string& name, const std::string& reply) {
    auto is = [&](const char* fault) { auto f = s.faults.find(fault); return f != s.faults.end() && f->second == name; };
    if (is("--die-after")) {
        std::fprintf(stderr, "dying after %s\n", name.c_str());
        std::fflush(stderr);
        _exit(9);
    }
    if (is("--hang-on")) {
        std::fprintf(stderr, "hanging in %s\n", name.c_str());
        std::fflush(stderr);
        while (true) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (is("--garbage-on")) {
        bridge::writeFrame(stdout, "\x7f garbage " + reply.substr(0, 3));
        return true;
    }
    if (is("--oversize-on")) {
        const char header[4] = {'\xff', '\xff', '\xff', '\x7f'};
        std::fwrite(header, 1, 4, stdout);
        std::fflush(stdout);
        return true;
    }
    return false;
}

// A ReadBatch request asking for at most `records` records.
std::string smallerBatch(const std::string& request, int records) {
    bridge::Reader in(request);
    in.op();
    bridge::BatchRequest r;
    r.bufferSize = in.number();
    r.maxRecords = std::min(in.number(), records);
    r.maxBytes = in.number();
    return in.complete() ? bridge::batchRequest(r) : request;
}

}  // namespace
}  // namespace vex

int main(int argc, char** argv) {
    using namespace vex;
    const Switches s = parseSwitches(argc, argv);
    const auto options = bridge::parseOptions(static_cast<int>(s.rest.size()), s.rest.data());
    if (!options) return bridge::kExitBadArguments;
    std::unique_ptr<control::DataSource> source;
    if (!s.feed.empty()) source = std::make_unique<control::FeedService>(s.feed);
    else source = std::make_unique<control::SimService>(control::simSeed(), static_cast<int>(sim::minuteOf(now()) / 1440));
    SimHost host(std::make_unique<control::ServiceControl>(std::move(source), nullptr), !s.noControl);
    std::string request;
    while (true) {
        const bridge::FrameRead r = bridge::readFrame(stdin, request);
        if (r == bridge::FrameRead::End) return bridge::kExitInputEnded;
        if (r == bridge::FrameRead::Broken) return bridge::kExitBrokenInput;
        if (s.batchRecords && opName(request) == "ReadBatch") request = smallerBatch(request, *s.batchRecords);
        std::string reply = bridge::dispatch(host, request);
        if (s.protocol && opName(request) == "Hello") {
            bridge::Hello hello = *bridge::parseHello(reply);
            hello.protocolVersion = *s.protocol;
            reply = bridge::helloReply(hello);
        }
        if (misbehave(s, opName(request), reply)) continue;
        if (options->delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options->delayMs));
        if (!bridge::writeFrame(stdout, reply)) return bridge::kExitOutputFailed;
    }
}
