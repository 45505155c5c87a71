#include "ui/main/race_card_view.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include "store/record_reader.h"
#include "ui/look/look.h"
#include "ui/shared/qt_text.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::ui {

namespace {

// CP932 text without its trailing blanks (ASCII and full-width), minding character boundaries.
std::string trimRight(std::string_view s) {
    std::size_t keep = 0, i = 0;
    while (i < s.size()) {
        bool lead = isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
        std::size_t len = lead ? 2 : 1;
        bool blank = lead ? (s[i] == '\x81' && s[i + 1] == '\x40') : (s[i] == ' ');
        i += len;
        if (!blank) keep = i;
    }
    return std::string(s.substr(0, keep));
}

QString text(std::string_view cp932) { return fromCp932(trimRight(cp932)); }
QString raw(std::string_view cp932) { return fromCp932(std::string(cp932)); }
int num(std::string_view field) { return fieldNumber(field); }

QColor rankColour(int n) { return look::placeColour(n); }

Segment seg(const QString& t, QColor c = Qt::black, int pt = 9, bool bold = false) { return Segment{t, c, pt, bold}; }
CardLine line(const QString& t, QColor c = Qt::black, int pt = 9, bool bold = false) { return {seg(t, c, pt, bold)}; }

const QColor kTooltipBase() { return look::tooltipBase(); }

}  // namespace

QString CardCell::plainText() const {
    QStringList out;
    for (const CardLine& l : lines) {
        QString s;
        for (const Segment& g : l) s += g.text;
        out << s;
    }
    return out.join('\n');
}

// ---------------------------------------------------------------- header

HeaderLines headerLines(const RaceTable& table, int slot) {
    const RaRecord& ra = table.raw[slot].ra;
    const RaceRecord& rec = table.races[slot];
    auto f = [&](Field fl) { return ra.field(fl); };
    HeaderLines h;
    std::string track(f(Common::Track));
    int trackCode = num(track);

    QString going;
    if (trackCode >= 81 && trackCode <= 84)
        going = "含水率(%):" + QString::asprintf("%3.1f", num(f(RA::Moisture)) / 10.0);
    else
        going = raw(GoingName(f(RA::TurfGoing), 1)) + "　" + raw(GoingName(f(RA::DirtGoing), 2));
    std::string_view post = f(RA::PostTime);
    h.dayLine = raw(f(Common::Year)) + "年" + raw(f(Common::MonthDay).substr(0, 2)) + "月" +
               raw(f(Common::MonthDay).substr(2, 2)) + "日(" + raw(WeekdayName(f(RA::Weekday), 1)) + ")" +
               text(TrackName(track, 0)) + QString::number(num(f(Common::Meeting))) + "回" +
               QString::number(num(f(Common::MeetingDay))) + "日" + QString::asprintf("%02d", raceNumber(ra)) + "R   " +
               raw(post.substr(0, 2)) + "." + raw(post.substr(2, 2)) + "発走  " + raw(WeatherName(f(RA::Weather))) +
               "　" + going;

    int edition = num(f(RA::Edition));
    h.title = (edition != 0 ? "第" + QString::number(edition) + "回 " : QString()) + text(f(RA::RaceName));
    h.fieldLine = QString::asprintf("%2d", registeredRunners(ra)) + "頭[入線:" + QString::number(num(f(RA::Finishers))) +
               "頭] " + QString::asprintf("%4d", num(f(RA::Distance))) + "ﾒｰﾄﾙ " + raw(CourseName(f(RA::Surface)));
    h.conditionsLine = text(WeightRuleName(f(RA::WeightRule))) + " " + text(GradeName(f(RA::Grade), 1)) + " " +
               text(RaceKindName(f(RA::Category), 4)) + " " + text(f(RA::ConditionName)) + " " +
               text(RaceSymbolText(track, f(RA::Symbol)));
    h.prizeLine = "【本 賞 金】";
    for (int k = 1; k <= 5; ++k)
        h.prizeLine += (k > 1 ? "/" : "") + QString::number(k) + "着:" + look::yen(num(f(RA::Prize.at(k, 8))));
    h.addedPrizeLine = "【付加賞金】";
    for (int k = 1; k <= 3; ++k)
        h.addedPrizeLine += (k > 1 ? "/" : "") + QString::number(k) + "着:" + look::yen(num(f(RA::AddedPrize.at(k, 8))));
    h.addedPrizeLine += "　　　　　　　　(単位：百円)";

    h.trackName = text(TrackName(track, 0));
    h.race = raw(DigitsText(f(Common::RaceNumber)));
    h.zone = rec.zonePattern >= 1 && rec.zonePattern <= 5 ? QString(QChar(64 + rec.zonePattern)) : QString();
    int course = num(f(RA::Surface));
    if (course == 11)
        h.panelColour = QColor(0, 128, 0);
    else if (course == 0 || course == 23 || course == 24 || course == 26)
        h.panelColour = QColor(170, 166, 106);
    return h;
}

