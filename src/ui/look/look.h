#pragma once
// Folder ui/look: the one place for the look of every window. The palette, the fonts, the spacing,
// the given colours (frames, places, the race card's columns) and the helpers that make every table
// alike (figures right-aligned, yen grouped by thousands, a column that takes the room the others
// leave). applyLook() at start sets style, palette, font and icon for every window; windows take
// their colours and table helpers from here, never their own.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QString>
#include <vector>

class QApplication;
class QTableView;

namespace vex::ui::look {

// Layout margins and spacing, in pixels.
inline constexpr int kMargin = 8;
inline constexpr int kSpacing = 6;

// Style, palette, font and the program's icon for every window of `app`; once, before the first window.
void applyLook(QApplication& app);
// Calm greys around white tables, so the given colours are what stands out.
QPalette palette();
// The program's icon drawn from its SVG at the usual sizes; null only when the SVG cannot be read.
QIcon programIcon();
// The program's font at a pixel size; figureFont() has digits of one width for columns of figures.
QFont font(int pixelSize, bool bold = false);
QFont figureFont(int pixelSize, bool bold = false);

// ---- given colours
QColor frameColour(int frame);      // 1 white, 2 grey, 3 red, 4 blue, 5 yellow, 6 green, 7 orange, 8 magenta
QColor frameTextColour(int frame);  // white on the dark frames, black on the others
QColor placeColour(int place);      // 1 red, 2 and 3 blue, others black
QColor textColour();
QColor warningColour();             // texts that must be read before a vote
QColor tooltipBase();               // the race cards' horse-number columns
QColor gridHeader();                // the title row of the index card and the race card

// ---- tables
inline constexpr Qt::Alignment kFigureAlignment = Qt::AlignRight | Qt::AlignVCenter;
inline constexpr Qt::Alignment kTextAlignment = Qt::AlignLeft | Qt::AlignVCenter;
// True for a figure cell: digits with blanks, a sign, a decimal point, commas, or a trailing %.
bool isFigure(const QString& cell);
// Yen grouped by thousands: 100003600 -> "100,003,600".
QString yen(long long amount);

// Lets `columns` of `view` take the width the other columns leave, shared in proportion to their own
// widths. Each column's width as last set by its owner is its minimum: below that room nothing
// shrinks and the table scrolls. Lives as long as the view.
void stretchColumns(QTableView* view, std::vector<int> columns);

}  // namespace vex::ui::look
