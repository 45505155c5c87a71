#pragma once
// Modal windows: exec() for the user; while Dialogs is recording (tests) the window is opened
// window-modal and control returns at once, so a test can drive it and close it.
#include <QDialog>

#include "ui/shared/dialogs.h"

namespace vex::ui {

inline void showModal(QDialog* dialog) {
    if (Dialogs::recording())
        dialog->open();
    else
        dialog->exec();
}

}  // namespace vex::ui
