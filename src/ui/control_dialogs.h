#pragma once
// The data-service control's own dialogs: its settings dialog (opened by NVSetUIProperties) and the
// account selection of the account switch. The control is window-free and calls these through
// ControlUi.
#include <QDialog>
#include <string>
#include <vector>

#include "control/control_ui.h"

class QLineEdit;
class QListWidget;

namespace vex::ui {

// Settings dialog: the service key the control keeps in its own settings.
class TServiceSetForm : public QDialog {
    Q_OBJECT
public:
    explicit TServiceSetForm(const QString& serviceKey, QWidget* parent = nullptr);
    QString serviceKey() const;
    QLineEdit* KeyEdit = nullptr;
};

// Account selection: one line per account, the current one selected.
class TAccountForm : public QDialog {
    Q_OBJECT
public:
    TAccountForm(const QStringList& accounts, int current, QWidget* parent = nullptr);
    int chosen() const;
    QListWidget* AccountList = nullptr;
};

class QtControlUi : public control::ControlUi {
public:
    explicit QtControlUi(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    bool editServiceKey(std::string& serviceKey) override;
    int chooseAccount(const std::vector<std::string>& accountNames, int current) override;

private:
    QWidget* parent_;
};

}  // namespace vex::ui
