#pragma once
// The look of the charts, beside the rest of the look: calm axes and grid so that the data stands
// out, one hue per runner, the return bars' colours and the paler shade of a small sample.
#include <QColor>

namespace vex::ui::look {

QColor chartAxisText();
QColor chartGrid();
QColor chartReferenceLine();  // the 100 % line of the returns, the axes' own lines
// One of 18 hues told apart easily, for the line of horse 1..18.
QColor runnerLine(int horse);
QColor winReturnBar();
QColor placeReturnBar();
// A colour as drawn for a small sample: the same hue, much paler.
QColor smallSample(const QColor& colour);

}  // namespace vex::ui::look
