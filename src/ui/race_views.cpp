// Day selection and the race views of the main window.
#include <QComboBox>
#include <QListWidget>
#include <QTabWidget>

#include "store/day_list.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace vex::ui {

void TMainForm::MakeDataList() {
    DateCombo->clear();
    for (const std::string& stamp : buildDayList()) DateCombo->addItem(fromCp932(stamp));
    DateCombo->setCurrentIndex(-1);
}

void TMainForm::ClearRaces() {
    DatList->clear();
    listSlots_.clear();
    PageControl1->setVisible(false);
}

void TMainForm::DateComboChange() {}
void TMainForm::DatListClick() {}
void TMainForm::NextRaceBtnClick() {}
void TMainForm::JVBtnClick() {}
void TMainForm::RegisterTrackedHorse(int) {}

}  // namespace vex::ui
