// The win odds chart: where its labels go, how snapshots map to the axes, and the hover text.
#include <QToolTip>
#include <QtTest>

#include "datalink/odds_history.h"
#include "store/record_layout.h"
#include "store/race_table.h"
#include "ui/main/win_odds_chart.h"
#include "ui/support/ui_support.h"
#include "ui/widgets/label_placement.h"
#include "vocabulary/codes.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::spreadLabels;
using vex::ui::WinOddsChart;

namespace {

const char* const kRaceKey = "2026121045250311";

// One O1 record of kRaceKey announced at `hhmm` with the given win odds, horse 1 first.
std::string o1Line(const char* hhmm, const std::vector<double>& odds) {
    RawRecord<RecordLength::O1> record;
    record.setField(Common::Kind, "O1");
    record.setField(Common::RaceKey, kRaceKey);
    record.setField(Odds::AnnounceTime, std::string("1210") + hhmm);
    for (std::size_t i = 0; i < odds.size(); ++i)
        record.setField(Odds::Win.odds(static_cast<int>(i) + 1), formatText("%04d", static_cast<int>(odds[i] * 10)));
    return std::string(record.view().substr(0, RecordLength::O1 - 2));
}

bool apartAndInside(const std::vector<double>& placed, double gap, double low, double high) {
    std::vector<double> sorted = placed;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i] - sorted[i - 1] < gap - 1e-9) return false;
    return sorted.empty() || (sorted.front() >= low - 1e-9 && sorted.back() <= high + 1e-9);
}

}  // namespace

class WinOddsChartTest : public QObject {
    Q_OBJECT

private slots:
    void labelsAlreadyApartStayWhereTheyAre() {
        QCOMPARE(spreadLabels({50, 10, 30}, 12, 0, 100), (std::vector<double>{50, 10, 30}));
        QCOMPARE(spreadLabels({}, 12, 0, 100), std::vector<double>{});
    }

    void collidingLabelsMoveApartEvenlyAroundWhereTheyWereWanted() {
        // Two on one spot: each moves half the gap, in input order.
        QCOMPARE(spreadLabels({40, 40}, 10, 0, 100), (std::vector<double>{35, 45}));
        // A crowd and a loner: the crowd spreads around its mean, the loner is left alone.
        std::vector<double> placed = spreadLabels({61, 60, 59, 10}, 10, 0, 100);
        QCOMPARE(placed, (std::vector<double>{70, 60, 50, 10}));
        // A spread crowd pushes a neighbour it reaches.
        placed = spreadLabels({20, 20, 20, 31}, 10, 0, 100);
        QVERIFY(apartAndInside(placed, 10, 0, 100));
        QVERIFY(placed[3] > 31);
    }

    void labelsStayInsideTheirRoomAndShareItWhenItIsTooSmall() {
        std::vector<double> placed = spreadLabels({0, 1, 2, 98, 99}, 10, 0, 100);
        QVERIFY(apartAndInside(placed, 10, 0, 100));
        QCOMPARE(placed[0], 0.0);
        QCOMPARE(placed[4], 100.0);
        // Eighteen labels of 14 in 100: evenly 100/17 apart, in the order wanted.
        std::vector<double> wanted(18, 50.0);
        placed = spreadLabels(wanted, 14, 0, 100);
        QVERIFY(apartAndInside(placed, 100.0 / 17, 0, 100));
        QVERIFY(std::is_sorted(placed.begin(), placed.end()));
    }

    void snapshotsMapToTimeAndLogOdds() {
        TempHome home;
        // Written out of time order: the chart still runs from 10:00 to 13:00.
        QVERIFY(appendOddsHistory({o1Line("1000", {2.0, 20.0, 5.0}), o1Line("1300", {3.0, 10.0, 1.5}),
                                   o1Line("1130", {4.0, 10.0, 5.0})})
                    .empty());
        WinOddsChart chart;
        chart.resize(600, 300);
        chart.showRace(kRaceKey, {"アカ", "アオ", "キイロ"});
        QCOMPARE(chart.points().size(), std::size_t{3});
        // Time runs left to right at an even pace.
        const QPointF a = *chart.pointAt(0, 1), b = *chart.pointAt(1, 1), c = *chart.pointAt(2, 1);
        QVERIFY(a.x() < b.x() && b.x() < c.x());
        QVERIFY(qAbs((b.x() - a.x()) - (c.x() - b.x())) < 0.5);
        // Odds up the side on a log scale: 2 to 4 rises as far as 10 to 20, lower odds lower down.
        const double twoToFour = a.y() - b.y(), tenToTwenty = chart.pointAt(1, 2)->y() - chart.pointAt(0, 2)->y();
        QVERIFY(twoToFour > 0);
        QVERIFY(qAbs(twoToFour - tenToTwenty) < 0.5);
        QVERIFY(!chart.pointAt(0, 4));  // no such runner
        QVERIFY(!chart.pointAt(3, 1));  // no such snapshot
    }

    void hoveringAPointTellsHorseTimeAndOdds() {
        TempHome home;
        QVERIFY(appendOddsHistory({o1Line("1000", {2.0, 20.0}), o1Line("1445", {2.4, 24.5})}).empty());
        WinOddsChart chart;
        chart.resize(600, 300);
        chart.showRace(kRaceKey, {"トップノゾミ", "ハルカホープ"});
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QTest::mouseMove(&chart, chart.pointAt(1, 2)->toPoint() + QPoint(2, 1));
        QTRY_COMPARE(QToolTip::text(), QString("2 ハルカホープ  14:45  24.5倍"));
        // Away from every point: nothing to tell.
        QCOMPARE(chart.hoverText(QPointF(chart.pointAt(0, 1)->x() + 40, 5)), QString());
        QTest::mouseMove(&chart, QPoint(chart.pointAt(0, 1)->toPoint().x() + 40, 5));
        QTRY_VERIFY(!QToolTip::isVisible());
        saveShot(&chart, "win-odds-chart");
    }

    void aSingleSnapshotIsDrawnAsPointsAtItsTime() {
        TempHome home;
        QVERIFY(appendOddsHistory({o1Line("1445", {2.4, 0, 24.5})}).empty());
        WinOddsChart chart;
        chart.resize(400, 260);
        chart.showRace(kRaceKey, {"ア", "イ", "ウ"});
        QCOMPARE(chart.points().size(), std::size_t{1});
        QVERIFY(chart.pointAt(0, 1) && chart.pointAt(0, 3));
        QVERIFY(!chart.pointAt(0, 2));  // no votes: no point
        QCOMPARE(chart.hoverText(*chart.pointAt(0, 3)), QString("3 ウ  14:45  24.5倍"));
        saveShot(&chart, "win-odds-chart-one-snapshot");
        const int heightWithOdds = chart.sizeHint().height();
        // No race: nothing to read, nothing to hover, and only a line's room asked of the race card.
        chart.showRace("", {});
        QVERIFY(chart.points().empty());
        QCOMPARE(chart.hoverText(QPointF(200, 130)), QString());
        QVERIFY(chart.sizeHint().height() < heightWithOdds / 4);
        QCOMPARE(chart.minimumHeight(), chart.sizeHint().height());
    }
};

QTEST_MAIN(WinOddsChartTest)
#include "tst_win_odds_chart.moc"
