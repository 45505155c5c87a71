#pragma once
// The bridge as a child process: started without a shell, fed request frames on its stdin, read
// for one reply frame on its stdout within a deadline. Its stderr is drained as it goes and its
// last line kept for error texts.
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vex::control {

// COMMAND split into words at blanks; double quotes keep blanks inside a word. Empty when blank or
// when a quote is left open.
std::vector<std::string> splitCommand(const std::string& command);

class BridgeProcess {
public:
    // The running child; null with `why` set when it cannot start.
    static std::unique_ptr<BridgeProcess> start(const std::vector<std::string>& words, std::string& why);
    // Closes its stdin (its normal end), and kills it when it does not end at once.
    ~BridgeProcess();
    BridgeProcess(const BridgeProcess&) = delete;
    BridgeProcess& operator=(const BridgeProcess&) = delete;

    enum class Outcome { Reply, TimedOut, Ended, Malformed };
    // Sends one request payload and waits for one reply payload, at most `deadline`. Anything but
    // Reply leaves the process unusable (the caller ends it).
    Outcome exchange(std::string_view request, std::chrono::milliseconds deadline, std::string& reply);
    // The two halves of exchange, for a request whose reply is read later: send starts the request
    // at once (what does not fit in the pipe goes out while receiving), receive waits for its reply.
    void send(std::string_view request);
    Outcome receive(std::chrono::milliseconds deadline, std::string& reply);

    const std::string& lastStderrLine() const { return lastStderrLine_; }
    // How it ended ("exit code 3", "signal 9"); empty while it runs. Reaps it when it has ended.
    std::string endStatus();
    // Waits at most `limit` for it to end; its end status, empty when it still runs.
    std::string awaitEnd(std::chrono::milliseconds limit);

private:
    BridgeProcess() = default;
    bool sendSome(std::string_view frame, std::size_t& sent);
    // Reads at most `room` bytes of stdout into `into`, adding them to `got`; false when it ended.
    bool receiveSome(char* into, std::size_t room, std::size_t& got);
    void drainStderr();
    void closeFd(int& fd);

    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1, errors_ = -1;
    std::string outgoing_;  // the frame being sent
    std::size_t sent_ = 0;
    std::string stderrTail_, lastStderrLine_;
    int waitStatus_ = 0;
    bool reaped_ = false;
};

}  // namespace vex::control
