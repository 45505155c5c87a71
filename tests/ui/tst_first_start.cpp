// How a person meets the program: the first start on an empty folder, the day selected at every
// later start, and Qt's own dialogs in Japanese.
#include <QAbstractProxyModel>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "app/app_folder.h"
#include "app/clock.h"
#include "app/file_read.h"
#include "app/settings.h"
#include "control/control_factory.h"
#include "datalink/bulk_download.h"
#include "store/store_paths.h"
#include "support/test_support.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/shared/japanese_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/support/ui_support.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;
using vex::ui::MainWindow;

namespace {

// A week of the simulated service's days in the store of the current application folder.
void downloadAWeek() {
    createAppFolders();
    std::unique_ptr<DataControl> control = createDataControl(nullptr);
    QVERIFY(control);
    QCOMPARE(control->NVInit("SA503917/SD418260/Vexmora/Version.1.05"), 0);
    test::RecordingReporter reporter;
    BulkDownload download(*control, reporter);
    download.setFromTime(fromEpoch(nowEpoch() - 7 * 86400));
    QCOMPARE(download.run([] {}), DownloadOutcome::Completed);
}

QStringList items(QComboBox* box) {
    QStringList all;
    for (int i = 0; i < box->count(); ++i) all << box->itemText(i);
    return all;
}

}  // namespace

class FirstStartTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("VEXMORA_SERVICE", "sim");
        setClock(DateTime{2026, 6, 10, 20, 0, 0});
    }
    void cleanupTestCase() { setClock(std::nullopt); }
    void init() { Dialogs::startRecording(); }
    void cleanup() { Dialogs::stopRecording(); }

    void anEmptyStoreSaysSoAndItsButtonOpensTheDownloadWindow() {
        TempHome home;
        MainWindow window;
        window.resize(1280, 720);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* hint = byName<QWidget>(&window, "StartHint");
        QVERIFY(hint->isVisible());
        QVERIFY(byName<QLabel>(&window, "StartHintLabel")->text().startsWith("保存されている開催日がありません。"));
        QVERIFY(!byName<QWidget>(&window, "PageControl1")->isVisible());
        // Nothing to fetch results or odds for, and no race to jump to: those commands are off.
        for (const char* name : {"KekkaGetBtn", "SokuhoOddsBtn", "NextRaceBtn"}) {
            QVERIFY2(!byName<QWidget>(&window, name)->isEnabled(), name);
            QVERIFY(byName<QWidget>(&window, name)->toolTip().endsWith("（開催日を読み込むと使えます）"));
        }
        QVERIFY(byName<QWidget>(&window, "JVBtn")->isEnabled());
        saveShot(&window, "first-start");
        auto* button = byName<QPushButton>(&window, "StartHintDownloadBtn");
        QCOMPARE(button->text(), QString("データ取得"));
        QTest::mouseClick(button, Qt::LeftButton);
        auto* download = window.findChild<ui::DownloadWindow*>("GetDataForm");
        QVERIFY(download && download->isVisible());
        download->close();
        QTRY_VERIFY(!window.findChild<ui::DownloadWindow*>("GetDataForm"));
        // Nothing was downloaded: still nothing to show, and the hint still says what to do.
        QCOMPARE(byName<QComboBox>(&window, "DateCombo")->currentIndex(), -1);
        QVERIFY(hint->isVisible() && button->isVisible());
        QVERIFY(Dialogs::shown().isEmpty());
    }

    // Settings that cannot be read are said once at start, and closing never writes defaults over them.
    void unreadableSettingsAreSaidOnceAndNeverReplaced() {
        TempHome home;
        createAppFolders();
        Settings().writeInteger("KaimeSet", "HaibunSet", 3);
        const std::string saved = readFileBytes(Settings().path());
        QVERIFY(setFileFaults("read:Vexmora.ini"));
        {
            MainWindow window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.close();
        }
        setFileFaults("");
        const QStringList shown = Dialogs::shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(QString::fromStdString(Settings().path().string()) + " を読めません"),
                 qPrintable(shown[0]));
        QVERIFY2(shown[0].contains("投票はできません"), qPrintable(shown[0]));
        QCOMPARE(readFileBytes(Settings().path()), saved);
    }

    // Today's races at the first start (a later stored day has no odds yet); the day shown last at
    // every later one, as long as it is still stored.
    void theDayShownLastIsSelectedAgainAtTheNextStart() {
        TempHome home;
        downloadAWeek();
        QString chosen;
        {
            MainWindow window;
            auto* days = byName<QComboBox>(&window, "DateCombo");
            QVERIFY2(days->count() >= 3, qPrintable(items(days).join(',')));
            window.resize(800, 560);  // smaller than the bet page: it scrolls, the window keeps its size
            window.show();
            const int today = days->findText(QString::fromStdString(toUtf8(dayStampOf(now()))));
            QTRY_VERIFY(!window.loadingDay() && days->currentIndex() == std::max(today, 0));
            QTRY_VERIFY(byName<QListWidget>(&window, "DatList")->count() > 0);
            QCOMPARE(window.size(), QSize(800, 560));
            QVERIFY(!byName<QWidget>(&window, "StartHint")->isVisible());
            QVERIFY(byName<QWidget>(&window, "SokuhoOddsBtn")->isEnabled());
            QCOMPARE(byName<QWidget>(&window, "SokuhoOddsBtn")->toolTip(), QString("速報オッズを取得します"));
            days->setCurrentIndex(2);
            window.loadSelectedDay();
            QTRY_VERIFY(!window.loadingDay());
            chosen = days->currentText();
            window.close();
        }
        QCOMPARE(QString::fromStdString(toUtf8(Settings().readString("Disp", "LastDay", ""))), chosen);
        {
            MainWindow window;
            auto* days = byName<QComboBox>(&window, "DateCombo");
            window.show();
            QTRY_COMPARE(days->currentText(), chosen);
            QTRY_VERIFY(!window.loadingDay() && byName<QListWidget>(&window, "DatList")->count() > 0);
            QCOMPARE(QString::fromStdString(toUtf8(window.table().paths.stamp)), chosen);
        }
        // A remembered day that is gone from the store: today's races instead, as at the first start.
        Settings().writeString("Disp", "LastDay", sj("2001年01月01日"));
        MainWindow window;
        auto* days = byName<QComboBox>(&window, "DateCombo");
        window.show();
        QTRY_VERIFY(!window.loadingDay() && byName<QListWidget>(&window, "DatList")->count() > 0);
        const int today = days->findText(QString::fromStdString(toUtf8(dayStampOf(now()))));
        QCOMPARE(days->currentIndex(), std::max(today, 0));
        QVERIFY(Dialogs::shown().isEmpty());
    }

    // The simulated service publishes the next days' cards in advance: after a download the day
    // shown is today's, with its odds, not the newest stored.
    void aDownloadShowsTodayRatherThanALaterDay() {
        TempHome home;
        std::unique_ptr<DataControl> control = createDataControl(nullptr);
        QVERIFY(control);
        MainWindow window(control.get());
        window.show();
        window.onDownloadClicked();
        auto* download = window.findChild<ui::DownloadWindow*>("GetDataForm");
        QVERIFY(download);
        byName<QDateTimeEdit>(download, "DateTimePicker1")->setDateTime(QDateTime(QDate(2026, 6, 7), QTime(0, 0)));
        download->startDownload();
        QTRY_VERIFY_WITH_TIMEOUT(!download->running(), 60000);
        download->close();
        QTRY_VERIFY(!window.findChild<ui::DownloadWindow*>("GetDataForm"));
        QTRY_VERIFY(!window.loadingDay() && byName<QListWidget>(&window, "DatList")->count() > 0);
        auto* days = byName<QComboBox>(&window, "DateCombo");
        QCOMPARE(days->itemText(0), QString("2026年06月12日"));
        QCOMPARE(days->currentText(), QString("2026年06月10日"));
        QCOMPARE(QString::fromStdString(toUtf8(window.table().paths.stamp)), QString("2026年06月10日"));
    }

    void standardButtonsAreJapanese() {
        QVERIFY2(ui::installJapaneseDialogs(*qApp), "qtbase_ja.qm (qt6-translations-l10n) is not installed");
        QVERIFY(ui::installJapaneseDialogs(*qApp));  // a second call changes nothing
        QMessageBox box(QMessageBox::Question, "Vexmora", "?",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
        QVERIFY2(box.button(QMessageBox::Yes)->text().startsWith("はい"), qPrintable(box.button(QMessageBox::Yes)->text()));
        QVERIFY(box.button(QMessageBox::No)->text().startsWith("いいえ"));
        QVERIFY(box.button(QMessageBox::Cancel)->text().startsWith("キャンセル"));
        QVERIFY(box.button(QMessageBox::Ok)->text().startsWith("OK"));
    }

    // The pickers list dates and kinds in Japanese too, whatever the system's language.
    void pickerEntriesAreJapanese() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Data"));
        QFile file(dir.filePath("bets.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 6, 10), QTime(9, 30)), QFileDevice::FileModificationTime));
        file.close();

        QFileSystemModel files;
        QAbstractProxyModel* shown = ui::japaneseFileColumns(&files);
        shown->setSourceModel(&files);
        const QModelIndex root = files.setRootPath(dir.path());
        QTRY_COMPARE(files.rowCount(root), 2);
        auto text = [&](const QString& name, int column) {
            const QModelIndex entry = files.index(dir.filePath(name), column);
            return shown->mapFromSource(entry).data().toString();
        };
        QTRY_COMPARE(text("bets.txt", 3), QString("2026/06/10 09:30"));
        QCOMPARE(text("bets.txt", 2), QString("TXT ファイル"));
        QCOMPARE(text("Data", 2), QString("フォルダ"));
        QCOMPARE(text("bets.txt", 0), QString("bets.txt"));

        QFileDialog dialog;
        ui::makeJapanese(dialog);
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(dialog.proxyModel());
    }
};

QTEST_MAIN(FirstStartTest)
#include "tst_first_start.moc"
