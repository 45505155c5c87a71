// The control's own dialogs and the download window's service commands.
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <atomic>

#include "app/settings.h"
#include "control/control_factory.h"
#include "control/control_settings.h"
#include "ui/datacontrol/control_dialogs.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/main/main_window.h"
#include "support/fake_control.h"
#include "ui/support/ui_support.h"
#include "ui/datacontrol/worker.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::uitest;
using vex::test::FakeControl;
using vex::ui::Dialogs;

namespace {
// Runs `act` on the modal dialog named `name` as soon as it is open.
void whenOpen(const char* name, std::function<void(QDialog*)> act) {
    QTimer::singleShot(0, [name, act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible()) return act(static_cast<QDialog*>(w));
        QFAIL("dialog did not open");
    });
}
}  // namespace

namespace {
// A download that stays in its download phase until it is cancelled.
class EndlessDownload : public test::FakeControl {
public:
    std::atomic<int> cancels{0};
    int NVOpen(const std::string&, const std::string&, int, int& readCount, int& downloadCount,
               std::string& last) override {
        readCount = 1;
        downloadCount = 5;
        last = "20240511000000";
        return 0;
    }
    int NVStatus() override { return 0; }
    int NVCancel() override {
        ++cancels;
        return 0;
    }
};

}  // namespace

class ControlDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void serviceKeyIsEditedOrKept() {
        ui::QtControlUi ui;
        control::ControlSettings settings;
        settings.serviceKey = "OLDKEY";
        whenOpen("ServiceSetForm", [](QDialog* d) {
            QCOMPARE(byName<QLineEdit>(d, "KeyEdit")->text(), QString("OLDKEY"));
            byName<QLineEdit>(d, "KeyEdit")->setText("  NEWKEY12345678901 ");
            d->accept();
        });
        QVERIFY(ui.editSettings(settings, ""));
        QCOMPARE(settings.serviceKey, std::string("NEWKEY12345678901"));
        whenOpen("ServiceSetForm", [](QDialog* d) {
            byName<QLineEdit>(d, "KeyEdit")->setText("X");
            d->reject();
        });
        QVERIFY(!ui.editSettings(settings, ""));
        QCOMPARE(settings.serviceKey, std::string("NEWKEY12345678901"));
    }

    void dataSourceIsChosenWithTheFolderPicker() {
        TempHome home;
        Dialogs::startRecording();
        QDir(QString::fromStdString(home.str())).mkpath("feed");
        const QString feed = home.file("feed");
        ui::QtControlUi ui;
        control::ControlSettings settings;
        whenOpen("ServiceSetForm", [feed](QDialog* d) {
            auto* sim = byName<QRadioButton>(d, "SimRadio");
            auto* feedRadio = byName<QRadioButton>(d, "FeedRadio");
            auto* folder = byName<QLineEdit>(d, "FeedFolderEdit");
            auto* browse = byName<QPushButton>(d, "FeedBrowseButton");
            QVERIFY(sim->isChecked());
            QVERIFY(!folder->isEnabled() && !browse->isEnabled());
            QVERIFY(!byName<QLabel>(d, "OverrideLabel")->isVisible());
            feedRadio->click();
            QVERIFY(folder->isEnabled() && browse->isEnabled());
            Dialogs::seedPaths({feed});
            browse->click();
            QCOMPARE(folder->text(), feed);
            saveShot(d, "service-settings");
            byName<QDialogButtonBox>(d, "ButtonBox")->button(QDialogButtonBox::Ok)->click();
        });
        QVERIFY(ui.editSettings(settings, ""));
        QCOMPARE(settings.source, control::SourceKind::Feed);
        QCOMPARE(QString::fromStdString(settings.feedFolder), feed);
        QVERIFY(Dialogs::shown().isEmpty());

        // The dialog opens on the saved choice.
        whenOpen("ServiceSetForm", [feed](QDialog* d) {
            QVERIFY(byName<QRadioButton>(d, "FeedRadio")->isChecked());
            QCOMPARE(byName<QLineEdit>(d, "FeedFolderEdit")->text(), feed);
            d->reject();
        });
        QVERIFY(!ui.editSettings(settings, ""));
        Dialogs::stopRecording();
    }

    void aMissingFolderOrBadKeyIsRefusedAndTheDialogStaysOpen() {
        TempHome home;
        Dialogs::startRecording();
        ui::QtControlUi ui;
        control::ControlSettings settings;
        bool stayedOpen = false;
        const QString missing = home.file("no-such-feed");
        whenOpen("ServiceSetForm", [&](QDialog* d) {
            byName<QRadioButton>(d, "FeedRadio")->click();
            byName<QLineEdit>(d, "FeedFolderEdit")->setText(missing);
            byName<QDialogButtonBox>(d, "ButtonBox")->button(QDialogButtonBox::Ok)->click();
            QCOMPARE(Dialogs::shown(), QStringList{"フィードのフォルダが見つかりません: " + missing});
            stayedOpen = d->isVisible();
            // The simulated service with a malformed key is refused too.
            byName<QRadioButton>(d, "SimRadio")->click();
            byName<QLineEdit>(d, "KeyEdit")->setText("12345");
            d->accept();
            QCOMPARE(Dialogs::shown().value(1), QString("利用キーは英数字17桁で入力してください。"));
            stayedOpen = stayedOpen && d->isVisible();
            d->reject();
        });
        QVERIFY(!ui.editSettings(settings, ""));
        QVERIFY(stayedOpen);
        QCOMPARE(settings, control::ControlSettings{});
        Dialogs::stopRecording();
    }

    void theDialogSaysWhenTheEnvironmentVariableOverridesIt() {
        ui::QtControlUi ui;
        control::ControlSettings settings;
        QString said;
        whenOpen("ServiceSetForm", [&](QDialog* d) {
            auto* label = byName<QLabel>(d, "OverrideLabel");
            if (label->isVisible()) said = label->text();
            d->reject();
        });
        ui.editSettings(settings, "feed:/data/feed");
        QVERIFY2(said.contains("VEXMORA_SERVICE") && said.contains("feed:/data/feed") && said.contains("優先"),
                 qPrintable(said));
    }

    void accountIsChosenFromTheList() {
        ui::QtControlUi ui;
        std::vector<std::string> accounts{sj("メイン口座"), sj("サブ口座")};
        whenOpen("AccountForm", [](QDialog* d) {
            auto* list = byName<QListWidget>(d, "AccountList");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->currentRow(), 0);
            QCOMPARE(list->item(1)->text(), QString("サブ口座"));
            list->setCurrentRow(1);
            d->accept();
        });
        QCOMPARE(ui.chooseAccount(accounts, 0), 1);
        whenOpen("AccountForm", [](QDialog* d) { d->reject(); });
        QCOMPARE(ui.chooseAccount(accounts, 1), -1);
    }

    void settingsButtonOfTheDownloadWindow() {
        TempHome home;
        Dialogs::startRecording();
        FakeControl control;
        control.setUiResult = -100;
        ui::MainWindow main(&control);
        main.onDownloadClicked();
        auto* win = main.findChild<ui::DownloadWindow*>("GetDataForm");
        QVERIFY(win);
        QTest::mouseClick(byName<QPushButton>(win, "SpeedButton1"), Qt::LeftButton);
        QCOMPARE(control.setUiCalls, 1);
        QCOMPARE(Dialogs::beeps(), 1);
        QVERIFY2(Dialogs::shown().value(0).startsWith("NVSetUIPropertiesエラー："), qPrintable(Dialogs::shown().join('|')));
        QVERIFY(Dialogs::shown().value(0).endsWith("(-100)"));
        win->close();
        Dialogs::stopRecording();
    }

    void simulatedServiceOpensItsSettingsDialogThroughTheWindow() {
        TempHome home;
        qputenv("VEXMORA_SERVICE", "sim");
        ui::QtControlUi ui;
        auto control = createDataControl(&ui);
        QVERIFY(control);
        bool opened = false;
        whenOpen("ServiceSetForm", [&](QDialog* d) {
            opened = true;
            d->reject();
        });
        control->NVSetUIProperties();
        QVERIFY(opened);
        // A key entered once is what the dialog shows the next time.
        whenOpen("ServiceSetForm", [](QDialog* d) {
            byName<QLineEdit>(d, "KeyEdit")->setText("ABCD1234EFGH5678J");
            d->accept();
        });
        QCOMPARE(control->NVSetUIProperties(), 0);
        QString shown;
        whenOpen("ServiceSetForm", [&](QDialog* d) {
            shown = byName<QLineEdit>(d, "KeyEdit")->text();
            d->reject();
        });
        control->NVSetUIProperties();
        QCOMPARE(shown, QString("ABCD1234EFGH5678J"));
        qunsetenv("VEXMORA_SERVICE");
    }

    void cancelAsksFirstWhileADownloadRuns() {
        TempHome home;
        Dialogs::startRecording();
        EndlessDownload control;
        ui::MainWindow main(&control);
        main.onDownloadClicked();
        auto* win = main.findChild<ui::DownloadWindow*>("GetDataForm");
        QTest::mouseClick(byName<QPushButton>(win, "ButtonStart"), Qt::LeftButton);
        QVERIFY(win->running());
        QVERIFY(!byName<QPushButton>(win, "ButtonStart")->isEnabled());
        // The main window stays usable meanwhile, and a second job is refused.
        QVERIFY(main.isEnabled() && !win->isModal());
        QVERIFY(!main.worker()->start("投票", [] {}));
        Dialogs::clearShown();
        Dialogs::seedAnswers({false});
        QTest::mouseClick(byName<QPushButton>(win, "ButtonCancel"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"データ取込を中止します。実行しますか？"});
        uitest::drainWindowMailbox();  // what the job said so far has arrived: no cancel among it
        QVERIFY(win->running());
        QCOMPARE(control.cancels.load(), 0);
        Dialogs::clearShown();
        QTest::mouseClick(byName<QPushButton>(win, "ButtonCancel"), Qt::LeftButton);
        QTRY_VERIFY(!win->running());
        QTRY_COMPARE(Dialogs::shown(), (QStringList{"データ取込を中止します。実行しますか？", "NVCancel:キャンセルされました"}));
        QCOMPARE(control.cancels.load(), 1);
        QCOMPARE(Settings().readString("JvDataGet", "LastTime", "(none)"), std::string("(none)"));
        QVERIFY(byName<QPushButton>(win, "ButtonStart")->isEnabled());
        win->close();
        Dialogs::stopRecording();
    }

    void closingTheMainWindowDuringAJobAsksCancelsAndWaits() {
        TempHome home;
        Dialogs::startRecording();
        EndlessDownload control;
        ui::MainWindow main(&control);
        main.show();
        main.onDownloadClicked();
        auto* win = main.findChild<ui::DownloadWindow*>("GetDataForm");
        QTest::mouseClick(byName<QPushButton>(win, "ButtonStart"), Qt::LeftButton);
        Dialogs::clearShown();
        Dialogs::seedAnswers({false});
        QVERIFY(!main.close());  // "no": the job goes on
        QCOMPARE(Dialogs::shown(), QStringList{"「データ取込」を実行中です。中止して終了しますか？"});
        QVERIFY(main.isVisible() && win->running());
        QVERIFY(!main.close());  // "yes": cancelled, and the window closes once the job has ended
        QTRY_VERIFY(!main.isVisible());
        QVERIFY(!main.worker()->busy());
        QCOMPARE(control.cancels.load(), 1);
        Dialogs::stopRecording();
    }
};

QTEST_MAIN(ControlDialogsTest)
#include "tst_control_dialogs.moc"
