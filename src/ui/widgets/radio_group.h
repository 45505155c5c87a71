#pragma once
// A titled group of radio items addressed by item index, the way the bet page's choices are
// stored in the settings file (item index, -1 when nothing is chosen or there are no items).
#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace vex::ui {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(const QString& caption, QWidget* parent = nullptr, int columns = 1);

    // Replaces every item; the index becomes -1. Does not emit itemClicked.
    void setItems(const QStringList& items);
    QStringList items() const { return items_; }
    int itemIndex() const;
    // Checks item `index` (-1 or out of range: none). Does not emit itemClicked.
    void setItemIndex(int index);
    int count() const { return static_cast<int>(items_.size()); }

signals:
    // The user (or a test clicking a button) picked another item.
    void itemClicked(int index);

private:
    QButtonGroup group_;
    QStringList items_;
    int columns_;
};

}  // namespace vex::ui
