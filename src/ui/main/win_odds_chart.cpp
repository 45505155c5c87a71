#include "ui/main/win_odds_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace vex::ui {

namespace {

constexpr double kLowestOdds = 1.0, kHighestOdds = 200.0;
constexpr int kMargin = 24;

QString clockText(int minuteOfDay) {
    return QString("%1:%2").arg(minuteOfDay / 60, 2, 10, QChar('0')).arg(minuteOfDay % 60, 2, 10, QChar('0'));
}

// Odds on a log scale: the favourites' moves matter as much as the outsiders'.
double oddsHeight(double odds) {
    double clamped = std::clamp(odds, kLowestOdds, kHighestOdds);
    return std::log(clamped / kLowestOdds) / std::log(kHighestOdds / kLowestOdds);
}

}  // namespace

WinOddsChart::WinOddsChart(QWidget* parent) : QWidget(parent) {
    setObjectName("WinOddsChart");
    setMinimumSize(240, 140);
    setToolTip("単勝オッズの推移（速報ｵｯｽﾞ取得ごと）");
}

void WinOddsChart::showRace(const std::string& raceKey, int runners) {
    points_ = raceKey.empty() ? std::vector<WinOddsPoint>{} : readWinOddsHistory(raceKey);
    runners_ = std::clamp(runners, 0, kMaxRunners);
    update();
}

void WinOddsChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect().adjusted(kMargin, 8, -kMargin, -kMargin + 6);
    p.setPen(palette().mid().color());
    p.drawRect(area);
    p.setPen(palette().text().color());
    p.drawText(rect().adjusted(4, 0, 0, 0), Qt::AlignTop | Qt::AlignLeft, "単勝");
    if (points_.empty()) {
        p.drawText(area, Qt::AlignCenter, "オッズ履歴なし");
        return;
    }
    const int first = points_.front().minuteOfDay, last = points_.back().minuteOfDay;
    const double span = std::max(1, last - first);
    auto xAt = [&](int minute) { return area.left() + area.width() * ((minute - first) / span); };
    auto yAt = [&](double odds) { return area.bottom() - area.height() * oddsHeight(odds); };
    p.drawText(QRect(area.left(), area.bottom() + 2, 60, 14), Qt::AlignLeft, clockText(first));
    p.drawText(QRect(area.right() - 60, area.bottom() + 2, 60, 14), Qt::AlignRight, clockText(last));
    for (int h = 1; h <= runners_; ++h) {
        QPainterPath line;
        bool started = false;
        for (const WinOddsPoint& point : points_) {
            double odds = point.winOdds[h];
            if (odds <= 0) continue;  // no votes, cancelled or no data
            QPointF at(xAt(point.minuteOfDay), yAt(odds));
            if (started) line.lineTo(at);
            else line.moveTo(at);
            started = true;
            p.setPen(QPen(QColor::fromHsv((h * 47) % 360, 200, 200), 1));
            p.drawEllipse(at, 1.5, 1.5);
        }
        if (!started) continue;
        p.setPen(QPen(QColor::fromHsv((h * 47) % 360, 200, 200), 1.5));
        p.drawPath(line);
        p.drawText(line.currentPosition() + QPointF(3, 4), QString::number(h));
    }
}

}  // namespace vex::ui
