#include "ui/analysis/analysis_table_model.h"

#include <QPalette>

#include "ui/analysis/return_bars_chart.h"
#include "ui/look/chart_colours.h"
#include "ui/look/look.h"

namespace vex::ui {

void AnalysisTableModel::setTable(const TextGrid& grid, std::vector<BetRecord> rowRecords) {
    records_ = std::move(rowRecords);
    setGrid(grid);
}

QVariant AnalysisTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const BetRecord* record = row < records_.size() ? &records_[row] : nullptr;
    switch (role) {
        case Qt::TextAlignmentRole: {
            const QString cell = text(index.row(), index.column());
            return static_cast<int>(look::isFigure(cell) || cell == "-" ? look::kFigureAlignment : look::kTextAlignment);
        }
        case Qt::ForegroundRole:
            if (record && record->smallSample()) return look::chartReferenceLine();
            return {};
        case Qt::ToolTipRole:
            return record ? QVariant(figuresWithIntervals(*record)) : QVariant();
        default:
            return TextGridModel::data(index, role);
    }
}

}  // namespace vex::ui
