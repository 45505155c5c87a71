#include "ui/prgrs_form.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace vex::ui {

TPrgrsForm::TPrgrsForm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("PrgrsForm");
    setWindowTitle("データを読み込んでいます");
    auto* col = new QVBoxLayout(this);
    CaptionLabel = new QLabel(this);
    CaptionLabel->setObjectName("CaptionLabel");
    DayLabel = new QLabel(this);
    DayLabel->setObjectName("DayLabel");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setMinimumWidth(300);
    col->addWidget(CaptionLabel);
    col->addWidget(DayLabel);
    col->addWidget(ProgressBar1);
}

void TPrgrsForm::show(const std::string& caption, const std::string& dayStamp, int maximum) {
    CaptionLabel->setText(fromCp932(caption));
    DayLabel->setText(fromCp932(dayStamp));
    ProgressBar1->setRange(0, std::max(1, maximum));
    ProgressBar1->setValue(0);
    if (!QApplication::overrideCursor()) QApplication::setOverrideCursor(Qt::WaitCursor);
    QWidget::show();
    raise();
}

void TPrgrsForm::step() {
    if (ProgressBar1->value() < ProgressBar1->maximum()) ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void TPrgrsForm::reset() { ProgressBar1->setValue(0); }

void TPrgrsForm::hide() {
    QWidget::hide();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

}  // namespace vex::ui
