#pragma once
// The day selector of the toolbar (DateCombo). Its items are the stored days' stamps, exactly as
// the day files are named and as the settings keep them; it shows each with its weekday, and today
// marked, without changing the stamps it holds (currentText() stays the stamp).
#include <QComboBox>
#include <QString>
#include <functional>

namespace vex::ui {

// "2026年06月10日" -> "2026年06月10日(水)", with "  本日" after today's; other texts unchanged.
QString dayWithWeekday(const QString& stamp, const QString& todayStamp);

class DaySelector : public QComboBox {
    Q_OBJECT
public:
    // `todayStamp` gives today's stamp at the time of painting (the clock runs on).
    DaySelector(std::function<QString()> todayStamp, QWidget* parent = nullptr);
    // The text shown for the item at `index`.
    QString shownText(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<QString()> todayStamp_;
};

}  // namespace vex::ui
