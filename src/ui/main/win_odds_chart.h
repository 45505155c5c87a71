#pragma once
// A race's win odds through the day, one line per runner, from the race's odds history (every
// refresh adds a snapshot): real times along the bottom, odds on a log scale up the side, each
// horse's number at its line's end, the three favourites drawn stronger. A single snapshot shows
// as points with their odds. Hovering a point tells horse, time and odds. Painted rather than drawn
// with a chart library: a handful of polylines does not justify another dependency.
#include <QStringList>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "datalink/odds_history.h"

namespace vex::ui {

class WinOddsChart : public QWidget {
    Q_OBJECT
public:
    explicit WinOddsChart(QWidget* parent = nullptr);
    QSize sizeHint() const override;

    // Reads the history of the race with `raceKey` (16 characters; empty: no race) and repaints;
    // `horseNames` holds one name per runner, horse 1 first.
    void showRace(const std::string& raceKey, const QStringList& horseNames);
    const std::vector<WinOddsPoint>& points() const { return points_; }

    // Where the odds of `horse` in snapshot `snapshot` are drawn; none when it has no odds there.
    std::optional<QPointF> pointAt(std::size_t snapshot, int horse) const;
    // "3 ハルカホープ  14:45  24.5倍" for the point nearest `pos`; empty when none is near.
    QString hoverText(QPointF pos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Scale;
    Scale scale() const;
    int runners() const { return static_cast<int>(names_.size()); }
    bool hasOdds() const;  // any snapshot with a horse's odds: else there is nothing to draw
    bool isFavourite(int horse) const;
    std::optional<QPointF> pointOn(const Scale& s, std::size_t snapshot, int horse) const;
    void drawTimeAxis(QPainter& p, const Scale& s) const;
    void drawOddsAxis(QPainter& p, const Scale& s) const;
    void drawLines(QPainter& p, const Scale& s) const;
    void drawEndLabels(QPainter& p, const Scale& s) const;

    std::vector<WinOddsPoint> points_;
    QStringList names_;
    std::vector<int> favourites_;  // the three lowest odds of the last snapshot
};

}  // namespace vex::ui
