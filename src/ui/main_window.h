#pragma once
#include <QMainWindow>

namespace vex::ui {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

}  // namespace vex::ui
