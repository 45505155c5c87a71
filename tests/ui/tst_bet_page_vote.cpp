// Voting from the bet page against the simulated service and its betting account: a day is
// downloaded and loaded as the user would, then the page votes one of its races.
#include <QCheckBox>
#include <atomic>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/settings.h"
#include "betting/bet_list.h"
#include "betting/race_adapter.h"
#include "control/control_factory.h"
#include "datalink/bulk_download.h"
#include "dayload/day_load.h"
#include "store/race_table.h"
#include "store/store_paths.h"
#include "tst_bet_page_fixture.h"
#include "support/test_support.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"
#include "ui/widgets/grid_view.h"
#include "ui/widgets/number_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/datacontrol/worker.h"
#include "vocabulary/codes.h"
#include "voting/bet_lines.h"
#include "voting/spending_guard.h"
#include "voting/vote.h"
#include "voting/voting_log.h"

using namespace vex;
using namespace vex::ui;

namespace {

void pick(QWidget& page, const char* group, const QString& item) {
    auto* box = page.findChild<RadioGroup*>(group);
    QVERIFY2(box, group);
    for (auto* b : box->findChildren<QRadioButton*>())
        if (b->text() == item) return b->click();
    QFAIL(qPrintable("no item " + item));
}

void clickCell(GridView* g, int col, int row) {
    g->scrollToGridRow(row);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellCentre(col, row));
}

// 単勝 on the first horse at 100 yen.
void oneWinLineOf100Yen(QWidget& page) {
    pick(page, "BakenRadio", "単勝");
    pick(page, "RadioGroup1", "均一2");
    clickCell(page.findChild<GridView*>("StringGrid26"), 8, 1);
    page.findChild<NumberEdit*>("AmountEdit")->setText("100");
}

// Passes every call on to the simulated control, counting logins and bets.
class CountingControl : public DataControl {
public:
    explicit CountingControl(DataControl& inner) : inner_(inner) {}
    std::atomic<int> logins{0}, bets{0};
    int NVInit(const std::string& id) override { return inner_.NVInit(id); }
    int NVSetUIProperties() override { return inner_.NVSetUIProperties(); }
    int NVOpen(const std::string& s, const std::string& f, int o, int& r, int& d, std::string& l) override {
        return inner_.NVOpen(s, f, o, r, d, l);
    }
    int NVStatus() override { return inner_.NVStatus(); }
    int NVRead(std::string& r, int& b, std::string& f) override { return inner_.NVRead(r, b, f); }
    int NVRTOpen(const std::string& s, const std::string& k) override { return inner_.NVRTOpen(s, k); }
    int NVCancel() override { return inner_.NVCancel(); }
    int NVClose() override { return inner_.NVClose(); }
    int RakutenLogin(const std::string& u, const std::string& p) override {
        ++logins;
        return inner_.RakutenLogin(u, p);
    }
    int RakutenLogout() override { return inner_.RakutenLogout(); }
    int RakutenBet(const std::string& pin, const std::string& lines, int mode, int& a, int& r, int& l,
                   std::string& t) override {
        ++bets;
        return inner_.RakutenBet(pin, lines, mode, a, r, l, t);
    }
    int RakutenZandaka(int& a, int& b, int& c, int& d, const std::string& t) override {
        return inner_.RakutenZandaka(a, b, c, d, t);
    }
    int RakutenDeposit() override { return inner_.RakutenDeposit(); }

private:
    DataControl& inner_;
};

}  // namespace

