#include "ui/widgets/grid_view.h"

#include <algorithm>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "ui/shared/qt_text.h"

namespace vex::ui {

void GridModel::setGrid(const TextGrid* grid) {
    beginResetModel();
    grid_ = grid;
    rows_ = rowCount();
    cols_ = columnCount();
    endResetModel();
}

void GridModel::refresh() {
    // A reset would make the view forget its column widths and hidden columns; only the row count
    // and the cells change, so say exactly that.
    if (columnCount() != cols_) return setGrid(grid_);
    const int rows = rowCount();
    if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    if (rows > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows - 1, cols_ - 1));
    if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !grid_) return 0;
    return std::max(grid_->rowCount() - 1, 0);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !grid_ ? 0 : grid_->colCount();
}

QString GridModel::text(int col, int gridRow) const {
    if (!grid_ || col < 0 || col >= grid_->colCount() || gridRow < 0 || gridRow >= grid_->rowCount()) return {};
    const std::string& cell = grid_->cell(col, gridRow);
    // Most cells are digits and blanks: skip the converter for them.
    bool ascii = true;
    for (unsigned char c : cell)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    return ascii ? QString::fromLatin1(cell.data(), static_cast<qsizetype>(cell.size())) : fromCp932(cell);
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    int col = index.column(), row = index.row() + 1;
    switch (role) {
        case Qt::DisplayRole:
            return text(col, row);
        case Qt::BackgroundRole:
            return look ? look(col, row).background : QColor(Qt::white);
        case Qt::ForegroundRole:
            return look ? look(col, row).text : QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return static_cast<int>(look ? look(col, row).align : Qt::AlignCenter);
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return text(section, 0);
    if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignCenter);
    return {};
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    painter->save();
    painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QColor>());
    auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    QRect r = option.rect.adjusted(2, 0, -2, 0);
    if (!(align & Qt::AlignVCenter)) {
        r.setTop(r.top() + 2);
        align |= Qt::AlignTop;
    }
    painter->setFont(option.font);
    painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
    painter->drawText(r, static_cast<int>(align) | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

GridView::GridView(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setWordWrap(false);
    setMouseTracking(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setFixedHeight(20);
    horizontalHeader()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);
    setGridStyle(Qt::SolidLine);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) { emit headerClicked(col); });
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& i) { emit cellClicked(i.column(), i.row() + 1); });
}

void GridView::setColumnWidths(const std::vector<int>& widths) {
    setWidths_ = widths;
    for (int c = 0; c < static_cast<int>(widths.size()); ++c) {
        setColumnHidden(c, widths[c] == 0);
        if (widths[c] > 0) setColumnWidth(c, widths[c]);
    }
}

int GridView::cellWidthFor(const QString& text) const { return fontMetrics().horizontalAdvance(text) + 8; }

void GridView::fitColumnsToText() {
    const TextGrid* grid = model_->grid();
    if (!grid) return;
    const int columns = std::min(grid->colCount(), static_cast<int>(setWidths_.size()));
    for (int c = 0; c < columns; ++c) {
        if (setWidths_[c] <= 0) continue;
        // Cells of one column share a font and mostly digits: the longest text is the widest one.
        int longest = 0;
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->cell(c, r).size() > grid->cell(c, longest).size()) longest = r;
        const int needed = std::max(setWidths_[c], cellWidthFor(model_->text(c, longest)));
        if (columnWidth(c) != needed) setColumnWidth(c, needed);
    }
}

void GridView::setHeaderColour(const QColor& colour) {
    horizontalHeader()->setStyleSheet(
        QString("QHeaderView::section { background-color: %1; color: black; padding: 0px; border: 0px;"
                " border-right: 1px solid #808080; border-bottom: 1px solid #808080; }")
            .arg(colour.name()));
}

QPoint GridView::cellCentre(int col, int gridRow) const {
    if (gridRow == 0) {
        int x = horizontalHeader()->sectionViewportPosition(col) + columnWidth(col) / 2;
        return QPoint(x, horizontalHeader()->height() / 2);
    }
    return visualRect(model_->index(gridRow - 1, col)).center();
}

int GridView::topGridRow() const {
    int r = rowAt(0);
    return r < 0 ? 1 : r + 1;
}

void GridView::scrollToGridRow(int gridRow) {
    if (gridRow < 1 || gridRow - 1 >= model_->rowCount()) return;
    updateGeometries();  // the scroll range may still be the one before the last refresh
    scrollTo(model_->index(gridRow - 1, 0), QAbstractItemView::PositionAtTop);
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    QModelIndex i = indexAt(event->position().toPoint());
    bool hand = i.isValid() && handCursor && handCursor(i.column(), i.row() + 1);
    viewport()->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QTableView::mouseMoveEvent(event);
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseMove) {
        int col = horizontalHeader()->logicalIndexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        bool hand = col >= 0 && handCursor && handCursor(col, 0);
        horizontalHeader()->viewport()->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace vex::ui
