#pragma once
// The bridge's portable half: one reply for each request, over whatever hosts the control (COM on
// Windows; the simulated service in the Linux test build).
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/bridge_protocol.h"

namespace vex::bridge {

inline constexpr const char* kBridgeVersion = "vexmora-bridge " VEXMORA_VERSION;

// What hosts the control.
class ControlHost {
public:
    virtual ~ControlHost() = default;
    // Empty when the control was created; else why not (CP932).
    virtual std::string problem() const = 0;
    // Calls the operation with `args` (one per letter of op.args; the in ones set) and fills the
    // out ones; returns the operation's result.
    virtual int call(const Operation& op, std::vector<Value>& args) = 0;
    virtual LibraryCheckResult checkLibrary(const std::string& library) = 0;
};

struct Options {
    int delayMs = 0;  // test switch: an artificial delay before every reply
};
// "--delay-ms N"; null for anything else.
std::optional<Options> parseOptions(int argc, const char* const* argv);

// The reply payload for one request payload.
std::string dispatch(ControlHost& host, std::string_view request);
// The same into `reply`, whose buffer a loop keeps from one reply to the next (a batch's is
// megabytes).
void dispatch(ControlHost& host, std::string_view request, std::string& reply);
// NVRead in a loop, as the batched read answers it: its reply payload into `reply`.
void readBatch(ControlHost& host, const BatchRequest& request, std::string& reply);
// The same as the batch it carries.
Batch readBatch(ControlHost& host, const BatchRequest& request);

// Exit codes of the bridge.
enum ExitCode : int {
    kExitInputEnded = 0,   // stdin closed: the normal end
    kExitBadArguments = 2,
    kExitBrokenInput = 3,  // a truncated or oversized request frame: the stream cannot be followed
    kExitOutputFailed = 4, // stdout closed or failing
    kExitNoControl = 5,    // Windows: COM could not be started at all
};

enum class FrameRead { Ok, End, Broken };
FrameRead readFrame(std::FILE* in, std::string& payload);
bool writeFrame(std::FILE* out, std::string_view payload);
// Reads, dispatches and answers until stdin ends; returns the exit code.
int serve(std::FILE* in, std::FILE* out, ControlHost& host, const Options& options);

}  // namespace vex::bridge
