#pragma once
// Shows a core TextGrid in a Qt view. Row 0 of the grid is the header row (fixed row of the desktop
// grids): the model presents it as horizontal header data and the rest as rows. Cells are decoded
// from CP932 once per reset, not per paint.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "vocabulary/text_grid.h"

namespace vex::ui {

class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Takes a snapshot of `grid`; `headerRows` leading rows become the header (0 or 1).
    void setGrid(const TextGrid& grid, int headerRows = 1);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a body cell (grid row = row + headerRows).
    QString text(int row, int col) const;

private:
    int cols_ = 0;
    QStringList header_;
    std::vector<QStringList> rows_;
};

}  // namespace vex::ui
