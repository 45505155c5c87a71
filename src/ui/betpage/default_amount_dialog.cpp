#include "ui/betpage/default_amount_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settings.h"
#include "betting/bet_page.h"
#include "ui/shared/dialogs.h"
#include "ui/widgets/number_edit.h"

namespace vex::ui {

DefaultAmountDialog::DefaultAmountDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("KaimeSetForm");
    setWindowTitle("投資金設定");
    auto* v = new QVBoxLayout(this);
    auto* text = new QLabel("買い目を作成するための1レースあたりの投資金額を設定します。", this);
    text->setObjectName("KaimeSetText");
    v->addWidget(text);

    auto* box = new QGroupBox("投資金額初期設定", this);
    box->setObjectName("DefaultAmountGroup");
    auto* h = new QHBoxLayout(box);
    amountEdit_ = new NumberEdit(6, 0, false, box);
    amountEdit_->setObjectName("AmountEdit");
    amountEdit_->setFixedWidth(90);
    amountEdit_->setValue(readDefaultAmount(Settings()));
    h->addWidget(amountEdit_);
    h->addWidget(new QLabel("円", box));
    h->addStretch();
    v->addWidget(box);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    auto* cancel = new QPushButton("キャンセル", this);
    cancel->setObjectName("CancelBtn");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    v->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &DefaultAmountDialog::storeAndClose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int DefaultAmountDialog::storeAmount() {
    Settings settings;
    const int amount = storeDefaultAmount(settings, static_cast<int>(amountEdit_->intValue()));
    amountEdit_->setValue(amount);
    return amount;
}

void DefaultAmountDialog::storeAndClose() {
    storeAmount();
    accept();
}

void showDefaultAmountDialog(QWidget* parent, std::function<void()> onStored) {
    auto* dialog = new DefaultAmountDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, dialog, [onStored] {
        if (onStored) onStored();
    });
    if (Dialogs::recording()) {
        dialog->open();
        return;
    }
    dialog->exec();
}

}  // namespace vex::ui
