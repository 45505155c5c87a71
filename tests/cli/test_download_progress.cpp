// The download's progress: one line rewritten in place on a terminal, every text a line of its own
// when the output goes elsewhere.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

constexpr int kFiles = 30;

// A feed of kFiles files of three records each (of a kind the store does not keep).
fs::path writeFeed(const fs::path& home) {
    const fs::path feed = home / "feed";
    fs::create_directories(feed / "diff");
    for (int i = 0; i < kFiles; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "202401151000%02d_%02d.txt", i, i);
        std::ofstream(feed / "diff" / name) << "ZZ1\r\nZZ2\r\nZZ3\r\n";
    }
    return feed;
}

// Runs vexmora-cli with its stdout on a pseudo terminal; returns what the terminal received.
std::string runOnTerminal(const std::string& command, int& exitCode) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("no pty");
    const pid_t child = fork();
    if (child == 0) {
        dup2(slave, STDOUT_FILENO);
        close(master);
        close(slave);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(slave);
    std::string out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) out.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR) continue;
        else break;  // EIO once the program has closed the terminal
    }
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // The terminal turns each LF into CR LF; the program's own CRs are the ones that matter.
    std::string plain;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (!(out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n')) plain += out[i];
    return plain;
}

class DownloadProgress : public ::testing::Test {
protected:
    std::string env() const {
        return "VEXMORA_HOME='" + home.path().string() + "' VEXMORA_SERVICE='feed:" + writeFeed(home.path()).string() +
               "' VEXMORA_NOW='2024/06/01 09:00:00'";
    }
    test::TempHome home;
};

TEST_F(DownloadProgress, OnATerminalTheCountsShareOneLine) {
    int code = -1;
    const std::string out =
        runOnTerminal(env() + " exec " + test::cliPath() + " download --from '2024/01/15 00:00:00'", code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("\r\033[Kデータ読込み"), std::string::npos) << out;
    // The last count is drawn with its figures and the line ended before the closing text.
    const std::string last = "\r\033[Kデータ読込み完了(30/30)  100%  90件  ";
    const auto at = out.find(last);
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_NE(out.find("件/秒\nデータ作成が完了しました。\n", at), std::string::npos) << out;
    // Banner, ReadCount, the progress line, the closing text: no count got a line of its own.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4) << out;
    EXPECT_EQ(out.find("データ読込み中．．．(1/30)\n"), std::string::npos) << out;
}

TEST_F(DownloadProgress, PipedEveryTextIsALineAsBefore) {
    int code = -1;
    const std::string out = test::runCli("download --from '2024/01/15 00:00:00'", code, env());
    EXPECT_EQ(code, 0) << out;
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_EQ(out.find('\033'), std::string::npos);
    std::string counts;
    for (int i = 0; i <= kFiles; ++i) counts += "データ読込み中．．．(" + std::to_string(i) + "/30)\n";
    EXPECT_NE(out.find("ReadCount:30, DownloadCount:0\n" + counts + "データ読込み完了(30/30)\nデータ作成が完了しました。\n"),
              std::string::npos)
        << out;
}

TEST_F(DownloadProgress, AFailureEndsTheLineBeforeItsMessage) {
    int code = -1;
    const std::string out = runOnTerminal(env() + " VEXMORA_FAULTS='NVRead=-502@40' exec " + test::cliPath() +
                                              " download --from '2024/01/15 00:00:00' 2>/dev/null",
                                          code);
    EXPECT_EQ(code, 1) << out;
    // The message starts on a line of its own, after the count the line last showed.
    const auto message = out.find("JVReadエラー:");
    ASSERT_NE(message, std::string::npos) << out;
    EXPECT_EQ(out[message - 1], '\n') << out;
    EXPECT_NE(out.rfind("\r\033[Kデータ読込み中．．．(", message), std::string::npos) << out;
}

}  // namespace
}  // namespace vex
