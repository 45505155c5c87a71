// The analysis window: opened from the menu, the hand-made day's figures (those the CLI prints),
// filters, the strategy lists, copy and CSV export; and the statistics commands T1 and N12.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "app/app_folder.h"
#include "app/file_read.h"
#include "app/settings.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "support/appearance_days.h"
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/analysis/stats_window.h"
#include "ui/support/ui_support.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;
using vex::ui::MainWindow;
using vex::ui::StatsWindow;

namespace {
QStringList rowOf(QTableView* view, int row) {
    QStringList cells;
    for (int c = 0; c < view->model()->columnCount(); ++c) cells << view->model()->index(row, c).data().toString();
    return cells;
}
}  // namespace

class StatsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempHome> home_;
    std::unique_ptr<MainWindow> window_;
    StatsWindow* stats() { return window_->findChild<StatsWindow*>("StatsForm"); }
    template <class T>
    T* s(const char* name) { return byName<T>(stats(), name); }

private slots:
    void initTestCase() {
        home_ = std::make_unique<TempHome>();
        test::writeHandDay(home_->str());
        Dialogs::startRecording();
        window_ = std::make_unique<MainWindow>(nullptr);
        window_->show();
    }
    void cleanupTestCase() {
        window_.reset();
        Dialogs::stopRecording();
    }

    void menuOpensTheWindowWithTheHandMadeFigures() {
        auto* item = byName<QAction>(window_.get(), "StatsItem");
        QCOMPARE(item->text(), QString("成績分析"));
        item->trigger();
        QVERIFY(stats() && stats()->isVisible());
        QCOMPARE(stats()->windowTitle(), QString("成績分析"));
        auto* compi = s<QTableView>("CompiRankTable");
        QCOMPARE(compi->model()->headerData(6, Qt::Horizontal).toString(), QString("単回収率"));
        QCOMPARE(rowOf(compi, 0), (QStringList{"1", "2", "2", "2", "100.0", "100.0", "215.0", "115.0"}));
        QCOMPARE(rowOf(compi, 1), (QStringList{"2", "2", "1", "2", "50.0", "100.0", "160.0", "220.0"}));
        QCOMPARE(rowOf(s<QTableView>("PopularityTable"), 0),
                 (QStringList{"1", "3", "2", "3", "66.7", "100.0", "190.0", "130.0"}));
        QCOMPARE(rowOf(s<QTableView>("ZoneTable"), 2),
                 (QStringList{"C", "1", "1", "1", "1", "100.0", "100.0", "320.0", "140.0"}));
        QCOMPARE(rowOf(s<QTableView>("StrategyTable"), 0),
                 (QStringList{"3", "3", "300", "570", "190.0", "1", "100"}));
        QCOMPARE(s<QLabel>("StatsCoverage")->text(), QString("1日 3レース"));
        QVERIFY(s<QWidget>("CompiReturnChart") && s<QWidget>("BalanceChart"));
    }

    void filtersAndStrategyListsRecompute() {
        auto* tracks = s<QListWidget>("StatsTracks");
        QCOMPARE(tracks->count(), 2);  // the files' own tracks
        QCOMPARE(tracks->item(1)->text(), QString("川崎"));
        tracks->item(1)->setSelected(true);
        QCOMPARE(s<QLabel>("StatsCoverage")->text(), QString("1日 1レース"));
        tracks->item(1)->setSelected(false);
        s<QComboBox>("StatsSurface")->setCurrentIndex(1);  // 芝: none of the day's races
        QCOMPARE(s<QLabel>("StatsCoverage")->text(), QString("0日 0レース"));
        s<QComboBox>("StatsSurface")->setCurrentIndex(0);
        auto* popularity = s<QListWidget>("StatsPopularity");
        popularity->item(0)->setSelected(false);
        popularity->item(4)->setSelected(true);  // fifth favourites: two losing races
        QCOMPARE(rowOf(s<QTableView>("StrategyTable"), 0), (QStringList{"3", "2", "200", "0", "0.0", "2", "200"}));
        s<QListWidget>("StatsClasses")->item(0)->setSelected(true);  // 未勝利: race 2 only
        QCOMPARE(rowOf(s<QTableView>("StrategyTable"), 0)[0], QString("1"));
        s<QListWidget>("StatsClasses")->item(0)->setSelected(false);
        popularity->item(4)->setSelected(false);
        popularity->item(0)->setSelected(true);
    }

    void copyAndCsvExportOfTheTableShown() {
        s<QTabWidget>("StatsTabs")->setCurrentIndex(StatsWindow::StrategyTab);
        QTest::mouseClick(s<QPushButton>("StatsCopyButton"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString("対象レース\t買い目数\t投票金額\t払戻金額\t回収率\t最大連敗\t最大ドローダウン\n"
                         "3\t3\t300\t570\t190.0\t1\t100\n"));
        s<QTabWidget>("StatsTabs")->setCurrentIndex(StatsWindow::ZoneTab);
        QString csv = home_->file("zone.csv");
        Dialogs::seedPaths({csv});
        QTest::mouseClick(s<QPushButton>("StatsCsvButton"), Qt::LeftButton);
        std::string written = readFileBytes(csv.toStdString());
        QVERIFY(written.rfind("ゾーン,レース数,頭数,1着", 0) == 0);
        QVERIFY(written.find("\nA,1,1,1,1,100.0,100.0,250.0,120.0\n") != std::string::npos);
        // Cancelled picker: nothing written.
        std::filesystem::remove(csv.toStdString());
        Dialogs::seedPaths({});
        QTest::mouseClick(s<QPushButton>("StatsCsvButton"), Qt::LeftButton);
        QVERIFY(!std::filesystem::exists(csv.toStdString()));
    }

    void damagedFileIsNamedAndReloadPicksUpNewDays() {
        writeFileAtomic(appFolder() / "TOKEI" / "em20240601.dat", "cut\r\n", false);
        test::AppearanceLine later("20240602", 42, 1, 5);
        writeLinesAtomic(appFolder() / "TOKEI" / "em20240602.dat", {later.str()}, false);
        QTest::mouseClick(s<QPushButton>("StatsReloadButton"), Qt::LeftButton);
        QVERIFY(s<QLabel>("StatsWarnings")->text().contains("em20240601.dat を読み飛ばしました"));
        QCOMPARE(s<QLabel>("StatsCoverage")->text(), QString("2日 4レース"));
        QCOMPARE(s<QListWidget>("StatsTracks")->count(), 3);
        stats()->resize(1200, 760);
        s<QTabWidget>("StatsTabs")->setCurrentIndex(StatsWindow::CompiTab);
        saveShot(stats(), "stats-window");
    }

    void timeSeriesImportWantsItsFolderAndADay() {
        auto* t1 = byName<QAction>(window_.get(), "T1");
        Dialogs::clearShown();
        int beeps = Dialogs::beeps();
        t1->trigger();
        QCOMPARE(Dialogs::shown(), QStringList{"時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。"});
        QCOMPARE(Dialogs::beeps(), beeps + 1);
        // N12 stores the folder chosen.
        Dialogs::seedPaths({home_->file("OddsHistory")});
        byName<QAction>(window_.get(), "N12")->trigger();
        QCOMPARE(QString::fromStdString(Settings().readString("Dir", "jikeiretu", "")), home_->file("OddsHistory"));
        Dialogs::clearShown();
        t1->trigger();
        QCOMPARE(Dialogs::shown(), QStringList{"ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。"});
    }

    void directReadButtonWithoutStoredDays() {
        auto* button = byName<QPushButton>(window_.get(), "DirectReadBtn");
        Dialogs::clearShown();
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE(Dialogs::shown(), QStringList{"0日分を読み込み、0日分の出現ファイルを書き込みました。"});
    }

    void directReadWritesTheStoredDaysAndTheWindowFollows() {
        QString goldenData = QFINDTESTDATA("../data/golden/two-tracks/home/Data");
        QVERIFY(!goldenData.isEmpty());
        std::filesystem::copy(goldenData.toStdString(), appFolder() / "Data", std::filesystem::copy_options::recursive);
        QString before = s<QLabel>("StatsCoverage")->text();
        Dialogs::clearShown();
        QTest::mouseClick(byName<QPushButton>(window_.get(), "DirectReadBtn"), Qt::LeftButton);
        QTRY_COMPARE(Dialogs::shown(), QStringList{"1日分を読み込み、1日分の出現ファイルを書き込みました。"});
        QVERIFY(std::filesystem::exists(appFolder() / "TOKEI" / "em20260315.dat"));
        QVERIFY(!window_->findChild<QWidget*>("DirectReadProgress"));
        QCOMPARE(before, QString("2日 4レース"));
        QCOMPARE(s<QLabel>("StatsCoverage")->text(), QString("3日 6レース"));  // reloaded at the end
    }

    void timeSeriesImportWritesTheDayOddsAndReloads() {
        window_->fillDaySelector();
        byName<QComboBox>(window_.get(), "DateCombo")->setCurrentIndex(0);
        window_->loadSelectedDay();
        QTRY_VERIFY(!window_->loadingDay());
        QVERIFY(window_->table().dayLoaded);
        int slot = window_->table().raceListSlots.front();
        std::string key(window_->table().raw[static_cast<std::size_t>(slot)].ra.field(Common::RaceKey));
        // One snapshot of the first race, announced on its day at 10:00, in the folder N12 chose.
        std::string snapshot(static_cast<std::size_t>(dayFileRecordLength(DayFile::O1) - 2), ' ');
        snapshot.replace(0, 2, "O1").replace(11, 16, key).replace(27, 4, key.substr(4, 4)).replace(31, 4, "1000");
        std::filesystem::path series = home_->str() + "/OddsHistory/" + key.substr(0, 8);
        std::filesystem::create_directories(series);
        writeLinesAtomic(series / (key.substr(8, 8) + ".nvO1"), {snapshot}, false);
        Dialogs::clearShown();
        byName<QAction>(window_.get(), "T1")->trigger();
        QCOMPARE(Dialogs::shown(), QStringList{"1ﾚｰｽ分の単複枠ｵｯｽﾞ、0ﾚｰｽ分の3連単ｵｯｽﾞ\r\nを取りこみました。"});
        QTRY_VERIFY(!window_->loadingDay());
        std::vector<std::string> dayOdds = readLines(dayFilePath(window_->table().paths.stamp, DayFile::O1));
        QVERIFY(std::find(dayOdds.begin(), dayOdds.end(), snapshot) != dayOdds.end());
    }
};

QTEST_MAIN(StatsWindowTest)
#include "tst_stats_window.moc"
