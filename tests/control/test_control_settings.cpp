// The control's own settings: what is saved and how it is refused, which source wins (the
// environment variable over the saved choice over the simulated service), and the running control
// changing over to a source chosen in its settings dialog.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "control/betting_account.h"
#include "control/control_factory.h"
#include "control/control_settings.h"
#include "control/control_ui.h"
#include "control/feed_service.h"
#include "control/service_control.h"
#include "control/sim_service.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex::control {
namespace {
namespace fs = std::filesystem;

class ControlSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(DateTime{2024, 5, 10, 20, 0, 0});
        unsetenv("VEXMORA_SERVICE");
        unsetenv("VEXMORA_FAULTS");
    }
    void TearDown() override {
        setClock(std::nullopt);
        unsetenv("VEXMORA_SERVICE");
    }
    fs::path settingsFile() const { return home.path() / "ServiceControl.dat"; }
    // A feed folder with one difference file holding one record.
    fs::path makeFeed(const char* name) {
        fs::path feed = home.path() / name;
        fs::create_directories(feed / "diff");
        writeFileAtomic(feed / "diff" / "20240509120000_a.txt", std::string("RA") + name + "\r\n");
        return feed;
    }
    static ControlSettings feedSettings(const fs::path& folder) {
        ControlSettings s;
        s.source = SourceKind::Feed;
        s.feedFolder = folder.string();
        return s;
    }
    test::TempHome home;
};

bool servesFeed(DataControl* c) {
    auto* service = dynamic_cast<ServiceControl*>(c);
    return service && dynamic_cast<FeedService*>(&service->source());
}
bool servesSim(DataControl* c) {
    auto* service = dynamic_cast<ServiceControl*>(c);
    return service && dynamic_cast<SimService*>(&service->source());
}

// The records of a download from 2024-05-09 11:00.
std::vector<std::string> download(DataControl& c) {
    int readCount = 0, downloadCount = 0;
    std::string last;
    std::vector<std::string> out;
    if (c.NVOpen("RACEDIFF", "20240509110000", 1, readCount, downloadCount, last) != 0) return out;
    while (c.NVStatus() < downloadCount) {
    }
    for (;;) {
        std::string record, name;
        int size = 100000;
        int code = c.NVRead(record, size, name);
        if (code > 0) out.push_back(record);
        else if (code != -1 && code != -3) break;
    }
    c.NVClose();
    return out;
}

TEST_F(ControlSettingsTest, NothingSavedMeansTheSimulatedServiceAndACutFileNoService) {
    EXPECT_EQ(loadControlSettings(), ControlSettings{});
    EXPECT_EQ(activeSource().kind, ActiveSource::Simulated);
    auto c = createDataControl(nullptr);
    EXPECT_TRUE(servesSim(c.get()));

    fs::path feed = makeFeed("feed");
    // A file cut before its end line is not trusted, nor taken for nothing saved: the feed it
    // names must not silently turn into the simulated service.
    std::string saved = "current=0\r\nreceipt=1\r\nsource=feed\r\nfeedfolder=" + feed.string() + "\r\n";
    for (const std::string& bytes : {saved, std::string("\x01\x02 garbage without lines")}) {
        writeFileAtomic(settingsFile(), bytes);
        EXPECT_THROW(loadControlSettings(), FileReadError);
        EXPECT_EQ(createDataControl(nullptr), nullptr);
        EXPECT_NE(toUtf8(dataControlProblem()).find(settingsFile().string()), std::string::npos);
        EXPECT_EQ(readFileBytes(settingsFile()), bytes);
    }
    // An unknown source word counts as the simulated service.
    AccountBook book = BettingAccount::defaultBook();
    book.source = "satellite";
    book.feedFolder = feed.string();
    writeFileAtomic(settingsFile(), BettingAccount::serialise(book));
    EXPECT_EQ(loadControlSettings().source, SourceKind::Simulated);
    EXPECT_TRUE(servesSim(createDataControl(nullptr).get()));
}

