#include "ui/get_data_unit.h"

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
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/worker.h"

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

TGetDataForm::TGetDataForm(TMainForm* main, DataControl* control)
    : QDialog(main), main_(main), control_(control ? control : &noControl()) {
    setObjectName("GetDataForm");
    setWindowTitle("データ取込");
    setAttribute(Qt::WA_DeleteOnClose);

    auto* col = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* fromCaption = new QLabel("取得開始日付", this);
    DateTimePicker1 = new QDateTimeEdit(this);
    DateTimePicker1->setObjectName("DateTimePicker1");
    DateTimePicker1->setDisplayFormat("yyyy/MM/dd HH:mm:ss");
    DateTimePicker1->setCalendarPopup(true);
    top->addWidget(fromCaption);
    top->addWidget(DateTimePicker1, 1);
    col->addLayout(top);

    auto* bars = new QGridLayout;
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName("ProgressBar2");
    for (QProgressBar* b : {ProgressBar1, ProgressBar2}) {
        b->setRange(0, 100);
        b->setValue(0);
        b->setMinimumWidth(320);
    }
    bars->addWidget(new QLabel("ダウンロード", this), 0, 0);
    bars->addWidget(ProgressBar1, 0, 1);
    bars->addWidget(new QLabel("読込み", this), 1, 0);
    bars->addWidget(ProgressBar2, 1, 1);
    bars->addWidget(new QLabel("作成データ", this), 2, 0);
    MkDataLabel = new QLabel(this);
    MkDataLabel->setObjectName("MkDataLabel");
    MkDataLabel->setMinimumWidth(320);
    bars->addWidget(MkDataLabel, 2, 1);
    col->addLayout(bars);

    ProgressLabel = new QLabel(this);
    ProgressLabel->setObjectName("ProgressLabel");
    ProgressLabel->setFrameShape(QFrame::StyledPanel);
    col->addWidget(ProgressLabel);

    auto* buttons = new QHBoxLayout;
    ButtonStart = new QPushButton("データ取込", this);
    ButtonStart->setObjectName("ButtonStart");
    ButtonCancel = new QPushButton("データ取込中止", this);
    ButtonCancel->setObjectName("ButtonCancel");
    SpeedButton1 = new QPushButton("UmaConn設定", this);
    SpeedButton1->setObjectName("SpeedButton1");
    buttons->addWidget(ButtonStart);
    buttons->addWidget(ButtonCancel);
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    col->addLayout(buttons);

    TimerJVStatus = new QTimer(this);
    TimerJVStatus->setObjectName("TimerJVStatus");
    TimerJVStatus->setInterval(10);

    reporter_ = std::make_shared<JobReporter>(main_->messages());
    progress_ = std::make_shared<SharedProgress>();
    download_ = std::make_shared<BulkDownload>(*control_, *reporter_, [progress = progress_](const DownloadProgress& p) {
        std::lock_guard lock(progress->lock);
        progress->latest = p;
    });
    download_->setStartClearsCancelFlag(false);  // the worker clears it when the job is handed over
    DateTimePicker1->setDateTime(toQt(BulkDownload::initialFromTime()));

    connect(ButtonStart, &QPushButton::clicked, this, [this] { ButtonStartClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(TimerJVStatus, &QTimer::timeout, this, [this] { TimerJVStatusTimer(); });
}

TGetDataForm::~TGetDataForm() = default;

void TGetDataForm::showProgress(const DownloadProgress& p) {
    ProgressBar1->setRange(0, std::max(1, p.downloadMax));
    ProgressBar1->setValue(std::min(p.downloadPosition, std::max(1, p.downloadMax)));
    ProgressBar2->setRange(0, std::max(1, p.readMax));
    ProgressBar2->setValue(std::min(p.readPosition, std::max(1, p.readMax)));
    ProgressLabel->setText(fromCp932(p.status));
    MkDataLabel->setText(fromCp932(p.madeData));
    if (p.busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TGetDataForm::ButtonStartClick() {
    if (running_) return;
    ControlWorker* worker = main_->worker();
    if (worker->busy()) {
        Dialogs::information(this, ControlWorker::busyMessage(worker->jobName()));
        return;
    }
    download_->setFromTime(fromQt(DateTimePicker1->dateTime()));
    Dialogs::information(this, fromCp932(download_->startMessage()));
    if (worker->busy()) return;  // a job began while the notice was open
    running_ = true;
    ButtonStart->setEnabled(false);
    QPointer<TGetDataForm> self = this;
    worker->start(
        windowTitle(), [download = download_] { download->run(); },
        [self] {
            if (self) self->jobEnded();
        });
    TimerJVStatus->start();
}

void TGetDataForm::TimerJVStatusTimer() {
    DownloadProgress p;
    {
        std::lock_guard lock(progress_->lock);
        p = progress_->latest;
    }
    showProgress(p);
}

void TGetDataForm::jobEnded() {
    running_ = false;
    TimerJVStatus->stop();
    TimerJVStatusTimer();  // the last texts of the job
    ButtonStart->setEnabled(true);
    DateTimePicker1->setDateTime(toQt(download_->fromTime()));
    unsetCursor();
    if (closePending_) close();
}

void TGetDataForm::ButtonCancelClick() {
    if (!running_) {
        ProgressLabel->setText(fromCp932(BulkDownload::notRunningMessage()));
        return;
    }
    if (!Dialogs::askYesNo(this, fromCp932(BulkDownload::cancelQuestion()))) return;
    main_->worker()->cancel();  // the job reports the cancel and ends at its next turn
}

void TGetDataForm::SpeedButton1Click() {
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

void TGetDataForm::reject() { close(); }

void TGetDataForm::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The download stops at its next turn, writes what it read, and the window closes then.
        main_->worker()->cancel();
        closePending_ = true;
        event->ignore();
        return;
    }
    TimerJVStatus->stop();
    if (main_) {
        main_->ClearRaces();
        main_->MakeDataList();
    }
    event->accept();
}

}  // namespace vex::ui