class BetPageVoteTest : public QObject {
    Q_OBJECT
    std::unique_ptr<fixture::Home> home_;
    std::unique_ptr<DataControl> control_;
    std::unique_ptr<CountingControl> counting_;
    std::unique_ptr<RaceTable> table_ = std::make_unique<RaceTable>();
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<ControlWorker> worker_;
    MessageQueue* messages_ = nullptr;
    std::string stamp_;
    int slot_ = -1;
    std::unique_ptr<VotingLog> log_;
    bool voted_ = false;
    std::unique_ptr<BetPageWidget> page_;

private slots:
    // The first day from a fixed date on which a southern-Kanto race of at least 14 runners posts
    // after 10:30; the clock stands at 09:30 of that day, betting is open.
    void initTestCase() {
        home_ = std::make_unique<fixture::Home>();
        qputenv("VEXMORA_SERVICE", "sim");
        createAppFolders();
        test::RecordingReporter reporter;
        for (int d = 0; d < 21 && slot_ < 0; ++d) {
            const DateTime day = fromEpoch(toEpoch(DateTime{2026, 6, 1, 9, 30, 0}) + d * 86400);
            setClock(day);
            control_ = createDataControl(nullptr);
            QVERIFY(control_);
            QCOMPARE(control_->NVInit("SA503917/SD418260/Vexmora/Version.1.05"), 0);
            BulkDownload download(*control_, reporter);
            download.setFromTime(fromEpoch(toEpoch(day) - 86400));
            download.run([] {});
            stamp_ = dayStampOf(day);
            DayLoadOptions options;
            options.batch = true;
            const bool loaded = loadDay(*table_, stamp_, options).loaded;
            if (!loaded) continue;
            for (int slot : table_->raceListSlots) {
                const BetRace race = betRaceOf(*table_, slot);
                if (race.runners >= 14 && race.postTime > "1030") {
                    slot_ = slot;
                    break;
                }
            }
        }
        QVERIFY2(slot_ >= 0, "no race of 14 runners in three weeks of the simulated calendar");
    }
    void cleanupTestCase() {
        control_.reset();
        setClock(std::nullopt);
        home_.reset();
    }

    void init() {
        Dialogs::startRecording();
        log_ = std::make_unique<VotingLog>();
        log_->load();
        voted_ = false;
        window_ = std::make_unique<QWidget>();
        messages_ = new MessageQueue(window_.get());
        worker_ = std::make_unique<ControlWorker>();
        counting_ = std::make_unique<CountingControl>(*control_);
        page_ = std::make_unique<BetPageWidget>();
        page_->resize(1150, 720);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        VoteEnvironment env;
        env.control = counting_.get();
        env.log = log_.get();
        env.worker = worker_.get();
        env.messages = messages_;
        env.dayStamp = [this] { return stamp_; };
        env.shownSlot = [this] { return slot_; };
        env.markVoted = [this](const std::string& day, int slot) { voted_ = day == stamp_ && slot == slot_; };
        page_->setVoteEnvironment(env);
        page_->selectRace(betRaceOf(*table_, slot_));
    }
    void cleanup() {
        page_.reset();
        worker_.reset();
        window_.reset();
        Dialogs::stopRecording();
    }

    // 3連単 2軸流し with マルチ: ◎ on two horses, ○ on two, ▲ on ten gives 2·2·10 lines in each of
    // six orders: 240 lines, sent as two batches of 120.
    void twoHundredFortyLinesGoInTwoBatches() {
        pick(*page_, "BakenRadio", "３連単");
        pick(*page_, "KaikataRadio", "2軸流し");
        page_->findChild<QCheckBox*>("MultiCheck")->click();
        pick(*page_, "RadioGroup1", "均一2");  // odds ignored, every line takes the amount
        page_->findChild<NumberEdit*>("AmountEdit")->setText("100");
        auto* card = page_->findChild<GridView*>("StringGrid26");
        for (int h : {1, 2}) clickCell(card, 8, h);
        for (int h : {3, 4}) clickCell(card, 9, h);
        for (int h = 5; h <= 14; ++h) clickCell(card, 10, h);
        QCOMPARE(page_->findChild<QLabel*>("PointsLabel")->text().trimmed(), QString("240"));

        const std::size_t before = log_->lines().size();
        auto* vote = page_->findChild<QPushButton*>("TohyoBtn");
        vote->click();
        // The vote runs on the worker: its button is off, and a second vote cannot start.
        QVERIFY(page_->voting() && !vote->isEnabled());
        page_->vote();
        QTRY_VERIFY(!page_->voting());
        QCOMPARE(counting_->logins.load(), 1);
        QVERIFY(vote->isEnabled());

        // 24,000 yen is above the 10,000 of the second question: two questions, then two results.
        QTRY_COMPARE(Dialogs::shown().size(), 4);
        const QStringList shown = Dialogs::shown();
        QVERIFY2(shown[0].contains(":３連単]に投票します。実行してよろしいですか？\n"), qPrintable(shown[0]));
        // 均一2 puts the 100 yen typed on every line: the question says how far that goes beyond it.
        QVERIFY2(shown[0].endsWith("\n買い点数：240点\n合計金額：24,000円\n\n"
                                   "※合計金額が入力投票金額（100円）を23,900円上回っています。"),
                 qPrintable(shown[0]));
        QCOMPARE(page_->findChild<QLabel*>("AmountTotalLabel")->text(), QString("合計 24,000円（入力額より23,900円多い）"));
        QVERIFY2(shown[1].startsWith("投票金額の合計は24,000円です"), qPrintable(shown[1]));
        for (int b = 2; b <= 3; ++b) {
            const QStringList parts = shown[b].split("\r\n");
            QCOMPARE(parts.size(), 5);
            QCOMPARE(parts[0], QString("投票しました。"));
            QCOMPARE(parts[1], QString("購入金額　:   12000"));
            QVERIFY(parts[2].startsWith("残投票件数:") && parts[3].startsWith("購入限度額:"));
            QCOMPARE(parts[4], QString("投票内容の確認は楽天競馬サイトにログインしてください。"));
        }
        QVERIFY(voted_);
        QCOMPARE(page_->lastVote()->accepted, 2);

        // The log: the start line, then one block of ten lines per batch, saved to VovoVaro.log.
        const std::vector<std::string> file = readLines(log_->file());
        QCOMPARE(file.size(), before + 1 + 20);
        const std::vector<std::string> bet = readLines(appFolder() / "kaime" / betFileName(*page_->model().race()));
        QCOMPARE(bet.size(), std::size_t{240});
        std::string sent;
        for (int b = 0; b < 2; ++b) {
            const std::size_t at = before + 1 + 10 * b;
            QVERIFY(fromCp932(file[at]).startsWith(QString("[投票　] ■買い目:%1投票成功 ").arg(b)));
            QCOMPARE(file[at + 1], raceTitle(*page_->model().race(), BetKind::Trifecta));
            QCOMPARE(file[at + 2], std::string("-BetStart--------------"));
            QCOMPARE(file[at + 3].size(), std::size_t{120 * 90});
            sent += file[at + 3];
            QCOMPARE(file[at + 4], std::string("---"));
            QCOMPARE(fromCp932(file[at + 5]), QString("購入金額　:   12000"));
            QVERIFY(fromCp932(file[at + 8]).startsWith("投票結果　:"));
            QCOMPARE(file[at + 9], std::string("-BetEnd----------------"));
        }
        std::string written;
        for (const std::string& line : bet) written += line;
        QVERIFY(sent == written);  // the batches are the bet file's lines, in order
    }

