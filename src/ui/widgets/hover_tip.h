#pragma once
// The charts tell what lies under the pointer as it moves: `text` as the tooltip at the pointer,
// no tooltip where `text` is empty.
#include <QMouseEvent>
#include <QToolTip>

namespace vex::ui {

inline void showHoverTip(QWidget* widget, const QMouseEvent* event, const QString& text) {
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, widget);
}

}  // namespace vex::ui
