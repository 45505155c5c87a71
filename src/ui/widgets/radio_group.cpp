#include "ui/widgets/radio_group.h"

#include <QGridLayout>
#include <QRadioButton>

namespace vex::ui {

RadioGroup::RadioGroup(const QString& caption, QWidget* parent, int columns)
    : QGroupBox(caption, parent), columns_(columns) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(1);
    group_.setExclusive(true);
    connect(&group_, &QButtonGroup::idClicked, this, [this](int id) { emit itemClicked(id); });
}

void RadioGroup::setItems(const QStringList& items) {
    for (QAbstractButton* b : group_.buttons()) {
        group_.removeButton(b);
        delete b;
    }
    items_ = items;
    auto* grid = static_cast<QGridLayout*>(layout());
    int rows = (static_cast<int>(items.size()) + columns_ - 1) / columns_;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_.addButton(b, i);
        grid->addWidget(b, i % std::max(rows, 1), i / std::max(rows, 1));
    }
}

int RadioGroup::itemIndex() const { return group_.checkedId(); }

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_.button(index)) {
        b->setChecked(true);
        return;
    }
    // No item: an exclusive group cannot be unchecked directly.
    if (QAbstractButton* checked = group_.checkedButton()) {
        group_.setExclusive(false);
        checked->setChecked(false);
        group_.setExclusive(true);
    }
}

}  // namespace vex::ui
