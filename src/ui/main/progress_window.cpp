#include "ui/main/progress_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "ui/shared/qt_text.h"

namespace vex::ui {

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("PrgrsForm");
    setWindowTitle("データを読み込んでいます");
    auto* col = new QVBoxLayout(this);
    caption_ = new QLabel(this);
    caption_->setObjectName("CaptionLabel");
    day_ = new QLabel(this);
    day_->setObjectName("DayLabel");
    bar_ = new QProgressBar(this);
    bar_->setObjectName("ProgressBar1");
    bar_->setMinimumWidth(300);
    col->addWidget(caption_);
    col->addWidget(day_);
    col->addWidget(bar_);
}

void ProgressWindow::show(const std::string& caption, const std::string& dayStamp, int maximum) {
    caption_->setText(fromCp932(caption));
    day_->setText(fromCp932(dayStamp));
    bar_->setRange(0, std::max(1, maximum));
    bar_->setValue(0);
    if (!QApplication::overrideCursor()) QApplication::setOverrideCursor(Qt::WaitCursor);
    QWidget::show();
    raise();
}

void ProgressWindow::step() {
    if (bar_->value() < bar_->maximum()) bar_->setValue(bar_->value() + 1);
}

void ProgressWindow::reset() { bar_->setValue(0); }

void ProgressWindow::hide() {
    QWidget::hide();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

}  // namespace vex::ui
