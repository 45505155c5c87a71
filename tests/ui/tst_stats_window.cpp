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
#include "ui/analysis/return_bars_chart.h"
#include "ui/analysis/stats_window.h"
#include "ui/look/chart_colours.h"
#include "ui/support/ui_support.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;
using vex::ui::MainWindow;
using vex::ui::StatsWindow;

namespace {
// Widths of the columns of `view` together: no more than its viewport when it does not scroll.
int columnsWidth(QTableView* view) {
    int sum = 0;
    for (int c = 0; c < view->model()->columnCount(); ++c) sum += view->columnWidth(c);
    return sum;
}

// Inside `window`, and wide enough for its own text.
bool wholeInside(QWidget* w, QWidget* window) {
    QRect at(w->mapTo(window, QPoint(0, 0)), w->size());
    return w->isVisible() && window->rect().contains(at) && w->width() >= w->sizeHint().width();
}

BetRecord record(long long runners, long long wins, long long winPaid) {
    BetRecord r;
    r.runners = runners;
    r.wins = wins;
    r.winStake = r.placeStake = 100 * runners;
    r.winPaid = r.placePaid = winPaid;
    r.winPaidSquares = r.placePaidSquares = static_cast<double>(winPaid) * static_cast<double>(winPaid) / std::max(1LL, wins);
    return r;
}

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
        item->trigger();  // again: the same window comes up, not a second one
        QCOMPARE(window_->findChildren<StatsWindow*>().size(), qsizetype(1));
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

    void fitsA1024By700ScreenWithTablesAcrossTheirWidth() {
        StatsWindow fresh;  // opens no larger than the screen it is on
        QVERIFY(QRect(QPoint(0, 0), fresh.screen()->availableGeometry().size()).contains(fresh.rect()));
        StatsWindow* w = stats();
        // A 1024 x 700 screen less a title bar.
        QVERIFY(w->minimumSizeHint().width() <= 1024);
        QVERIFY(w->minimumSizeHint().height() <= 670);
        w->resize(1024, 670);
        const char* const tables[] = {"CompiRankTable", "PopularityTable", "ZoneTable", "StrategyTable"};
        for (int tab = 0; tab < StatsWindow::TabCount; ++tab) {
            s<QTabWidget>("StatsTabs")->setCurrentIndex(tab);
            auto* view = s<QTableView>(tables[tab]);
            QTRY_VERIFY(view->isVisible());
            for (const char* name : {"StatsReloadButton", "StatsCopyButton", "StatsCsvButton", "StatsCoverage"})
                QVERIFY2(wholeInside(s<QWidget>(name), w), name);
            // Across the table's whole width without scrolling; the first column takes the slack.
            QTRY_COMPARE(columnsWidth(view), view->viewport()->width());
            if (tab != StatsWindow::StrategyTab) QVERIFY2(view->columnWidth(0) > view->columnWidth(1), tables[tab]);
        }
        saveShot(w, "stats-window-1024x670");
    }

    void figuresRightAlignedAndSmallSamplesMarked() {
        const int right = Qt::AlignRight | Qt::AlignVCenter;
        auto* model = s<QTableView>("PopularityTable")->model();
        QCOMPARE(model->index(0, 1).data(Qt::TextAlignmentRole).toInt(), right);
        QCOMPARE(model->index(6, 6).data(Qt::TextAlignmentRole).toInt(), right);  // "-" in a column of figures
        QCOMPARE(s<QTableView>("ZoneTable")->model()->index(5, 0).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));  // なし
        // Every group of these few races is a small sample: pale, and its figures come with intervals.
        QVERIFY(model->index(0, 4).data(Qt::ForegroundRole).isValid());
        const QString tip = model->index(0, 4).data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains("勝率 ") && tip.contains("95%区間") && tip.contains("100頭未満"), qPrintable(tip));
        QVERIFY(!s<QTableView>("StrategyTable")->model()->index(0, 0).data(Qt::ToolTipRole).isValid());
        QCOMPARE(s<ui::ReturnBarsChart>("PopularityReturnChart")->rowCaption(1),
                 QString("1人気 %1頭").arg(model->index(0, 1).data().toString()));
    }

    void returnBarsDrawSmallSamplesPaleAndEveryCaptionWhole() {
        ui::ReturnBarsChart chart("単勝人気別 回収率", "人気", nullptr);
        chart.resize(520, 560);
        std::array<BetRecord, 19> records{};
        records[1] = record(1051, 220, 81230);  // 77.3 %
        records[15] = record(36, 1, 5950);      // 165.3 % from 36 runners
        chart.setRecords(records);
        const QImage image = chart.grab().toImage();
        auto colourOf = [&](int rank) {
            const QRectF bar = chart.barRect(rank, true);
            return image.pixelColor(QPoint(static_cast<int>(bar.left()) + 5, static_cast<int>(bar.top()) + 2));
        };
        QCOMPARE(colourOf(1), ui::look::winReturnBar());
        QVERIFY(colourOf(15).lightness() > ui::look::winReturnBar().lightness() + 60);
        // Lengths in proportion; the small sample's 165.3 % is cut at the scale's end, 150 %.
        QCOMPARE(qRound(chart.barRect(15, true).width() / chart.barRect(1, true).width() * 77.3), 150);
        QVERIFY(chart.barRect(17, true).isEmpty());  // nothing staked: no bar
        QCOMPARE(chart.rowCaption(15), QString("15人気 36頭"));
        QVERIFY(QFontMetricsF(chart.font()).horizontalAdvance(chart.rowCaption(15)) < chart.barRect(15, true).left());
        const QString tip = chart.hoverText(chart.barRect(15, true).center());
        QVERIFY2(tip.startsWith("15人気 36頭\n頭数 36（100頭未満：標本が少ない）\n勝率 2.8%（95%区間 0.5～14.2%）\n"
                                "単回収率 165.3%（95%区間 "),
                 qPrintable(tip));
        QCOMPARE(chart.hoverText(QPointF(10, 2)), QString());  // the title: no row
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
