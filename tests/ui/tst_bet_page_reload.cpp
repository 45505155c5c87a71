// What the user set on the bet page survives every reload of the race shown on the simulated
// service: the odds buttons, the odds timer, a reload of the day and the download window. Only the
// odds and the stakes split by them may change, and the change shows.
#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "app/app_folder.h"
#include "app/clock.h"
#include "control/control_factory.h"
#include "datalink/bulk_download.h"
#include "store/record_layout.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/main/main_window.h"
#include "ui/download/race_day_refresh.h"
#include "ui/widgets/grid_view.h"
#include "ui/widgets/number_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/datacontrol/worker.h"
#include "ui/support/ui_support.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;

namespace {

const DateTime kMorning{2024, 5, 10, 10, 0, 0};  // cards and the morning's odds are out

// What the user set on the page, and the list it gives, as the window shows them.
struct PageState {
    int slot = -1;
    QString amount, kind, method, mode;
    QStringList marks, combinations, odds;
    bool operator==(const PageState&) const = default;
};

QString checked(QWidget* root, const char* group) {
    for (auto* b : byName<ui::RadioGroup>(root, group)->findChildren<QRadioButton*>())
        if (b->isChecked()) return b->text();
    return {};
}

QStringList gridColumn(ui::GridView* g, int col) {
    QStringList out;
    for (int r = 1; r <= g->gridModel()->rowCount(); ++r) out << g->gridModel()->text(col, r);
    return out;
}

}  // namespace

class BetPageReloadTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempHome> home;
    std::unique_ptr<DataControl> control;
    std::unique_ptr<ui::MainWindow> window;

    QWidget* page() { return byName<QWidget>(window.get(), "BetPage"); }
    ui::GridView* grid(const char* name) { return byName<ui::GridView>(page(), name); }
    void waitForWorker() { QTRY_VERIFY_WITH_TIMEOUT(!window->worker()->busy(), 30000); }
    void waitForDay() { QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay() && window->currentRaceIndex() >= 0, 30000); }

    void pick(const char* group, const QString& item) {
        for (auto* b : byName<ui::RadioGroup>(page(), group)->findChildren<QRadioButton*>())
            if (b->text() == item) return b->click();
        QFAIL(qPrintable(item));
    }
    void clickCard(int col, int row) {
        ui::GridView* card = grid("StringGrid26");
        card->scrollToGridRow(row);
        QTest::mouseClick(card->viewport(), Qt::LeftButton, {}, card->cellCentre(col, row));
    }

    // Today loaded; on its second race, odds fetched 40 minutes before the post, 馬連 軸流し, 比例,
    // ◎ on 1, 相手 on 2 to 5, and 5000 typed (the default is 3000).
    void openAndSetUpPage() {
        window = std::make_unique<ui::MainWindow>(control.get());
        window->resize(1366, 740);
        window->show();
        auto* days = byName<QComboBox>(window.get(), "DateCombo");
        days->setCurrentIndex(days->findText("2024年05月10日"));
        QVERIFY(days->currentIndex() >= 0);
        window->loadSelectedDay();
        waitForDay();
        byName<QListWidget>(window.get(), "DatList")->setCurrentRow(1);
        QTRY_COMPARE(window->currentRaceIndex(), window->table().raceListSlots.at(1));
        setClock(beforePost(40));
        QTest::mouseClick(byName<QToolButton>(window.get(), "SokuhoOddsBtn"), Qt::LeftButton);
        waitForWorker();
        pick("BakenRadio", "馬連");
        pick("KaikataRadio", "軸流し");
        pick("RadioGroup1", "比例");
        clickCard(8, 1);
        for (int h = 2; h <= 5; ++h) clickCard(11, h);
        byName<ui::NumberEdit>(page(), "AmountEdit")->setText("5000");
        QVERIFY(gridColumn(grid("StringGrid34"), 2).size() == 4);
    }

    PageState state() {
        PageState s;
        s.slot = window->currentRaceIndex();
        s.amount = byName<ui::NumberEdit>(page(), "AmountEdit")->text();
        s.kind = checked(page(), "BakenRadio");
        s.method = checked(page(), "KaikataRadio");
        s.mode = checked(page(), "RadioGroup1");
        for (int col : {8, 11}) s.marks += gridColumn(grid("StringGrid26"), col);
        s.combinations = gridColumn(grid("StringGrid34"), 2);
        s.odds = gridColumn(grid("StringGrid34"), 3);
        return s;
    }

    // Everything the user set is as before; with `newOdds` the odds moved and the list shows them.
    void verifyKept(const PageState& before, bool newOdds) {
        const PageState after = state();
        QCOMPARE(after.slot, before.slot);
        QCOMPARE(after.amount, QString("5000"));
        QCOMPARE(byName<ui::BetPageWidget>(window.get(), "BetPage")->model().amount(), 5000);
        QCOMPARE(after.kind, before.kind);
        QCOMPARE(after.method, before.method);
        QCOMPARE(after.mode, before.mode);
        QCOMPARE(after.marks, before.marks);
        QCOMPARE(after.combinations, before.combinations);
        if (newOdds) QVERIFY2(after.odds != before.odds, qPrintable(after.odds.join('|')));
    }

    // `minutes` before the post of the race in `slot` (the race shown by default).
    DateTime beforePost(int minutes, int slot = -1) const {
        if (slot < 0) slot = window->currentRaceIndex();
        const std::string p(window->table().raw[static_cast<std::size_t>(slot)].ra.field(RA::PostTime));
        const int total = std::stoi(p.substr(0, 2)) * 60 + std::stoi(p.substr(2, 2)) - minutes;
        return {2024, 5, 10, total / 60, total % 60, 0};
    }

