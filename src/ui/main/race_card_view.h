#pragma once
// What the race views draw, built from the race table: the header lines, the cells of the detailed
// race card (lines of coloured text segments, drawn cell by cell by DetailCardDelegate), the
// colouring of the race card grid and the results. Building is separate from drawing so that the
// texts and colours can be checked without painting.
#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStyledItemDelegate>
#include <array>
#include <functional>
#include <vector>

#include "store/race_table.h"

namespace vex::ui {

struct HeaderLines {
    QString dayLine, title, fieldLine, conditionsLine, prizeLine, addedPrizeLine;
    QString trackName, race, zone;
    std::optional<QColor> panelColour;  // nullopt: leave the colour as it is
};
HeaderLines headerLines(const RaceTable& table, int slot);

// One run of text in one colour and font.
struct Segment {
    QString text;
    QColor colour = Qt::black;
    int pointSize = 9;
    bool bold = false;
};
using CardLine = std::vector<Segment>;

struct CardCell {
    QColor background = Qt::white;
    std::vector<CardLine> lines;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    // Past-run cells: what the filters look at.
    bool pastRun = false;
    int trackCode = 0;
    int courseCode = 0;
    int distance = 0;
    QString plainText() const;  // the lines joined with "\n"
};

inline constexpr int kDetailColumns = 9;
inline constexpr int kDetailRowHeight = 67;
using CardRow = std::array<CardCell, kDetailColumns>;

// Rows 1..runners of the detailed card (index 0 = horse 1).
std::vector<CardRow> buildDetailCard(const RaceTable& table, int slot);

// The state of the surface and distance filter buttons.
struct CardFilters {
    int surface = 0;   // 0 all, 1 turf, 2 dirt
    int distance = 0;  // 0 any, 1 same distance, 2 within 400 m
    int raceDistance = 0;  // of the race shown
};
// True when a past-run cell is drawn in grey.
bool pastRunGreyed(const CardCell& cell, const CardFilters& filters);

class DetailCardModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<CardRow> rows);
    void clear() { setRows({}); }
    const CardCell* cell(int row, int col) const;
    int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(rows_.size()); }
    int columnCount(const QModelIndex& = {}) const override { return kDetailColumns; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<CardRow> rows_;
};

class DetailCardDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    DetailCardDelegate(const DetailCardModel* model, std::function<CardFilters()> filters, QObject* parent)
        : QStyledItemDelegate(parent), model_(model), filters_(std::move(filters)) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const DetailCardModel* model_;
    std::function<CardFilters()> filters_;
};

// Race card grid (StringGrid3) colours: background of a cell and the colour of its text.
QColor raceCardBackground(int col, int row, int frame, bool recommended);
QColor raceCardTextColour(int col, int row, const QString& text);
// The name to the left, figures to the right, marks and the title row centred.
Qt::Alignment raceCardAlignment(int col, int row, const QString& text);

class RaceCardDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `rowInfo(row)` gives the frame of the row's runner and whether it is the recommended horse.
    RaceCardDelegate(std::function<std::pair<int, bool>(int row)> rowInfo, QObject* parent)
        : QStyledItemDelegate(parent), rowInfo_(std::move(rowInfo)) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<std::pair<int, bool>(int)> rowInfo_;
};

// Results of one race: per bet kind code 1..9, the entries as (result, popularity, payout) texts;
// an entry with no horse and no label has three empty texts.
using ResultTexts = std::array<std::vector<std::array<QString, 3>>, 10>;
ResultTexts resultTexts(const RaceTable& table, int slot);

}  // namespace vex::ui
