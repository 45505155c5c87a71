#include "ui/main/day_selector.h"

#include <QStyledItemDelegate>
#include <QStylePainter>

#include "store/store_paths.h"
#include "ui/shared/qt_text.h"
#include "vocabulary/civil_date.h"

namespace vex::ui {

namespace {

const QString kTodayMark = QStringLiteral("  本日");

// Shows the items of the list that drops down as the selector shows its current one.
class DayItemDelegate : public QStyledItemDelegate {
public:
    explicit DayItemDelegate(DaySelector* selector) : QStyledItemDelegate(selector), selector_(selector) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = selector_->shownText(index.row());
        option->font.setBold(option->text.endsWith(kTodayMark));
    }

private:
    const DaySelector* selector_;
};

}  // namespace

QString dayWithWeekday(const QString& stamp, const QString& todayStamp) {
    const auto ymd = dateOfDayStamp(toCp932(stamp));
    const auto day = ymd ? dayNumberOfYmd(*ymd) : std::nullopt;
    if (!day) return stamp;
    static const QString names[7] = {"日", "月", "火", "水", "木", "金", "土"};
    return stamp + "(" + names[weekdayOf(*day)] + ")" + (stamp == todayStamp ? kTodayMark : QString());
}

DaySelector::DaySelector(std::function<QString()> todayStamp, QWidget* parent)
    : QComboBox(parent), todayStamp_(std::move(todayStamp)) {
    setItemDelegate(new DayItemDelegate(this));
    setMinimumWidth(fontMetrics().horizontalAdvance("0000年00月00日(水)" + kTodayMark) + 48);
}

QString DaySelector::shownText(int index) const {
    return index < 0 || index >= count() ? QString() : dayWithWeekday(itemText(index), todayStamp_());
}

void DaySelector::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = shownText(currentIndex());
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace vex::ui
