#pragma once
// The data-service control's own dialogs: its settings dialog (opened by NVSetUIProperties) and the
// account selection of the account switch. The control is window-free and calls these through
// ControlUi.
#include <QDialog>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "control/control_ui.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace vex::ui {

// Settings dialog: the data source (the simulated service, the replay of a feed folder or the bridge
// to the service's own control) and the service key, which the control keeps in its own settings.
// OK refuses, with the reason, settings that cannot be saved (a feed folder that does not exist, a
// malformed key, no bridge command) and stays open. With the bridge chosen, "接続テスト" and the
// service's own settings dialog each run a bridge of their own off the window thread; the dialog
// does not close while one runs.
class ServiceSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `environmentOverride`: the value of VEXMORA_SERVICE when set, else empty.
    ServiceSettingsDialog(const control::ControlSettings& settings, const QString& environmentOverride,
                          QWidget* parent = nullptr);
    // The settings as edited (the key trimmed).
    control::ControlSettings settings() const;
    void done(int result) override;
    ~ServiceSettingsDialog() override;

private:
    QWidget* buildSourceBox(const control::ControlSettings& settings, const QString& environmentOverride);
    QLayout* buildBridgeRows(const control::ControlSettings& settings, QWidget* box);
    void chooseFeedFolder();
    // The folder is only for the feed, the command and its buttons only for the bridge.
    void sourceChanged();
    void testBridge();
    void openServiceDialog();
    // Runs `work` on a thread of its own and shows its answer below the command.
    void runBridge(std::function<QString(const std::string& command)> work);
    void bridgeDone(const QString& answer);

    QRadioButton* simulatedRadio_ = nullptr;
    QRadioButton* feedRadio_ = nullptr;
    QLineEdit* feedFolderEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLabel* overrideNote_ = nullptr;
    QLineEdit* serviceKeyEdit_ = nullptr;
    QRadioButton* bridgeRadio_ = nullptr;
    QLineEdit* bridgeCommandEdit_ = nullptr;
    QPushButton* bridgeTestButton_ = nullptr;
    QPushButton* serviceDialogButton_ = nullptr;
    QLabel* bridgeAnswer_ = nullptr;
    std::thread bridgeRun_;
    bool bridgeBusy_ = false;
};

// Account selection: one line per account, the current one selected.
class AccountDialog : public QDialog {
    Q_OBJECT
public:
    AccountDialog(const QStringList& accounts, int current, QWidget* parent = nullptr);
    int chosen() const;

private:
    QListWidget* accountList_ = nullptr;
};

class QtControlUi : public control::ControlUi {
public:
    explicit QtControlUi(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    bool editSettings(control::ControlSettings& settings, const std::string& environmentOverride) override;
    int chooseAccount(const std::vector<std::string>& accountNames, int current) override;

private:
    QWidget* parent_;
};

}  // namespace vex::ui
