#include "ui/main/win_odds_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui/look/chart_colours.h"
#include "ui/widgets/hover_tip.h"
#include "ui/widgets/label_placement.h"

namespace vex::ui {

namespace {

constexpr double kLeft = 42, kTop = 20, kBottom = 20, kRightForNumbers = 34;
constexpr int kEmptyHeight = 44;  // the title and the line saying there is no history
constexpr double kHoverReach = 8;  // pixels from a point that still count as on it

QString clockText(int minuteOfDay) {
    return QString("%1:%2").arg(minuteOfDay / 60, 2, 10, QChar('0')).arg(minuteOfDay % 60, 2, 10, QChar('0'));
}

QString oddsText(double odds) { return QString::number(odds, 'f', 1); }

// A tick every `step` minutes, the smallest step that leaves room for the clock texts.
int timeStep(int span, double width) {
    const int most = std::max(1, static_cast<int>(width / 56));
    for (int step : {1, 2, 5, 10, 15, 30, 60, 120, 180, 240})
        if (span / step <= most) return step;
    return 360;
}

}  // namespace

struct WinOddsChart::Scale {
    QRectF plot;
    int first = 0, last = 0;  // minutes of the first and last snapshot
    double low = 1, high = 10;  // odds at the plot's bottom and top
    double x(int minute) const {
        if (last == first) return plot.center().x();
        return plot.left() + plot.width() * (minute - first) / (last - first);
    }
    double y(double odds) const {  // log scale: a favourite's move counts as much as an outsider's
        return plot.bottom() - plot.height() * std::log(odds / low) / std::log(high / low);
    }
};

WinOddsChart::WinOddsChart(QWidget* parent) : QWidget(parent) {
    setObjectName("WinOddsChart");
    setMinimumSize(240, kEmptyHeight);
    setMouseTracking(true);
}

// Room for 18 numbers at the lines' ends; a race without odds history needs one line, so that the
// race card below keeps the room.
QSize WinOddsChart::sizeHint() const { return QSize(600, hasOdds() ? 260 : kEmptyHeight); }

bool WinOddsChart::hasOdds() const {
    return std::any_of(points_.begin(), points_.end(), [this](const WinOddsPoint& point) {
        for (int h = 1; h <= runners(); ++h)
            if (point.winOdds[h] > 0) return true;
        return false;
    });
}

void WinOddsChart::showRace(const std::string& raceKey, const QStringList& horseNames) {
    points_ = raceKey.empty() ? std::vector<WinOddsPoint>{} : readWinOddsHistory(raceKey);
    // In time order whatever order refreshes wrote them in (a clock set back, an import).
    std::stable_sort(points_.begin(), points_.end(),
                     [](const WinOddsPoint& a, const WinOddsPoint& b) { return a.minuteOfDay < b.minuteOfDay; });
    names_ = horseNames.mid(0, kMaxRunners);
    favourites_.clear();
    if (!points_.empty()) {
        for (int h = 1; h <= runners(); ++h)
            if (points_.back().winOdds[h] > 0) favourites_.push_back(h);
        std::stable_sort(favourites_.begin(), favourites_.end(),
                         [this](int a, int b) { return points_.back().winOdds[a] < points_.back().winOdds[b]; });
        if (favourites_.size() > 3) favourites_.resize(3);
    }
    // At most 130 high when the window is short: the main window's own minimum must not grow for it.
    setMinimumHeight(hasOdds() ? 130 : kEmptyHeight);
    updateGeometry();
    update();
}

bool WinOddsChart::isFavourite(int horse) const {
    return std::find(favourites_.begin(), favourites_.end(), horse) != favourites_.end();
}

WinOddsChart::Scale WinOddsChart::scale() const {
    Scale s;
    const double right = points_.size() > 1 ? kRightForNumbers : 8;
    s.plot = QRectF(kLeft, kTop, width() - kLeft - right, height() - kTop - kBottom);
    if (points_.empty()) return s;
    s.first = points_.front().minuteOfDay;
    s.last = points_.back().minuteOfDay;
    double low = 0, high = 0;
    for (const WinOddsPoint& point : points_)
        for (int h = 1; h <= runners(); ++h) {
            const double odds = point.winOdds[h];
            if (odds <= 0) continue;  // no votes, cancelled or no data
            low = low > 0 ? std::min(low, odds) : odds;
            high = std::max(high, odds);
        }
    if (high > 0) {
        s.low = std::max(1.0, low / 1.15);
        s.high = std::max(s.low * 1.5, high * 1.15);
    }
    return s;
}

std::optional<QPointF> WinOddsChart::pointAt(std::size_t snapshot, int horse) const {
    return pointOn(scale(), snapshot, horse);
}

std::optional<QPointF> WinOddsChart::pointOn(const Scale& s, std::size_t snapshot, int horse) const {
    if (snapshot >= points_.size() || horse < 1 || horse > runners()) return std::nullopt;
    const double odds = points_[snapshot].winOdds[horse];
    if (odds <= 0) return std::nullopt;
    return QPointF(s.x(points_[snapshot].minuteOfDay), s.y(odds));
}

QString WinOddsChart::hoverText(QPointF pos) const {
    const Scale s = scale();
    double nearest = kHoverReach;
    QString text;
    for (std::size_t i = 0; i < points_.size(); ++i)
        for (int h = 1; h <= runners(); ++h) {
            const std::optional<QPointF> at = pointOn(s, i, h);
            if (!at) continue;
            const double distance = std::hypot(at->x() - pos.x(), at->y() - pos.y());
            if (distance > nearest) continue;
            nearest = distance;
            text = QString("%1 %2  %3  %4倍")
                       .arg(h)
                       .arg(names_[h - 1], clockText(points_[i].minuteOfDay), oddsText(points_[i].winOdds[h]));
        }
    return text;
}

void WinOddsChart::mouseMoveEvent(QMouseEvent* event) { showHoverTip(this, event, hoverText(event->position())); }

void WinOddsChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setRenderHint(QPainter::Antialiasing);
    const Scale s = scale();
    p.setPen(look::chartAxisText());
    p.drawText(QRectF(4, 2, width() - 8, kTop - 4), Qt::AlignLeft | Qt::AlignVCenter, "単勝オッズの推移");
    if (!hasOdds()) {
        p.drawText(QRectF(4, kTop, width() - 8, height() - kTop), Qt::AlignLeft | Qt::AlignVCenter,
                   "オッズ履歴なし（速報ｵｯｽﾞの取得ごとに記録）");
        return;
    }
    drawOddsAxis(p, s);
    drawTimeAxis(p, s);
    drawLines(p, s);
    drawEndLabels(p, s);
}

