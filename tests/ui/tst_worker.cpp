// The control worker: one job at a time off the window thread, its messages shown in order on
// the window thread, an escaping error reported instead of ending the program.
#include <QThread>
#include <QtTest>
#include <atomic>
#include <stdexcept>

#include "datalink/bulk_download.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
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

    void cancelReachesTheJobThroughTheSharedFlag() {
        ControlWorker worker;
        setCancelFlag(false);
        std::atomic<int> turns{0};
        QVERIFY(worker.start("データ取込", [&] {
            while (!cancelFlag()) {
                ++turns;
                QThread::msleep(1);
            }
        }));
        QTRY_VERIFY(turns > 0);
        worker.cancel();
        worker.waitForJob();
        QTRY_VERIFY(!worker.busy());
        setCancelFlag(false);
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
        // A CP932 text, as the core's errors carry, is shown readable.
        connect(&thrower, &QObject::objectNameChanged, this,
                [] { throw std::runtime_error(sj("統計ファイルを書き込めませんでした。")); });
        QTimer::singleShot(0, &thrower, [&] { thrower.setObjectName("x"); });
        QTRY_COMPARE(Dialogs::shown().size(), 1);
        QVERIFY2(Dialogs::shown()[0].endsWith("統計ファイルを書き込めませんでした。"), qPrintable(Dialogs::shown()[0]));
        QFile log(home.file("ErrorLog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromStdString(toUtf8(log.readAll().toStdString())).contains("統計ファイルを書き込めませんでした。"));
    }
};

int main(int argc, char** argv) {
    // The program's own application class, so errors escaping handlers take its path.
    VexmoraApplication app(argc, argv);
    WorkerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_worker.moc"
