#include "ui/look/chart_colours.h"

#include <array>

#include "ui/look/look.h"

namespace vex::ui::look {

QColor chartAxisText() { return textColour(); }
QColor chartGrid() { return QColor(0xe3, 0xe6, 0xea); }
QColor chartReferenceLine() { return QColor(0x8a, 0x90, 0x9b); }

QColor runnerLine(int horse) {
    static const std::array<QRgb, 18> hues = {
        0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2, 0x17becf, 0xbcbd22,
        0x393b79, 0xad494a, 0x637939, 0xe6550d, 0x7b4173, 0x3182bd, 0x843c39, 0x31a354, 0x636363};
    return QColor::fromRgb(hues[static_cast<std::size_t>((horse - 1 + 18) % 18)]);
}

QColor winReturnBar() { return QColor(0x2d, 0x6c, 0xb5); }
QColor placeReturnBar() { return QColor(0x3a, 0x9a, 0x6a); }

QColor smallSample(const QColor& colour) {
    QColor c = colour;
    c.setAlpha(70);
    return c;
}

}  // namespace vex::ui::look