void WinOddsChart::drawTimeAxis(QPainter& p, const Scale& s) const {
    const int step = timeStep(s.last - s.first, s.plot.width());
    const int firstTick = (s.first + step - 1) / step * step;
    std::vector<int> ticks;
    for (int minute = firstTick; minute <= s.last; minute += step) ticks.push_back(minute);
    if (s.first == s.last) ticks = {s.first};  // one snapshot: its own time
    for (int minute : ticks) {
        const double x = s.x(minute);
        p.setPen(look::chartGrid());
        p.drawLine(QPointF(x, s.plot.top()), QPointF(x, s.plot.bottom()));
        p.setPen(look::chartAxisText());
        p.drawText(QRectF(x - 28, s.plot.bottom() + 2, 56, kBottom - 2), Qt::AlignHCenter | Qt::AlignTop,
                   clockText(minute));
    }
}

void WinOddsChart::drawOddsAxis(QPainter& p, const Scale& s) const {
    static constexpr std::array<double, 19> kTicks = {1,  1.5, 2,  3,  5,   7,   10,  15,  20,  30,
                                                      50, 70,  100, 150, 200, 300, 500, 700, 1000};
    const double room = QFontMetricsF(font()).height();
    double lastY = s.plot.bottom() + room;
    for (double odds : kTicks) {
        if (odds < s.low || odds > s.high) continue;
        const double y = s.y(odds);
        if (lastY - y < room) continue;  // too close to the tick below
        lastY = y;
        p.setPen(look::chartGrid());
        p.drawLine(QPointF(s.plot.left(), y), QPointF(s.plot.right(), y));
        p.setPen(look::chartAxisText());
        p.drawText(QRectF(0, y - room / 2, kLeft - 5, room), Qt::AlignRight | Qt::AlignVCenter, QString::number(odds));
    }
    p.setPen(look::chartReferenceLine());
    p.drawLine(s.plot.bottomLeft(), s.plot.bottomRight());
    p.drawLine(s.plot.bottomLeft(), s.plot.topLeft());
}

void WinOddsChart::drawLines(QPainter& p, const Scale& s) const {
    // Outsiders first, thin and lighter; the favourites on top of them.
    std::vector<int> order;
    for (int h = 1; h <= runners(); ++h)
        if (!isFavourite(h)) order.push_back(h);
    order.insert(order.end(), favourites_.rbegin(), favourites_.rend());
    for (int h : order) {
        const bool strong = isFavourite(h);
        QColor colour = look::runnerLine(h);
        if (!strong) colour.setAlpha(150);
        QPainterPath line;
        for (std::size_t i = 0; i < points_.size(); ++i) {
            const std::optional<QPointF> at = pointOn(s, i, h);
            if (!at) continue;
            if (line.elementCount() == 0) line.moveTo(*at);
            else line.lineTo(*at);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(*at, strong ? 2.8 : 2.0, strong ? 2.8 : 2.0);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, strong ? 2.6 : 1.2));
        p.drawPath(line);
    }
}

// Each horse's number where its line ends (with its odds when there is only one snapshot), moved
// apart so that none covers another, with a short leader back to the line.
void WinOddsChart::drawEndLabels(QPainter& p, const Scale& s) const {
    std::vector<int> horses;
    std::vector<QPointF> ends;
    for (int h = 1; h <= runners(); ++h)
        for (std::size_t i = points_.size(); i-- > 0;)
            if (const std::optional<QPointF> at = pointOn(s, i, h)) {
                horses.push_back(h);
                ends.push_back(*at);
                break;
            }
    std::vector<double> wanted;
    for (const QPointF& end : ends) wanted.push_back(end.y());
    const QFontMetricsF metrics(font());
    const std::vector<double> placed =
        spreadLabels(wanted, metrics.height() - 2, s.plot.top() + 4, s.plot.bottom() - 4);
    const bool single = points_.size() == 1;
    const double labelX = single ? s.plot.center().x() + 18 : s.plot.right() + 7;
    for (std::size_t i = 0; i < horses.size(); ++i) {
        const int h = horses[i];
        QColor colour = look::runnerLine(h);
        p.setPen(QPen(colour, 0.8));
        p.drawLine(ends[i], QPointF(labelX - 2, placed[i]));
        QFont f = font();
        f.setBold(isFavourite(h));
        p.setFont(f);
        const QString text = single ? QString("%1  %2").arg(h).arg(oddsText(points_[0].winOdds[h])) : QString::number(h);
        p.drawText(QRectF(labelX, placed[i] - metrics.height() / 2, 80, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
    }
    p.setFont(font());
}

}  // namespace vex::ui
