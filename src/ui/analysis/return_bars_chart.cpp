#include "ui/analysis/return_bars_chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "ui/look/chart_colours.h"
#include "ui/widgets/hover_tip.h"

namespace vex::ui {

namespace {

constexpr int kRanks = 18;
QString smallSampleLegend() {
    return QString("淡い棒：%1頭未満の少ない標本（率が大きくぶれる）").arg(kSmallSampleRunners);
}

double percentOf(long long paid, long long stake) {
    return stake > 0 ? 100.0 * static_cast<double>(paid) / static_cast<double>(stake) : 0.0;
}

QString percentWithInterval(const char* caption, std::optional<double> value, std::optional<Interval> interval) {
    QString text = QString("%1 %2").arg(caption, value ? QString::number(*value, 'f', 1) + "%" : QString("-"));
    if (interval)
        text += QString("（95%区間 %1～%2%）").arg(interval->low, 0, 'f', 1).arg(interval->high, 0, 'f', 1);
    return text;
}

}  // namespace

QString figuresWithIntervals(const BetRecord& r) {
    auto rate = [](long long part, long long whole) {
        return whole > 0 ? std::optional<double>(percentOf(part, whole)) : std::nullopt;
    };
    QStringList lines;
    lines << QString("頭数 %1").arg(r.runners) + (r.smallSample() ? QString("（%1頭未満：標本が少ない）").arg(kSmallSampleRunners) : QString());
    lines << percentWithInterval("勝率", rate(r.wins, r.runners), r.winRateInterval());
    lines << percentWithInterval("単回収率", rate(r.winPaid, r.winStake), r.winReturnInterval());
    lines << percentWithInterval("複回収率", rate(r.placePaid, r.placeStake), r.placeReturnInterval());
    return lines.join('\n');
}

struct ReturnBarsChart::Layout {
    QRectF plot;
    double top = 150;  // percent at the plot's right edge
    double rowHeight = 0;
    double textHeight = 0;
    double x(double percent) const { return plot.left() + plot.width() * std::min(percent, top) / top; }
};

ReturnBarsChart::ReturnBarsChart(const QString& title, const QString& rankUnit, QWidget* parent)
    : QWidget(parent), title_(title), rankUnit_(rankUnit) {
    setMinimumSize(300, 300);
    setMouseTracking(true);
}

void ReturnBarsChart::setRecords(const std::array<BetRecord, 19>& records) {
    records_ = records;
    update();
}

QString ReturnBarsChart::rowCaption(int rank) const {
    return QString("%1%2 %3頭").arg(rank).arg(rankUnit_).arg(records_[static_cast<std::size_t>(rank)].runners);
}

// The scale reaches the highest return worth reading: the larger samples' bars and intervals
// (a small sample's 1,600 % would flatten every other bar), between 150 % and 300 %; bars beyond
// it are cut and labelled. With small samples alone, their bars set it.
double ReturnBarsChart::topPercent() const {
    double high = 0, highOfSmall = 0;
    for (int rank = 1; rank <= kRanks; ++rank) {
        const BetRecord& r = records_[static_cast<std::size_t>(rank)];
        const double returns = std::max(percentOf(r.winPaid, r.winStake), percentOf(r.placePaid, r.placeStake));
        if (r.smallSample()) {
            highOfSmall = std::max(highOfSmall, returns);
            continue;
        }
        high = std::max(high, returns);
        for (const std::optional<Interval>& i : {r.winReturnInterval(), r.placeReturnInterval()})
            if (i) high = std::max(high, i->high);
    }
    if (high == 0) high = highOfSmall;
    return std::clamp(std::ceil(high / 50) * 50, 150.0, 300.0);
}

ReturnBarsChart::Layout ReturnBarsChart::layout() const {
    Layout l;
    const QFontMetricsF metrics(font());
    l.textHeight = metrics.height();
    double captions = 0;
    for (int rank = 1; rank <= kRanks; ++rank) captions = std::max(captions, metrics.horizontalAdvance(rowCaption(rank)));
    const double above = 3 * l.textHeight + 10;  // title and two legend lines
    l.plot = QRectF(captions + 12, above, width() - captions - 40, height() - above - l.textHeight - 6);
    l.rowHeight = l.plot.height() / kRanks;
    l.top = topPercent();
    return l;
}

QRectF ReturnBarsChart::barRect(int rank, bool win) const {
    if (rank < 1 || rank > kRanks) return {};
    const BetRecord& r = records_[static_cast<std::size_t>(rank)];
    const long long stake = win ? r.winStake : r.placeStake;
    if (stake <= 0) return {};
    const Layout l = layout();
    const double rowTop = l.plot.top() + (rank - 1) * l.rowHeight;
    const double y = rowTop + l.rowHeight * (win ? 0.12 : 0.5);
    const double right = l.x(percentOf(win ? r.winPaid : r.placePaid, stake));
    return QRectF(QPointF(l.plot.left(), y), QPointF(std::max(right, l.plot.left() + 1), y + l.rowHeight * 0.38));
}

QString ReturnBarsChart::hoverText(QPointF pos) const {
    const Layout l = layout();
    if (pos.y() < l.plot.top() || pos.y() >= l.plot.bottom() || pos.x() < 0 || pos.x() > width()) return {};
    const int rank = std::min(kRanks, 1 + static_cast<int>((pos.y() - l.plot.top()) / l.rowHeight));
    return rowCaption(rank) + "\n" + figuresWithIntervals(records_[static_cast<std::size_t>(rank)]);
}

void ReturnBarsChart::mouseMoveEvent(QMouseEvent* event) { showHoverTip(this, event, hoverText(event->position())); }

void ReturnBarsChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setRenderHint(QPainter::Antialiasing);
    const Layout l = layout();
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(look::chartAxisText());
    p.drawText(QRectF(0, 2, width(), l.textHeight), Qt::AlignHCenter | Qt::AlignVCenter, title_);
    p.setFont(font());
    drawLegend(p, l);
    drawAxis(p, l);
    for (int rank = 1; rank <= kRanks; ++rank) drawRow(p, l, rank);
}

