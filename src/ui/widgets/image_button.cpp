#include "ui/widgets/image_button.h"

#include <QPainter>
#include <QPixmap>

namespace vex::ui {

ImageButton::ImageButton(const QString& caption, const QString& glyph, const QColor& tile, const QString& hint,
                           QWidget* parent)
    : QToolButton(parent) {
    setText(caption);
    setIcon(tileIcon(glyph, tile));
    setIconSize(QSize(32, 32));
    setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
    setAutoRaise(true);
    if (!hint.isEmpty()) {
        setToolTip(hint);
        setStatusTip(hint);
    }
}

QIcon ImageButton::tileIcon(const QString& glyph, const QColor& tile, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(tile);
    p.setPen(tile.darker(150));
    p.drawRoundedRect(QRectF(1.5, 1.5, size - 3, size - 3), 5, 5);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(glyph.size() > 1 ? size * 2 / 5 : size * 3 / 5);
    p.setFont(f);
    p.setPen(tile.lightness() > 150 ? Qt::black : Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

}  // namespace vex::ui
