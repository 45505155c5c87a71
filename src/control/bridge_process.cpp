#include "control/bridge_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "bridge/bridge_protocol.h"

extern char** environ;

namespace vex::control {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReplyPipeBytes = 1 << 20;

// A write to a pipe whose reader died raises SIGPIPE: blocked for this thread during the write,
// and a pending one taken back, so a dead bridge ends an operation, not the program.
class SigpipeBlock {
public:
    SigpipeBlock() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeBlock() {
        const timespec none{};
        while (sigtimedwait(&pipe_, nullptr, &none) > 0) {}
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }

private:
    sigset_t pipe_, old_;
};

// The child's environment: ours, with Wine's diagnostics off unless asked for, so that the last
// stderr line is the bridge's own.
std::vector<char*> childEnvironment(std::string& wineDebug) {
    std::vector<char*> env;
    bool hasWineDebug = false;
    for (char** e = environ; *e; ++e) {
        hasWineDebug = hasWineDebug || std::strncmp(*e, "WINEDEBUG=", 10) == 0;
        env.push_back(*e);
    }
    wineDebug = "WINEDEBUG=-all";
    if (!hasWineDebug) env.push_back(wineDebug.data());
    env.push_back(nullptr);
    return env;
}

}  // namespace

std::vector<std::string> splitCommand(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) return {};
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::unique_ptr<BridgeProcess> BridgeProcess::start(const std::vector<std::string>& words, std::string& why) {
    if (words.empty()) {
        why = "no command";
        return nullptr;
    }
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    std::string wineDebug;
    std::vector<char*> env = childEnvironment(wineDebug);
    std::unique_ptr<BridgeProcess> p(new BridgeProcess);
    const int rc = posix_spawnp(&p->pid_, argv[0], &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {in[0], out[1], err[1]}) close(fd);
    p->toChild_ = in[1];
    p->fromChild_ = out[0];
    p->errors_ = err[0];
    if (rc != 0) {
        p->pid_ = -1;
        why = words[0] + ": " + std::strerror(rc);
        return nullptr;
    }
    for (int fd : {p->toChild_, p->fromChild_, p->errors_}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    // A batch's reply is megabytes: a wide pipe takes it in a few writes, not one per 64 KiB
    // (a limit that refuses it leaves the default).
    fcntl(p->fromChild_, F_SETPIPE_SZ, kReplyPipeBytes);
    return p;
}

BridgeProcess::~BridgeProcess() {
    closeFd(toChild_);  // stdin ended: the bridge's normal end
    if (pid_ > 0) {
        if (awaitEnd(std::chrono::milliseconds(500)).empty()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &waitStatus_, 0);
        }
    }
    closeFd(fromChild_);
    closeFd(errors_);
}

void BridgeProcess::closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

std::string BridgeProcess::endStatus() {
    if (pid_ <= 0) return {};
    if (!reaped_) {
        if (waitpid(pid_, &waitStatus_, WNOHANG) != pid_) return {};
        reaped_ = true;
    }
    if (WIFEXITED(waitStatus_)) return "exit code " + std::to_string(WEXITSTATUS(waitStatus_));
    if (WIFSIGNALED(waitStatus_)) return "signal " + std::to_string(WTERMSIG(waitStatus_));
    return "ended";
}

std::string BridgeProcess::awaitEnd(std::chrono::milliseconds limit) {
    const auto giveUp = Clock::now() + limit;
    std::string status;
    while ((status = endStatus()).empty() && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return status;
}

bool BridgeProcess::sendSome(std::string_view frame, std::size_t& sent) {
    SigpipeBlock block;
    const ssize_t n = write(toChild_, frame.data() + sent, frame.size() - sent);
    if (n > 0) sent += static_cast<std::size_t>(n);
    return n >= 0 || errno == EAGAIN || errno == EINTR;
}

bool BridgeProcess::receiveSome(char* into, std::size_t room, std::size_t& got) {
    const ssize_t n = read(fromChild_, into, room);
    if (n > 0) got += static_cast<std::size_t>(n);
    return n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR));
}

void BridgeProcess::drainStderr() {
    char chunk[4096];
    ssize_t n;
    while ((n = read(errors_, chunk, sizeof chunk)) > 0) {
        stderrTail_.append(chunk, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = stderrTail_.find('\n')) != std::string::npos) {
            std::string line = stderrTail_.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lastStderrLine_ = line.substr(0, 500);
            stderrTail_.erase(0, end + 1);
        }
        if (stderrTail_.size() > 4096) stderrTail_.erase(0, stderrTail_.size() - 4096);
    }
    if (n == 0) closeFd(errors_);
}

BridgeProcess::Outcome BridgeProcess::exchange(std::string_view request, std::chrono::milliseconds deadline,
                                               std::string& reply) {
    send(request);
    return receive(deadline, reply);
}

void BridgeProcess::send(std::string_view request) {
    outgoing_ = bridge::framed(request);
    sent_ = 0;
    sendSome(outgoing_, sent_);  // a failure shows while receiving: the bridge's stdout ends too
}

// The header first, then the payload read straight into `reply`, sized once: a batch's is
// megabytes.
BridgeProcess::Outcome BridgeProcess::receive(std::chrono::milliseconds deadline, std::string& reply) {
    unsigned char header[4];
    std::size_t got = 0;  // of the frame, header included
    std::size_t size = 0;
    const auto end = Clock::now() + deadline;
    while (true) {
        pollfd fds[3] = {{fromChild_, POLLIN, 0}, {errors_, POLLIN, 0}, {sent_ < outgoing_.size() ? toChild_ : -1, POLLOUT, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return Outcome::TimedOut;
        if (poll(fds, 3, static_cast<int>(left)) < 0 && errno != EINTR) return Outcome::Ended;
        if (fds[1].revents) drainStderr();
        if (fds[2].revents && !sendSome(outgoing_, sent_)) return Outcome::Ended;
        if (!fds[0].revents) continue;
        const bool inHeader = got < 4;
        const bool more = inHeader ? receiveSome(reinterpret_cast<char*>(header) + got, 4 - got, got)
                                   : receiveSome(reply.data() + (got - 4), size - (got - 4), got);
        if (!more) {
            drainStderr();
            return Outcome::Ended;
        }
        if (inHeader && got == 4) {
            size = bridge::frameLength(header);
            if (size > bridge::kMaxReplyBytes) return Outcome::Malformed;
            reply.resize(size);
        }
        if (got < 4 || got - 4 < size) continue;
        char extra;
        if (read(fromChild_, &extra, 1) > 0) return Outcome::Malformed;  // more than one reply: out of step
        return Outcome::Reply;
    }
}

}  // namespace vex::control
