// A day of the simulated service end to end: download, day load, race selection on every tab.
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "app/clock.h"
#include "control/control_factory.h"
#include "store/race_table.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/main/main_window.h"
#include "ui/support/ui_support.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;

class SimDayTest : public QObject {
    Q_OBJECT
private slots:
    void downloadLoadAndShowEveryTab() {
        TempHome home;
        home.touch("OnlyTheDeveloperAvailableFunction.key");
        qputenv("VEXMORA_SERVICE", "sim");
        setClock(DateTime{2024, 5, 15, 20, 0, 0});
        Dialogs::startRecording();
        auto control = createDataControl(nullptr);
        QVERIFY(control);
        ui::MainWindow window(control.get());
        window.resize(1180, 760);
        window.show();

        window.onDownloadClicked();
        auto* win = window.findChild<ui::DownloadWindow*>("GetDataForm");
        QVERIFY(win);
        byName<QDateTimeEdit>(win, "DateTimePicker1")->setDateTime(QDateTime(QDate(2024, 5, 13), QTime(0, 0)));
        QTest::mouseClick(byName<QPushButton>(win, "ButtonStart"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!win->running(), 120000);
        saveShot(win, "download");
        win->close();

        auto* days = byName<QComboBox>(&window, "DateCombo");
        QVERIFY2(days->count() > 0, qPrintable(Dialogs::shown().join('|')));
        // A folder where each day's statistics file goes: the write fails, the day still loads. (The
        // day shown at the download's end has written its file already.)
        for (int d = 0; d < days->count(); ++d) {
            const QString stamp = days->itemText(d);
            const QString file = "TOKEI/em" + stamp.mid(0, 4) + stamp.mid(5, 2) + stamp.mid(8, 2) + ".dat";
            QDir(home.path()).remove(file);
            QVERIFY(QDir(home.path()).mkpath(file));
        }
        Dialogs::clearShown();
        // The newest day with results: the first one whose races show a payout.
        bool shown = false;
        for (int d = 0; d < days->count() && !shown; ++d) {
            days->setCurrentIndex(d);
            window.loadSelectedDay();
            QTRY_VERIFY_WITH_TIMEOUT(!window.loadingDay(), 30000);
            auto* list = byName<QListWidget>(&window, "DatList");
            if (list->count() == 0) continue;
            list->setCurrentRow(std::min(4, list->count() - 1));
            window.showSelectedRace();
            shown = !byName<QLabel>(&window, "KekkaLabel1_1")->text().isEmpty();
        }
        QVERIFY(shown);
        QTRY_VERIFY(!Dialogs::shown().filter("統計ファイルを書き込めませんでした。").isEmpty());
        QVERIFY2(Dialogs::shown().filter("統計ファイルを書き込めませんでした。").first().contains("TOKEI/em"),
                 qPrintable(Dialogs::shown().join('|')));
        QVERIFY(!byName<QLabel>(&window, "Label1")->text().isEmpty());
        QVERIFY(byName<QTableView>(&window, "StringGrid2")->model()->rowCount() > 0);
        auto* pages = byName<QTabWidget>(&window, "PageControl1");
        const char* tabs[] = {"TabSheet1", "TabSheet5", "TabSheet2", "TabSheet3", "TabSheet4"};
        for (const char* tab : tabs) {
            pages->setCurrentWidget(byName<QWidget>(&window, tab));
            QApplication::processEvents();
            saveShot(&window, QString("main-") + tab);
        }
        Dialogs::stopRecording();
        setClock(std::nullopt);
        qunsetenv("VEXMORA_SERVICE");
    }
};

QTEST_MAIN(SimDayTest)
#include "tst_sim_day.moc"
