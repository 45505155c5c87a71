#pragma once
// A small painted chart of a race's win odds through the day, one line per runner, from the
// race's odds history (every refresh adds a point). Painted rather than drawn with a chart
// library: a handful of polylines does not justify another dependency.
#include <QWidget>
#include <string>
#include <vector>

#include "datalink/odds_history.h"

namespace vex::ui {

class WinOddsChart : public QWidget {
    Q_OBJECT
public:
    explicit WinOddsChart(QWidget* parent = nullptr);

    // Reads the history of the race with `raceKey` (16 characters; empty: no race) and repaints.
    void showRace(const std::string& raceKey, int runners);
    const std::vector<WinOddsPoint>& points() const { return points_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<WinOddsPoint> points_;
    int runners_ = 0;
};

}  // namespace vex::ui