// ---------------------------------------------------------------- detailed race card

namespace {

// A broken digit field shows as such instead of ending the drawing.
template <typename Fn>
QString guarded(Fn fn) {
    try {
        return fn();
    } catch (const std::exception&) {
        return "???";
    }
}

// Lines 4 to 6 of a past run leave blank what the record holds no value for (a scratched run:
// popularity 00, body weight 000, time difference 9999, ...) rather than show its placeholder.
CardLine pastRunTimeLine(const SeRecord& se, const RaRecord& ra, int interval) {
    int runners = registeredRunners(ra);
    CardLine l4;
    l4.push_back(seg(guarded([&] { return raw(RaceTimeText(se.field(SE::Time))); }) + " ", Qt::black, 8));
    for (int corner = 1; corner <= 4; ++corner) {
        int p = num(se.field(SE::Corner.at(corner, 2)));
        QColor col = Qt::blue;
        if (p == 1)
            col = Qt::red;
        else if (runners > 0 && static_cast<double>(p) / runners > 0.5)
            col = Qt::black;
        l4.push_back(seg(p > 0 ? raw(CircledNumber(p)) : QString("－"), p > 0 ? col : Qt::black, 8));
    }
    std::string_view last3 = se.field(SE::Last3F);
    QString pace = guarded([&] { return raw(Pace600Text(se.field(SE::Time), last3, ra.field(RA::Distance))); });
    QString last = last3 == "999" ? QString("    ") : raw(TenthsText(last3));
    l4.push_back(seg(" " + pace + " " + last + (interval > 0 ? QString::asprintf("%3d", interval) : QString("   ")),
                     Qt::black, 8));
    return l4;
}

void addPastRunResultLines(const SeRecord& se, CardCell& c) {
    const int finish = num(se.field(SE::FinishPosition));
    const int bodyWeight = num(se.field(SE::BodyWeight)), prize = num(se.field(SE::Prize));
    CardLine l5;
    l5.push_back(seg((bodyWeight > 0 && bodyWeight < 999 ? raw(DigitsText(se.field(SE::BodyWeight))) + "kg " : QString()) +
                         (prize > 0 ? look::yen(prize) + " " : QString()),
                     Qt::black, 8));
    l5.push_back(seg(finish > 0 ? QString::asprintf("%2d", finish) : QString("  "), rankColour(finish), 8, true));
    c.lines.push_back(l5);
    std::string_view difference = se.field(SE::TimeDifference);
    c.lines.push_back(line(text(se.field(SE::FirstPlacedName)) + " " + (difference == "9999" ? QString() : text(difference)),
                           Qt::black, 8));
}

CardCell pastRunCell(const RaceTable& table, int slot, int horse, int k) {
    const RawRecords& rr = table.raw[slot];
    const SeRecord& se = rr.pastSe[horse - 1][k - 1];
    const RaRecord& ra = rr.pastRa[horse - 1][k - 1];
    CardCell c;
    if (isEmptyYear(se.field(Common::Year)) || num(se.field(Common::RaceNumber)) < 1) return c;
    c.pastRun = true;
    std::string track(se.field(Common::Track));
    c.trackCode = num(track);
    c.courseCode = num(ra.field(RA::Surface));
    c.distance = num(ra.field(RA::Distance));
    if (track == std::string(table.raw[slot].ra.field(Common::Track))) c.background = QColor(232, 255, 255);

    std::string_view md = se.field(Common::MonthDay);
    QString classText = guarded([&] { return raw(RaceClassText(ra.field(RA::YoungestAge), ra.field(RA::Grade), "")); });
    c.lines.push_back(line(raw(DigitsText(se.field(Common::RaceNumber))) + raw(TrackName(track, 2)) +
                               QString::number(num(md.substr(0, 2))) + "." + QString::number(num(md.substr(2, 2))) +
                               " " + classText + text(ra.field(RA::ShortName)),
                           Qt::black, 8));

    QString going;
    if (c.courseCode <= 22)
        going = raw(GoingName(ra.field(RA::TurfGoing), 0));
    else if (c.courseCode <= 29)
        going = raw(GoingName(ra.field(RA::DirtGoing), 0));
    c.lines.push_back(line(raw(DigitsText(ra.field(RA::Registered))) + "ﾄ" + raw(DigitsText(ra.field(RA::Distance))) +
                               raw(CourseShortName(ra.field(RA::Surface))) + raw(WeatherName(ra.field(RA::Weather))) +
                               going,
                           Qt::black, 8));

    const int popularity = num(se.field(SE::WinPopularity));
    c.lines.push_back(line(text(se.field(SE::Jockey)) + " " + text(TenthsText(se.field(SE::WeightCarried))) +
                               raw(CircledNumberText(se.field(SE::Frame))) +
                               (popularity > 0 ? QString::number(popularity) + "人" : QString()) + " " +
                               raw(table.races[slot].runningStyle[horse][k]),
                           Qt::black, 9));
    c.lines.push_back(pastRunTimeLine(se, ra, table.races[slot].intervalDays[horse][k]));
    addPastRunResultLines(se, c);
    return c;
}

}  // namespace

