#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/atomic_file.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

// A settings file as a Windows program leaves it: CP932, CR LF, keys in any case, comments,
// stray lines, a duplicate key and a duplicate section.
std::string windowsFile() {
    return sj("; Vexmora の設定\r\n"
              "[locate]\r\n"
              "Top=120\r\n"
              "  LEFT = 45 \r\n"
              "width=1024\r\n"
              "height=768\r\n"
              "\r\n"
              "[Dir]\r\n"
              "quillet=C:\\コンピ\\表示\r\n"
              "; folder of the odds files\r\n"
              "Jikeiretu = \"  D:\\odds  \"\r\n"
              "[OzSpan]\r\n"
              "Toz1A=1.5 ; lower bound\r\n"
              "a line without an equals sign\r\n"
              "\r\n"
              "[ TIME ]\r\n"
              "AutoOzGet=0x0F\r\n"
              "autoozget=99\r\n"
              "[Disp]\r\n"
              "NotRefresh=2\r\n"
              "[locate]\r\n"
              "top=999\r\n"
              "extra=5\r\n");
}

struct SettingsTest : ::testing::Test {
    test::TempHome home;
    Settings ini;
    fs::path file() const { return home.path() / "Vexmora.ini"; }
    void store(const std::string& bytes) const { writeFileAtomic(file(), bytes); }
};

TEST_F(SettingsTest, ReadsAWindowsWrittenFile) {
    store(windowsFile());
    EXPECT_EQ(ini.path(), file());
    EXPECT_EQ(ini.readInteger("LOCATE", "top", 10), 120);
    EXPECT_EQ(ini.readInteger("locate", "Left", 10), 45);
    EXPECT_EQ(ini.readInteger("locate", "extra", -1), -1) << "keys of a repeated section are not seen";
    EXPECT_EQ(toUtf8(ini.readString("dir", "QUILLET", "")), "C:\\コンピ\\表示");
    EXPECT_EQ(ini.readString("Dir", "jikeiretu", ""), "  D:\\odds  ");
    EXPECT_EQ(ini.readString("OzSpan", "Toz1A", "1.0"), "1.5 ; lower bound") << "no comments after a value";
    EXPECT_EQ(ini.readString("OzSpan", "a line without an equals sign", "x"), "x");
    EXPECT_EQ(ini.readInteger("Time", "AutoOzGet", 10), 15);
    EXPECT_TRUE(ini.readBool("Disp", "NotRefresh", false));
    EXPECT_EQ(ini.readInteger("KaimeSet", "DefaultAmount", 3000), 3000);
}

TEST_F(SettingsTest, WritesBackChangingOnlyTheLinesItMust) {
    std::string original = windowsFile();
    store(original);

    ini.writeInteger("LOCATE", "TOP", 130);
    std::string expected = original;
    expected.replace(expected.find("Top=120"), 7, "Top=130");
    EXPECT_EQ(readFileBytes(file()), expected);

    ini.writeString("ozspan", "Toz2A", "50.0");
    expected.insert(expected.find("a line without"), "Toz2A=50.0\r\n");
    EXPECT_EQ(readFileBytes(file()), expected);

    ini.writeString("Dir", "quillet", sj("D:\\ソフト"));
    expected.replace(expected.find(sj("quillet=C:\\コンピ\\表示")), sj("quillet=C:\\コンピ\\表示").size(),
                     sj("quillet=D:\\ソフト"));
    EXPECT_EQ(readFileBytes(file()), expected);

    // The first of the duplicates is the one replaced; a missing section goes at the end.
    ini.writeInteger("Time", "AUTOOZGET", 20);
    expected.replace(expected.find("AutoOzGet=0x0F"), 14, "AutoOzGet=20");
    ini.writeBool("KaimeSet", "Flag", true);
    expected += "[KaimeSet]\r\nFlag=1\r\n";
    EXPECT_EQ(readFileBytes(file()), expected);
    EXPECT_EQ(ini.readInteger("time", "autoozget", 0), 20);
}

