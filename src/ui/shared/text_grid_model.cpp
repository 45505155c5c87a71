#include "ui/shared/text_grid_model.h"

#include "ui/shared/qt_text.h"

namespace vex::ui {

void TextGridModel::setGrid(const TextGrid& grid, int headerRows) {
    beginResetModel();
    cols_ = grid.colCount();
    header_.clear();
    rows_.clear();
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        cells.reserve(cols_);
        for (int c = 0; c < cols_; ++c) cells << fromCp932(grid.cell(c, r));
        if (r < headerRows)
            header_ = cells;
        else
            rows_.push_back(std::move(cells));
    }
    endResetModel();
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}
int TextGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QString TextGridModel::text(int row, int col) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || col < 0 || col >= cols_) return {};
    return rows_[row][col];
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole && index.isValid()) return text(index.row(), index.column());
    return {};
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section < header_.size()) return header_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace vex::ui
