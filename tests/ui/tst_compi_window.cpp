// The Compi window: opening from the main window, following its race selection, the manual grid
// with its checks and immediate saving, the page import from the clipboard, the reload on closing,
// and the companion folder picker.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "app/app_folder.h"
#include "app/clock.h"
#include "app/file_read.h"
#include "app/settings.h"
#include "vocabulary/cp932.h"
#include "ui/compi/compi_window.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/main/main_window.h"
#include "support/fake_control.h"
#include "ui/support/race_records.h"
#include "ui/support/ui_support.h"
#include "ui/widgets/number_edit.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;
using vex::ui::MainWindow;

namespace {
// 大井 on 12 May 2024: race 1 with 12 runners, race 2 with 7.
std::vector<std::string> dayRecords() {
    std::vector<std::string> out;
    for (int race = 1; race <= 2; ++race) {
        RaceSpec s;
        s.race = race;
        s.runners = race == 1 ? 12 : 7;
        out.push_back(raceRecord(s));
        for (int h = 1; h <= s.runners; ++h) out.push_back(runnerRecord(s, h, 0, race));
    }
    return out;
}

QString compiFileOfTheDay() { return QString::fromStdString((appFolder() / "Data" / "2024年05月12日大井.Comp").string()); }

QStringList compiLines() {
    QStringList lines;
    // As text: the track takes two characters, so the recommended horse is at 84-85.
    for (const std::string& line : readLines(compiFileOfTheDay().toStdString())) lines << QString::fromStdString(toUtf8(line));
    return lines;
}
}  // namespace

class CompiWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempHome> home_;
    std::unique_ptr<test::FakeControl> control_;
    std::unique_ptr<MainWindow> window_;

    template <class T>
    T* w(const char* name) { return byName<T>(window_.get(), name); }
    ui::CompiWindow* compi() { return ui::compiWindowOf(*window_); }
    ui::NumberEdit* cell(int number) {
        return byName<ui::NumberEdit>(compi(), qPrintable(QString("SaNumEditExC%1").arg(number)));
    }
    // Types into a cell as the user does, replacing what it held.
    void type(int number, const QString& text) {
        cell(number)->selectAll();
        QTest::keyClicks(cell(number), text);
    }

