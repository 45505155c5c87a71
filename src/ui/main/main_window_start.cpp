// Start-up and shutdown of the main window, and the commands that open the download and version
// windows.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdlib>
#include <ctime>

#include "app/app_folder.h"
#include "app/file_read.h"
#include "app/settings.h"
#include "compi/companion_folder.h"
#include "control/control_settings.h"
#include "datalink/data_control.h"
#include "ui/shared/about_dialog.h"
#include "ui/betpage/bet_file_viewer.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/shared/error_report.h"
#include "ui/main/main_window.h"
#include "ui/shared/modal.h"
#include "ui/shared/qt_text.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {
namespace fs = std::filesystem;

QRect keepReachable(const QRect& saved, const QList<QRect>& screens) {
    // A window is reachable when a strip of its title area (where it is grabbed) lies on a screen.
    QRect grip(saved.left(), saved.top(), std::min(saved.width(), 120), 24);
    for (const QRect& s : screens)
        if (s.intersected(grip).width() >= 40 && s.intersected(grip).height() >= 10) return saved;
    if (screens.isEmpty()) return saved;
    const QRect& home = screens.front();
    QRect r = saved;
    r.setWidth(std::min(saved.width(), home.width()));
    r.setHeight(std::min(saved.height(), home.height()));
    r.moveTopLeft(home.topLeft() + QPoint(std::max(0, (home.width() - r.width()) / 2),
                                          std::max(0, (home.height() - r.height()) / 2)));
    return r;
}

QRect fitOnScreen(const QRect& placed, const QList<QRect>& screens) {
    for (const QRect& s : screens) {
        if (!s.contains(placed.topLeft())) continue;
        if (placed.width() <= s.width() && placed.height() <= s.height()) return placed;
        QRect r(placed.topLeft(), placed.size().boundedTo(s.size()));
        r.moveLeft(std::min(r.left(), s.right() + 1 - r.width()));
        r.moveTop(std::min(r.top(), s.bottom() + 1 - r.height()));
        return r;
    }
    return placed;
}

QRect centredOn(const QSize& size, const QRect& screen) {
    QRect r(QPoint(), size.boundedTo(screen.size()));
    r.moveCenter(screen.center());
    return r;
}

void MainWindow::startUp() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    appDir_ = appFolder();
    createAppFolders();  // a folder that cannot be made ends start-up with its error
    // Settings that cannot be read are said once, here; votes are refused while it lasts, and no
    // write replaces the file (each refuses it), so nothing else repeats the message.
    if (const std::string problem = Settings().readProblem(); !problem.empty()) {
        reportError(fromCp932(problem) + "\n設定ファイルが読めない間は既定の設定で表示し、投票はできません。");
    } else {
        // Fills a blank `quillet` only; run once the folder exists so its write has somewhere to go.
        // A folder that cannot be written (read-only, full) still lets stored days be viewed.
        try {
            discoverCompanionFolder(Settings());
        } catch (const std::exception& e) {
            reportError("設定ファイルを書き込めませんでした。\n" + errorText(e));
        }
    }
    applyDeveloperMarker();
    restoreBounds();
    noRedrawAfterFetchItem_->setChecked(read(Settings(), settings::kNoRedrawAfterFetch));
    openLogs();
    if (fs::exists(appDir_ / "Master.key")) directReadButton_->setVisible(true);
    connectBetPage();
    fillDaySelector();
}

// The marker file shows the developer's menus and tabs.
void MainWindow::applyDeveloperMarker() {
    developer_ = fs::exists(appDir_ / "OnlyTheDeveloperAvailableFunction.key");
    if (!developer_) return;
    for (QAction* a : {folderSeparator_, timeSeriesFolderItem_, timeSeriesOddsItem_, autoVoteMenu_->menuAction()})
        a->setVisible(true);
    pages_->setTabVisible(pages_->indexOf(testTab_), true);
    pages_->setTabVisible(pages_->indexOf(raceCardTab_), true);
    betFileViewer_->setFolder(appDir_ / "kaime");
}

