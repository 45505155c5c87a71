// The 64-bit bridge and our test control under Wine, in the prefix the fixture made: what the
// program stores, refreshes and votes through them equals, byte for byte, what it does with the
// feed replay of the same feed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/file_read.h"
#include "bridge/bridge_protocol.h"
#include "support/test_support.h"

namespace vex::test {
namespace {
namespace fs = std::filesystem;
using namespace vex::bridge;

constexpr const char* kNow = "2026/06/10 09:30:00";
const fs::path kPrograms = VEXMORA_WINE_PROGRAMS;

// Wine's drive Z: is the Unix root.
std::string windowsPath(const fs::path& p) {
    std::string s = "Z:" + p.string();
    for (char& c : s) c = c == '/' ? '\\' : c;
    return s;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Every file below `root` by relative name, without the logs and lock files (they hold times).
std::map<std::string, std::string> filesBelow(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.ends_with(".log") || name.ends_with(".lock") || name == "ErrorLog.txt")
            continue;
        files[fs::relative(entry.path(), root).string()] = readFileBytes(entry.path());
    }
    return files;
}

// Names of the files that differ between two trees (missing on either side included).
std::vector<std::string> differences(const fs::path& a, const fs::path& b) {
    auto left = filesBelow(a), right = filesBelow(b);
    std::vector<std::string> out;
    for (const auto& [name, bytes] : left)
        if (!right.contains(name) || right[name] != bytes) out.push_back(name);
    for (const auto& [name, bytes] : right)
        if (!left.contains(name)) out.push_back(name + " (only through the bridge)");
    return out;
}

class WineTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("vexmora-wine-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        for (const char* folder : {"feed", "replay", "bridge", "control", "export"}) fs::create_directories(root_ / folder);
        cli("feed-export " + quoted(path("feed").string()) + " --from 20260605 --to 20260610", path("export"), "sim");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path path(const char* name) const { return root_ / name; }

    std::string environment(const fs::path& home, const std::string& service) const {
        return "VEXMORA_NOW=" + quoted(kNow) + " VEXMORA_HOME=" + quoted(home.string()) +
               " VEXMORA_SERVICE=" + quoted(service) + " VEXMORA_TEST_CONTROL_FEED=" +
               quoted(windowsPath(path("feed"))) + " VEXMORA_TEST_CONTROL_HOME=" + quoted(windowsPath(path("control")));
    }
    // Runs vexmora-cli in `home` on `service`; its output, and a failure when it did not succeed.
    std::string cli(const std::string& args, const fs::path& home, const std::string& service) const {
        int code = 0;
        std::string out = runCli(args + " 2>&1", code, environment(home, service));
        EXPECT_EQ(code, 0) << args << " on " << service << ":\n" << out;
        return out;
    }
    std::string replay() const { return "feed:" + path("feed").string(); }
    std::string bridge() const { return std::string("bridge:" VEXMORA_WINE64_PATH " " VEXMORA_BRIDGE64_PATH); }
    // The same command once on the feed replay, once through the bridge.
    void both(const std::string& args) const {
        cli(args, path("replay"), replay());
        cli(args, path("bridge"), bridge());
    }

    fs::path root_;
};

TEST_F(WineTest, TheTestControlServesEveryFeedRecordWhenCreatedByItsProgId) {
    int code = 0;
    const std::string client = VEXMORA_WINE64_PATH " " + quoted((kPrograms / "vexmora-test-client.exe").string());
    const std::string records = runCommand(environment(path("bridge"), "") + " " + client + " 00000000000000", code);
    ASSERT_EQ(code, 0);
    std::string expected;
    std::vector<fs::path> files(fs::directory_iterator(path("feed") / "diff"), {});
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string bytes = readFileBytes(file);
        for (std::string_view line : splitLines(bytes))
            if (!line.empty()) expected += std::string(line) + "\r\n";
    }
    ASSERT_GT(expected.size(), 100000u);
    if (records != expected) {
        std::size_t at = std::mismatch(records.begin(), records.end(), expected.begin()).first - records.begin();
        ADD_FAILURE() << "the records differ from byte " << at << ":\n"
                      << records.substr(at - std::min<std::size_t>(at, 40), 120) << "\nexpected\n"
                      << expected.substr(at - std::min<std::size_t>(at, 40), 120);
    }
}

TEST_F(WineTest, DownloadAndRefreshesThroughTheBridgeStoreWhatTheFeedReplayStores) {
    both("download --from " + quoted("2026/06/01 00:00:00"));
    ASSERT_GT(filesBelow(path("replay")).size(), 1000u);
    EXPECT_EQ(differences(path("replay"), path("bridge")), std::vector<std::string>{}) << "after the download";
    both("refresh-odds today 1");
    both("refresh-results 2026-06-09");
    EXPECT_EQ(differences(path("replay"), path("bridge")), std::vector<std::string>{}) << "after the refreshes";
}

