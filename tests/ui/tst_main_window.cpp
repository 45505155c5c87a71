#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "app/atomic_file.h"
#include "app/manual_file.h"
#include "app/settings.h"
#include "datalink/bulk_download.h"
#include "ui/datacontrol/worker.h"
#include <atomic>
#include <chrono>
#include <thread>
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "support/fake_control.h"
#include "ui/support/ui_support.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::uitest;
using vex::ui::Dialogs;
using vex::test::FakeControl;
using vex::ui::MainWindow;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Dialogs::startRecording(); }
    void cleanup() { Dialogs::stopRecording(); }

    void titleIsVexmora() {
        TempHome home;
        vex::ui::MainWindow window;
        QCOMPARE(window.windowTitle(), QString("Vexmora"));
    }

    void startUpOnEmptyFolderMakesFoldersAndTwoLogLines() {
        TempHome home;
        MainWindow window;
        for (const char* sub : {"Data", "kaime", "Log", "SEI", "SEIR", "UMA", "ZelH", "TOKEI"})
            QVERIFY2(QDir(home.file(sub)).exists(), sub);
        auto lines = readLines(home.str() + "/ErrorLog.txt");
        QCOMPARE(lines.size(), size_t(2));
        QVERIFY(QString::fromStdString(toUtf8(lines[0])).startsWith("ソフト起動："));
        QCOMPARE(QString::fromStdString(lines[1]), home.path());
        QVERIFY(!byName<QTabWidget>(&window, "PageControl1")->isVisible());
    }

    void errorLogOfHundredFiftyLinesBecomesHundredAndTwo() {
        TempHome home;
        std::vector<std::string> old;
        for (int i = 1; i <= 150; ++i) old.push_back("old " + std::to_string(i));
        writeLinesAtomic(home.str() + "/ErrorLog.txt", old);
        writeLinesAtomic(home.str() + "/VovoVaro.log", old);
        MainWindow window;
        auto lines = readLines(home.str() + "/ErrorLog.txt");
        QCOMPARE(lines.size(), size_t(102));
        QCOMPARE(QString::fromStdString(lines[0]), QString("old 51"));
        QCOMPARE(QString::fromStdString(lines[99]), QString("old 150"));
        // The voting log is cut in memory only.
        QCOMPARE(window.votingLog().lines().size(), size_t(100));
        QCOMPARE(readLines(home.str() + "/VovoVaro.log").size(), size_t(150));
    }

    void developerItemsOnlyWithTheMarker() {
        for (bool marker : {false, true}) {
            TempHome home;
            if (marker) home.touch("OnlyTheDeveloperAvailableFunction.key");
            MainWindow window;
            window.show();
            auto* pages = byName<QTabWidget>(&window, "PageControl1");
            QCOMPARE(pages->isTabVisible(pages->indexOf(byName<QWidget>(&window, "TabSheet3"))), marker);
            QCOMPARE(pages->isTabVisible(pages->indexOf(byName<QWidget>(&window, "TabSheet5"))), marker);
            QCOMPARE(byName<QMenu>(&window, "AutoTohyoMenu")->menuAction()->isVisible(), marker);
            for (const char* item : {"T1", "N10", "N12"}) QCOMPARE(byName<QAction>(&window, item)->isVisible(), marker);
            QVERIFY(!byName<QPushButton>(&window, "DirectReadBtn")->isVisible());
            QVERIFY(!byName<QAction>(&window, "NotRefreshDisp")->isVisible());
        }
        TempHome home;
        home.touch("Master.key");
        MainWindow window;
        window.show();
        QVERIFY(byName<QPushButton>(&window, "DirectReadBtn")->isVisible());
    }

    void layoutCaptionsAndHints() {
        TempHome home;
        MainWindow window;
        window.show();
        QCOMPARE(byName<QWidget>(&window, "Panel1")->height(), 83);
        QCOMPARE(byName<QWidget>(&window, "Panel6")->width(), 66);
        QVERIFY(byName<QWidget>(&window, "Panel6")->isAncestorOf(byName<QListWidget>(&window, "DatList")));
        QVERIFY(byName<QWidget>(&window, "Panel6")->isAncestorOf(byName<QLabel>(&window, "DLlabel")));
        for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label6", "Label7", "BashoLabel", "RaceLabel"})
            QVERIFY2(byName<QWidget>(&window, "Panel3")->isAncestorOf(byName<QLabel>(&window, name)), name);
        auto* pages = byName<QTabWidget>(&window, "PageControl1");
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i) tabs << pages->tabText(i);
        QCOMPARE(tabs, (QStringList{"買い目", "出馬表", "結果", "テスト", "出馬表詳細"}));
        struct Button {
            const char *name, *caption, *hint;
        };
        for (Button b : {Button{"SpeedButton1", "F", "レースリストの表示/非表示を行います"},
                         Button{"JVBtn", "データ取得", "データの取得を行います"},
                         Button{"KekkaGetBtn", "結果情報", "レース結果データを取得します"},
                         Button{"SokuhoOddsBtn", "速報ｵｯｽﾞ", "速報オッズを取得します"},
                         Button{"NextRaceBtn", "直前ﾚｰｽ", ""}, Button{"CompiBtn", "コンピ入力", "コンピ指数を入力します"}}) {
            auto* tb = byName<QToolButton>(&window, b.name);
            QCOMPARE(tb->text(), QString(b.caption));
            QCOMPARE(tb->statusTip(), QString(b.hint));
        }
        QStringList menus;
        for (QAction* a : window.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"ﾌｧｲﾙ(&F)", "ｵﾌﾟｼｮﾝ(&O)", "自動投票", "ﾌｫﾙﾀﾞ指定(&F)", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(byName<QAction>(&window, "HelpAboutItem")->text(), QString("ﾊﾞｰｼﾞｮﾝ情報(&A)..."));
        QCOMPARE(byName<QAction>(&window, "K2")->text(), QString("Quilletフォルダ指定(&K)"));

        // The hint of the control under the mouse goes to the status bar.
        QStatusTipEvent tip(byName<QToolButton>(&window, "JVBtn")->statusTip());
        QApplication::sendEvent(&window, &tip);
        QCOMPARE(byName<QStatusBar>(&window, "StatusLine")->currentMessage(), QString("データの取得を行います"));

        // "F" toggles the race list.
        QVERIFY(byName<QWidget>(&window, "Panel6")->isVisible());
        QTest::mouseClick(byName<QToolButton>(&window, "SpeedButton1"), Qt::LeftButton);
        QVERIFY(!byName<QWidget>(&window, "Panel6")->isVisible());
        QTest::mouseClick(byName<QToolButton>(&window, "SpeedButton1"), Qt::LeftButton);
        QVERIFY(byName<QWidget>(&window, "Panel6")->isVisible());
        saveShot(&window, "main-empty");
    }

    void windowBoundsAreSavedAndRestoredReachably() {
        TempHome home;
        {
            // The first start: the default size in the middle of the screen.
            MainWindow window;
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QCOMPARE(window.size(), QSize(1280, 700).boundedTo(screen.size()));
            QVERIFY2(std::abs(window.geometry().center().x() - screen.center().x()) <= 1 &&
                         std::abs(window.geometry().center().y() - screen.center().y()) <= 1,
                     qPrintable(QString("%1,%2").arg(window.x()).arg(window.y())));
        }
        QCOMPARE(ui::centredOn(QSize(1280, 700), QRect(0, 0, 1920, 1080)), QRect(320, 190, 1280, 700));
        QCOMPARE(ui::centredOn(QSize(1280, 700), QRect(1920, 0, 1024, 768)), QRect(1920, 34, 1024, 700));
        {
            MainWindow window;
            window.move(40, 30);
            window.resize(700, 500);
            window.close();
        }
        Settings ini;
        QCOMPARE(ini.readInteger("locate", "left", 0), 40);
        QCOMPARE(ini.readInteger("locate", "width", 0), 700);
        {
            MainWindow window;
            QCOMPARE(window.pos(), QPoint(40, 30));
            QCOMPARE(window.size(), QSize(700, 500));
        }
        // A position on no screen: the window comes back where it can be grabbed.
        ini.writeInteger("locate", "left", -9000);
        ini.writeInteger("locate", "top", 12000);
        MainWindow window;
        QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(window.pos()));
        QCOMPARE(window.width(), std::min(700, screen.width()));

        QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QCOMPARE(ui::keepReachable(QRect(2000, 100, 800, 600), two), QRect(2000, 100, 800, 600));
        QCOMPARE(ui::keepReachable(QRect(-700, 100, 800, 600), two).topLeft(), QPoint(560, 240));

        // Larger than its screen: shrunk onto it; a window that fits is left where it is.
        QCOMPARE(ui::fitOnScreen(QRect(10, 10, 1280, 700), {QRect(0, 0, 1024, 700)}), QRect(0, 0, 1024, 700));
        QCOMPARE(ui::fitOnScreen(QRect(2000, 100, 1280, 1100), two), QRect(1920, 0, 1280, 1024));
        QCOMPARE(ui::fitOnScreen(QRect(10, 10, 1280, 700), two), QRect(10, 10, 1280, 700));
    }

    void failingInitShowsItsCodeOnceAndTheWindowStays() {
        TempHome home;
        FakeControl control;
        control.initResult = -101;
        MainWindow window(&control);
        window.show();
        window.hide();
        window.show();
        QCOMPARE(control.initCalls, 1);
        QCOMPARE(QString::fromStdString(control.softwareId), QString("SA503917/SD418260/Vexmora/Version.1.05"));
        QCOMPARE(Dialogs::shown(), QStringList{"NVInitエラー：-101"});
        QVERIFY(window.isVisible());
        QCOMPARE(window.version(), QString("Version.1.05"));
    }

    // A vote is never stopped halfway: closing during one offers to close after it.
    void closingDuringAVoteWaitsForItWithoutCancelling() {
        TempHome home;
        MainWindow window;
        window.show();
        std::atomic<bool> release{false};
        QVERIFY(window.worker()->startToTheEnd("投票", [&] {
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }));
        QVERIFY(!window.worker()->jobStopsOnCancel());
        window.close();
        QCOMPARE(Dialogs::shown(), QStringList{"「投票」を実行中です。終わってから終了しますか？"});
        QVERIFY(window.isVisible());
        release = true;
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(window.worker()->jobStopsOnCancel());
    }

    // The other windows carry out these commands through the main window's signals: each given
    // control raises its own signal and no other.
    void eachCommandControlRaisesItsSignal() {
        TempHome home;
        MainWindow window;
        const std::pair<const char*, void (MainWindow::*)()> commands[] = {
            {"CompiBtn", &MainWindow::compiRequested},
            {"K2", &MainWindow::companionFolderRequested},
            {"StatsItem", &MainWindow::statsRequested},
            {"T1", &MainWindow::timeSeriesImportRequested},
            {"N12", &MainWindow::timeSeriesFolderRequested},
            {"DirectReadBtn", &MainWindow::directReadRequested},
            {"ZandakaItem", &MainWindow::balanceRequested},
            {"NyukinItem", &MainWindow::depositRequested},
            {"KouzaItem", &MainWindow::accountSwitchRequested},
            {"MyPageItem", &MainWindow::memberPageRequested},
            {"AutoTohyoItem", &MainWindow::autoVoteRequested},
        };
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const auto& [name, signal] : commands) {
            QObject::disconnect(&window, signal, nullptr, nullptr);  // the main window's side alone
            spies.push_back(std::make_unique<QSignalSpy>(&window, signal));
        }
        for (std::size_t i = 0; i < std::size(commands); ++i) {
            if (auto* item = window.findChild<QAction*>(commands[i].first)) item->trigger();
            else byName<QAbstractButton>(&window, commands[i].first)->click();
            for (std::size_t j = 0; j < spies.size(); ++j)
                QVERIFY2(spies[j]->count() == (j <= i ? 1 : 0), commands[j].first);
        }
    }

    void manualAndVersionWindow() {
        TempHome home;
        MainWindow window;
        window.show();
        // The built manual lies beside this test program: look in two folders of the test instead.
        const std::filesystem::path installed = home.str() + "/share";
        vex::setManualFolders(std::vector<std::filesystem::path>{home.str(), installed});
        byName<QAction>(&window, "HelpContentsItem")->trigger();
        // The given text first, then every file looked for.
        QCOMPARE(Dialogs::shown(), QStringList{"使用解説書[Vexmora.pdf]が見つかりません。\n" + home.file("Vexmora.pdf") +
                                               "\n" + home.path() + "/share/Vexmora.pdf"});
        QCOMPARE(Dialogs::beeps(), 1);
        // Found in the second folder: opened (not while recording), with no notice.
        std::filesystem::create_directories(installed);
        vex::writeFileAtomic(installed / "Vexmora.pdf", "%PDF-1.4\n");
        byName<QAction>(&window, "HelpContentsItem")->trigger();
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::beeps(), 1);
        vex::setManualFolders(std::nullopt);

        byName<QAction>(&window, "HelpAboutItem")->trigger();
        auto* about = window.findChild<QDialog*>("AboutBox");
        QVERIFY(about && about->isVisible());
        QCOMPARE(byName<QLabel>(about, "Version")->text(), QString("Version.1.05"));
        QCOMPARE(byName<QLabel>(about, "ProductName")->text(), QString("Vexmora"));
        about->accept();
        QTRY_VERIFY(!window.findChild<QDialog*>("AboutBox"));  // freed when closed
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
