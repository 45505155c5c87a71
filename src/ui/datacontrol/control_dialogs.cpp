#include "ui/datacontrol/control_dialogs.h"

#include <QCoreApplication>
#include <QThread>

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

#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"
#include "ui/datacontrol/worker.h"

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

ServiceSettingsDialog::ServiceSettingsDialog(const control::ControlSettings& settings,
                                             const QString& environmentOverride, QWidget* parent)
    : QDialog(parent) {
    setObjectName("ServiceSetForm");
    setWindowTitle("UmaConn設定");
    auto* col = new QVBoxLayout(this);
    col->addWidget(buildSourceBox(settings, environmentOverride));

    col->addWidget(new QLabel("利用キー（英数字17桁）", this));
    serviceKeyEdit_ = new QLineEdit(fromCp932(settings.serviceKey), this);
    serviceKeyEdit_->setObjectName("KeyEdit");
    serviceKeyEdit_->setMaxLength(32);
    serviceKeyEdit_->setMinimumWidth(260);
    col->addWidget(serviceKeyEdit_);
    col->addWidget(okCancel(this));

    (settings.source == control::SourceKind::Feed ? feedRadio_ : simulatedRadio_)->setChecked(true);
    sourceChanged();
    connect(feedRadio_, &QRadioButton::toggled, this, [this] { sourceChanged(); });
    connect(browseButton_, &QPushButton::clicked, this, [this] { chooseFeedFolder(); });
}

// The data source: simulated service or feed folder, and the note when the environment overrides it.
QWidget* ServiceSettingsDialog::buildSourceBox(const control::ControlSettings& settings,
                                               const QString& environmentOverride) {
    auto* sourceBox = new QGroupBox("データの取得元", this);
    sourceBox->setObjectName("SourceBox");
    auto* sourceCol = new QVBoxLayout(sourceBox);
    simulatedRadio_ = new QRadioButton("模擬サービス", sourceBox);
    simulatedRadio_->setObjectName("SimRadio");
    feedRadio_ = new QRadioButton("フィードの再生（記録したフォルダ）", sourceBox);
    feedRadio_->setObjectName("FeedRadio");
    auto* group = new QButtonGroup(this);
    group->addButton(simulatedRadio_);
    group->addButton(feedRadio_);
    sourceCol->addWidget(simulatedRadio_);
    sourceCol->addWidget(feedRadio_);
    auto* folderRow = new QHBoxLayout;
    folderRow->setContentsMargins(20, 0, 0, 0);
    feedFolderEdit_ = new QLineEdit(QFile::decodeName(QByteArray::fromStdString(settings.feedFolder)), sourceBox);
    feedFolderEdit_->setObjectName("FeedFolderEdit");
    feedFolderEdit_->setMinimumWidth(300);
    browseButton_ = new QPushButton("参照...", sourceBox);
    browseButton_->setObjectName("FeedBrowseButton");
    folderRow->addWidget(feedFolderEdit_, 1);
    folderRow->addWidget(browseButton_);
    sourceCol->addLayout(folderRow);
    auto* note = new QLabel("取得元の変更は次のデータ取込から使われます。", sourceBox);
    note->setObjectName("SourceNoteLabel");
    sourceCol->addWidget(note);
    overrideNote_ = new QLabel(sourceBox);
    overrideNote_->setObjectName("OverrideLabel");
    overrideNote_->setWordWrap(true);
    overrideNote_->setStyleSheet("color: #c00000;");
    if (!environmentOverride.isEmpty())
        overrideNote_->setText("環境変数 VEXMORA_SERVICE（" + environmentOverride +
                               "）が指定されているため、ここで保存した取得元より環境変数が優先されます。");
    overrideNote_->setVisible(!environmentOverride.isEmpty());
    sourceCol->addWidget(overrideNote_);
    return sourceBox;
}

void ServiceSettingsDialog::sourceChanged() {
    feedFolderEdit_->setEnabled(feedRadio_->isChecked());
    browseButton_->setEnabled(feedRadio_->isChecked());
}

void ServiceSettingsDialog::chooseFeedFolder() {
    QString dir = Dialogs::chooseFolder(this, "フィードのフォルダ", feedFolderEdit_->text());
    if (!dir.isEmpty()) feedFolderEdit_->setText(dir);
}

control::ControlSettings ServiceSettingsDialog::settings() const {
    control::ControlSettings s;
    s.source = feedRadio_->isChecked() ? control::SourceKind::Feed : control::SourceKind::Simulated;
    s.feedFolder = QFile::encodeName(feedFolderEdit_->text().trimmed()).toStdString();
    s.serviceKey = toCp932(serviceKeyEdit_->text().trimmed());
    return s;
}

void ServiceSettingsDialog::done(int result) {
    if (result == QDialog::Accepted) {
        std::string problem = control::settingsProblem(settings());
        if (!problem.empty()) {
            Dialogs::information(this, fromCp932(problem));
            return;  // stays open for a correction; nothing is saved
        }
    }
    QDialog::done(result);
}

AccountDialog::AccountDialog(const QStringList& accounts, int current, QWidget* parent) : QDialog(parent) {
    setObjectName("AccountForm");
    setWindowTitle("楽天口座切替");
    auto* col = new QVBoxLayout(this);
    col->addWidget(new QLabel("使用する口座を選択してください", this));
    accountList_ = new QListWidget(this);
    accountList_->setObjectName("AccountList");
    accountList_->addItems(accounts);
    if (current >= 0 && current < accounts.size()) accountList_->setCurrentRow(current);
    col->addWidget(accountList_);
    col->addWidget(okCancel(this));
    connect(accountList_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int AccountDialog::chosen() const { return accountList_->currentRow(); }

bool QtControlUi::editSettings(control::ControlSettings& settings, const std::string& environmentOverride) {
    ServiceSettingsDialog form(settings, QFile::decodeName(QByteArray::fromStdString(environmentOverride)), parent_);
    if (form.exec() != QDialog::Accepted) return false;
    settings = form.settings();
    return true;
}

int QtControlUi::chooseAccount(const std::vector<std::string>& accountNames, int current) {
    // The account switch logs in on the worker: its selection is shown on the window thread.
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        return askFromJob([this, accountNames, current] { return chooseAccount(accountNames, current); }, -1);
    QStringList names;
    for (const std::string& n : accountNames) names << fromCp932(n);
    AccountDialog form(names, current, parent_);
    if (form.exec() != QDialog::Accepted) return -1;
    return form.chosen();
}

}  // namespace vex::ui