// The voting log with its times blanked: the two runs vote seconds apart.
std::string logWithoutTimes(const fs::path& home) {
    return std::regex_replace(readFileBytes(home / "VovoVaro.log"), std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}"), "hh:nn:ss");
}

TEST_F(WineTest, AVoteThroughTheBridgeLandsInTheTestControlsLedgerAsInTheFeedReplaysAccount) {
    for (const char* home : {"replay", "bridge"}) cli("download --from " + quoted("2026/06/01 00:00:00"), path(home), replay());
    const std::string vote = "vote today 1 --kind 3 --mark 8:1,2,3 --amount 1200";
    both(vote);
    const std::string ledger = readFileBytes(path("control") / "ServiceControl.dat");
    EXPECT_NE(ledger.find("\r\nbet="), std::string::npos) << ledger;
    EXPECT_EQ(ledger, readFileBytes(path("replay") / "ServiceControl.dat"));
    EXPECT_EQ(logWithoutTimes(path("bridge")), logWithoutTimes(path("replay")));
}

// vexmora-bridge64.exe under Wine, spoken to in frames over its stdin and stdout.
class BridgeProcess {
public:
    BridgeProcess(const fs::path& exe, const std::vector<std::string>& environment) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
            for (const std::string& e : environment) ::putenv(const_cast<char*>(e.c_str()));
            ::execl(VEXMORA_WINE64_PATH, VEXMORA_WINE64_PATH, exe.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        to_ = in[1];
        from_ = out[0];
    }
    ~BridgeProcess() {
        ::close(to_);  // the bridge ends when its input does
        for (int i = 0; i < 200 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i) ::usleep(50000);
        if (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(from_);
    }
    // The reply payload to `request`; empty when none came within 60 seconds.
    std::string ask(const std::string& request) {
        const std::string frame = framed(request);
        if (::write(to_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return {};
        std::string header = receive(4);
        if (header.size() != 4) return {};
        return receive(frameLength(reinterpret_cast<const unsigned char*>(header.data())));
    }

private:
    std::string receive(std::size_t n) {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (bytes.size() < n && std::chrono::steady_clock::now() < deadline) {
            pollfd p{from_, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) continue;
            char buffer[65536];
            ssize_t got = ::read(from_, buffer, std::min(sizeof buffer, n - bytes.size()));
            if (got <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
        return bytes;
    }
    pid_t pid_ = -1;
    int to_ = -1, from_ = -1;
};

TEST_F(WineTest, TheBridgeSaysWhetherItCreatedTheControlAndChecksTheVotingLibraryWithoutCallingIt) {
    // The bridge beside a library with the export, as the user places it.
    const fs::path folder = path("bridge");
    fs::copy_file(VEXMORA_BRIDGE64_PATH, folder / "vexmora-bridge64.exe");
    fs::copy_file(kPrograms / "ipat-with-export" / "IPAT_LIB.dll", folder / "IPAT_LIB.dll");
    const std::vector<std::string> control = {"VEXMORA_TEST_CONTROL_FEED=" + windowsPath(path("feed")),
                                              "VEXMORA_TEST_CONTROL_HOME=" + windowsPath(path("control"))};
    {
        BridgeProcess bridge(folder / "vexmora-bridge64.exe", control);
        auto hello = parseHello(bridge.ask(helloRequest()));
        ASSERT_TRUE(hello);
        EXPECT_EQ(hello->protocolVersion, kProtocolVersion);
        EXPECT_TRUE(hello->controlCreated) << hello->problem;
        auto check = [&](const std::string& library) { return parseLibraryCheckReply(bridge.ask(libraryCheckRequest(library))); };
        EXPECT_EQ(check("IPAT_LIB.dll"), LibraryCheckResult::Present);
        EXPECT_EQ(check(windowsPath(kPrograms / "ipat-without-export" / "IPAT_LIB.dll")), LibraryCheckResult::NoExport);
        EXPECT_EQ(check("MISSING_LIB.dll"), LibraryCheckResult::NotLoaded);
    }
    // Without its feed the test control refuses to be created: the hello says so, and why.
    BridgeProcess bridge(folder / "vexmora-bridge64.exe", {});
    auto hello = parseHello(bridge.ask(helloRequest()));
    ASSERT_TRUE(hello);
    EXPECT_FALSE(hello->controlCreated);
    EXPECT_FALSE(hello->problem.empty());
}

}  // namespace
}  // namespace vex::test