    // The question names the day, the race and the total; above the threshold of the settings a
    // second No sends nothing, and a total at the threshold is asked once.
    void aLargeTotalIsAskedTwice() {
        auto* card = page_->findChild<GridView*>("StringGrid26");
        pick(*page_, "BakenRadio", "単勝");
        pick(*page_, "RadioGroup1", "均一2");
        clickCell(card, 8, 1);
        Settings().writeInteger("KaimeSet", "SecondConfirmAbove", 15000);
        page_->findChild<NumberEdit*>("AmountEdit")->setText("20000");
        Dialogs::seedAnswers({true, false});
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        const QStringList shown = Dialogs::shown();
        QCOMPARE(shown.size(), 2);
        const BetRace& race = *page_->model().race();
        const QString day = QString::fromStdString(race.year + "年" + race.monthDay.substr(0, 2) + "月" +
                                                   race.monthDay.substr(2) + "日");
        QVERIFY2(shown[0].contains("\n開催日：" + day + "\nレース：" + fromCp932(race.listEntry) + "\n馬券種：単勝\n"),
                 qPrintable(shown[0]));
        QVERIFY2(shown[0].endsWith("\n買い点数：1点\n合計金額：20,000円"), qPrintable(shown[0]));
        QVERIFY2(shown[1].contains("15,000円を超えています"), qPrintable(shown[1]));
        QCOMPARE(page_->lastVote()->outcome, VoteOutcome::Declined);
        QCOMPARE(counting_->logins.load(), 0);

        Dialogs::clearShown();
        page_->findChild<NumberEdit*>("AmountEdit")->setText("15000");
        Dialogs::seedAnswers({false});
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY(Dialogs::shown()[0].endsWith("合計金額：15,000円"));
        Settings().writeInteger("KaimeSet", "SecondConfirmAbove", 10000);
    }

    void everyRowErasedLeavesNothingToVote() {
        auto* card = page_->findChild<GridView*>("StringGrid26");
        auto* list = page_->findChild<GridView*>("StringGrid34");
        pick(*page_, "BakenRadio", "単勝");
        pick(*page_, "RadioGroup1", "均一2");
        for (int h : {1, 2, 3}) clickCell(card, 8, h);
        for (int r : {1, 2, 3}) clickCell(list, 0, r);
        QCOMPARE(page_->findChild<QLabel*>("PointsLabel")->text().trimmed(), QString());
        const std::size_t before = readLines(log_->file()).size();
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        // Erased rows take no stake, so the vote command stops at its last check: nothing is asked,
        // logged or sent.
        QCOMPARE(Dialogs::shown(), QStringList({"買い目が作成されていません。"}));
        QCOMPARE(Dialogs::beeps(), 1);
        QCOMPARE(readLines(log_->file()).size(), before);
        QVERIFY(!voted_);
    }

