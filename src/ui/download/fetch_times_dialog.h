#pragma once
// The timing window "データﾞ自動取得時刻指定": when the odds timer fetches a race's odds (minutes and
// seconds before its post), how often the results timer fetches, and the automatic-voting interval
// (hidden). OK writes all five settings; they take effect at the next day load.
#include <QDialog>

#include "app/settings.h"

class QSpinBox;

namespace vex::ui {

class FetchTimesDialog : public QDialog {
    Q_OBJECT
public:
    explicit FetchTimesDialog(QWidget* parent = nullptr);
    // Writes the five fields to the settings file (a refused write is shown by the caller).
    void storeSettings();

private:
    QSpinBox* spin(const char* name, const RangedIntSetting& setting, int value);

    QSpinBox* oddsMinutes_ = nullptr;     // SpinEdit3, AutoOzGet
    QSpinBox* oddsSeconds_ = nullptr;     // SpinEdit4, AutoOzGetSec
    QSpinBox* resultMinutes_ = nullptr;   // SpinEdit1, AutoRdataGet
    QSpinBox* voteInterval_ = nullptr;    // SpinEdit5 (hidden), AutoTohyoInterval
    QSpinBox* weightMinutes_ = nullptr;   // SpinEdit2 (hidden), AutoBataijuGet: written only
};

// Opens the window modally (while Dialogs records, window-modal without blocking); freed on close.
void showFetchTimesDialog(QWidget* parent);

}  // namespace vex::ui
