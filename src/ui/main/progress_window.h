#pragma once
// The progress window of the day load ("データを読み込んでいます"). It lives for the whole run and
// is shown while a day is read.
#include <QWidget>

#include "dayload/day_load.h"

class QLabel;
class QProgressBar;

namespace vex::ui {

class ProgressWindow : public QWidget, public DayLoadProgress {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void show(const std::string& caption, const std::string& dayStamp, int maximum) override;
    void step() override;
    void reset() override;
    void hide() override;

private:
    QLabel* caption_ = nullptr;
    QLabel* day_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace vex::ui
