#pragma once
// The analysis window's charts: the win and place returns by Compi rank and by popularity (bars,
// percent, with their intervals) and the strategy's running balance (yen after each race bet).
#include <QWidget>

#include "stats/analysis.h"
#include "stats/strategy.h"

namespace vex::ui {

class ReturnBarsChart;

class StatsCharts {
public:
    explicit StatsCharts(QWidget* parent);
    ReturnBarsChart* compiReturns() const { return compiReturns_; }
    ReturnBarsChart* popularityReturns() const { return popularityReturns_; }
    QWidget* balance() const { return balance_; }

    void show(const Analysis& analysis, const StrategyResult& strategy);

private:
    ReturnBarsChart* compiReturns_;
    ReturnBarsChart* popularityReturns_;
    QWidget* balance_;
};

}  // namespace vex::ui
