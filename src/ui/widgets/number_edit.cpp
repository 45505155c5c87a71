#include "ui/widgets/number_edit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cmath>

namespace vex::ui {

NumberEdit::NumberEdit(int intDigits, int decDigits, bool allowSign, QWidget* parent)
    : QLineEdit(parent), intDigits_(intDigits), decDigits_(decDigits), allowSign_(allowSign) {
    QString pattern = QString("^%1\\d{0,%2}").arg(allowSign ? "-?" : "").arg(intDigits);
    if (decDigits > 0) pattern += QString("(\\.\\d{0,%1})?").arg(decDigits);
    pattern += "$";
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, &NumberEdit::textWasChanged);
}

double NumberEdit::valueOf(const QString& text) {
    bool ok = false;
    double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

long long NumberEdit::intValue() const { return static_cast<long long>(std::trunc(value())); }

void NumberEdit::setValue(double v) {
    if (!allowSign_ && v < 0) v = 0;
    double limit = std::pow(10.0, intDigits_) - std::pow(10.0, -decDigits_);
    v = std::clamp(v, -limit, limit);
    setText(QString::number(v, 'f', decDigits_));
}

void NumberEdit::textWasChanged() {
    double v = value();
    if (v == lastValue_) return;
    lastValue_ = v;
    emit valueChanged();
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter works like Tab: on to the next entry cell of the window.
        focusNextChild();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace vex::ui
