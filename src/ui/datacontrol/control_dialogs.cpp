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
#include <QPointer>
#include <QVBoxLayout>

#include "control/bridge_control.h"
#include "datalink/result_messages.h"
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

    switch (settings.source) {
        case control::SourceKind::Feed: feedRadio_->setChecked(true); break;
        case control::SourceKind::Bridge: bridgeRadio_->setChecked(true); break;
        case control::SourceKind::Simulated: simulatedRadio_->setChecked(true); break;
    }
    sourceChanged();
    connect(feedRadio_, &QRadioButton::toggled, this, [this] { sourceChanged(); });
    connect(bridgeRadio_, &QRadioButton::toggled, this, [this] { sourceChanged(); });
    connect(browseButton_, &QPushButton::clicked, this, [this] { chooseFeedFolder(); });
    connect(bridgeTestButton_, &QPushButton::clicked, this, [this] { testBridge(); });
    connect(serviceDialogButton_, &QPushButton::clicked, this, [this] { openServiceDialog(); });
}

ServiceSettingsDialog::~ServiceSettingsDialog() {
    if (bridgeRun_.joinable()) bridgeRun_.join();
}

// The bridge's command, the connection test and the service's own dialog, with the answer below.
QLayout* ServiceSettingsDialog::buildBridgeRows(const control::ControlSettings& settings, QWidget* box) {
    auto* rows = new QVBoxLayout;
    rows->setContentsMargins(20, 0, 0, 0);
    bridgeCommandEdit_ = new QLineEdit(QString::fromStdString(settings.bridgeCommand), box);
    bridgeCommandEdit_->setObjectName("BridgeCommandEdit");
    bridgeCommandEdit_->setPlaceholderText("wine /usr/share/vexmora/bridge/vexmora-bridge32.exe");
    rows->addWidget(bridgeCommandEdit_);
    auto* buttons = new QHBoxLayout;
    bridgeTestButton_ = new QPushButton("接続テスト", box);
    bridgeTestButton_->setObjectName("BridgeTestButton");
    serviceDialogButton_ = new QPushButton("サービスの設定画面...", box);
    serviceDialogButton_->setObjectName("BridgeServiceButton");
    buttons->addWidget(bridgeTestButton_);
    buttons->addWidget(serviceDialogButton_);
    buttons->addStretch(1);
    rows->addLayout(buttons);
    bridgeAnswer_ = new QLabel(box);
    bridgeAnswer_->setObjectName("BridgeAnswerLabel");
    bridgeAnswer_->setWordWrap(true);
    rows->addWidget(bridgeAnswer_);
    return rows;
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
    bridgeRadio_ = new QRadioButton("ブリッジ経由", sourceBox);
    bridgeRadio_->setObjectName("BridgeRadio");
    group->addButton(bridgeRadio_);
    sourceCol->addWidget(bridgeRadio_);
    sourceCol->addLayout(buildBridgeRows(settings, sourceBox));
    auto* note = new QLabel("取得元の変更は次のデータ取込から使われます（ブリッジへの切替とブリッジからの切替は次回の起動から）。",
                            sourceBox);
    note->setWordWrap(true);
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
    const bool bridge = bridgeRadio_->isChecked();
    bridgeCommandEdit_->setEnabled(bridge && !bridgeBusy_);
    bridgeTestButton_->setEnabled(bridge && !bridgeBusy_);
    serviceDialogButton_->setEnabled(bridge && !bridgeBusy_);
    const char* why = bridgeBusy_ ? "ブリッジの応答を待っています" : "ブリッジ経由を選ぶと使えます";
    bridgeTestButton_->setToolTip(bridgeTestButton_->isEnabled() ? "" : why);
    serviceDialogButton_->setToolTip(serviceDialogButton_->isEnabled() ? "" : why);
}

void ServiceSettingsDialog::runBridge(std::function<QString(const std::string& command)> work) {
    if (bridgeBusy_) return;
    if (bridgeRun_.joinable()) bridgeRun_.join();  // the last one has ended: its answer was shown
    bridgeBusy_ = true;
    sourceChanged();
    bridgeAnswer_->setText("ブリッジの応答を待っています...");
    const std::string command = bridgeCommandEdit_->text().trimmed().toStdString();
    QPointer<ServiceSettingsDialog> self(this);
    bridgeRun_ = std::thread([self, command, work = std::move(work)] {
        const QString answer = work(command);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [self, answer] { if (self) self->bridgeDone(answer); }, Qt::QueuedConnection);
    });
}

void ServiceSettingsDialog::bridgeDone(const QString& answer) {
    bridgeBusy_ = false;
    bridgeAnswer_->setText(answer);
    sourceChanged();
}

void ServiceSettingsDialog::testBridge() {
    runBridge([](const std::string& command) {
        return fromCp932(control::bridgeConnectionTest(command, control::bridgeDeadlinesFromSettings()));
    });
}

void ServiceSettingsDialog::openServiceDialog() {
    runBridge([](const std::string& command) {
        const int code = control::serviceSettingsThroughBridge(command, control::bridgeDeadlinesFromSettings());
        if (code == 0) return QString("サービスの設定画面を閉じました。");
        return "NVSetUIPropertiesエラー：" + fromCp932(ResultMessage("NVSetUIProperties", code));
    });
}

void ServiceSettingsDialog::chooseFeedFolder() {
    QString dir = Dialogs::chooseFolder(this, "フィードのフォルダ", feedFolderEdit_->text());
    if (!dir.isEmpty()) feedFolderEdit_->setText(dir);
}

control::ControlSettings ServiceSettingsDialog::settings() const {
    control::ControlSettings s;
    s.source = feedRadio_->isChecked()     ? control::SourceKind::Feed
               : bridgeRadio_->isChecked() ? control::SourceKind::Bridge
                                           : control::SourceKind::Simulated;
    s.feedFolder = QFile::encodeName(feedFolderEdit_->text().trimmed()).toStdString();
    s.bridgeCommand = bridgeCommandEdit_->text().trimmed().toStdString();
    s.serviceKey = toCp932(serviceKeyEdit_->text().trimmed());
    return s;
}

void ServiceSettingsDialog::done(int result) {
    if (bridgeBusy_) return;  // a bridge of this dialog still runs: its answer comes first
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
