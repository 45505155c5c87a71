// The race-day refresh in the main window on the simulated service: the odds and results buttons,
// the odds timer on a set clock, a forced service failure, and the timing window.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/app_folder.h"
#include "app/clock.h"
#include "app/file_read.h"
#include "app/settings.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "datalink/bulk_download.h"
#include "datalink/odds_history.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/test_support.h"
#include "ui/datacontrol/worker.h"
#include "ui/download/race_day_refresh.h"
#include "ui/main/main_window.h"
#include "ui/main/win_odds_chart.h"
#include "ui/shared/dialogs.h"
#include "ui/support/ui_support.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;

namespace {

const DateTime kNoon{2024, 5, 10, 12, 0, 0};  // the day's cards are out, the first post is later

// The clock `minutes` from `post` (hhmm) on the race day.
DateTime fromPost(const std::string& post, int minutes, int seconds = 0) {
    int total = std::stoi(post.substr(0, 2)) * 60 + std::stoi(post.substr(2, 2)) + minutes;
    return {2024, 5, 10, total / 60, total % 60, seconds};
}

}  // namespace

class RaceDayRefreshTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempHome> home;
    std::unique_ptr<DataControl> control;
    std::unique_ptr<ui::MainWindow> window;

    // A window with today loaded (the store was filled once, in the morning).
    void openWindow() {
        window = std::make_unique<ui::MainWindow>(control.get());
        window->show();
        auto* days = byName<QComboBox>(window.get(), "DateCombo");
        days->setCurrentIndex(days->findText(QString::fromStdString(toUtf8(dayStampOf(kNoon)))));
        QVERIFY(days->currentIndex() >= 0);
        window->loadSelectedDay();
        QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay() && window->currentRaceIndex() >= 0, 30000);
    }
    const RaceTable& table() const { return window->table(); }
    int slot() const { return window->currentRaceIndex(); }
    std::string post() const { return std::string(table().raw[slot()].ra.field(RA::PostTime)); }
    void waitForWorker() { QTRY_VERIFY_WITH_TIMEOUT(!window->worker()->busy(), 30000); }
    void click(const char* name) { QTest::mouseClick(byName<QToolButton>(window.get(), name), Qt::LeftButton); }

