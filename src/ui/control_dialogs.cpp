#include "ui/control_dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialogs.h"
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

TServiceSetForm::TServiceSetForm(const control::ControlSettings& settings, const QString& environmentOverride,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName("ServiceSetForm");
    setWindowTitle("UmaConn設定");
    auto* col = new QVBoxLayout(this);

    auto* sourceBox = new QGroupBox("データの取得元", this);
    sourceBox->setObjectName("SourceBox");
    auto* sourceCol = new QVBoxLayout(sourceBox);
    SimRadio = new QRadioButton("模擬サービス", sourceBox);
    SimRadio->setObjectName("SimRadio");
    FeedRadio = new QRadioButton("フィードの再生（記録したフォルダ）", sourceBox);
    FeedRadio->setObjectName("FeedRadio");
    auto* group = new QButtonGroup(this);
    group->addButton(SimRadio);
    group->addButton(FeedRadio);
    sourceCol->addWidget(SimRadio);
    sourceCol->addWidget(FeedRadio);
    auto* folderRow = new QHBoxLayout;
    folderRow->setContentsMargins(20, 0, 0, 0);
    FeedFolderEdit = new QLineEdit(QFile::decodeName(QByteArray::fromStdString(settings.feedFolder)), sourceBox);
    FeedFolderEdit->setObjectName("FeedFolderEdit");
    FeedFolderEdit->setMinimumWidth(300);
    FeedBrowseButton = new QPushButton("参照...", sourceBox);
    FeedBrowseButton->setObjectName("FeedBrowseButton");
    folderRow->addWidget(FeedFolderEdit, 1);
    folderRow->addWidget(FeedBrowseButton);
    sourceCol->addLayout(folderRow);
    auto* note = new QLabel("取得元の変更は次のデータ取込から使われます。", sourceBox);
    note->setObjectName("SourceNoteLabel");
    sourceCol->addWidget(note);
    OverrideLabel = new QLabel(sourceBox);
    OverrideLabel->setObjectName("OverrideLabel");
    OverrideLabel->setWordWrap(true);
    OverrideLabel->setStyleSheet("color: #c00000;");
    if (!environmentOverride.isEmpty())
        OverrideLabel->setText("環境変数 VEXMORA_SERVICE（" + environmentOverride +
                               "）が指定されているため、ここで保存した取得元より環境変数が優先されます。");
    OverrideLabel->setVisible(!environmentOverride.isEmpty());
    sourceCol->addWidget(OverrideLabel);
    col->addWidget(sourceBox);

    col->addWidget(new QLabel("利用キー（英数字17桁）", this));
    KeyEdit = new QLineEdit(fromCp932(settings.serviceKey), this);
    KeyEdit->setObjectName("KeyEdit");
    KeyEdit->setMaxLength(32);
    KeyEdit->setMinimumWidth(260);
    col->addWidget(KeyEdit);
    col->addWidget(okCancel(this));

    (settings.source == control::SourceKind::Feed ? FeedRadio : SimRadio)->setChecked(true);
    sourceChanged();
    connect(FeedRadio, &QRadioButton::toggled, this, [this] { sourceChanged(); });
    connect(FeedBrowseButton, &QPushButton::clicked, this, [this] { FeedBrowseButtonClick(); });
}

void TServiceSetForm::sourceChanged() {
    FeedFolderEdit->setEnabled(FeedRadio->isChecked());
    FeedBrowseButton->setEnabled(FeedRadio->isChecked());
}

void TServiceSetForm::FeedBrowseButtonClick() {
    QString dir = Dialogs::chooseFolder(this, "フィードのフォルダ", FeedFolderEdit->text());
    if (!dir.isEmpty()) FeedFolderEdit->setText(dir);
}

control::ControlSettings TServiceSetForm::settings() const {
    control::ControlSettings s;
    s.source = FeedRadio->isChecked() ? control::SourceKind::Feed : control::SourceKind::Simulated;
    s.feedFolder = QFile::encodeName(FeedFolderEdit->text().trimmed()).toStdString();
    s.serviceKey = toCp932(KeyEdit->text().trimmed());
    return s;
}

void TServiceSetForm::done(int result) {
    if (result == QDialog::Accepted) {
        std::string problem = control::settingsProblem(settings());
        if (!problem.empty()) {
            Dialogs::information(this, fromCp932(problem));
            return;  // stays open for a correction; nothing is saved
        }
    }
    QDialog::done(result);
}

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

bool QtControlUi::editSettings(control::ControlSettings& settings, const std::string& environmentOverride) {
    TServiceSetForm form(settings, QFile::decodeName(QByteArray::fromStdString(environmentOverride)), parent_);
    if (form.exec() != QDialog::Accepted) return false;
    settings = form.settings();
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
