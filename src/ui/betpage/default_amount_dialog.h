#pragma once
// The default-amount window "投資金設定": the investment per race from which bets are built.
// Created when opened and freed when closed.
#include <QDialog>
#include <functional>

namespace vex::ui {

class NumberEdit;

class DefaultAmountDialog : public QDialog {
    Q_OBJECT
public:
    explicit DefaultAmountDialog(QWidget* parent = nullptr);

    // Stores the amount shown (raised to 100 when lower) as the default; returns what was stored.
    int storeAmount();

private:
    void storeAndClose();
    NumberEdit* amountEdit_ = nullptr;
};

// Opens the window modally (while Dialogs records, window-modal without blocking); `onStored`
// runs after OK has stored the amount.
void showDefaultAmountDialog(QWidget* parent, std::function<void()> onStored);

}  // namespace vex::ui
