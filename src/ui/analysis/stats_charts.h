#pragma once
// The analysis window's charts: the win and place returns by Compi rank and by popularity (bars,
// percent) and the strategy's running balance (yen after each race bet).
#include <QWidget>

#include "stats/analysis.h"
#include "stats/strategy.h"

namespace vex::ui {

class StatsCharts {
public:
    explicit StatsCharts(QWidget* parent);
    QWidget* compiReturns() const { return compiReturns_; }
    QWidget* popularityReturns() const { return popularityReturns_; }
    QWidget* balance() const { return balance_; }

    void show(const Analysis& analysis, const StrategyResult& strategy);

private:
    QWidget* compiReturns_;
    QWidget* popularityReturns_;
    QWidget* balance_;
};

}  // namespace vex::ui
