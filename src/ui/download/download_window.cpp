#include "ui/download/download_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "datalink/result_messages.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {

namespace {

QDateTime toQt(const DateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}
DateTime fromQt(const QDateTime& q) {
    return DateTime{q.date().year(), q.date().month(), q.date().day(), q.time().hour(), q.time().minute(),
                    q.time().second()};
}

// Without a service nothing can be downloaded; the window still opens.
class NoControl : public DataControl {
public:
    int NVInit(const std::string&) override { return -1; }
    int NVSetUIProperties() override { return -1; }
    int NVOpen(const std::string&, const std::string&, int, int& r, int& d, std::string& l) override {
        r = d = 0;
        l.clear();
        return -1;
    }
    int NVStatus() override { return -1; }
    int NVRead(std::string&, int&, std::string&) override { return 0; }
    int NVRTOpen(const std::string&, const std::string&) override { return -1; }
    int NVCancel() override { return 0; }
    int NVClose() override { return 0; }
    int RakutenLogin(const std::string&, const std::string&) override { return -1; }
    int RakutenLogout() override { return 0; }
    int RakutenBet(const std::string&, const std::string&, int, int&, int&, int&, std::string&) override { return -1; }
    int RakutenZandaka(int&, int&, int&, int&, const std::string&) override { return -1; }
    int RakutenDeposit() override { return -1; }
};
NoControl& noControl() {
    static NoControl none;
    return none;
}
}  // namespace