std::vector<CardRow> buildDetailCard(const RaceTable& table, int slot) {
    const RaceRecord& rec = table.races[slot];
    const RawRecords& rr = table.raw[slot];
    int runners = registeredRunners(rr.ra);
    std::vector<CardRow> rows;
    for (int h = 1; h <= runners; ++h) {
        const SeRecord& se = rr.se[h - 1];
        CardRow row;
        int frame = num(se.field(SE::Frame));
        if (frame < 1) frame = FrameOfHorse(runners, h);
        row[0].background = look::frameColour(frame);
        row[0].align = Qt::AlignCenter;
        row[0].lines.push_back(line(QString::number(frame), look::frameTextColour(frame), 12, true));
        row[1].background = rec.trackedHorse[h] ? QColor(Qt::red) : kTooltipBase();
        row[1].align = look::kFigureAlignment;
        row[1].lines.push_back(line(QString::number(h), Qt::black, 12, true));

        // Name cell: five lines.
        CardCell& name = row[2];
        int interval = rec.intervalDays[h][1];
        name.lines.push_back(line(raw(SexName(se.field(SE::Sex))) + QString::number(num(se.field(SE::Age))) + " " +
                                      raw(CoatColourName(se.field(SE::Coat))) + " 間隔:" +
                                      (interval ? QString::asprintf("%3d", interval) : QString("   ")) + "日",
                                  Qt::black, 8));
        name.lines.push_back({seg(raw(HorseMarkText(se.field(SE::HorseSymbol))), Qt::black, 9),
                              seg(text(se.field(SE::HorseName)), Qt::black, 11, true)});
        name.lines.push_back({});
        name.lines.push_back(line(text(se.field(SE::Jockey)) + " " + text(TenthsText(se.field(SE::WeightCarried))) +
                                      "kg " + text(se.field(SE::Trainer)),
                                  Qt::black, 8));
        int prize = num(se.field(SE::Prize)), added = num(se.field(SE::AddedPrize));
        if (prize + added >= 1)
            name.lines.push_back(line(QString::asprintf("本賞金:%7d千円  総賞金:%7d千円", prize / 10, (prize + added) / 10),
                                      Qt::black, 7));

        CardCell& record = row[3];
        record.align = Qt::AlignRight | Qt::AlignTop;        const auto& fc = rec.finishCounts[h];
        record.lines.push_back(line(QString::asprintf("%2d-%2d-%2d-%2d", fc[0], fc[1], fc[2], fc[3]), Qt::black, 9));
        record.lines.push_back(line(QString::asprintf("勝率　：%5.1f", rec.winRate[h]) + "％", Qt::black, 8));
        record.lines.push_back(line(QString::asprintf("連対率：%5.1f", rec.topTwoRate[h]) + "％", Qt::black, 8));
        record.lines.push_back(line(QString::asprintf("複勝率：%5.1f", rec.topThreeRate[h]) + "％", Qt::black, 8));

        CardCell& oz = row[4];
        oz.align = Qt::AlignRight | Qt::AlignTop;        int pop = rec.winPopularity[h];
        oz.lines.push_back(line(pop < 1 ? QString("－") : QString::asprintf("%5.1f/ %2d位", rec.winOdds[h], pop),
                                rankColour(pop), 10));
        int value = rec.compiValue[h], rank = rec.compiRank[h];
        QString compi;
        if (value >= 40)
            compi = QString::asprintf("%5d/ %2d位", value, rank);
        else if (value == 11)
            compi = "　 消" + QString::asprintf("/ %2d位", rank);
        else if (value == 12)
            compi = "　 除" + QString::asprintf("/ %2d位", rank);
        else if (value == 13)
            compi = "　 止" + QString::asprintf("/ %2d位", rank);
        else if (value >= 10)
            compi = "　";
        else
            compi = "－";
        oz.lines.push_back(line(compi, rankColour(value >= 40 || (value >= 11 && value <= 13) ? rank : 0), 10));
        int fin = rec.finalPosition[h];
        oz.lines.push_back(line(fin >= 1 ? QString::asprintf("%2d着", fin) : QString("－"), rankColour(fin), 10));

        for (int k = 1; k <= 3; ++k) row[5 + k] = pastRunCell(table, slot, h, k);
        rows.push_back(std::move(row));
    }
    return rows;
}

