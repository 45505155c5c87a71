// Automatic voting and the account menu on the simulated service, the clock driven by the test:
// targets by criteria, odds fetched by the odds timer, each race voted once at its vote time with
// the right win bets, a race without odds given up and logged, the spending limits, the balance
// window against the simulated account's ledger, a forced login failure, the account switch, the
// member page and the library check.
#include <QAction>
#include <QComboBox>
#include <QStatusBar>
#include <QToolButton>
#include <QDialog>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpression>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <set>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/file_read.h"
#include "app/clock.h"
#include "app/settings.h"
#include "control/betting_account.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "datalink/bulk_download.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "support/test_support.h"
#include "ui/voting/auto_vote_window.h"
#include "ui/voting/balance_window.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/datacontrol/control_dialogs.h"
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/download/race_day_refresh.h"
#include "ui/shared/web_page.h"
#include "ui/datacontrol/worker.h"
#include "ui/support/ui_support.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;

namespace {

const DateTime kMorning{2024, 5, 10, 8, 30, 0};

DateTime at(const std::string& hhmmss, int plusSeconds = 0) {
    const DateTime t{2024, 5, 10, std::stoi(hhmmss.substr(0, 2)), std::stoi(hhmmss.substr(2, 2)),
                     hhmmss.size() >= 6 ? std::stoi(hhmmss.substr(4, 2)) : 0};
    return fromEpoch(toEpoch(t) + plusSeconds);
}

control::AccountBook ledger() { return control::BettingAccount::readBook(appFolder() / "ServiceControl.dat"); }
const control::Account& account(const control::AccountBook& book) {
    return book.accounts[static_cast<std::size_t>(book.current)];
}

QString yen(long long amount) { return QLocale(QLocale::English).toString(amount) + "円"; }

QDialog* visibleDialog(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return qobject_cast<QDialog*>(w);
    return nullptr;
}

QStringList logSince(std::size_t from) {
    QStringList lines;
    const auto all = readLines(appFolder() / "VovoVaro.log");
    for (std::size_t i = from; i < all.size(); ++i) lines << QString::fromStdString(toUtf8(all[i]));
    return lines;
}

}  // namespace

class AutoVoteTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempHome> home;
    std::unique_ptr<DataControl> control;
    std::unique_ptr<ui::MainWindow> window;
    ui::AutoVoteWindow* autoVote = nullptr;

    void openWindow(DateTime clock = {2024, 5, 10, 9, 0, 0}) {
        setClock(clock);
        window = std::make_unique<ui::MainWindow>(control.get());
        window->show();
        auto* days = byName<QComboBox>(window.get(), "DateCombo");
        days->setCurrentIndex(days->findText(QString::fromStdString(toUtf8(dayStampOf(kMorning)))));
        QVERIFY(days->currentIndex() >= 0);
        window->loadSelectedDay();
        QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay() && window->currentRaceIndex() >= 0, 30000);
        window->findChild<QTimer*>("Timer1")->stop();  // the test ticks
        window->findChild<QTimer*>("Timer4")->stop();
        window->findChild<QAction*>("AutoTohyoItem")->trigger();
        autoVote = window->findChild<ui::AutoVoteWindow*>("NaviSetForm");
        QVERIFY(autoVote && autoVote->isVisible());
    }
    void waitForWorker() { QTRY_VERIFY_WITH_TIMEOUT(!window->worker()->busy() && !autoVote->voting(), 30000); }
    QListWidget* list(const char* name) { return byName<QListWidget>(autoVote, name); }
    void choose(const char* listName, std::initializer_list<int> rows) {
        for (int r : rows) list(listName)->item(r)->setSelected(true);
    }
    // Starts with the first track of the day and popularities 1 and 2.
    void startOnFirstTrack() {
        choose("JyoList", {0});
        choose("NinkiList", {0, 1});
        QTest::mouseClick(byName<QPushButton>(autoVote, "StartBtn"), Qt::LeftButton);
        QVERIFY(autoVote->running());
        autoVote->timer()->stop();
    }
    const RaceTable& table() const { return window->table(); }
    int slotOf(std::size_t target) const { return slotOfRaceKey(table(), autoVote->schedule().targets()[target].raceKey); }
    // The odds timer at the race's odds time, then the automatic-voting tick at `voteAt`.
    void fetchOddsThenTick(std::size_t target, const DateTime& voteAt) {
        setClock(at(table().races[slotOf(target)].oddsFetchTime));
        window->raceDayRefresh()->oddsTick();
        waitForWorker();
        autoVote->tick();  // not yet the vote time
        QVERIFY(!autoVote->voting());
        setClock(voteAt);
        autoVote->tick();
        waitForWorker();
    }
    // The horses the account holds win bets on for the race of `slot`.
    std::set<int> winBetHorses(int slot) {
        std::set<int> horses;
        const RaRecord& ra = table().raw[static_cast<std::size_t>(slot)].ra;
        for (const auto& [acc, bet] : ledger().bets)
            if (bet.track == fieldNumber(ra.field(Common::Track)) && bet.race == raceNumber(ra) && bet.kind == 1)
                horses.insert(bet.a);
        return horses;
    }
    // The four figures are the account's, and the limit adds up with the day's movements.
    void checkBalanceAgainstTheLedger(QWidget* balance) {
        auto figure = [&](const char* name) { return byName<QLabel>(balance, name)->text(); };
        const control::AccountBook book = ledger();
        const control::Account& a = account(book);
        long long paid = 0, bought = 0;
        for (const auto& [acc, bet] : book.bets)
            if (acc == book.current && bet.date == "20240510") {
                paid += bet.paid;
                bought += bet.units * 100LL;
            }
        QCOMPARE(a.bought, bought);
        QCOMPARE(a.paid, paid);
        QCOMPARE(figure("purchasemoneyLabel"), QString::asprintf("%7lld", bought));
        QCOMPARE(figure("paymoneyLabel"), QString::asprintf("%7lld", paid));
        QCOMPARE(figure("purchaselimitLabel"), QString::asprintf("%7lld", a.dayStartLimit - bought + paid + a.deposited));
        QCOMPARE(figure("availablecountLabel"), QString::asprintf("%7d", control::BettingAccount::kDailyLines - a.votes));
    }
    std::set<int> mostPopular(int slot, int ranks) {
        std::set<int> horses;
        const RaceRecord& race = table().races[static_cast<std::size_t>(slot)];
        for (int h = 1; h <= kMaxRunners; ++h)
            if (race.winPopularity[h] >= 1 && race.winPopularity[h] <= ranks) horses.insert(h);
        return horses;
    }