    // The stakes shown and voted are those of the amount in the box now: 5000 and then 50 leaves
    // no stake in the list, and the vote says why and buys nothing.
    void anAmountBelowOneHundredLeavesNoStakeAndVotesNothing() {
        auto* card = page_->findChild<GridView*>("StringGrid26");
        auto* list = page_->findChild<GridView*>("StringGrid34");
        auto* amount = page_->findChild<NumberEdit*>("AmountEdit");
        pick(*page_, "BakenRadio", "単勝");
        pick(*page_, "RadioGroup1", "均一2");
        clickCell(card, 8, 1);
        amount->setText("5000");
        QCOMPARE(page_->model().betList().cell(kListStake, 1), std::string("  5000"));
        amount->setText("50");
        QCOMPARE(QString::fromStdString(page_->model().betList().cell(kListStake, 1)).trimmed(), QString());
        QVERIFY(list->isVisible());
        const std::size_t before = readLines(log_->file()).size();
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        QCOMPARE(Dialogs::shown(), QStringList({"投票金額は100円以上を入力してください。"}));
        QVERIFY(!page_->voting());
        QCOMPARE(page_->lastVote()->outcome, VoteOutcome::Refused);
        QCOMPARE(counting_->bets.load(), 0);
        QCOMPARE(readLines(log_->file()).size(), before);
        // An empty box is no amount either.
        amount->setText("");
        Dialogs::clearShown();
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        QCOMPARE(Dialogs::shown(), QStringList({"投票金額は100円以上を入力してください。"}));
        QCOMPARE(counting_->bets.load(), 0);
    }

    // While the settings cannot be read the page's stakes may be defaults: the vote is refused,
    // naming the file, before anything is asked or sent.
    void unreadableSettingsRefuseTheVote() {
        oneWinLineOf100Yen(*page_);
        Settings().writeInteger("KaimeSet", "HaibunSet", 3);  // the file exists and holds a choice
        QVERIFY(setFileFaults("read:Vexmora.ini"));
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        setFileFaults("");
        const QStringList shown = Dialogs::shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(QString::fromStdString((appFolder() / "Vexmora.ini").string()) + " を読めません"),
                 qPrintable(shown[0]));
        QVERIFY2(shown[0].endsWith("設定ファイルが読めない間は投票できません。"), qPrintable(shown[0]));
        QCOMPARE(page_->lastVote()->outcome, VoteOutcome::Refused);
        QCOMPARE(counting_->logins.load(), 0);
    }

    // The day limit holds for a vote from the page too; the refusal names the limit, what was
    // bought today and what was asked, and the log's block ends with it.
    void theDayLimitHoldsForTheBetPage() {
        oneWinLineOf100Yen(*page_);
        int limit = 0, bought = 0, paid = 0, remaining = 0;
        QCOMPARE(control_->RakutenLogin("", ""), 0);
        QCOMPARE(control_->RakutenZandaka(limit, bought, paid, remaining, ""), 0);
        control_->RakutenLogout();
        writeSpendingLimits(Settings(), {bought + 99, 0});
        page_->findChild<QPushButton*>("TohyoBtn")->click();
        QTRY_VERIFY(!page_->voting());
        writeSpendingLimits(Settings(), {0, 0});
        QCOMPARE(page_->lastVote()->outcome, VoteOutcome::Withheld);
        QCOMPARE(counting_->bets.load(), 0);
        QTRY_COMPARE(Dialogs::shown().size(), 2);  // the question, then the refusal
        const QString expected = QString("1日の上限額を超えます。(本日購入済:%1 + 今回:100円 > 上限:%2)")
                                     .arg(fromCp932(yenText(bought)), fromCp932(yenText(bought + 99)));
        QVERIFY2(Dialogs::shown()[1].contains(expected), qPrintable(Dialogs::shown()[1]));
        QVERIFY(fromCp932(readLines(log_->file()).back()).contains(expected));
    }
};

QTEST_MAIN(BetPageVoteTest)
#include "tst_bet_page_vote.moc"