bool pastRunGreyed(const CardCell& c, const CardFilters& f) {
    if (!c.pastRun) return false;
    if (c.trackCode >= 1 && c.trackCode <= 10) return true;
    if (f.surface == 1 && (c.courseCode < 10 || c.courseCode > 22)) return true;
    if (f.surface == 2 && (c.courseCode < 23 || c.courseCode > 29)) return true;
    if (f.distance == 1 && c.distance != f.raceDistance) return true;
    if (f.distance == 2 && std::abs(c.distance - f.raceDistance) > 400) return true;
    return false;
}

void DetailCardModel::setRows(std::vector<CardRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

const CardCell* DetailCardModel::cell(int row, int col) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= kDetailColumns) return nullptr;
    return &rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

QVariant DetailCardModel::data(const QModelIndex& index, int role) const {
    const CardCell* c = cell(index.row(), index.column());
    if (!c) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return c->plainText();
    if (role == Qt::BackgroundRole) return c->background;
    return {};
}

QVariant DetailCardModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char* titles[kDetailColumns] = {"枠", "馬", "馬名", "実績", "ｺﾝﾋﾟ/OZ", "", "前走", "前走2", "前走3"};
    return section >= 0 && section < kDetailColumns ? QString(titles[section]) : QVariant();
}

void DetailCardDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const CardCell* c = model_->cell(index.row(), index.column());
    if (!c) return;
    p->save();
    p->fillRect(option.rect, c->background);
    bool grey = c->pastRun && pastRunGreyed(*c, filters_());
    QRect area = option.rect.adjusted(3, 1, -2, -1);
    // Line heights from their largest font; a cell holds up to six lines in 67 pixels.
    std::vector<int> heights;
    int total = 0;
    for (const CardLine& l : c->lines) {
        int h = 0;
        for (const Segment& s : l) {
            QFont f = option.font;
            f.setPointSize(s.pointSize);
            QFontMetrics fm(f);
            h = std::max(h, fm.ascent() + fm.descent());
        }
        if (l.empty()) h = QFontMetrics(option.font).height() / 3;
        heights.push_back(h);
        total += h;
    }
    // Six lines must fit the fixed row height: squeeze the line spacing rather than cut a line.
    if (total > area.height() && total > 0) {
        int sum = 0;
        for (int& h : heights) sum += (h = h * area.height() / total);
        total = sum;
    }
    int y = c->align & Qt::AlignVCenter ? area.top() + std::max(0, (area.height() - total) / 2) : area.top();
    for (std::size_t i = 0; i < c->lines.size(); ++i) {
        const CardLine& l = c->lines[i];
        int width = 0;
        for (const Segment& s : l) {
            QFont f = option.font;
            f.setPointSize(s.pointSize);
            f.setBold(s.bold);
            width += QFontMetrics(f).horizontalAdvance(s.text);
        }
        int x = area.left();
        if (c->align & Qt::AlignHCenter) x += std::max(0, (area.width() - width) / 2);
        else if (c->align & Qt::AlignRight) x += std::max(0, area.width() - width);
        for (const Segment& s : l) {
            QFont f = option.font;
            f.setPointSize(s.pointSize);
            f.setBold(s.bold);
            p->setFont(f);
            QFontMetrics fm(f);
            p->setPen(grey ? QColor(128, 128, 128) : s.colour);
            p->drawText(QPoint(x, y + (heights[i] + fm.ascent() - fm.descent()) / 2), s.text);
            x += fm.horizontalAdvance(s.text);
        }
        y += heights[i];
    }
    p->restore();
}

