// The one reader: missing, read or cannot be read; read-modify-writes that refuse an unreadable
// file and wait for one another. Reads are made to fail through the file fault hook: tests run as
// root, so file modes would not stop them.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/atomic_file.h"
#include "app/error_log.h"
#include "app/file_read.h"
#include "app/settings.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

class FileReadTest : public ::testing::Test {
protected:
    void TearDown() override { setFileFaults(""); }
    fs::path file(const char* name) const { return home.path() / name; }
    test::TempHome home;
};

TEST_F(FileReadTest, EveryReadSaysMissingReadOrWhyNot) {
    EXPECT_EQ(readFile(file("none.txt")).state, FileRead::Missing);
    EXPECT_EQ(readFile(file("none.txt/under")).state, FileRead::Missing);
    writeFileAtomic(file("a.txt"), "one\r\ntwo\n");
    FileRead read = readFile(file("a.txt"));
    EXPECT_EQ(read.state, FileRead::Read);
    EXPECT_EQ(read.bytes, "one\r\ntwo\n");
    EXPECT_EQ(readLines(file("a.txt")), (std::vector<std::string>{"one", "two"}));

    fs::create_directory(file("folder.txt"));
    EXPECT_EQ(readFile(file("folder.txt")).state, FileRead::Unreadable);

    ASSERT_TRUE(setFileFaults("read:a.txt@1"));
    EXPECT_EQ(readFile(file("a.txt")).state, FileRead::Read) << "one read passes";
    read = readFile(file("a.txt"));
    EXPECT_EQ(read.state, FileRead::Unreadable);
    EXPECT_FALSE(read.reason.empty());
    EXPECT_TRUE(read.bytes.empty());
    try {
        readLines(file("a.txt"));
        FAIL() << "an unreadable file read as lines";
    } catch (const FileReadError& e) {
        EXPECT_EQ(e.file(), file("a.txt"));
        EXPECT_NE(std::string(e.what()).find(file("a.txt").string()), std::string::npos);
    }
    EXPECT_EQ(readFile(file("none.txt")).state, FileRead::Missing) << "other files are not touched";

    for (const char* bad : {"read", "read:", "open:a.txt", "read:a.txt@", "read:a.txt@x", "write:a@-1"})
        EXPECT_FALSE(setFileFaults(bad)) << bad;
    EXPECT_EQ(readFile(file("a.txt")).state, FileRead::Unreadable) << "a malformed text changes nothing";
}

// One buffer through many files: each read holds its own file's bytes alone, never the tail of a
// longer file read before it, and a file that is not there leaves nothing behind.
TEST_F(FileReadTest, AReusedBufferHoldsOnlyTheFileJustRead) {
    const std::string longer(200000, 'x'), shorter = "short\r\n";
    writeFileAtomic(file("long.dat"), longer);
    writeFileAtomic(file("short.dat"), shorter);
    fs::create_directories(file("folder.dat"));
    FileRead read;
    readFile(file("long.dat"), read);
    EXPECT_EQ(read.state, FileRead::Read);
    EXPECT_EQ(read.bytes, longer);
    readFile(file("short.dat"), read);
    EXPECT_EQ(read.state, FileRead::Read);
    EXPECT_EQ(read.bytes, shorter);
    readFile(file("folder.dat"), read);
    EXPECT_EQ(read.state, FileRead::Unreadable);
    EXPECT_TRUE(read.bytes.empty());
    EXPECT_FALSE(read.reason.empty());
    readFile(file("none.dat"), read);
    EXPECT_EQ(read.state, FileRead::Missing);
    EXPECT_TRUE(read.bytes.empty());
    EXPECT_TRUE(read.reason.empty());
    // The thread's kept buffer: the same holds for it.
    EXPECT_EQ(readRegularFileKept(file("long.dat"), 1 << 20).bytes, longer);
    EXPECT_EQ(readRegularFileKept(file("short.dat"), 1 << 20).bytes, shorter);
    EXPECT_TRUE(readRegularFileKept(file("none.dat"), 1 << 20).bytes.empty());
    EXPECT_EQ(readRegularFileKept(file("folder.dat"), 1 << 20).state, FileRead::Unreadable);
    EXPECT_EQ(readRegularFileKept(file("long.dat"), 100).state, FileRead::Unreadable);
    EXPECT_EQ(readRegularFileKept(file("short.dat"), 100).bytes, shorter);
}

TEST_F(FileReadTest, ReadModifyWritesRefuseAFileTheyCannotRead) {
    const std::string settings = "[s]\r\nk=1\r\nother=2\r\n";
    writeFileAtomic(file("Vexmora.ini"), settings);
    writeLinesAtomic(file("ErrorLog.txt"), {"old error"});
    ASSERT_TRUE(setFileFaults("read:Vexmora.ini;read:ErrorLog.txt"));

    try {
        Settings().writeInteger("s", "k", 5);
        FAIL() << "the settings file was written over";
    } catch (const SettingsWriteError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(file("Vexmora.ini").string() + " に書き込めません"), std::string::npos) << what;
        EXPECT_NE(what.find("を読めません"), std::string::npos) << what;
    }
    ErrorLog log(file("ErrorLog.txt"));
    EXPECT_THROW(log.addError("x"), FileReadError);
    EXPECT_THROW(log.startUp("/apps"), FileReadError);

    setFileFaults("");
    EXPECT_EQ(readFileBytes(file("Vexmora.ini")), settings);
    EXPECT_EQ(readLines(file("ErrorLog.txt")), std::vector<std::string>{"old error"});
}

TEST_F(FileReadTest, ASecondUpdateWaitsForTheFirstThenSaysTheFolderIsBusy) {
    const fs::path shared = file("shared.txt");
    auto held = std::make_unique<FileUpdate>(shared);
    EXPECT_FALSE(held->existed());
    auto start = std::chrono::steady_clock::now();
    try {
        FileUpdate second(shared, std::chrono::milliseconds(200));
        FAIL() << "two updates of one file at once";
    } catch (const FolderBusyError& e) {
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
        EXPECT_NE(std::string(e.what()).find(home.path().string()), std::string::npos) << e.what();
    }
    FileUpdate other(file("other.txt"), std::chrono::milliseconds(0));  // other files are free

    // Released while the second one waits: it goes on, and reads what the first one wrote.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        held->replaceLines({"first"});
        held.reset();
    });
    FileUpdate second(shared, std::chrono::seconds(5));
    release.join();
    EXPECT_TRUE(second.existed());
    EXPECT_EQ(second.lines(), std::vector<std::string>{"first"});
}

TEST_F(FileReadTest, AWriteFaultLeavesTheOldContent) {
    writeLinesAtomic(file("VovoVaro.log"), {"kept"});
    ASSERT_TRUE(setFileFaults("write:VovoVaro.log@1"));
    FileUpdate(file("VovoVaro.log")).replaceLines({"first"});
    FileUpdate update(file("VovoVaro.log"));
    EXPECT_THROW(update.replaceLines({"second"}), FileWriteError);
    EXPECT_EQ(readLines(file("VovoVaro.log")), std::vector<std::string>{"first"});
}

}  // namespace
}  // namespace vex
