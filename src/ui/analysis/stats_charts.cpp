#include "ui/analysis/stats_charts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace vex::ui {

namespace {

QChartView* chartView(QWidget* parent, const char* name, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(200);
    return view;
}

double percent(long long paid, long long stake) {
    return stake > 0 ? 100.0 * static_cast<double>(paid) / static_cast<double>(stake) : 0.0;
}

// Win and place returns of ranks 1..18 as two bar sets.
void showReturns(QWidget* widget, const std::array<BetRecord, 19>& records) {
    QChart* chart = static_cast<QChartView*>(widget)->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;  // a removed axis is ours again
    }
    auto* win = new QBarSet("単回収率");
    auto* place = new QBarSet("複回収率");
    QStringList ranks;
    double top = 100;
    for (int rank = 1; rank <= 18; ++rank) {
        const BetRecord& r = records[static_cast<std::size_t>(rank)];
        *win << percent(r.winPaid, r.winStake);
        *place << percent(r.placePaid, r.placeStake);
        top = std::max({top, percent(r.winPaid, r.winStake), percent(r.placePaid, r.placeStake)});
        ranks << QString::number(rank);
    }
    auto* series = new QBarSeries;
    series->append(win);
    series->append(place);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(ranks);
    auto* y = new QValueAxis;
    y->setRange(0, top * 1.05);
    y->applyNiceNumbers();
    y->setLabelFormat("%d%%");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

void showBalance(QWidget* widget, const StrategyResult& strategy) {
    QChart* chart = static_cast<QChartView*>(widget)->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;  // a removed axis is ours again
    }
    auto* line = new QLineSeries;
    line->setName("収支（円）");
    line->append(0, 0);
    long long low = 0, high = 0;
    for (std::size_t i = 0; i < strategy.balance.size(); ++i) {
        long long b = strategy.balance[i].balance;
        line->append(static_cast<double>(i + 1), static_cast<double>(b));
        low = std::min(low, b);
        high = std::max(high, b);
    }
    chart->addSeries(line);
    auto* x = new QValueAxis;
    x->setRange(0, std::max<double>(1, static_cast<double>(strategy.balance.size())));
    x->setLabelFormat("%d");
    x->setTitleText("レース");
    auto* y = new QValueAxis;
    double margin = std::max(100.0, static_cast<double>(high - low) * 0.05);
    y->setRange(static_cast<double>(low) - margin, static_cast<double>(high) + margin);
    y->applyNiceNumbers();
    y->setLabelFormat("%d");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
}

}  // namespace

StatsCharts::StatsCharts(QWidget* parent)
    : compiReturns_(chartView(parent, "CompiReturnChart", "コンピ順位別 回収率")),
      popularityReturns_(chartView(parent, "PopularityReturnChart", "単勝人気別 回収率")),
      balance_(chartView(parent, "BalanceChart", "収支の推移")) {}

void StatsCharts::show(const Analysis& analysis, const StrategyResult& strategy) {
    showReturns(compiReturns_, analysis.byCompiRank);
    showReturns(popularityReturns_, analysis.byPopularity);
    showBalance(balance_, strategy);
}

}  // namespace vex::ui
