#include "ui/download/fetch_times_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/settings.h"
#include "ui/shared/dialogs.h"

namespace vex::ui {

FetchTimesDialog::FetchTimesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("OzGetTimeForm");
    setWindowTitle("データﾞ自動取得時刻指定");
    Settings ini;
    oddsMinutes_ = spin("SpinEdit3", settings::kAutoOddsMinutes, read(ini, settings::kAutoOddsMinutes));
    oddsSeconds_ = spin("SpinEdit4", settings::kAutoOddsSeconds, read(ini, settings::kAutoOddsSeconds));
    resultMinutes_ = spin("SpinEdit1", settings::kAutoResultMinutes, read(ini, settings::kAutoResultMinutes));
    voteInterval_ = spin("SpinEdit5", settings::kAutoVoteInterval, read(ini, settings::kAutoVoteInterval));
    // Not read back: the window always offers its own default.
    weightMinutes_ = spin("SpinEdit2", settings::kAutoWeightGet, settings::kAutoWeightGet.def);
    voteInterval_->setVisible(false);
    weightMinutes_->setVisible(false);

    auto* form = new QFormLayout;
    auto* oddsRow = new QHBoxLayout;
    oddsRow->addWidget(oddsMinutes_);
    oddsRow->addWidget(new QLabel("分", this));
    oddsRow->addWidget(oddsSeconds_);
    oddsRow->addWidget(new QLabel("秒前", this));
    form->addRow("オッズ取得（発走）", oddsRow);
    auto* resultRow = new QHBoxLayout;
    resultRow->addWidget(resultMinutes_);
    resultRow->addWidget(new QLabel("分ごと", this));
    form->addRow("結果情報取得", resultRow);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, [this] {
        storeSettings();
        accept();
    });
}

QSpinBox* FetchTimesDialog::spin(const char* name, const RangedIntSetting& setting, int value) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(setting.low, setting.high);
    box->setValue(value);
    return box;
}

void FetchTimesDialog::storeSettings() {
    Settings ini;
    write(ini, settings::kAutoOddsMinutes, oddsMinutes_->value());
    write(ini, settings::kAutoOddsSeconds, oddsSeconds_->value());
    write(ini, settings::kAutoVoteInterval, voteInterval_->value());
    write(ini, settings::kAutoResultMinutes, resultMinutes_->value());
    write(ini, settings::kAutoWeightGet, weightMinutes_->value());
}

void showFetchTimesDialog(QWidget* parent) {
    auto* dialog = new FetchTimesDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (Dialogs::recording()) {
        dialog->open();
        return;
    }
    dialog->exec();
}

}  // namespace vex::ui
