#pragma once
// The win and place returns of ranks 1..18 (Compi rank or popularity) as pairs of bars, one row per
// rank: the rank and its runners beside the bars, a whisker for each return's 95 % interval, and
// the bars of groups below 100 runners drawn pale, as a legend line says. Rows across rather than
// columns up, so that every label has room to be read whole. Hovering a row tells its figures with
// their intervals.
#include <QString>
#include <QWidget>
#include <array>

#include "stats/analysis.h"

namespace vex::ui {

class ReturnBarsChart : public QWidget {
    Q_OBJECT
public:
    // `title` above the bars; `rankUnit` after each rank's number ("位", "人気").
    ReturnBarsChart(const QString& title, const QString& rankUnit, QWidget* parent);

    void setRecords(const std::array<BetRecord, 19>& records);

    // "15人気 36頭": what stands beside the bars of `rank`.
    QString rowCaption(int rank) const;
    // Where the win (or place) bar of `rank` is drawn; empty when nothing was staked.
    QRectF barRect(int rank, bool win) const;
    // The figures of the row under `pos`, with their intervals; empty outside the rows.
    QString hoverText(QPointF pos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Layout;
    Layout layout() const;
    double topPercent() const;
    void drawLegend(QPainter& p, const Layout& l) const;
    void drawAxis(QPainter& p, const Layout& l) const;
    void drawRow(QPainter& p, const Layout& l, int rank) const;

    QString title_, rankUnit_;
    std::array<BetRecord, 19> records_{};
};

// The figures of a group with their 95 % intervals, a line each, and a word on a small sample.
QString figuresWithIntervals(const BetRecord& record);

}  // namespace vex::ui