TEST_F(ControlSettingsTest, SavedSettingsComeBackAndTheAccountsStay) {
    AccountBook book = BettingAccount::defaultBook();
    book.accounts[1].limit = 4321;
    book.current = 1;
    writeFileAtomic(settingsFile(), BettingAccount::serialise(book));

    fs::path feed = makeFeed("feed");
    ControlSettings s = feedSettings(feed);
    s.serviceKey = "ABCDEFGH123456789";
    ASSERT_EQ(saveControlSettings(s), "");
    EXPECT_EQ(loadControlSettings(), s);
    AccountBook after = BettingAccount::readBook(settingsFile());
    EXPECT_EQ(after.current, 1);
    EXPECT_EQ(after.accounts[1].limit, 4321) << "the settings share the file with the accounts";

    // Back to the simulated service: the folder is remembered for the next change.
    s.source = SourceKind::Simulated;
    ASSERT_EQ(saveControlSettings(s), "");
    EXPECT_EQ(loadControlSettings().feedFolder, feed.string());
    EXPECT_EQ(loadControlSettings().source, SourceKind::Simulated);
}

TEST_F(ControlSettingsTest, UnusableSettingsAreRefusedWithTheirReasonAndNothingIsWritten) {
    ASSERT_EQ(saveControlSettings(ControlSettings{}), "");
    const std::string before = readFileBytes(settingsFile());

    ControlSettings missing = feedSettings(home.path() / "no-such-feed");
    std::string problem = saveControlSettings(missing);
    EXPECT_NE(problem.find(sj("フィードのフォルダが見つかりません")), std::string::npos) << toUtf8(problem);
    EXPECT_NE(problem.find("no-such-feed"), std::string::npos);
    EXPECT_EQ(settingsProblem(missing), problem);

    writeFileAtomic(home.path() / "plain-file", "x");
    EXPECT_NE(saveControlSettings(feedSettings(home.path() / "plain-file")), "") << "a file is not a folder";
    EXPECT_EQ(saveControlSettings(feedSettings("")), sj("フィードのフォルダを指定してください。"));

    fs::path odd = home.path() / "odd\nname";
    fs::create_directories(odd);
    EXPECT_NE(saveControlSettings(feedSettings(odd)), "") << "a line break would cut the file's line";

    ControlSettings badKey;
    badKey.serviceKey = "too short";
    EXPECT_EQ(saveControlSettings(badKey), sj("利用キーは英数字17桁で入力してください。"));
    badKey.serviceKey = "ABCDEFGH12345678-";
    EXPECT_NE(saveControlSettings(badKey), "");
    EXPECT_EQ(readFileBytes(settingsFile()), before);
}

TEST_F(ControlSettingsTest, TheEnvironmentVariableWinsOverTheSavedChoice) {
    fs::path saved = makeFeed("saved");
    fs::path other = makeFeed("other");
    ASSERT_EQ(saveControlSettings(feedSettings(saved)), "");

    auto c = createDataControl(nullptr);
    ASSERT_TRUE(servesFeed(c.get()));
    c->NVInit("id");
    EXPECT_EQ(download(*c), std::vector<std::string>{"RAsaved\r\n"});

    setenv("VEXMORA_SERVICE", "sim", 1);
    EXPECT_TRUE(servesSim(createDataControl(nullptr).get()));
    setenv("VEXMORA_SERVICE", ("feed:" + other.string()).c_str(), 1);
    c = createDataControl(nullptr);
    c->NVInit("id");
    EXPECT_EQ(download(*c), std::vector<std::string>{"RAother\r\n"});
    EXPECT_TRUE(activeSource().fromEnvironment);
    setenv("VEXMORA_SERVICE", "", 1);  // set but empty: as if unset
    EXPECT_FALSE(activeSource().fromEnvironment);
    EXPECT_EQ(activeSource().feedFolder, saved.string());
}

TEST_F(ControlSettingsTest, ASavedFolderThatWentAwaySaysHowToGetBackToTheDialog) {
    fs::path feed = makeFeed("gone");
    ASSERT_EQ(saveControlSettings(feedSettings(feed)), "");
    fs::remove_all(feed);
    std::string problem = dataControlProblem();
    EXPECT_NE(problem.find(feed.string()), std::string::npos) << toUtf8(problem);
    EXPECT_NE(problem.find("VEXMORA_SERVICE=sim"), std::string::npos) << toUtf8(problem);
    EXPECT_FALSE(createDataControl(nullptr));
    setenv("VEXMORA_SERVICE", "sim", 1);
    EXPECT_EQ(dataControlProblem(), "");
    EXPECT_TRUE(createDataControl(nullptr));
}

