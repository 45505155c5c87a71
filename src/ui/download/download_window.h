#pragma once
// Folder ui/download: the bulk download (this window), the race-day refresh of odds and results
// with its timers, and the fetch-times dialog.
//
// The download window "データ取込": from-time, start and cancel, the service settings button, the
// two progress bars and the texts of the bulk download it drives. The download runs as a job on
// the main window's control worker; the window shows its progress every 10 ms and stays
// modeless, so the race list and the bet page can be used meanwhile.
#include <QDialog>
#include <memory>
#include <mutex>

#include "datalink/bulk_download.h"
#include "ui/shared/dialogs.h"

class QDateTimeEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace vex::ui {

class MainWindow;
class JobReporter;

class DownloadWindow : public QDialog {
    Q_OBJECT
public:
    // `main` runs the download on its worker; `control` may be null (no service).
    DownloadWindow(MainWindow* main, DataControl* control);
    ~DownloadWindow() override;

    // The buttons "データ取込", "データ取込中止" and "UmaConn設定".
    void startDownload();
    void cancelDownload();
    void openServiceSettings();
    bool running() const { return running_; }
    // The last download's figures and outcome; read it only while !running().
    const BulkDownload& download() const { return *download_; }

signals:
    // A download of this window ended: `storedNew` when it wrote to the store, `completed` when it
    // read to the end. The main window shows the new days then, not only when this window closes.
    void downloadEnded(bool storedNew, bool completed);

protected:
    // Every way of closing (the title bar, Esc, close()) runs the same closing routine.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // The latest progress of the job, handed from the worker to the window.
    struct SharedProgress {
        std::mutex lock;
        DownloadProgress latest;
    };
    void buildLayout();
    void buildProgressRows(QVBoxLayout* col);
    void buildButtons(QVBoxLayout* col);
    void createDownload();
    void showLatestProgress();
    void showProgress(const DownloadProgress& p);
    void jobEnded();

    MainWindow* main_;
    DataControl* control_;
    std::shared_ptr<JobReporter> reporter_;
    std::shared_ptr<SharedProgress> progress_;
    std::shared_ptr<BulkDownload> download_;  // touched by the job only while running_
    bool running_ = false;
    bool closePending_ = false;

    QPushButton* startButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* serviceSettingsButton_ = nullptr;
    QDateTimeEdit* fromTimeEdit_ = nullptr;
    QProgressBar* downloadBar_ = nullptr;
    QProgressBar* readBar_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* madeDataLabel_ = nullptr;
    QTimer* progressTimer_ = nullptr;
};

}  // namespace vex::ui