DownloadWindow::DownloadWindow(MainWindow* main, DataControl* control)
    : QDialog(main), main_(main), control_(control ? control : &noControl()) {
    setObjectName("GetDataForm");
    setWindowTitle("データ取込");
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    createDownload();
    fromTimeEdit_->setDateTime(toQt(BulkDownload::initialFromTime()));

    connect(startButton_, &QPushButton::clicked, this, [this] { startDownload(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelDownload(); });
    connect(serviceSettingsButton_, &QPushButton::clicked, this, [this] { openServiceSettings(); });
    connect(progressTimer_, &QTimer::timeout, this, [this] { showLatestProgress(); });
}

void DownloadWindow::buildLayout() {
    auto* col = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* fromCaption = new QLabel("取得開始日付", this);
    fromTimeEdit_ = new QDateTimeEdit(this);
    fromTimeEdit_->setObjectName("DateTimePicker1");
    fromTimeEdit_->setDisplayFormat("yyyy/MM/dd HH:mm:ss");
    fromTimeEdit_->setCalendarPopup(true);
    top->addWidget(fromCaption);
    top->addWidget(fromTimeEdit_, 1);
    col->addLayout(top);
    buildProgressRows(col);
    buildButtons(col);

    progressTimer_ = new QTimer(this);
    progressTimer_->setObjectName("TimerJVStatus");
    progressTimer_->setInterval(10);
}

void DownloadWindow::buildProgressRows(QVBoxLayout* col) {
    auto* bars = new QGridLayout;
    downloadBar_ = new QProgressBar(this);
    downloadBar_->setObjectName("ProgressBar1");
    readBar_ = new QProgressBar(this);
    readBar_->setObjectName("ProgressBar2");
    for (QProgressBar* b : {downloadBar_, readBar_}) {
        b->setRange(0, 100);
        b->setValue(0);
        b->setMinimumWidth(320);
    }
    bars->addWidget(new QLabel("ダウンロード", this), 0, 0);
    bars->addWidget(downloadBar_, 0, 1);
    bars->addWidget(new QLabel("読込み", this), 1, 0);
    bars->addWidget(readBar_, 1, 1);
    bars->addWidget(new QLabel("作成データ", this), 2, 0);
    madeDataLabel_ = new QLabel(this);
    madeDataLabel_->setObjectName("MkDataLabel");
    madeDataLabel_->setMinimumWidth(320);
    bars->addWidget(madeDataLabel_, 2, 1);
    col->addLayout(bars);

    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName("ProgressLabel");
    statusLabel_->setFrameShape(QFrame::StyledPanel);
    col->addWidget(statusLabel_);
}

void DownloadWindow::buildButtons(QVBoxLayout* col) {
    auto* buttons = new QHBoxLayout;
    startButton_ = new QPushButton("データ取込", this);
    startButton_->setObjectName("ButtonStart");
    cancelButton_ = new QPushButton("データ取込中止", this);
    cancelButton_->setObjectName("ButtonCancel");
    serviceSettingsButton_ = new QPushButton("UmaConn設定", this);
    serviceSettingsButton_->setObjectName("SpeedButton1");
    buttons->addWidget(startButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch();
    buttons->addWidget(serviceSettingsButton_);
    col->addLayout(buttons);
}

void DownloadWindow::createDownload() {
    reporter_ = std::make_shared<JobReporter>(main_->messages());
    progress_ = std::make_shared<SharedProgress>();
    download_ = std::make_shared<BulkDownload>(*control_, *reporter_,
                                               [progress = progress_](const DownloadProgress& p) {
                                                   std::lock_guard lock(progress->lock);
                                                   progress->latest = p;
                                               });
}

DownloadWindow::~DownloadWindow() = default;

void DownloadWindow::showProgress(const DownloadProgress& p) {
    downloadBar_->setRange(0, std::max(1, p.downloadMax));
    downloadBar_->setValue(std::min(p.downloadPosition, std::max(1, p.downloadMax)));
    readBar_->setRange(0, std::max(1, p.readMax));
    readBar_->setValue(std::min(p.readPosition, std::max(1, p.readMax)));
    statusLabel_->setText(fromCp932(p.status));
    madeDataLabel_->setText(fromCp932(p.madeData));
    if (p.busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void DownloadWindow::startDownload() {
    if (running_) return;
    ControlWorker* worker = main_->worker();
    if (worker->busy()) {
        Dialogs::information(this, ControlWorker::busyMessage(worker->jobName()));
        return;
    }
    download_->setFromTime(fromQt(fromTimeEdit_->dateTime()));
    Dialogs::information(this, fromCp932(download_->startMessage()));
    if (worker->busy()) return;  // a job began while the notice was open
    running_ = true;
    startButton_->setEnabled(false);
    QPointer<DownloadWindow> self = this;
    CancelToken cancel;
    download_->setCancelToken(cancel);
    worker->start(
        windowTitle(), [download = download_] { download->run(); },
        [self] {
            if (self) self->jobEnded();
        },
        cancel);
    progressTimer_->start();
}

void DownloadWindow::showLatestProgress() {
    DownloadProgress p;
    {
        std::lock_guard lock(progress_->lock);
        p = progress_->latest;
    }
    showProgress(p);
}

void DownloadWindow::jobEnded() {
    running_ = false;
    progressTimer_->stop();
    showLatestProgress();  // the last texts of the job
    startButton_->setEnabled(true);
    const bool completed = download_->outcome() == DownloadOutcome::Completed;
    // The bars beside "完了" say it: everything downloaded and read.
    if (completed)
        for (QProgressBar* bar : {downloadBar_, readBar_}) bar->setValue(bar->maximum());
    fromTimeEdit_->setDateTime(toQt(download_->fromTime()));
    unsetCursor();
    // A cancelled or failed download keeps the files it wrote too.
    emit downloadEnded(download_->stats().filesWritten > 0, completed);
    if (closePending_) close();
}

void DownloadWindow::cancelDownload() {
    if (!running_) {
        statusLabel_->setText(fromCp932(BulkDownload::notRunningMessage()));
        return;
    }
    if (!Dialogs::askYesNo(this, fromCp932(BulkDownload::cancelQuestion()))) return;
    if (!running_) {
        // It ended while the question was open: there is nothing to cancel.
        statusLabel_->setText(fromCp932(BulkDownload::notRunningMessage()));
        return;
    }
    main_->worker()->cancel();  // the job reports the cancel and ends at its next turn
}

void DownloadWindow::openServiceSettings() {
    // The settings dialog talks to the control: never while a job does.
    if (main_->worker()->busy()) {
        Dialogs::information(this, ControlWorker::busyMessage(main_->worker()->jobName()));
        return;
    }
    int rc = control_->NVSetUIProperties();
    if (rc != 0) {
        Dialogs::beep();
        Dialogs::information(this, "NVSetUIPropertiesエラー：" + fromCp932(ResultMessage("NVSetUIProperties", rc)));
    }
}

void DownloadWindow::reject() { close(); }

void DownloadWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The download stops at its next turn, writes what it read, and the window closes then.
        main_->worker()->cancel();
        closePending_ = true;
        event->ignore();
        return;
    }
    progressTimer_->stop();
    event->accept();
}

}  // namespace vex::ui
