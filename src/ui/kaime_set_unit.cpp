#include "ui/kaime_set_unit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settings.h"
#include "betting/bet_page.h"
#include "ui/dialogs.h"
#include "ui/widgets/number_edit.h"

namespace vex::ui {

TKaimeSetForm::TKaimeSetForm(QWidget* parent) : QDialog(parent) {
    setObjectName("KaimeSetForm");
    setWindowTitle("投資金設定");
    auto* v = new QVBoxLayout(this);
    auto* text = new QLabel("買い目を作成するための1レースあたりの投資金額を設定します。", this);
    text->setObjectName("KaimeSetText");
    v->addWidget(text);

    auto* box = new QGroupBox("投資金額初期設定", this);
    box->setObjectName("DefaultAmountGroup");
    auto* h = new QHBoxLayout(box);
    AmountEdit = new NumberEdit(6, 0, false, box);
    AmountEdit->setObjectName("AmountEdit");
    AmountEdit->setFixedWidth(90);
    AmountEdit->setValue(readDefaultAmount(TIniGT()));
    h->addWidget(AmountEdit);
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
    connect(ok, &QPushButton::clicked, this, &TKaimeSetForm::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TKaimeSetForm::storeAmount() {
    TIniGT settings;
    const int amount = storeDefaultAmount(settings, static_cast<int>(AmountEdit->intValue()));
    AmountEdit->setValue(amount);
    return amount;
}

void TKaimeSetForm::OKBtnClick() {
    storeAmount();
    accept();
}

void showKaimeSetForm(QWidget* parent, std::function<void()> onStored) {
    auto* form = new TKaimeSetForm(parent);
    form->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(form, &QDialog::accepted, form, [onStored] {
        if (onStored) onStored();
    });
    if (Dialogs::recording()) {
        form->open();
        return;
    }
    form->exec();
}

}  // namespace vex::ui