private slots:
    void initTestCase() {
        home = std::make_unique<TempHome>();
        qputenv("VEXMORA_SERVICE", "sim");
        setClock(kNoon);
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
        setClock(kNoon);
        Dialogs::clearShown();
    }
    void cleanupTestCase() {
        control.reset();
        control::setFaultPlan(std::nullopt);
        setClock(std::nullopt);
    }

    void oddsButtonShowsNewOddsTenMinutesLater() {
        openWindow();
        const auto s = static_cast<std::size_t>(slot());
        setClock(fromPost(post(), -30));
        click("SokuhoOddsBtn");
        waitForWorker();
        QVERIFY(window->raceDayRefresh()->oddsFetched().isSet(slot()));
        const auto first = table().races[s].winOdds;
        QVERIFY(first[1] > 0);
        setClock(fromPost(post(), -20));
        click("SokuhoOddsBtn");
        waitForWorker();
        QVERIFY(table().races[s].winOdds != first);
        // The status line says when it ran and what it fetched.
        const QString said = byName<QLabel>(window.get(), "DLlabel")->text();
        QVERIFY2(said.startsWith("速報ｵｯｽﾞ ") && said.contains("：オッズ1レース中1レース、"), qPrintable(said));
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().join('|')));
        // The chart beside the odds has both snapshots.
        auto* chart = byName<ui::WinOddsChart>(window.get(), "WinOddsChart");
        QCOMPARE(chart->points().size(), std::size_t{2});
        QCOMPARE(chart->points()[1].winOdds[1], table().races[s].winOdds[1]);
        window->resize(1180, 760);
        auto* pages = byName<QTabWidget>(window.get(), "PageControl1");
        pages->setCurrentWidget(byName<QWidget>(window.get(), "TabSheet4"));
        QVERIFY(chart->isVisible());
        saveShot(window.get(), "race-card-odds-chart");
    }

    void resultsButtonBringsThePayoutsToTheResultsTab() {
        openWindow();
        QVERIFY(byName<QLabel>(window.get(), "KekkaLabel1_1")->text().trimmed().isEmpty());
        setClock(fromPost(post(), 30));
        click("KekkaGetBtn");
        waitForWorker();
        QTRY_VERIFY(!byName<QLabel>(window.get(), "KekkaLabel1_1")->text().trimmed().isEmpty());
        QVERIFY(table().races[slot()].payouts.payout[PayoutAt::Win] > 0);
    }

    void oddsTimerFetchesAtTheFirstTickAfterTheOddsTime() {
        openWindow();
        auto* timer = window->findChild<QTimer*>("Timer1");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        auto* results = window->findChild<QTimer*>("Timer4");
        QVERIFY(results && results->isActive());
        QCOMPARE(results->interval(), read(Settings(), settings::kAutoResultMinutes) * 60000);

        ui::RaceDayRefresh* refresh = window->raceDayRefresh();
        timer->stop();  // ticks by hand, on the set clock
        const std::string fetch = table().races[slot()].oddsFetchTime;
        QCOMPARE(fetch.size(), std::size_t{6});
        const std::time_t due = toEpoch(DateTime{2024, 5, 10, std::stoi(fetch.substr(0, 2)), std::stoi(fetch.substr(2, 2)),
                                                 std::stoi(fetch.substr(4, 2))});
        setClock(fromEpoch(due - 1));
        refresh->oddsTick();
        QVERIFY(!window->worker()->busy());
        QVERIFY(!refresh->oddsFetched().isSet(slot()));
        // The odds second itself was skipped; the next tick fetches.
        setClock(fromEpoch(due + 1));
        refresh->oddsTick();
        waitForWorker();
        QVERIFY(refresh->oddsFetched().isSet(slot()));
        QVERIFY(table().races[slot()].winOdds[1] > 0);
    }

    void noTimerActsBeforeNine() {
        openWindow();
        setClock(DateTime{2024, 5, 10, 8, 59, 59});
        window->raceDayRefresh()->oddsTick();
        window->raceDayRefresh()->resultsTick();
        QVERIFY(!window->worker()->busy());
        for (int s = 0; s < kMaxRaces; ++s) QVERIFY(!window->raceDayRefresh()->oddsFetched().isSet(s));
    }

    void aRefreshDuringAnotherJobIsRefusedInTheStatusLabel() {
        openWindow();
        std::atomic<bool> release{false};
        QVERIFY(window->worker()->start("データ取込", [&release] {
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }));
        setClock(fromPost(post(), -30));
        click("SokuhoOddsBtn");
        auto* label = byName<QLabel>(window.get(), "DLlabel");
        QVERIFY2(label->text().endsWith(" 速報ｵｯｽﾞ：" + ui::ControlWorker::busyMessage("データ取込")), qPrintable(label->text()));
        // The odds timer leaves a due race due while the worker is busy, says so, and fetches it afterwards.
        setClock(fromPost(post(), -5));  // past the first race's odds time, before its post
        window->raceDayRefresh()->oddsTick();
        QVERIFY(!window->raceDayRefresh()->oddsFetched().isSet(slot()));
        QVERIFY2(label->text().endsWith(" オッズ自動取得：" + ui::ControlWorker::busyMessage("データ取込")),
                 qPrintable(label->text()));
        release = true;
        waitForWorker();
        window->raceDayRefresh()->oddsTick();
        waitForWorker();
        QVERIFY(window->raceDayRefresh()->oddsFetched().isSet(slot()));
    }

    // The cancel of the direct read ends with it: the odds timer's next fetch reads, and the race
    // counts as fetched once its odds are in.
    void aCancelledDirectReadLeavesTheNextOddsFetchAlone() {
        openWindow();
        window->findChild<QTimer*>("Timer1")->stop();  // ticks by hand, on the set clock
        byName<QPushButton>(window.get(), "DirectReadBtn")->click();  // hidden outside developer mode
        QVERIFY(window->worker()->busy());
        window->worker()->cancel();
        waitForWorker();
        const auto s = static_cast<std::size_t>(slot());
        const std::string key(table().raw[s].ra.field(Common::RaceKey));
        const std::size_t snapshots = readWinOddsHistory(key).size();  // every fetch read adds one
        setClock(fromPost(post(), -5));  // past the first race's odds time, before its post
        window->raceDayRefresh()->oddsTick();
        waitForWorker();
        QVERIFY(window->raceDayRefresh()->oddsFetched().isSet(slot()));
        QCOMPARE(readWinOddsHistory(key).size(), snapshots + 1);
        QVERIFY(table().races[s].winOdds[1] > 0);
    }

    // The flags are of the day they were fetched for: loading another day, and today again, clears
    // them, so the odds timer fetches today's races again.
    void aDayLoadClearsTheFetchedFlags() {
        openWindow();
        setClock(fromPost(post(), -30));
        click("SokuhoOddsBtn");
        waitForWorker();
        QVERIFY(window->raceDayRefresh()->oddsFetched().isSet(slot()));
        auto* days = byName<QComboBox>(window.get(), "DateCombo");
        const int today = days->currentIndex();
        QVERIFY(days->count() > 1);
        days->setCurrentIndex(today == 0 ? 1 : 0);
        window->loadSelectedDay();
        QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay() && window->currentRaceIndex() >= 0, 30000);
        for (int s = 0; s < kMaxRaces; ++s) QVERIFY(!window->raceDayRefresh()->oddsFetched().isSet(s));
    }

    // A hand-edited 0 reads as the shortest the timing window allows.
    void zerosInTheSettingsFileGiveTheShortestTimes() {
        const auto keys = {settings::kAutoOddsMinutes, settings::kAutoResultMinutes, settings::kAutoVoteInterval};
        Settings ini;
        for (const auto& key : keys) write(ini, key, 0);
        // The defaults come back even when a check below fails: the later tests run on them.
        auto restore = qScopeGuard([&] {
            for (const auto& key : keys) write(ini, key, key.def);
        });
        openWindow();
        QCOMPARE(window->findChild<QTimer*>("Timer4")->interval(), 5 * 60000);
        const RaceRecord& race = table().races[slot()];
        QCOMPARE(race.oddsFetchTime, AddSeconds(post() + "00", -60));
        QCOMPARE(race.voteTime, AddSeconds(post() + "00", -60 + 2 * 2));
    }

    void allOddsWithoutADayAsksForOne() {
        window = std::make_unique<ui::MainWindow>(control.get());
        auto* item = window->findChild<QAction*>("N110");
        item->trigger();
        QCOMPARE(Dialogs::shown(), QStringList{"開催日ﾃﾞｰﾀを読み込んでください。"});
    }

    void timingWindowWritesTheFiveSettings() {
        window = std::make_unique<ui::MainWindow>(control.get());
        window->findChild<QAction*>("N8")->trigger();
        auto* dialog = window->findChild<QDialog*>("OzGetTimeForm");
        QVERIFY(dialog);
        auto* odds = byName<QSpinBox>(dialog, "SpinEdit3");
        QCOMPARE(odds->value(), 10);
        QCOMPARE(byName<QSpinBox>(dialog, "SpinEdit1")->minimum(), 5);
        QVERIFY(byName<QSpinBox>(dialog, "SpinEdit5")->isHidden());
        odds->setValue(12);
        byName<QSpinBox>(dialog, "SpinEdit4")->setValue(30);
        QTest::mouseClick(byName<QPushButton>(dialog, "BitBtn1"), Qt::LeftButton);
        Settings ini;
        QCOMPARE(read(ini, settings::kAutoOddsMinutes), 12);
        QCOMPARE(read(ini, settings::kAutoOddsSeconds), 30);
        QCOMPARE(read(ini, settings::kAutoResultMinutes), 10);
        QCOMPARE(read(ini, settings::kAutoVoteInterval), 5);
        QCOMPARE(read(ini, settings::kAutoWeightGet), 37);
        write(ini, settings::kAutoOddsMinutes, 10);
        write(ini, settings::kAutoOddsSeconds, 0);
    }

    // Last: the control is made again with the fault.
    void aForcedOpenFailureWritesTheErrorLineAndOpensNoDialog() {
        control::setFaultPlan(control::parseFaultPlan("NVRTOpen=-504"));
        control = createDataControl(nullptr);
        control->NVInit(kSoftwareId);
        openWindow();
        setClock(DateTime{2024, 5, 10, 12, 0, 0});
        click("SokuhoOddsBtn");
        waitForWorker();
        const auto log = readLines(appFolder() / "ErrorLog.txt");
        QVERIFY(!log.empty());
        const QString line = QString::fromStdString(toUtf8(log.back()));
        QVERIFY2(line.startsWith("【エラー】12:00:") && line.endsWith("R:ｵｯｽﾞ取得エラー：サーバーがメンテナンス中です。(-504)"),
                 qPrintable(line));
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().join('|')));
    }
};

QTEST_MAIN(RaceDayRefreshTest)
#include "tst_race_day_refresh.moc"
