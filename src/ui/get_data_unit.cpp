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

namespace vex::ui {

namespace {

constexpr qint64 kFrameMs = 15;

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
    : QDialog(main), main_(main), control_(control ? control : &noControl()), reporter_(this) {
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

    reporter_.onStatus = [this](const QString& text) { ProgressLabel->setText(text); };
    download_ = std::make_unique<BulkDownload>(
        *control_, reporter_,
        [this] {
            if (sinceMessages_.isValid() && sinceMessages_.elapsed() < kFrameMs) return;
            sinceMessages_.start();
            QApplication::processEvents(QEventLoop::AllEvents);
        },
        [this](const DownloadProgress& p) { showProgress(p); });
    DateTimePicker1->setDateTime(toQt(BulkDownload::initialFromTime()));

    connect(ButtonStart, &QPushButton::clicked, this, [this] { ButtonStartClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(TimerJVStatus, &QTimer::timeout, this, [this] { TimerJVStatusTimer(); });
}

TGetDataForm::~TGetDataForm() = default;

void TGetDataForm::showProgress(const DownloadProgress& p) {
    // Status and busy changes show at once; the per-record counters and labels once a frame.
    bool change = p.status != shownStatus_ || p.busy != shownBusy_;
    if (!change && sinceShown_.isValid() && sinceShown_.elapsed() < kFrameMs) return;
    sinceShown_.start();
    shownStatus_ = p.status;
    shownBusy_ = p.busy;
    ProgressBar1->setRange(0, std::max(1, p.downloadMax));
    ProgressBar1->setValue(std::min(p.downloadPosition, std::max(1, p.downloadMax)));
    ProgressBar2->setRange(0, std::max(1, p.readMax));
    ProgressBar2->setValue(std::min(p.readPosition, std::max(1, p.readMax)));
    ProgressLabel->setText(fromCp932(p.status));
    MkDataLabel->setText(fromCp932(p.madeData));
    if (p.busy && !QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!p.busy)
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void TGetDataForm::ButtonStartClick() {
    if (running_) return;  // a click that arrives while the loop lets messages run
    running_ = true;
    ButtonStart->setEnabled(false);
    TimerJVStatus->stop();
    download_->setFromTime(fromQt(DateTimePicker1->dateTime()));
    download_->start();
    if (download_->polling())
        TimerJVStatus->start();
    else
        afterStep();
}

void TGetDataForm::TimerJVStatusTimer() {
    // The read loop runs inside one poll and lets messages run; the timer must not re-enter it.
    TimerJVStatus->stop();
    download_->pollStatus();
    if (download_->polling())
        TimerJVStatus->start();
    else
        afterStep();
}

void TGetDataForm::afterStep() {
    running_ = false;
    ButtonStart->setEnabled(true);
    DateTimePicker1->setDateTime(toQt(download_->fromTime()));
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (closePending_) close();
}

void TGetDataForm::ButtonCancelClick() {
    bool wasPolling = download_->polling();
    if (!download_->cancel()) return;
    TimerJVStatus->stop();
    // A cancel in the download phase ends the run here; in the read loop the loop itself ends.
    if (wasPolling) afterStep();
}

void TGetDataForm::SpeedButton1Click() {
    int rc = control_->NVSetUIProperties();
    if (rc != 0) {
        Dialogs::beep();
        Dialogs::information(this, "NVSetUIPropertiesエラー：" + fromCp932(ResultMessage("NVSetUIProperties", rc)));
    }
}

void TGetDataForm::closeEvent(QCloseEvent* event) {
    if (running_ && !download_->polling()) {
        // Closing in the middle of the read loop: stop it first (the loop is on the stack below
        // us); the window closes as soon as the loop has ended.
        setCancelFlag(true);
        closePending_ = true;
        event->ignore();
        return;
    }
    if (download_->polling()) {
        TimerJVStatus->stop();
        control_->NVCancel();
        setCancelFlag(true);
    }
    if (main_) {
        main_->ClearRaces();
        main_->MakeDataList();
    }
    event->accept();
}

}  // namespace vex::ui
