#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vex::ui::TMainForm window;
    window.show();
    return app.exec();
}
