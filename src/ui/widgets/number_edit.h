#pragma once
// Numeric entry box: fixed numbers of integer and decimal digits, an optional minus sign, Enter
// moves on to the next entry cell, and valueChanged fires only when the value really changes (typing
// "1." after "1" or reformatting the same value says nothing), so handlers that regenerate a bet
// list are not run for keystrokes that change nothing.
#include <QLineEdit>

namespace vex::ui {

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(int intDigits, int decDigits = 0, bool allowSign = false, QWidget* parent = nullptr);

    int intDigits() const { return intDigits_; }
    int decDigits() const { return decDigits_; }
    bool allowSign() const { return allowSign_; }

    // Blank or unreadable text counts as 0.
    double value() const { return valueOf(text()); }
    long long intValue() const;
    // Shows the value with exactly decDigits decimals (clipped to the digit limits).
    void setValue(double v);
    static double valueOf(const QString& text);

signals:
    // The value differs from the one last seen (typed, pasted or set).
    void valueChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void textWasChanged();
    int intDigits_, decDigits_;
    bool allowSign_;
    double lastValue_ = 0;
};

}  // namespace vex::ui