TEST_F(SettingsTest, CreatesTheFileAndConvertsLineFeedOnlyFiles) {
    ini.writeInteger("locate", "top", 10);
    EXPECT_EQ(readFileBytes(file()), "[locate]\r\ntop=10\r\n");

    store("[a]\nk=1\n[b]\nk=2");
    EXPECT_EQ(ini.readInteger("b", "k", 0), 2);
    ini.writeInteger("a", "j", -3);
    EXPECT_EQ(readFileBytes(file()), "[a]\r\nk=1\r\nj=-3\r\n[b]\r\nk=2\r\n");

    // A section with nothing in it yet takes the key right under its header.
    store("[empty]\r\n; note\r\n[next]\r\n");
    ini.writeString("empty", "k", "v");
    EXPECT_EQ(readFileBytes(file()), "[empty]\r\nk=v\r\n; note\r\n[next]\r\n");
}

TEST_F(SettingsTest, StringReadRules) {
    store(sj("[s]\r\n"
             "brackets=｢ keep ｣\r\n"
             "pair=\"\"\r\n"
             "quadruple=\"\"\"\"\r\n"
             "single='x y'\r\n"
             "lone=\"\r\n"
             "empty=\r\n"
             "twice=\"\"quoted\"\"\r\n"
             "half=｢悲哀\r\n"));
    EXPECT_EQ(toUtf8(ini.readString("s", "brackets", "")), " keep ");
    EXPECT_EQ(ini.readString("s", "pair", "d"), "");
    EXPECT_EQ(ini.readString("s", "quadruple", "d"), "");
    EXPECT_EQ(ini.readString("s", "single", "d"), "x y");
    EXPECT_EQ(ini.readString("s", "lone", "d"), "\"");
    EXPECT_EQ(ini.readString("s", "empty", "d"), "") << "a present empty value is not the default";
    EXPECT_EQ(ini.readString("s", "twice", "d"), "quoted");
    // The closing bracket byte here is the second byte of 哀, not a bracket.
    EXPECT_EQ(toUtf8(ini.readString("s", "half", "")), "｢悲哀");

    EXPECT_EQ(ini.readString("OzSpan", "Toz1A", "1.0"), "1.0");
    EXPECT_EQ(ini.readString("OzSpan", "Toz1A", ""), "");
    EXPECT_EQ(ini.readString("OzSpan", "Toz1A", " pad "), " pad ");
    EXPECT_EQ(read(ini, settings::kOddsUpper), "9999999.9");
}

TEST_F(SettingsTest, StringsAreCutAt2047CharactersOnACharacterBoundary) {
    std::string kana;
    for (int i = 0; i < 2100; ++i) kana += sj("あ");
    store("[s]\r\nlong=" + std::string(3000, 'a') + "\r\nkana=" + kana + "\r\nquoted='" + std::string(3000, 'b') +
          "'\r\n");
    EXPECT_EQ(ini.readString("s", "long", ""), std::string(2047, 'a'));
    // A quoted value too long to fit loses its opening quote; the closing one is cut off anyway.
    EXPECT_EQ(ini.readString("s", "quoted", ""), std::string(2047, 'b'));
    EXPECT_EQ(ini.readString("s", "kana", ""), kana.substr(0, 2 * 2047));
}

TEST_F(SettingsTest, IntegerAndBooleanReadRules) {
    store("[n]\r\nhex=0x20\r\nHEX2=0X1f\r\nletters=abc\r\nbare=0x\r\nbadhex=0xzz\r\ntail=12abc\r\n"
          "neg=-42\r\nplus=+7\r\nneghex=-0x10\r\nquoted='0x1F'\r\nspaced=\" 8\"\r\nwrap=0xFFFFFFFF\r\n"
          "empty=\r\ntwo=2\r\nzero=0\r\nsign=-\r\n");
    EXPECT_EQ(ini.readInteger("n", "hex", 0), 32);
    EXPECT_EQ(ini.readInteger("n", "hex2", 0), 31);
    EXPECT_EQ(ini.readInteger("n", "letters", 77), 77);
    EXPECT_EQ(ini.readInteger("n", "bare", 77), 77);
    EXPECT_EQ(ini.readInteger("n", "badhex", 77), 77);
    EXPECT_EQ(ini.readInteger("n", "tail", 77), 12);
    EXPECT_EQ(ini.readInteger("n", "neg", 0), -42);
    EXPECT_EQ(ini.readInteger("n", "plus", 0), 7);
    EXPECT_EQ(ini.readInteger("n", "neghex", 0), -16);
    EXPECT_EQ(ini.readInteger("n", "quoted", 0), 31);
    EXPECT_EQ(ini.readInteger("n", "spaced", 0), 8);
    EXPECT_EQ(ini.readInteger("n", "wrap", 0), -1);
    EXPECT_EQ(ini.readInteger("n", "empty", 77), 77);
    EXPECT_EQ(ini.readInteger("n", "sign", 77), 77);
    EXPECT_TRUE(ini.readBool("n", "two", false));
    EXPECT_FALSE(ini.readBool("n", "zero", true));
    EXPECT_TRUE(ini.readBool("n", "letters", true));
    EXPECT_FALSE(ini.readBool("n", "missing", false));

    ini.writeBool("n", "zero", true);
    ini.writeInteger("n", "neg", -2147483647 - 1);
    EXPECT_TRUE(ini.readBool("n", "zero", false));
    EXPECT_EQ(ini.readInteger("n", "neg", 0), -2147483647 - 1);
}