private slots:
    void initTestCase() {
        home = std::make_unique<TempHome>();
        home->touch("OnlyTheDeveloperAvailableFunction.key");
        qputenv("VEXMORA_SERVICE", "sim");
        setClock(kMorning);
        createAppFolders();
        control = createDataControl(nullptr);
        control->NVInit(kSoftwareId);
        test::RecordingReporter reporter;
        BulkDownload download(*control, reporter);
        download.setFromTime({2024, 5, 9, 0, 0, 0});
        QCOMPARE(download.run([] {}), DownloadOutcome::Completed);
        Dialogs::startRecording();
    }
    void cleanup() {
        window.reset();
        autoVote = nullptr;
        Dialogs::clearShown();
        ui::setWebPageOpener({});
        Settings().writeInteger("AutoTohyo", "DayLimit", 0);
        Settings().writeInteger("AutoTohyo", "RaceLimit", 0);
    }
    void cleanupTestCase() {
        control.reset();
        control::setFaultPlan(std::nullopt);
        setClock(std::nullopt);
    }

    void theWindowNeedsADay() {
        window = std::make_unique<ui::MainWindow>(control.get());
        QVERIFY(window->developerMode());
        window->findChild<QAction*>("AutoTohyoItem")->trigger();
        QCOMPARE(Dialogs::shown(), QStringList{"本日の開催日を選択してください。"});
        QVERIFY(!window->findChild<ui::AutoVoteWindow*>("NaviSetForm")->isVisible());
    }

    void listsSelectAllOrClearOnRightClickAndStartChecksItsInput() {
        openWindow();
        QVERIFY(list("JyoList")->count() >= 1);
        QCOMPARE(list("ClassList")->item(1)->text(), QString("一般"));
        QListWidget* weights = list("JyuryoList");
        emit weights->customContextMenuRequested(QPoint());
        QCOMPARE(weights->selectedItems().size(), 4);
        emit weights->customContextMenuRequested(QPoint());
        QCOMPARE(weights->selectedItems().size(), 0);

        auto* start = byName<QPushButton>(autoVote, "StartBtn");
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"自動投票の買い目が設定されていません。"});
        choose("NinkiList", {0});
        byName<QSpinBox>(autoVote, "KyoriSpin1")->setValue(4000);  // no race that long
        Dialogs::clearShown();
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"対象レースがありません。"});
        QVERIFY(!autoVote->running());
        QVERIFY(list("TrackList")->isEnabled());
    }

    void startAndEndSwitchTheBetPageTheIndicatorsAndTheLog() {
        openWindow();
        const std::size_t logFrom = readLines(appFolder() / "VovoVaro.log").size();
        choose("NinkiList", {0});
        QTest::mouseClick(byName<QPushButton>(autoVote, "StartBtn"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"自動投票を開始しました。"});
        QVERIFY(autoVote->timer()->isActive());
        QVERIFY(!byName<QWidget>(window.get(), "BetPage")->isEnabled());
        QVERIFY(!list("JyoList")->isEnabled());
        QVERIFY(!byName<QPushButton>(autoVote, "StartBtn")->isEnabled());
        auto* lamp = byName<QLabel>(window.get(), "AutoTohyoLamp");
        QVERIFY(lamp->isVisible());
        QCOMPARE(lamp->palette().color(QPalette::Window), QColor(40, 180, 40));
        QCOMPARE(byName<QLabel>(autoVote, "NaviLamp")->palette().color(QPalette::Window), QColor(40, 180, 40));
        // Every race of the day is a target (no list selected, ranges wide enough), in race-list order.
        QCOMPARE(list("TargetRaceList")->count(), static_cast<int>(autoVote->schedule().targets().size()));
        QVERIFY(list("TargetRaceList")->item(0)->text().contains(QRegularExpression("^\\d\\d:\\d\\d \\S+ ?\\d+R$")));
        QCOMPARE(byName<QWidget>(window.get(), "BakenRadio")->findChildren<QRadioButton*>().first()->isChecked(), true);
        Dialogs::clearShown();
        QTest::mouseClick(byName<QPushButton>(autoVote, "EndBtn"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"自動投票を終了しました。"});
        QVERIFY(byName<QWidget>(window.get(), "BetPage")->isEnabled());
        QVERIFY(!autoVote->timer()->isActive());
        QCOMPARE(lamp->palette().color(QPalette::Window), QColor(160, 160, 160));
        const QStringList log = logSince(logFrom);
        QCOMPARE(log.size(), 3);
        QCOMPARE(log[0], QString("============================"));
        QVERIFY2(log[1].startsWith("■自動投票開始 2024/05/10 09:0"), qPrintable(log[1]));
        QVERIFY2(log[2].startsWith("■自動投票終了 2024/05/10 09:0"), qPrintable(log[2]));
    }

    void aRaceDayIsVotedRaceByRaceAtTheVoteTimes() {
        openWindow({2024, 5, 10, 8, 59, 0});
        startOnFirstTrack();
        const auto& targets = autoVote->schedule().targets();
        QVERIFY(targets.size() >= 4);
        const std::size_t logFrom = readLines(appFolder() / "VovoVaro.log").size();
        // Before 09:00 nothing happens, even for a race whose odds are there.
        autoVote->tick();
        QVERIFY(!window->worker()->busy() && !autoVote->voting());
        for (std::size_t t = 0; t < 3; ++t) {
            const int slot = slotOf(t);
            fetchOddsThenTick(t, at(table().races[slot].voteTime, 2));
            QCOMPARE(autoVote->schedule().state(t), AutoVoteSchedule::State::Voted);
            QCOMPARE(winBetHorses(slot), mostPopular(slot, 2));
            QCOMPARE(window->currentRaceIndex(), slot);
            // Voted once: later ticks before the post send nothing more.
            setClock(at(table().races[slot].voteTime, 30));
            autoVote->tick();
            QVERIFY(!autoVote->voting());
        }
        // The fourth race's odds never come: at its post it is given up, with the reason.
        const std::string post4 = targets[3].postTime + "00";
        setClock(at(post4));
        autoVote->tick();
        QCOMPARE(autoVote->schedule().state(3), AutoVoteSchedule::State::GivenUp);
        const QStringList log = logSince(logFrom);
        QCOMPARE(log.filter("■買い目:0投票成功").size(), 3);
        QCOMPARE(log.filter(QRegularExpression("^0\\d{4}\\d\\d\\d\\d10")).size(), 3);  // 単勝 lines, method 0
        QVERIFY2(log.last().endsWith(QString::fromStdString(toUtf8(targets[3].name)) +
                                     " オッズが取得されないまま発走時刻になりました。"),
                 qPrintable(log.last()));
        QVERIFY(list("NaviLogList")->count() >= log.size());
        autoVote->resize(980, 640);
        saveShot(autoVote, "autovote");

        // The balance after the votes, then after the results, adds up with the account's ledger.
        window->findChild<QAction*>("ZandakaItem")->trigger();
        waitForWorker();
        auto* balance = window->findChild<ui::BalanceWindow*>("ZandakaForm");
        QVERIFY(balance->isVisible());
        checkBalanceAgainstTheLedger(balance);
        QVERIFY(account(ledger()).bought >= 3 * 3000 - 300);
        setClock(at(targets[2].postTime + "00", 45 * 60));
        window->findChild<QAction*>("ZandakaItem")->trigger();
        waitForWorker();
        checkBalanceAgainstTheLedger(balance);
        for (const auto& [acc, bet] : ledger().bets) QVERIFY(bet.settled);
        saveShot(balance, "balance");
    }

    void theDayLimitStopsTheVotesAfterIt() {
        openWindow();
        const long long before = account(ledger()).bought;
        // Room for one race of 3,000 yen; the day's earlier votes count.
        byName<QSpinBox>(autoVote, "DayLimitEdit")->setValue(static_cast<int>(before + 4000));
        startOnFirstTrack();
        QCOMPARE(readSpendingLimits(Settings()).perDay, before + 4000);
        const std::size_t logFrom = readLines(appFolder() / "VovoVaro.log").size();
        fetchOddsThenTick(0, at(table().races[slotOf(0)].voteTime));
        QCOMPARE(autoVote->schedule().state(0), AutoVoteSchedule::State::Voted);
        fetchOddsThenTick(1, at(table().races[slotOf(1)].voteTime));
        QCOMPARE(autoVote->schedule().state(1), AutoVoteSchedule::State::GivenUp);
        QCOMPARE(account(ledger()).bought, before + 3000);
        const QStringList log = logSince(logFrom);
        const QString refusal = "投票見送り：1日の上限額を超えます。(本日購入済:" + yen(before + 3000) + " + 今回:3,000円 > 上限:" +
                                yen(before + 4000) + ")";
        QVERIFY2(log.filter(refusal).size() == 1, qPrintable(log.join('\n')));
        QVERIFY(log.last().endsWith("投票上限額を超えるため投票しませんでした。"));
    }

    void theRaceLimitSendsNothingPastIt() {
        openWindow();
        const long long before = account(ledger()).bought;
        byName<QSpinBox>(autoVote, "RaceLimitEdit")->setValue(2000);
        startOnFirstTrack();
        const std::size_t logFrom = readLines(appFolder() / "VovoVaro.log").size();
        fetchOddsThenTick(0, at(table().races[slotOf(0)].voteTime));
        QCOMPARE(autoVote->schedule().state(0), AutoVoteSchedule::State::GivenUp);
        QCOMPARE(account(ledger()).bought, before);
        QVERIFY(logSince(logFrom).filter("投票見送り：1レースの上限額を超えます。(今回:3,000円 > 上限:2,000円)").size() == 1);
    }

    void depositAddsToTheLimitAndConfirmsTheNewBalance() {
        openWindow();
        const long long limit = account(ledger()).limit;
        window->findChild<QAction*>("NyukinItem")->trigger();
        waitForWorker();
        const control::AccountBook book = ledger();
        const control::Account& a = account(book);
        QCOMPARE(a.limit, limit + control::BettingAccount::kDepositAmount);
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(window->statusBar()->currentMessage(),
                 "入金しました。購入限度額 " + yen(a.limit));
    }

    // Odds fetched by hand on another day sit in the same slots; back on today, automatic voting
    // must wait for today's odds of its race.
    void oddsFetchedForAnotherDayAreNotVotedOn() {
        openWindow();
        auto* days = byName<QComboBox>(window.get(), "DateCombo");
        const int today = days->currentIndex();
        QVERIFY(days->count() > 1);
        auto load = [&](int index) {
            days->setCurrentIndex(index);
            window->loadSelectedDay();
            QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay() && window->currentRaceIndex() >= 0, 30000);
        };
        load(today == 0 ? 1 : 0);
        for (int row = 0; row < 4; ++row) {  // the first races of the other day
            byName<QListWidget>(window.get(), "DatList")->setCurrentRow(row);
            QTest::mouseClick(byName<QToolButton>(window.get(), "SokuhoOddsBtn"), Qt::LeftButton);
            waitForWorker();
        }
        load(today);
        startOnFirstTrack();
        const long long bought = account(ledger()).bought;
        const int slot = slotOf(0);
        setClock(at(table().races[slot].voteTime, 1));
        autoVote->tick();
        waitForWorker();
        QCOMPARE(autoVote->schedule().state(0), AutoVoteSchedule::State::Waiting);
        QCOMPARE(account(ledger()).bought, bought);
    }

    void theMemberPageOpensThroughTheDesktopHandler() {
        openWindow();
        QUrl opened;
        ui::setWebPageOpener([&opened](const QUrl& url) {
            opened = url;
            return true;
        });
        window->findChild<QAction*>("MyPageItem")->trigger();
        QCOMPARE(opened, QUrl(ui::memberPageAddress()));
        QVERIFY(Dialogs::shown().isEmpty());
        ui::setWebPageOpener([](const QUrl&) { return false; });
        window->findChild<QAction*>("MyPageItem")->trigger();
        QCOMPARE(Dialogs::shown(), QStringList{"サイトの表示に失敗しました。"});
        // A setting that is no web address is not handed to anything.
        Dialogs::clearShown();
        opened.clear();
        ui::setWebPageOpener([&opened](const QUrl& url) {
            opened = url;
            return true;
        });
        Settings().writeString("Service", "MyPage", "file:///etc/passwd");
        window->findChild<QAction*>("MyPageItem")->trigger();
        Settings().writeString("Service", "MyPage", "https://keiba.rakuten.co.jp/mypage/");
        QVERIFY(opened.isEmpty());
        QCOMPARE(Dialogs::shown(), QStringList{"サイトの表示に失敗しました。"});
    }

    void theLibraryCheckSaysWhatIsMissing() {
        openWindow();
        QTest::mouseClick(byName<QPushButton>(autoVote, "TohyoMenuBtn"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"[IPAT_LIB.dll:ipat_call]の呼び出しに失敗しました。"});
    }

    void theBalanceWindowKeepsItsPlaceWhenItLosesFocus() {
        {
            ui::BalanceWindow balance;
            QCOMPARE(balance.pos(), QPoint(700, 10));
            balance.show();
            balance.move(321, 123);
            QEvent deactivated(QEvent::ActivationChange);
            QApplication::sendEvent(&balance, &deactivated);
        }
        Settings ini;
        QCOMPARE(read(ini, settings::kBalanceLeft), 321);
        QCOMPARE(read(ini, settings::kBalanceTop), 123);
        ui::BalanceWindow again;
        QCOMPARE(again.pos(), QPoint(321, 123));
    }

    void theAccountSwitchShowsTheControlsSelectionAndDepositsNothing() {
        ui::QtControlUi controlUi;
        auto withUi = createDataControl(&controlUi);
        withUi->NVInit(kSoftwareId);
        std::swap(control, withUi);
        openWindow();
        controlUi.setParent(window.get());
        const control::AccountBook before = ledger();
        // The selection opens inside the worker's wait: a timer answers it there.
        bool answered = false;
        QTimer answer;
        answer.setInterval(20);
        connect(&answer, &QTimer::timeout, [&] {
            if (QDialog* form = visibleDialog("AccountForm")) {
                byName<QListWidget>(form, "AccountList")->setCurrentRow(1);
                form->accept();
                answered = true;
                answer.stop();
            }
        });
        answer.start();
        window->findChild<QAction*>("KouzaItem")->trigger();
        waitForWorker();
        QVERIFY(answered);
        const QString said = window->statusBar()->currentMessage();
        const control::AccountBook after = ledger();
        QCOMPARE(after.current, 1);
        QCOMPARE(after.accounts[1].limit, before.accounts[1].limit);
        std::swap(control, withUi);
        window.reset();
        withUi.reset();
        // Back to the main account for the tests after this one.
        control::AccountBook book = ledger();
        book.current = 0;
        writeFileAtomic(appFolder() / "ServiceControl.dat", control::BettingAccount::serialise(book));
        // Confirmed with the chosen account's limit.
        QCOMPARE(said, "口座を切り替えました。購入限度額 " + yen(after.accounts[1].limit));
    }

    // Last: the control is made again with the fault.
    void aForcedLoginFailureGivesExactlyTheLoginMessage() {
        qputenv("VEXMORA_FAULTS", "RakutenLogin=-5");
        control = createDataControl(nullptr);
        qunsetenv("VEXMORA_FAULTS");
        control->NVInit(kSoftwareId);
        openWindow();
        window->findChild<QAction*>("ZandakaItem")->trigger();
        waitForWorker();
        QTRY_COMPARE(Dialogs::shown(), QStringList{"楽天競馬にログインできませんでした。(エラーコード:-5)"});
        QVERIFY(!window->findChild<ui::BalanceWindow*>("ZandakaForm")->isVisible());
        uitest::drainWindowMailbox();  // all the job said has been shown: nothing else
        QCOMPARE(Dialogs::shown().size(), 1);
    }
};

QTEST_MAIN(AutoVoteTest)
#include "tst_auto_vote.moc"
