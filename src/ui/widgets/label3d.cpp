#include "ui/widgets/label3d.h"

#include <QPainter>

namespace vex::ui {

Label3D::Label3D(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QSize Label3D::sizeHint() const {
    QSize s = QLabel::sizeHint();
    return s + QSize(depth_ + 1, depth_ + 1);
}

void Label3D::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = contentsRect().adjusted(0, 0, -depth_, -depth_);
    int flags = static_cast<int>(alignment());
    p.setFont(font());
    p.setPen(palette().color(QPalette::Light));
    p.drawText(r.translated(-1, -1), flags, text());
    p.setPen(palette().color(QPalette::Dark));
    p.drawText(r.translated(depth_, depth_), flags, text());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, flags, text());
}

}  // namespace vex::ui
