#include "ui/main_window.h"

namespace vex::ui {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowTitle("Vexmora");
    resize(800, 600);
}

}  // namespace vex::ui
