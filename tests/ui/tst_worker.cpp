// The control worker: one job at a time off the window thread, its messages shown in order on
// the window thread, an escaping error reported instead of ending the program.
#include <QThread>
#include <QtTest>
#include <atomic>
#include <stdexcept>

#include "app/cancel_token.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
#include "ui/datacontrol/control_dialogs.h"
#include "ui/main/day_loader.h"
#include "ui/support/ui_support.h"
#include "ui/datacontrol/worker.h"
#include "vocabulary/cp932.h"

using namespace vex;
using namespace vex::ui;

class WorkerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Dialogs::startRecording(); }
    void cleanup() { Dialogs::stopRecording(); }

    void aJobRunsOffTheWindowThreadAndASecondIsRefused() {
        ControlWorker worker;
        std::atomic<bool> release{false};
        QThread* jobThread = nullptr;
        QThread* doneThread = nullptr;
        QVERIFY(worker.start("データ取込", [&] {
            jobThread = QThread::currentThread();
            while (!release) QThread::msleep(1);
        }, [&] { doneThread = QThread::currentThread(); }));
        QVERIFY(worker.busy());
        QCOMPARE(worker.jobName(), QString("データ取込"));
        bool secondRan = false;
        QVERIFY(!worker.start("投票", [&] { secondRan = true; }));
        release = true;
        QTRY_VERIFY(!worker.busy());
        QVERIFY(!secondRan);
        QVERIFY(jobThread && jobThread != QThread::currentThread());
        QCOMPARE(doneThread, QThread::currentThread());
        QVERIFY(worker.start("投票", [&] { secondRan = true; }));  // free again
        QTRY_VERIFY(!worker.busy());
        QVERIFY(secondRan);
    }

    void cancelReachesTheJobThroughItsOwnTokenAndNoLaterJob() {
        ControlWorker worker;
        std::atomic<int> turns{0};
        CancelToken first;
        QVERIFY(worker.start(
            "データ取込",
            [&turns, first] {
                while (!first.cancelled()) {
                    ++turns;
                    QThread::msleep(1);
                }
            },
            {}, first));
        QTRY_VERIFY(turns > 0);
        worker.cancel();
        worker.waitForJob();
        QTRY_VERIFY(!worker.busy());
        // The next job starts with a token nobody pressed.
        CancelToken second;
        std::atomic<bool> sawCancel{true};
        QVERIFY(worker.start("一気読み", [&sawCancel, second] { sawCancel = second.cancelled(); }, {}, second));
        QTRY_VERIFY(!worker.busy());
        QVERIFY(!sawCancel);
    }

    void messagesOfAJobAreShownInOrderOnTheWindowThread() {
        QWidget window;
        MessageQueue messages(&window);
        QStringList statuses;
        JobReporter reporter(&messages, [&](const QString& s) { statuses << s; });
        ControlWorker worker;
        bool answer = true;
        QVERIFY(worker.start("投票", [&] {
            reporter.information(sj("一つ目"));
            reporter.status(sj("状態"));
            reporter.beep();
            reporter.information(sj("二つ目"));
            answer = reporter.askYesNo(sj("質問"));  // a job never asks: "no"
        }));
        QTRY_VERIFY(!worker.busy());
        QTRY_COMPARE(Dialogs::shown(), (QStringList{"一つ目", "二つ目"}));
        QCOMPARE(statuses, QStringList{"状態"});
        QCOMPARE(Dialogs::beeps(), 1);
        QVERIFY(!answer);
    }

    void anErrorEscapingAJobIsReportedAndTheWorkerGoesOn() {
        uitest::TempHome home;
        ControlWorker worker;
        QString failedJob, failure;
        connect(&worker, &ControlWorker::failed, this, [&](const QString& job, const QString& what) {
            failedJob = job;
            failure = what;
        });
        bool doneRan = false;
        QVERIFY(worker.start("投票", [] { throw std::runtime_error("/tmp/x: No space left on device"); },
                             [&] { doneRan = true; }));
        QTRY_VERIFY(!worker.busy());
        QVERIFY(doneRan);
        QCOMPARE(failedJob, QString("投票"));
        QCOMPARE(failure, QString("/tmp/x: No space left on device"));
        QVERIFY(worker.start("投票", [] {}));
        QTRY_VERIFY(!worker.busy());
    }

    void anErrorEscapingAWindowHandlerIsShownAndLogged() {
        uitest::TempHome home;
        QObject thrower;
        connect(&thrower, &QObject::objectNameChanged, this,
                [] { throw std::runtime_error("統計ファイルを書き込めませんでした。"); });
        QTimer::singleShot(0, &thrower, [&] { thrower.setObjectName("x"); });
        QTRY_COMPARE(Dialogs::shown().size(), 1);
        QVERIFY2(Dialogs::shown()[0].endsWith("統計ファイルを書き込めませんでした。"), qPrintable(Dialogs::shown()[0]));
        QFile log(home.file("ErrorLog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromStdString(toUtf8(log.readAll().toStdString())).contains("統計ファイルを書き込めませんでした。"));
    }

    // One call that throws is reported; the calls posted with it still run, in their order.
    void aThrowingCallInTheMailboxLeavesTheRestOfItsBatch() {
        uitest::TempHome home;
        QStringList ran;
        postToWindow([&] { ran << "1"; });
        postToWindow([] { throw std::runtime_error("/tmp/x: No space left on device"); });
        postToWindow([] { throw 7; });
        postToWindow([&] { ran << "4"; });
        QTRY_COMPARE(ran, (QStringList{"1", "4"}));
        QCOMPARE(Dialogs::shown(), (QStringList{"処理を続けられませんでした。\n/tmp/x: No space left on device",
                                                "処理を続けられませんでした。\n原因の分からないエラーです。"}));
    }

    // A call that opens a modal box runs a nested event loop: what was posted after it keeps its
    // place there, before what is posted later.
    void callsKeepTheirOrderWhileAModalBoxIsOpen() {
        QStringList ran;
        postToWindow([&] {
            ran << "box";
            postToWindow([&] { ran << "later"; });
            QEventLoop modal;  // as a message box's
            QTimer::singleShot(5000, &modal, &QEventLoop::quit);
            QTimer poll;
            connect(&poll, &QTimer::timeout, &modal, [&] {
                if (ran.contains("later")) modal.quit();
            });
            poll.start(1);
            modal.exec();
        });
        postToWindow([&] { ran << "before"; });
        QTRY_COMPARE(ran.size(), 3);
        QCOMPARE(ran, (QStringList{"box", "before", "later"}));
    }

    // The account selection a job asks for goes to the window thread; a worker destroyed while the
    // job waits for it (the program closing) gives up the question instead of waiting forever.
    void closingWhileAJobWaitsOnTheAccountSelectionEnds() {
        QtControlUi ui;
        auto* worker = new ControlWorker;
        std::atomic<bool> asking{false};
        std::atomic<int> chosen{-2};
        QVERIFY(worker->start("口座切替", [&] {
            asking = true;
            chosen = ui.chooseAccount({"a", "b"}, 0);
        }));
        while (!asking) QThread::msleep(1);  // no event runs: the question cannot be shown
        QThread::msleep(20);
        delete worker;
        QCOMPARE(chosen.load(), -1);
        uitest::drainWindowMailbox();  // the question, given up, opens nothing
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(w->objectName() != "AccountForm");
    }

    // A job that does not throw a std::exception still ends the load with a message; the table
    // is not shown.
    void aDayLoadThrowingAnythingIsReported() {
        QWidget window;
        MessageQueue messages(&window);
        bool ended = false;
        QString failure;
        DayLoader loader(
            nullptr, &messages,
            [&](std::unique_ptr<RaceTable> table, const DayLoadResult&, const QString& what) {
                ended = true;
                failure = what;
                QVERIFY(!table);
            },
            nullptr, [](RaceTable&, const std::string&, const DayLoadOptions&) -> DayLoadResult { throw 42; });
        loader.load(sj("2024年05月12日"));
        QTRY_VERIFY(ended);
        QCOMPARE(failure, QString("原因の分からないエラーです。"));
        QVERIFY(!loader.loading());
    }
};

int main(int argc, char** argv) {
    // The program's own application class, so errors escaping handlers take its path.
    VexmoraApplication app(argc, argv);
    WorkerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_worker.moc"