private slots:
    void initTestCase() {
        home = std::make_unique<TempHome>();
        qputenv("VEXMORA_SERVICE", "sim");
        setClock(kMorning);
        createAppFolders();
        control = createDataControl(nullptr);
        control->NVInit(kSoftwareId);
        QCOMPARE(downloadQuietly(*control, {2024, 5, 9, 0, 0, 0}), DownloadOutcome::Completed);
        Dialogs::startRecording();
    }
    void init() { setClock(kMorning); }
    void cleanup() {
        window.reset();
        Dialogs::clearShown();
    }
    void cleanupTestCase() {
        control.reset();
        setClock(std::nullopt);
    }

    void quickOddsKeepThePage() {
        openAndSetUpPage();
        const PageState before = state();
        setClock(beforePost(15));
        QTest::mouseClick(byName<QToolButton>(window.get(), "SokuhoOddsBtn"), Qt::LeftButton);
        waitForWorker();
        verifyKept(before, true);
    }

    void allOddsOfTheDayKeepThePage() {
        openAndSetUpPage();
        const PageState before = state();
        setClock(beforePost(10));  // later than the odds the store kept from the test before
        window->findChild<QAction*>("N110")->trigger();
        waitForWorker();
        verifyKept(before, true);
    }

    // The timer fetches the next race (the one shown was fetched by hand) and redraws the page.
    void oddsTimerKeepsThePage() {
        openAndSetUpPage();
        window->findChild<QTimer*>("Timer1")->stop();  // ticked by hand on the set clock
        const int next = window->table().raceListSlots.at(2);
        QVERIFY(!window->raceDayRefresh()->oddsFetched().isSet(next));
        const PageState before = state();
        setClock(beforePost(2, next));
        window->raceDayRefresh()->oddsTick();
        waitForWorker();
        QVERIFY(window->raceDayRefresh()->oddsFetched().isSet(next));
        verifyKept(before, false);
    }

    // A reload of the day shown (the Compi window's, a download's) keeps the race and the page.
    void reloadingTheDayKeepsTheRaceAndThePage() {
        openAndSetUpPage();
        const PageState before = state();
        window->loadSelectedDay();
        QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay(), 30000);
        QCOMPARE(state(), before);
        QCOMPARE(byName<QListWidget>(window.get(), "DatList")->currentRow(), 1);
    }

    void closingTheDownloadWindowWithoutADownloadKeepsEverything() {
        openAndSetUpPage();
        const PageState before = state();
        const int races = byName<QListWidget>(window.get(), "DatList")->count();
        window->onDownloadClicked();
        auto* win = window->findChild<ui::DownloadWindow*>("GetDataForm");
        QVERIFY(win);
        win->close();
        QTRY_VERIFY(!window->findChild<ui::DownloadWindow*>("GetDataForm"));
        QVERIFY(!window->loadingDay());
        QCOMPARE(byName<QListWidget>(window.get(), "DatList")->count(), races);
        QVERIFY(byName<QTabWidget>(window.get(), "PageControl1")->isVisible());
        QCOMPARE(byName<QComboBox>(window.get(), "DateCombo")->currentText(), QString("2024年05月10日"));
        QCOMPARE(state(), before);
    }

    // New data in the store: as soon as the download ends (the window still open) the day shown is
    // loaded again, on the same race, with the same page; closing the window then changes nothing.
    void aDownloadThatStoredDataReloadsTheDayAndKeepsThePage() {
        openAndSetUpPage();
        const PageState before = state();
        window->onDownloadClicked();
        auto* win = window->findChild<ui::DownloadWindow*>("GetDataForm");
        bool reloadingAtTheEnd = false;  // connected after the main window: its reload has started
        connect(win, &ui::DownloadWindow::downloadEnded, this, [&] { reloadingAtTheEnd = window->loadingDay(); });
        byName<QDateTimeEdit>(win, "DateTimePicker1")->setDateTime(QDateTime(QDate(2024, 5, 9), QTime(0, 0)));
        QTest::mouseClick(byName<QPushButton>(win, "ButtonStart"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!win->running(), 60000);
        QVERIFY(win->download().stats().filesWritten > 0);
        QVERIFY(reloadingAtTheEnd);
        QTRY_VERIFY_WITH_TIMEOUT(!window->loadingDay(), 30000);
        win->close();
        QVERIFY(!window->loadingDay());
        QTRY_VERIFY(!window->findChild<ui::DownloadWindow*>("GetDataForm"));
        verifyKept(before, false);
        QCOMPARE(byName<QListWidget>(window.get(), "DatList")->currentRow(), 1);
        QCOMPARE(byName<QComboBox>(window.get(), "DateCombo")->currentText(), QString("2024年05月10日"));
    }

    void nextRaceButtonSaysWhyOnAnotherDay() {
        openAndSetUpPage();
        auto* next = byName<QToolButton>(window.get(), "NextRaceBtn");
        QVERIFY(next->isEnabled());
        setClock(DateTime{2024, 5, 11, 10, 0, 0});
        next->click();  // the date moved on since the day was loaded
        QVERIFY(!next->isEnabled());
        QVERIFY(next->toolTip().endsWith("（本日の開催日を表示しているときに使えます）"));
    }
};

QTEST_MAIN(BetPageReloadTest)
#include "tst_bet_page_reload.moc"
