// The golden days: small stores made by hand (tests/data/golden/<day>/home, written by
// tests/golden/make_golden_days.cpp) and, next to each, the output vexmora-cli must print for a
// handful of commands, checked by hand against the records. cases.txt lists them, one a line:
// name <TAB> exit status <TAB> arguments; the expected stdout is expected/<name>.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

struct GoldenCase {
    std::string day, name, args;
    int exitCode = 0;
};

fs::path goldenRoot() { return fs::path(VEXMORA_SOURCE_DIR) / "tests" / "data" / "golden"; }

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> cases;
    std::vector<fs::path> days;
    for (const auto& entry : fs::directory_iterator(goldenRoot()))
        if (fs::exists(entry.path() / "cases.txt")) days.push_back(entry.path());
    std::sort(days.begin(), days.end());
    for (const fs::path& day : days) {
        std::istringstream lines(readFile(day / "cases.txt"));
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream fields(line);
            GoldenCase c;
            c.day = day.filename().string();
            std::string exitText;
            std::getline(fields, c.name, '\t');
            std::getline(fields, exitText, '\t');
            std::getline(fields, c.args);
            c.exitCode = std::stoi(exitText);
            cases.push_back(c);
        }
    }
    return cases;
}

void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.day << "/" << c.name << ": " << c.args; }

// The first line where two outputs part, for a message a person can read.
std::string firstDifference(const std::string& got, const std::string& want) {
    std::istringstream g(got), w(want);
    std::string gl, wl;
    for (int line = 1;; ++line) {
        const bool moreG = static_cast<bool>(std::getline(g, gl)), moreW = static_cast<bool>(std::getline(w, wl));
        if (!moreG && !moreW) return "only in the line ends";
        if (gl != wl || moreG != moreW)
            return "line " + std::to_string(line) + "\n  printed:  " + (moreG ? gl : "(none)") +
                   "\n  expected: " + (moreW ? wl : "(none)");
    }
}

class GoldenDay : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenDay, PrintsExactlyTheExpectedOutput) {
    const GoldenCase& c = GetParam();
    // A copy: the load writes its statistics file into the application folder.
    test::TempHome home;
    fs::copy(goldenRoot() / c.day / "home", home.path(), fs::copy_options::recursive);
    int exitCode = -1;
    const std::string out = test::runCli(c.args + " 2>/dev/null", exitCode, "VEXMORA_NOW='2026/03/20 09:00:00'");
    EXPECT_EQ(exitCode, c.exitCode) << c.args;
    const std::string expected = readFile(goldenRoot() / c.day / "expected" / (c.name + ".txt"));
    EXPECT_TRUE(out == expected) << c.args << "\n" << firstDifference(out, expected);
}

INSTANTIATE_TEST_SUITE_P(Stores, GoldenDay, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             std::string name = info.param.day + "_" + info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// Every golden day must carry its cases: a folder whose list went missing would pass unseen.
TEST(GoldenDays, EveryDayHasCasesAndEveryCaseItsExpectation) {
    int days = 0;
    for (const auto& entry : fs::directory_iterator(goldenRoot())) {
        if (!entry.is_directory()) continue;
        ++days;
        EXPECT_TRUE(fs::exists(entry.path() / "cases.txt")) << entry.path();
        EXPECT_TRUE(fs::is_directory(entry.path() / "home" / "Data")) << entry.path();
    }
    EXPECT_GE(days, 3);
    for (const GoldenCase& c : goldenCases())
        EXPECT_TRUE(fs::exists(goldenRoot() / c.day / "expected" / (c.name + ".txt"))) << c.day << "/" << c.name;
}

}  // namespace
}  // namespace vex
