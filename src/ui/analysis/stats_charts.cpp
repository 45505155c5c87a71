#include "ui/analysis/stats_charts.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QCategoryAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/analysis/return_bars_chart.h"
#include "ui/look/chart_colours.h"
#include "ui/look/look.h"

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

ReturnBarsChart* returnBars(QWidget* parent, const char* name, const QString& title, const QString& rankUnit) {
    auto* chart = new ReturnBarsChart(title, rankUnit, parent);
    chart->setObjectName(name);
    return chart;
}

// Yen up the side, grouped by thousands: a value axis cannot group, so its nice ticks become the
// labels of a category axis.
QAbstractAxis* yenAxis(double low, double high) {
    QValueAxis nice;
    nice.setRange(low, high);
    nice.applyNiceNumbers();
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(nice.min(), nice.max());
    axis->setStartValue(nice.min());
    const int ticks = std::max(2, nice.tickCount());
    const double step = (nice.max() - nice.min()) / (ticks - 1);
    for (int i = 0; i < ticks; ++i) {
        const double value = nice.min() + i * step;
        axis->append(look::yen(std::llround(value)), value);
    }
    return axis;
}

// The smallest of 1, 2, 5, 10, 20, 50, ... not below `least`.
double roundStep(double least) {
    for (double decade = 1;; decade *= 10)
        for (double step : {1.0, 2.0, 5.0})
            if (step * decade >= least) return step * decade;
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
    line->setColor(look::winReturnBar());
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
    x->setTickType(QValueAxis::TicksDynamic);  // 0, 200, 400 races rather than 0, 262, 525
    x->setTickAnchor(0);
    x->setTickInterval(roundStep(x->max() / 6));
    x->setLabelFormat("%d");
    x->setTitleText("レース");
    double margin = std::max(100.0, static_cast<double>(high - low) * 0.05);
    QAbstractAxis* y = yenAxis(static_cast<double>(low) - margin, static_cast<double>(high) + margin);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
}

}  // namespace

StatsCharts::StatsCharts(QWidget* parent)
    : compiReturns_(returnBars(parent, "CompiReturnChart", "コンピ順位別 回収率", "位")),
      popularityReturns_(returnBars(parent, "PopularityReturnChart", "単勝人気別 回収率", "人気")),
      balance_(chartView(parent, "BalanceChart", "収支の推移")) {}

void StatsCharts::show(const Analysis& analysis, const StrategyResult& strategy) {
    compiReturns_->setRecords(analysis.byCompiRank);
    popularityReturns_->setRecords(analysis.byPopularity);
    showBalance(balance_, strategy);
}

}  // namespace vex::ui
