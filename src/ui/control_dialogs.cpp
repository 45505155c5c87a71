#include "ui/control_dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace vex::ui {

namespace {
QDialogButtonBox* okCancel(QDialog* d) {
    auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    b->setObjectName("ButtonBox");
    QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return b;
}
}  // namespace

TServiceSetForm::TServiceSetForm(const QString& serviceKey, QWidget* parent) : QDialog(parent) {
    setObjectName("ServiceSetForm");
    setWindowTitle("UmaConn設定");
    auto* col = new QVBoxLayout(this);
    col->addWidget(new QLabel("利用キー（英数字17桁）", this));
    KeyEdit = new QLineEdit(serviceKey, this);
    KeyEdit->setObjectName("KeyEdit");
    KeyEdit->setMaxLength(32);
    KeyEdit->setMinimumWidth(260);
    col->addWidget(KeyEdit);
    col->addWidget(okCancel(this));
}

QString TServiceSetForm::serviceKey() const { return KeyEdit->text().trimmed(); }

TAccountForm::TAccountForm(const QStringList& accounts, int current, QWidget* parent) : QDialog(parent) {
    setObjectName("AccountForm");
    setWindowTitle("楽天口座切替");
    auto* col = new QVBoxLayout(this);
    col->addWidget(new QLabel("使用する口座を選択してください", this));
    AccountList = new QListWidget(this);
    AccountList->setObjectName("AccountList");
    AccountList->addItems(accounts);
    if (current >= 0 && current < accounts.size()) AccountList->setCurrentRow(current);
    col->addWidget(AccountList);
    col->addWidget(okCancel(this));
    connect(AccountList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int TAccountForm::chosen() const { return AccountList->currentRow(); }

bool QtControlUi::editServiceKey(std::string& serviceKey) {
    TServiceSetForm form(fromCp932(serviceKey), parent_);
    if (form.exec() != QDialog::Accepted) return false;
    serviceKey = toCp932(form.serviceKey());
    return true;
}

int QtControlUi::chooseAccount(const std::vector<std::string>& accountNames, int current) {
    QStringList names;
    for (const std::string& n : accountNames) names << fromCp932(n);
    TAccountForm form(names, current, parent_);
    if (form.exec() != QDialog::Accepted) return -1;
    return form.chosen();
}

}  // namespace vex::ui
