#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <cstdio>
#include <memory>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "app/settings.h"
#include "control/control_factory.h"
#include "ui/datacontrol/control_dialogs.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
#include "ui/shared/japanese_dialogs.h"
#include "ui/look/look.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "vocabulary/cp932.h"

int main(int argc, char** argv) {
    vex::ui::VexmoraApplication app(argc, argv);
    QApplication::setApplicationName("Vexmora");
    // The desktop matches the windows to vexmora.desktop (its icon, its name in the task bar).
    QGuiApplication::setDesktopFileName("vexmora");
    vex::ui::look::applyLook(app);
    vex::ui::installJapaneseDialogs(app);  // はい/いいえ, not Yes/No, in every message box

    // A clock the user asked for but did not get would date every download and vote wrongly.
    if (std::string clock = vex::clockSettingProblem(); !clock.empty()) {
        std::fprintf(stderr, "vexmora: %s\n", clock.c_str());
        vex::ui::Dialogs::information(nullptr, QString::fromStdString(clock));
        return 1;
    }
    if (std::string folder = vex::appFolderProblem(); !folder.empty()) {
        std::fprintf(stderr, "vexmora: %s\n", folder.c_str());
        vex::ui::Dialogs::information(nullptr, QString::fromStdString(folder));
        return 1;
    }
    vex::removeStaleTemporariesBelow(vex::appFolder());

    // Without a working data-service control there is nothing the program can do: say how to get
    // one and end before any window opens.
    vex::ui::QtControlUi controlUi;
    std::unique_ptr<vex::DataControl> control;
    std::string problem = vex::dataControlProblem();
    if (problem.empty()) control = vex::createDataControl(&controlUi);
    if (!control) {
        if (!problem.empty()) std::fprintf(stderr, "vexmora: %s\n", vex::toUtf8(problem).c_str());
        vex::ui::Dialogs::beep();
        vex::ui::Dialogs::information(nullptr, "地方競馬VANのホームページより【UmaConn】を入手し、インストールしてください。");
        // The page to open is ours to set: [Service] DownloadPage in the settings file.
        std::string page = vex::Settings().readString("Service", "DownloadPage", "");
        if (!page.empty()) QDesktopServices::openUrl(QUrl(vex::ui::fromCp932(page)));
        return 1;
    }

    vex::ui::MainWindow window(control.get());
    controlUi.setParent(&window);
    window.show();
    return app.exec();
}
