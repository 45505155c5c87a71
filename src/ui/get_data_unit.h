#pragma once
// The download window "データ取込": from-time, start and cancel, the service settings button, the
// two progress bars and the texts of the bulk download it drives.
#include <QDialog>
#include <QElapsedTimer>
#include <memory>

#include "datalink/bulk_download.h"
#include "ui/dialogs.h"

class QDateTimeEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vex::ui {

class TMainForm;

class TGetDataForm : public QDialog {
    Q_OBJECT
public:
    // `main` gets its day list rebuilt when the window closes; `control` may be null (no service).
    TGetDataForm(TMainForm* main, DataControl* control);
    ~TGetDataForm() override;

    void ButtonStartClick();
    void ButtonCancelClick();
    void SpeedButton1Click();
    void TimerJVStatusTimer();
    bool running() const { return running_; }
    const BulkDownload& download() const { return *download_; }

    QPushButton* ButtonStart = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QDateTimeEdit* DateTimePicker1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QLabel* ProgressLabel = nullptr;
    QLabel* MkDataLabel = nullptr;
    QTimer* TimerJVStatus = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showProgress(const DownloadProgress& p);
    void afterStep();

    TMainForm* main_;
    DataControl* control_;
    UiReporter reporter_;
    std::unique_ptr<BulkDownload> download_;
    bool running_ = false;
    // The read loop reports every record; the window is brought up to date at most once a frame.
    QElapsedTimer sinceShown_, sinceMessages_;
    std::string shownStatus_;
    bool shownBusy_ = false;
    bool closePending_ = false;
};

}  // namespace vex::ui
