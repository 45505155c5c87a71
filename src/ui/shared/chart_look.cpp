#include "ui/shared/chart_look.h"

#include <array>

namespace vex::ui::chartlook {

QColor axisText() { return QColor(0x44, 0x4b, 0x55); }
QColor grid() { return QColor(0xe3, 0xe6, 0xea); }
QColor referenceLine() { return QColor(0x80, 0x86, 0x8e); }

QColor runner(int horse) {
    static const std::array<QRgb, 18> hues = {
        0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2, 0x17becf, 0xbcbd22,
        0x393b79, 0xad494a, 0x637939, 0xe6550d, 0x7b4173, 0x3182bd, 0x843c39, 0x31a354, 0x636363};
    return QColor::fromRgb(hues[static_cast<std::size_t>((horse - 1 + 18) % 18)]);
}

QColor winReturn() { return QColor(0x2b, 0x6c, 0xb0); }
QColor placeReturn() { return QColor(0x3a, 0x9a, 0x6a); }

QColor pale(const QColor& colour) {
    QColor c = colour;
    c.setAlpha(70);
    return c;
}

}  // namespace vex::ui::chartlook