// Answers the settings dialog with prepared settings.
class SettingsUi : public ControlUi {
public:
    std::optional<ControlSettings> answer;  // nullopt: cancel
    ControlSettings shown;
    std::string shownOverride;
    int opened = 0;
    bool editSettings(ControlSettings& s, const std::string& environmentOverride) override {
        ++opened;
        shown = s;
        shownOverride = environmentOverride;
        if (!answer) return false;
        s = *answer;
        return true;
    }
    int chooseAccount(const std::vector<std::string>&, int) override { return -1; }
};

TEST_F(ControlSettingsTest, TheRunningControlChangesOverToTheSourceChosenInItsDialogUnlessOverridden) {
    fs::path feed = makeFeed("feed");
    // An unsettled bet, so that every balance call looks its race up in the current source.
    AccountBook book = BettingAccount::defaultBook();
    AccountBet bet;
    bet.receipt = 1;
    bet.date = "20240510";
    bet.track = 44;
    bet.race = 1;
    bet.kind = 1;
    bet.a = 1;
    bet.units = 1;
    book.bets.push_back({0, bet});
    writeFileAtomic(settingsFile(), BettingAccount::serialise(book));

    SettingsUi ui;
    auto c = createDataControl(&ui);
    ASSERT_TRUE(servesSim(c.get()));
    c->NVInit("id");

    ui.answer = std::nullopt;
    EXPECT_EQ(c->NVSetUIProperties(), 0);
    EXPECT_TRUE(servesSim(c.get())) << "cancelled: nothing changes";
    EXPECT_EQ(ui.shownOverride, "");

    ui.answer = feedSettings(home.path() / "missing");
    EXPECT_EQ(c->NVSetUIProperties(), -100) << "a UI that lets a missing folder through is answered with -100";
    EXPECT_EQ(loadControlSettings().source, SourceKind::Simulated);
    EXPECT_TRUE(servesSim(c.get()));

    ui.answer = feedSettings(feed);
    ASSERT_EQ(c->NVSetUIProperties(), 0);
    EXPECT_TRUE(servesFeed(c.get()));
    EXPECT_EQ(download(*c), std::vector<std::string>{"RAfeed\r\n"});
    int limit = 0, bought = 0, paid = 0, votes = 0;
    ASSERT_EQ(c->RakutenLogin("", ""), 0);
    EXPECT_EQ(c->RakutenZandaka(limit, bought, paid, votes, ""), 0) << "the account follows the new source";
    EXPECT_EQ(ui.opened, 3);
    EXPECT_EQ(ui.shown, ControlSettings{}) << "the refused settings were not kept";

    // While a download is open the change waits for it to close.
    int readCount = 0, downloadCount = 0;
    std::string last;
    ASSERT_EQ(c->NVOpen("RACEDIFF", "20240509110000", 1, readCount, downloadCount, last), 0);
    ui.answer = ControlSettings{};
    ASSERT_EQ(c->NVSetUIProperties(), 0);
    EXPECT_TRUE(servesFeed(c.get()));
    std::string record, name;
    int size = 100000;
    EXPECT_GT(c->NVRead(record, size, name), 0) << "the open download goes on from the feed";
    EXPECT_EQ(record, "RAfeed\r\n");
    c->NVClose();
    EXPECT_TRUE(servesSim(c.get()));
    EXPECT_EQ(c->RakutenZandaka(limit, bought, paid, votes, ""), 0);

    // Under VEXMORA_SERVICE the choice is saved for a later start, and the source stays.
    setenv("VEXMORA_SERVICE", "sim", 1);
    ui.answer = feedSettings(feed);
    ASSERT_EQ(c->NVSetUIProperties(), 0);
    EXPECT_EQ(ui.shownOverride, "sim") << "the dialog is told what overrides it";
    EXPECT_EQ(loadControlSettings().source, SourceKind::Feed);
    EXPECT_TRUE(servesSim(c.get()));
}

}  // namespace
}  // namespace vex::control
