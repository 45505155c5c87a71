#pragma once
// An analysis table as the window shows it: figures right-aligned, the rows of small samples pale,
// and each row's figures with their 95 % intervals as its tooltip.
#include <vector>

#include "stats/analysis.h"
#include "ui/shared/text_grid_model.h"

namespace vex::ui {

class AnalysisTableModel : public TextGridModel {
    Q_OBJECT
public:
    using TextGridModel::TextGridModel;

    // `rowRecords`: the record behind each body row, or none for a table without them.
    void setTable(const TextGrid& grid, std::vector<BetRecord> rowRecords);
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<BetRecord> records_;
};

}  // namespace vex::ui
