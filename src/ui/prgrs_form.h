#pragma once
// The progress window of the day load ("データを読み込んでいます"). It lives for the whole run and
// is shown while a day is read.
#include <QWidget>

#include "dayload/day_load.h"

class QLabel;
class QProgressBar;

namespace vex::ui {

class TPrgrsForm : public QWidget, public DayLoadProgress {
    Q_OBJECT
public:
    explicit TPrgrsForm(QWidget* parent = nullptr);

    void show(const std::string& caption, const std::string& dayStamp, int maximum) override;
    void step() override;
    void reset() override;
    void hide() override;

    QLabel* CaptionLabel = nullptr;
    QLabel* DayLabel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};

}  // namespace vex::ui
