// The real vexmora-cli download under signals: killed outright at any moment, cancelled by SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <thread>

#include "app/atomic_file.h"
#include "app/settings.h"
#include "datalink/download_support.h"
#include "datalink/feed_builder.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

// Sets environment variables for the programs the test starts; restores them at the end.
class Environment {
public:
    void set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Starts `vexmora-cli download ARGS...` with stdout and stderr into the given files.
pid_t startDownload(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    pid_t child = fork();
    if (child != 0) return child;
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(o, 1);
    ::dup2(e, 2);
    std::string program = test::cliPath();
    std::vector<char*> argv = {program.data(), const_cast<char*>("download")};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    _exit(127);
}

int waitFor(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::map<std::string, std::string> storeOf(const fs::path& home) {
    std::map<std::string, std::string> all;
    for (const char* folder : {"Data", "SEI", "SEIR"})
        for (auto& [name, bytes] : test::treeOf(home / folder)) all[std::string(folder) + "/" + name] = std::move(bytes);
    return all;
}

// Hidden files but the lock files, which stay beside what they guard by design.
std::vector<std::string> temporariesBelow(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = e.path().filename().string();
        if (name.starts_with(".") && !name.ends_with(".lock")) found.push_back(fs::relative(e.path(), root).string());
    }
    return found;
}

// Killed with SIGKILL at ten moments of the writing, from just before the first file replacement
// to just before the last, the download leaves a store the next run completes into exactly the
// store of an uninterrupted run, and no temporary.
TEST(DownloadCommandKilled, RerunGivesTheUninterruptedStoreAndNoTemporaryIsLeft) {
    test::TempHome scratch;
    fs::path feed = scratch.path() / "feed";
    fs::create_directories(feed / "diff");
    int day = 0;
    for (const auto& file : test::FeedBuilder(11).build({2024, 1, 15, 0, 0, 0}, 24, 4)) {
        std::string bytes;
        for (const auto& r : file) bytes += r;
        std::string stamp = formatStamp14(fromEpoch(toEpoch({2024, 1, 15, 12, 0, 0}) + day * 86400));
        writeFileAtomic(feed / "diff" / (stamp + "_feed.txt"), bytes);
        ++day;
    }
    Environment env;
    env.set("VEXMORA_SERVICE", "feed:" + feed.string());
    env.set("VEXMORA_NOW", "2024/06/01 09:00:00");
    const std::vector<std::string> from = {"--from", "2024/01/14 00:00:00"};

    std::map<std::string, std::string> reference;
    {
        test::TempHome home;
        ASSERT_EQ(waitFor(startDownload(from, home.path() / "out", home.path() / "err")), 0);
        reference = storeOf(home.path());
        ASSERT_GT(reference.size(), 200u);
    }
    // Every stored file was put in place by one replacement at least.
    const long replacements = static_cast<long>(reference.size());
    for (int moment = 0; moment < 10; ++moment) {
        test::TempHome home;
        const long dieAt = 1 + (replacements - 1) * moment / 9;
        {
            Environment dying;
            dying.set("VEXMORA_DIE_AT_REPLACEMENT", std::to_string(dieAt));
            ASSERT_EQ(waitFor(startDownload(from, home.path() / "out", home.path() / "err")), -SIGKILL)
                << "replacement " << dieAt;
        }
        ASSERT_EQ(waitFor(startDownload(from, home.path() / "out", home.path() / "err")), 0)
            << readFileBytes(home.path() / "err");
        std::map<std::string, std::string> store = storeOf(home.path());
        ASSERT_EQ(store.size(), reference.size()) << "replacement " << dieAt;
        for (auto s = store.begin(), r = reference.begin(); s != store.end(); ++s, ++r) {
            ASSERT_EQ(s->first, r->first) << "replacement " << dieAt;
            ASSERT_TRUE(s->second == r->second) << s->first << " differs after a kill at replacement " << dieAt;
        }
        EXPECT_EQ(temporariesBelow(home.path()), std::vector<std::string>{}) << "replacement " << dieAt;
    }
}

// SIGTERM cancels as the window's cancel does, and stderr says so.
TEST(DownloadCommandKilled, SigtermCancelsAndSaysSo) {
    test::TempHome home;
    Environment env;
    env.set("VEXMORA_SERVICE", "sim");
    env.set("VEXMORA_NOW", "2024/06/01 09:00:00");
    pid_t child = startDownload({}, home.path() / "out", home.path() / "err");
    // The banner comes once the signal handlers are in place (a slow start-up, under a sanitizer
    // say, must not meet the default action).
    for (int waited = 0; waited < 3000 && readFileBytes(home.path() / "out").empty(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(child, SIGTERM);
    EXPECT_EQ(waitFor(child), 1);
    std::vector<std::string> errors = readLines(home.path() / "err");
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), "NVCancel:キャンセルされました");
    EXPECT_EQ(Settings().readString("JvDataGet", "LastTime", "(none)"), "(none)");
}

// A clock asked for but not given is an error before anything runs, not the system clock.
TEST(DownloadCommandKilled, InvalidNowIsRefused) {
    test::TempHome home;
    int code = -1;
    for (const char* now : {"2024/02/30 10:00:00", "tomorrow", "2024/06/01"}) {
        std::string out = test::runCli("download 2>&1", code, std::string("VEXMORA_NOW='") + now + "'");
        EXPECT_EQ(code, 1) << now;
        EXPECT_NE(out.find("VEXMORA_NOW"), std::string::npos) << out;
        EXPECT_EQ(out.find("データ取込"), std::string::npos) << out;
    }
    EXPECT_FALSE(fs::exists(home.path() / "Data"));
    test::runCli("days", code, "VEXMORA_NOW='2024/06/01 09:00:00'");
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace vex
