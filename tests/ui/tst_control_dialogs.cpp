// The control's own dialogs and the download window's service commands.
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "control/control_factory.h"
#include "ui/control_dialogs.h"
#include "ui/dialogs.h"
#include "ui/get_data_unit.h"
#include "ui/main_window.h"
#include "ui/support/fake_control.h"
#include "ui/support/ui_support.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::uitest;
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

class ControlDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void serviceKeyIsEditedOrKept() {
        ui::QtControlUi ui;
        std::string key = "OLDKEY";
        whenOpen("ServiceSetForm", [](QDialog* d) {
            QCOMPARE(byName<QLineEdit>(d, "KeyEdit")->text(), QString("OLDKEY"));
            byName<QLineEdit>(d, "KeyEdit")->setText("  NEW-KEY-1 ");
            d->accept();
        });
        QVERIFY(ui.editServiceKey(key));
        QCOMPARE(key, std::string("NEW-KEY-1"));
        whenOpen("ServiceSetForm", [](QDialog* d) {
            byName<QLineEdit>(d, "KeyEdit")->setText("X");
            d->reject();
        });
        QVERIFY(!ui.editServiceKey(key));
        QCOMPARE(key, std::string("NEW-KEY-1"));
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
        ui::TMainForm main(&control);
        main.JVBtnClick();
        auto* win = main.findChild<ui::TGetDataForm*>("GetDataForm");
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

    void cancelAsksFirst() {
        TempHome home;
        Dialogs::startRecording();
        FakeControl control;
        ui::TMainForm main(&control);
        main.JVBtnClick();
        auto* win = main.findChild<ui::TGetDataForm*>("GetDataForm");
        Dialogs::seedAnswers({false});
        QTest::mouseClick(byName<QPushButton>(win, "ButtonCancel"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"データ取込を中止します。実行しますか？"});
        QCOMPARE(Dialogs::beeps(), 0);
        Dialogs::clearShown();
        QTest::mouseClick(byName<QPushButton>(win, "ButtonCancel"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), (QStringList{"データ取込を中止します。実行しますか？", "NVCancel:キャンセルされました"}));
        win->close();
        Dialogs::stopRecording();
    }
};

QTEST_MAIN(ControlDialogsTest)
#include "tst_control_dialogs.moc"