// The timing window's keys read within its ranges: a hand-edited 0 never gives a 0 ms timer.
TEST_F(SettingsTest, TimingKeysReadWithinTheWindowsRanges) {
    store("[Time]\r\nAutoRdataGet=0\r\nAutoOzGet=-3\r\nAutoOzGetSec=75\r\nAutoTohyoInterval=x\r\n");
    EXPECT_EQ(read(ini, settings::kAutoResultMinutes), 5);
    EXPECT_EQ(read(ini, settings::kAutoOddsMinutes), 1);
    EXPECT_EQ(read(ini, settings::kAutoOddsSeconds), 59);
    EXPECT_EQ(read(ini, settings::kAutoVoteInterval), 5);  // no number: the default
    write(ini, settings::kAutoResultMinutes, 30);
    EXPECT_EQ(read(ini, settings::kAutoResultMinutes), 30);
}

// Names match without regard to ASCII case, but the second byte of a kanji is never folded or
// taken for a bracket.
TEST_F(SettingsTest, DoubleByteNamesMatchExactly) {
    Settings other;
    ini.writeString(sj("ゾーン"), sj("ア"), "1");
    EXPECT_EQ(other.readString(sj("ゾーン"), sj("ア"), "none"), "1");
    EXPECT_EQ(other.readString(sj("ゾーン"), sj("ヂ"), "none"), "none");
    ini.writeString(sj("ゾーン"), sj("ヂ"), "2");
    EXPECT_EQ(readFileBytes(file()), sj("[ゾーン]\r\nア=1\r\nヂ=2\r\n"));
}

TEST_F(SettingsTest, ValuesStayOnOneLine) {
    ini.writeString("s", "k", "v\r\n[evil]\r\nx=1");
    EXPECT_EQ(readFileBytes(file()), "[s]\r\nk=v\r\n");
    EXPECT_EQ(ini.readString("evil", "x", "none"), "none");
}

TEST_F(SettingsTest, RefusedWritesNameTheFileAndKeepTheOldOne) {
    Settings lost((home.path() / "no-such-folder" / "x.ini").string());
    try {
        lost.writeInteger("a", "b", 1);
        FAIL() << "writing into a missing folder must be refused";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), lost.path().string() + " に書き込めません");  // UTF-8, as every error text
        EXPECT_EQ(e.file(), lost.path());
    }

    // Something that is not a readable file sits at the path: refuse rather than replace it.
    fs::create_directory(file());
    EXPECT_THROW(ini.writeInteger("a", "b", 1), SettingsWriteError);
    EXPECT_TRUE(fs::is_directory(file()));
    EXPECT_EQ(ini.readInteger("a", "b", 9), 9);
}

TEST_F(SettingsTest, WhereTheFileIs) {
    EXPECT_EQ(Settings().path(), home.path() / "Vexmora.ini");
    EXPECT_EQ(Settings("other.ini").path(), home.path() / "other.ini");
    EXPECT_EQ(Settings("/tmp/x/y.ini", SettingsFolder::Current).path(), fs::path("/tmp/x/y.ini"));
    EXPECT_EQ(Settings("y.ini", SettingsFolder::Current).path(), fs::path("y.ini"));

    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(Settings("y.ini", SettingsFolder::UserConfig).path(), fs::path("/cfg/y.ini"));
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");

    // Changing the name moves every later call to the new file.
    Settings moving;
    moving.writeInteger("a", "b", 1);
    moving.setFileName("second.ini");
    EXPECT_EQ(moving.readInteger("a", "b", 0), 0);
    moving.writeInteger("a", "b", 2);
    EXPECT_EQ(Settings().readInteger("a", "b", 0), 1);
    EXPECT_EQ(Settings("second.ini").readInteger("a", "b", 0), 2);
}

}  // namespace
}  // namespace vex