private slots:
    void initTestCase() {
        home_ = std::make_unique<TempHome>();
        setClock(DateTime{2024, 5, 12, 10, 0, 0});
        Dialogs::startRecording();
        control_ = std::make_unique<test::FakeControl>();
        control_->files = {dayRecords()};
        window_ = std::make_unique<MainWindow>(control_.get());
        window_->resize(1100, 720);
        window_->show();
    }
    void cleanupTestCase() {
        window_.reset();
        control_.reset();
        Dialogs::stopRecording();
        setClock(std::nullopt);
    }

    void withoutADayItAsksForOne() {
        QVERIFY(compi());
        QCOMPARE(compi()->objectName(), QString("TCompiForm"));
        QCOMPARE(compi()->windowTitle(), QString("コンピ指数入力"));
        QVERIFY(compi()->windowFlags() & Qt::WindowStaysOnTopHint);
        int beeps = Dialogs::beeps();
        Dialogs::clearShown();
        QTest::mouseClick(w<QToolButton>("CompiBtn"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), QStringList{"開催日ﾃﾞｰﾀを読み込んでください。"});
        QCOMPARE(Dialogs::beeps(), beeps + 1);
        QVERIFY(!compi()->isVisible());
    }

    void opensOnTheMainWindowsRace() {
        window_->onDownloadClicked();
        auto* download = window_->findChild<ui::DownloadWindow*>("GetDataForm");
        QVERIFY(download);
        byName<QDateTimeEdit>(download, "DateTimePicker1")->setDateTime(QDateTime(QDate(2024, 5, 10), QTime(0, 0)));
        QTest::mouseClick(byName<QPushButton>(download, "ButtonStart"), Qt::LeftButton);
        QTRY_VERIFY(!download->running());
        download->close();
        w<QComboBox>("DateCombo")->setCurrentIndex(0);
        window_->loadSelectedDay();
        QTRY_VERIFY(!window_->loadingDay());
        QCOMPARE(w<QListWidget>("DatList")->count(), 2);

        QTest::mouseClick(w<QToolButton>("CompiBtn"), Qt::LeftButton);
        QVERIFY(compi()->isVisible());
        auto* list = byName<QListWidget>(compi(), "DatList");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QString("大井 2R"));
        QCOMPARE(list->currentRow(), 0);
        // 12 runners: 12 horse rows shown, all 8 frame rows.
        QVERIFY(!cell(19 + 11)->isHidden());
        QVERIFY(cell(19 + 12)->isHidden());
        QVERIFY(!cell(52)->isHidden());
        QVERIFY(!QFile::exists(compiFileOfTheDay()));  // loading writes nothing
    }

    void typedValuesAreCheckedAndSaved() {
        Dialogs::clearShown();
        type(19, "5");
        type(1, "70");
        type(20, "3");
        type(2, "80");  // above rank 1: reported, and still saved
        QVERIFY(Dialogs::shown().contains("コンピ指数の入力が間違っています。"));
        QStringList lines = compiLines();
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[0].mid(0, 8), QString("20240512"));
        QCOMPARE(lines[0].mid(10, 12), QString(" 1 570 380  "));
        QCOMPARE(window_->table().races[0].compiValue[3], 80);  // the race table follows at once
        QCOMPARE(window_->table().races[0].compiRank[3], 2);

        // A horse number above the runner count is erased; a duplicate is reported both ways.
        type(21, "13");
        QVERIFY(cell(21)->text().isEmpty());
        Dialogs::clearShown();
        type(21, "5");
        QCOMPARE(Dialogs::shown(), (QStringList{"1位と3位の馬番が重複しています。", "3位と1位の馬番が重複しています。"}));
        // Frame 8 in a race of 12 stays; a frame number 9 is erased.
        type(45, "8");
        QCOMPARE(cell(45)->text(), QString("8"));
        type(45, "9");
        QVERIFY(cell(45)->text().isEmpty());
    }

    void theGridFollowsTheMainWindowsRace() {
        QFile file(compiFileOfTheDay());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray before = file.readAll();
        file.close();
        auto* list = byName<QListWidget>(compi(), "DatList");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(w<QListWidget>("DatList")->currentRow(), 1);
        QVERIFY(cell(19)->text().isEmpty());
        QVERIFY(cell(19 + 7)->isHidden());  // 7 runners
        w<QListWidget>("DatList")->setCurrentRow(0);
        QCOMPARE(cell(19)->text(), QString("5"));
        QCOMPARE(cell(2)->text(), QString("80"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);

        // Frame 8 in the race of 7 runners is erased.
        w<QListWidget>("DatList")->setCurrentRow(1);
        type(45, "8");
        QVERIFY(cell(45)->text().isEmpty());
        w<QListWidget>("DatList")->setCurrentRow(0);
    }

    void aPastedPageIsImportedAndClosingReloadsTheDay() {
        QFile page(QFINDTESTDATA("../data/compi/page2022_oi.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QApplication::clipboard()->setText(QString::fromUtf8(page.readAll()));
        Dialogs::clearShown();
        Dialogs::seedAnswers({true});
        QTest::mouseClick(byName<QPushButton>(compi(), "CompiBtnNew"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown(), (QStringList{"[2024年05月12日大井]のコンピ指数を取り込みますか？",
                                                "[2024年05月12日大井]のコンピ指数を取り込みました。"}));
        auto* memo = byName<QPlainTextEdit>(compi(), "Memo2");
        QVERIFY(memo->toPlainText().contains("地方競馬全場コンピ"));
        // A click into the memo selects the whole text.
        byName<QTabWidget>(compi(), "PageControl1")->setCurrentIndex(0);
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(memo->textCursor().selectedText().size(), memo->toPlainText().size());
        QCOMPARE(compiLines()[0].mid(84, 2), QString(" 3"));  // recommended horse 3
        // The manual-entry tab shows the imported race at once (rank 1 was typed as 70 before).
        QCOMPARE(cell(19)->text(), QString("5"));
        QCOMPARE(cell(1)->text(), QString("80"));

        QTest::mouseClick(byName<QPushButton>(compi(), "ReadCompBtn"), Qt::LeftButton);
        QCOMPARE(cell(1)->text(), QString("80"));
        byName<QTabWidget>(compi(), "PageControl1")->setCurrentIndex(1);
        saveShot(compi(), "compi-window");
        // Typing rank 1's value 90 makes race 1 an "A" race once the day is read again.
        type(1, "90");
        QCOMPARE(compiLines()[0].mid(84, 2), QString("  "));  // saving clears the recommendation
        compi()->close();
        QVERIFY(window_->loadingDay());
        QTRY_VERIFY(!window_->loadingDay());
        QCOMPARE(window_->table().races[0].topValue, 90);
        QCOMPARE(window_->table().races[0].zonePattern, 1);
        QCOMPARE(w<QLabel>("ZoneLabel")->text(), QString("A"));
        saveShot(window_.get(), "compi-zone");
    }

    void theCompanionFolderIsChosenOrLeft() {
        QAction* item = w<QAction>("K2");
        QVERIFY(item);
        Dialogs::seedPaths({home_->file("Quillet")});
        item->trigger();
        QCOMPARE(Settings().readString("Dir", "quillet", ""), home_->file("Quillet").toStdString());
        Dialogs::seedPaths({QString()});
        item->trigger();
        QCOMPARE(Settings().readString("Dir", "quillet", ""), home_->file("Quillet").toStdString());
    }

    void thePositionIsKept() {
        compi()->move(240, 180);
        window_.reset();
        QVERIFY(Settings().readInteger("locateCompiForm", "left", -1) >= 0);
        QVERIFY(Settings().readInteger("locateCompiForm", "top", -1) >= 0);
    }
};

QTEST_MAIN(CompiWindowTest)
#include "tst_compi_window.moc"