// ---------------------------------------------------------------- race card grid colours

QColor raceCardBackground(int col, int row, int frame, bool recommended) {
    if (row == 0) return QColor(192, 192, 192);
    switch (col) {
        case 0: return look::frameColour(frame);
        case 1:
        case 4: return kTooltipBase();
        case 7:
        case 8: return recommended ? QColor(255, 128, 255) : QColor(172, 255, 172);
        case 9:
        case 10:
        case 11:
        case 12: return QColor(255, 255, 128);
        case 13:
        case 14: return QColor(255, 181, 255);
        case 15:
        case 16: return QColor(202, 202, 255);
        case 27: return Qt::yellow;
        case 28:
        case 29:
        case 30: return QColor(162, 255, 255);
        default: return Qt::white;
    }
}

QColor raceCardTextColour(int col, int row, const QString& t) {
    if (row == 0) return Qt::black;
    if (col == 0 && (t.trimmed() == "2" || t.trimmed() == "4")) return Qt::white;
    static const int boldColumns[] = {8, 10, 12, 14, 28, 29};
    for (int b : boldColumns)
        if (b == col) return rankColour(t.trimmed().toInt());
    return Qt::black;
}

Qt::Alignment raceCardAlignment(int col, int row, const QString& text) {
    if (row == 0) return Qt::AlignCenter;
    if (col == 2) return look::kTextAlignment;
    return look::isFigure(text) ? look::kFigureAlignment : Qt::AlignCenter;
}

void RaceCardDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // The model's header row is the grid's title row 0; body rows start at 1.
    int row = index.row() + 1, col = index.column();
    auto [frame, recommended] = rowInfo_(row);
    QString t = index.data(Qt::DisplayRole).toString();
    p->save();
    p->fillRect(option.rect, raceCardBackground(col, row, frame, recommended));
    QFont f = option.font;
    static const int boldColumns[] = {8, 10, 12, 14, 28, 29};
    for (int b : boldColumns)
        if (b == col) f.setBold(true);
    p->setFont(f);
    p->setPen(raceCardTextColour(col, row, t));
    p->drawText(option.rect.adjusted(2, 0, -2, 0), raceCardAlignment(col, row, t), t);
    p->restore();
}

// ---------------------------------------------------------------- results

ResultTexts resultTexts(const RaceTable& table, int slot) {
    ResultTexts out;
    const ResultsView& view = table.results[slot];
    const int counts[10] = {0, 3, 5, 3, 3, 3, 6, 7, 3, 6};
    for (int kind = 1; kind <= 9; ++kind) {
        for (int e = 0; e < counts[kind]; ++e) {
            int horse = 0, pop = 0, pay = 0;
            std::string label;
            if (kind == 4) {
                if (e < 3) {
                    label = table.bracketExactaLabels[slot][e];
                    pop = table.bracketExactaPopularity[slot][e];
                    pay = table.bracketExactaPayout[slot][e];
                }
            } else if (e < static_cast<int>(view.byKind[kind].size())) {
                const ResultEntry& r = view.byKind[kind][e];
                horse = r.horse;
                label = r.label;
                pop = r.popularity;
                pay = r.payout;
            }
            std::array<QString, 3> row;
            if (horse > 0 || !trimRight(label).empty()) {
                row[0] = horse > 0 ? QString::asprintf("%2d", horse) : fromCp932(label);
                row[1] = QString::asprintf("%2d", pop);
                row[2] = QString::asprintf("%8d", pay);
            }
            out[kind].push_back(row);
        }
    }
    return out;
}

}  // namespace vex::ui