void MainWindow::restoreBounds() {
    Settings ini;
    QRect saved(read(ini, settings::kMainLeft), read(ini, settings::kMainTop), read(ini, settings::kMainWidth),
                read(ini, settings::kMainHeight));
    if (saved.width() < 200) saved.setWidth(200);
    if (saved.height() < 150) saved.setHeight(150);
    QList<QRect> screens;
    for (QScreen* s : QGuiApplication::screens()) screens << s->availableGeometry();
    // Never placed before (the first start): in the middle of the main screen, not in its corner.
    const bool firstStart = ini.readString(settings::kMainLeft.section, settings::kMainLeft.key, "").empty();
    QScreen* primary = QGuiApplication::primaryScreen();
    QRect placed = firstStart && primary ? centredOn(saved.size(), primary->availableGeometry())
                                         : fitOnScreen(keepReachable(saved, screens), screens);
    resize(placed.size());
    move(placed.topLeft());
}

// The voting log (held in memory) and the error log's start-up lines.
void MainWindow::openLogs() {
    votingLog_ = VotingLog(appDir_ / "VovoVaro.log");
    try {
        votingLog_.load();
    } catch (const FileReadError& e) {
        reportError(errorText(e));  // a vote refuses to replace it later and says so again
    }
    errorLog_ = ErrorLog(appDir_ / "ErrorLog.txt");
    try {
        errorLog_.startUp(appDir_.string());  // the folder path is a UTF-8 file name, kept as it is
    } catch (const std::exception& e) {
        reportError("エラーログを書き込めませんでした。\n" + errorText(e));
    }
}

// What the bet page's vote needs from this window, and the toolbar's countdown.
void MainWindow::connectBetPage() {
    VoteEnvironment env;
    env.control = control_;
    env.log = &votingLog_;
    env.worker = worker_;
    env.messages = messages_;
    // The day and race of the views, never the day selector's text: a load may still be running.
    env.dayStamp = [this] { return dayShown_ ? table_->paths.stamp : std::string(); };
    env.shownSlot = [this] { return currentRace_; };
    // A vote that ends after another day was loaded marks nothing of the new day.
    env.markVoted = [this](const std::string& day, int slot) {
        if (dayShown_ && table_->paths.stamp == day) voted_[static_cast<std::size_t>(slot)] = true;
    };
    betPage_->setVoteEnvironment(std::move(env));
    betPage_->attachCountdownLabel(postCountdown_);
}

void MainWindow::firstShown() {
    version_ = kProgramVersion;
    if (control_ && control::activeSource().kind == control::ActiveSource::Bridge) {
        // The bridge starts a child (Wine, ssh) that may take seconds: its NVInit is a job.
        auto rc = std::make_shared<int>(0);
        QPointer<MainWindow> self(this);
        worker_->start("NVInit", [control = control_, rc] { *rc = control->NVInit(kSoftwareId); }, [self, rc] {
            if (self && *rc != 0) Dialogs::information(self, QString("NVInitエラー：%1").arg(*rc));
        });
    } else if (control_) {
        int rc = control_->NVInit(kSoftwareId);
        if (rc != 0) Dialogs::information(this, QString("NVInitエラー：%1").arg(rc));
    }
    // Loaded once the window stands, so the day load's progress window opens over it.
    selectStartDay();
}

void MainWindow::saveBounds() {
    Settings ini;
    if (!ini.readProblem().empty()) return;  // said at start; the file is not replaced
    try {
        write(ini, settings::kMainTop, y());
        write(ini, settings::kMainLeft, x());
        write(ini, settings::kMainWidth, width());
        write(ini, settings::kMainHeight, height());
    } catch (const SettingsWriteError& e) {
        // Closing goes on; the user learns the position was not kept.
        Dialogs::information(this, errorText(e));
    }
}

void MainWindow::onDownloadClicked() {
    // Modeless: the race list and the bet page stay usable while the download runs.
    if (!downloadWindow_) {
        downloadWindow_ = new DownloadWindow(this, control_);
        connect(downloadWindow_, &DownloadWindow::downloadEnded, this, &MainWindow::showDownloadedDays);
    }
    downloadWindow_->show();
    downloadWindow_->raise();
    downloadWindow_->activateWindow();
}

void MainWindow::showAbout() {
    showModal(new AboutDialog(version_, this));
}

}  // namespace vex::ui
