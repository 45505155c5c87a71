#pragma once
// The charts' colours in one place: calm axes and grid, so the data stands out.
#include <QColor>

namespace vex::ui::chartlook {

QColor axisText();
QColor grid();
QColor referenceLine();  // the 100 % line of the returns
// One of 18 hues told apart easily, for the line of horse 1..18.
QColor runner(int horse);
QColor winReturn();
QColor placeReturn();
// A colour as drawn for a small sample: the same hue, much paler.
QColor pale(const QColor& colour);

}  // namespace vex::ui::chartlook
