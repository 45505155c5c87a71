#pragma once
// Folder ui/widgets: the small widgets the windows are built from (grid view, number box, radio
// group, 3D label, image button).
//
// The desktop grids (index card, bet list, bet-file viewer): a core TextGrid shown through a
// model/view table. The model reads the grid in place and decodes only the cells that are painted,
// so a bet list of 4,896 lines scrolls and re-sorts without building thousands of items. Row 0 of
// the grid is the header; colours and alignment per cell come from a look callback of the owner.
#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "vocabulary/text_grid.h"

namespace vex::ui {

struct CellLook {
    QColor background = Qt::white;
    QColor text = Qt::black;
    Qt::Alignment align = Qt::AlignCenter;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The grid is read in place; call refresh() after every change of it. Null shows nothing.
    void setGrid(const TextGrid* grid);
    void refresh();
    const TextGrid* grid() const { return grid_; }

    // Look of a cell by grid column and grid row (row 0 = header).
    std::function<CellLook(int col, int gridRow)> look;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Cell text by grid column and row (row 0 = header).
    QString text(int col, int gridRow) const;

private:
    const TextGrid* grid_ = nullptr;
    int rows_ = 0, cols_ = 0;  // what the view was last told
};

// Paints a cell's background and its text in the model's colours; text starts two pixels below the
// cell top (as the desktop grids draw) unless the alignment asks for vertical centring.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    GridModel* gridModel() const { return model_; }
    // Widths in pixels per column; 0 hides the column.
    void setColumnWidths(const std::vector<int>& widths);
    // Widens a shown column whose longest cell does not fit its width, and gives a widened one its
    // set width back once it fits again: a figure cut at both ends reads as another figure.
    void fitColumnsToText();
    // The width a text needs in a cell (its advance and the cell's margins).
    int cellWidthFor(const QString& text) const;
    void setHeaderColour(const QColor& colour);
    // Where the hand cursor shows (grid row 0 = header).
    std::function<bool(int col, int gridRow)> handCursor;

    // Viewport position of a data cell / header cell, for tests that click by position.
    QPoint cellCentre(int col, int gridRow) const;
    int topGridRow() const;               // first data row scrolled into view (grid row, 1-based)
    void scrollToGridRow(int gridRow);

signals:
    void headerClicked(int col);
    void cellClicked(int col, int gridRow);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridModel* model_;
    std::vector<int> setWidths_;
};

}  // namespace vex::ui
