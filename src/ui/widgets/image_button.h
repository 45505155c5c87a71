#pragma once
// Toolbar button with a picture above its caption and a hint for the status bar. The pictures are
// drawn here (a coloured tile with a glyph) so the program ships no image files.
#include <QColor>
#include <QToolButton>

namespace vex::ui {

class ImageButton : public QToolButton {
    Q_OBJECT
public:
    // `glyph`: one or two characters drawn on the tile; `hint`: status-bar text (may be empty).
    ImageButton(const QString& caption, const QString& glyph, const QColor& tile, const QString& hint = {},
                 QWidget* parent = nullptr);
    static QIcon tileIcon(const QString& glyph, const QColor& tile, int size = 32);
};

}  // namespace vex::ui