void ReturnBarsChart::drawLegend(QPainter& p, const Layout& l) const {
    const QFontMetricsF metrics(font());
    double x = l.plot.left();
    const double y = l.textHeight + 6;
    auto swatch = [&](const QColor& colour, const QString& text) {
        p.fillRect(QRectF(x, y + l.textHeight / 2 - 5, 10, 10), colour);
        p.setPen(look::chartAxisText());
        p.drawText(QPointF(x + 14, y + metrics.ascent()), text);
        x += 14 + metrics.horizontalAdvance(text) + 14;
    };
    swatch(look::winReturnBar(), "単回収率");
    swatch(look::placeReturnBar(), "複回収率");
    p.setPen(QPen(look::chartAxisText(), 1.2));
    const double mid = y + l.textHeight / 2;
    p.drawLine(QPointF(x, mid), QPointF(x + 18, mid));
    p.drawLine(QPointF(x, mid - 4), QPointF(x, mid + 4));
    p.drawLine(QPointF(x + 18, mid - 4), QPointF(x + 18, mid + 4));
    p.drawText(QPointF(x + 24, y + metrics.ascent()), "95%区間");
    p.drawText(QPointF(l.plot.left(), y + l.textHeight + metrics.ascent()), smallSampleLegend());
}

void ReturnBarsChart::drawAxis(QPainter& p, const Layout& l) const {
    const int step = l.top > 200 ? 100 : 50;
    for (int percent = 0; percent <= l.top; percent += step) {
        const double x = l.x(percent);
        p.setPen(percent == 100 ? QPen(look::chartReferenceLine(), 1.2) : QPen(look::chartGrid(), 1));
        p.drawLine(QPointF(x, l.plot.top()), QPointF(x, l.plot.bottom()));
        p.setPen(look::chartAxisText());
        p.drawText(QRectF(x - 30, l.plot.bottom() + 2, 60, l.textHeight), Qt::AlignHCenter | Qt::AlignTop,
                   QString("%1%").arg(percent));
    }
}

void ReturnBarsChart::drawRow(QPainter& p, const Layout& l, int rank) const {
    const BetRecord& r = records_[static_cast<std::size_t>(rank)];
    const double rowTop = l.plot.top() + (rank - 1) * l.rowHeight;
    p.setPen(r.smallSample() ? look::chartReferenceLine() : look::chartAxisText());
    p.drawText(QRectF(0, rowTop, l.plot.left() - 6, l.rowHeight), Qt::AlignRight | Qt::AlignVCenter, rowCaption(rank));
    for (bool win : {true, false}) {
        const QRectF bar = barRect(rank, win);
        if (bar.isEmpty()) continue;
        const QColor solid = win ? look::winReturnBar() : look::placeReturnBar();
        p.fillRect(bar, r.smallSample() ? look::smallSample(solid) : solid);
        const double paid = percentOf(win ? r.winPaid : r.placePaid, win ? r.winStake : r.placeStake);
        if (paid > l.top) {  // cut at the scale's end: say how far it went
            p.setPen(r.smallSample() ? look::chartAxisText() : QColor(Qt::white));
            p.drawText(bar.adjusted(0, -3, -4, 3), Qt::AlignRight | Qt::AlignVCenter, QString::number(paid, 'f', 1) + "%");
        }
        const std::optional<Interval> interval = win ? r.winReturnInterval() : r.placeReturnInterval();
        if (!interval) continue;
        QColor ink = look::chartAxisText();
        if (r.smallSample()) ink = look::smallSample(ink);
        p.setPen(QPen(ink, 1.1));
        const double y = bar.center().y(), low = l.x(interval->low), high = l.x(interval->high);
        p.drawLine(QPointF(low, y), QPointF(high, y));
        p.drawLine(QPointF(low, y - 3), QPointF(low, y + 3));
        if (interval->high <= l.top) p.drawLine(QPointF(high, y - 3), QPointF(high, y + 3));
    }
}

}  // namespace vex::ui
