#include "ui/support/ui_support.h"

#include <QApplication>
#include <QFile>

#include "support/test_support.h"
#include "ui/datacontrol/worker.h"
#include "ui/look/look.h"

namespace vex::uitest {

namespace {
// The window tests run with the program's look (style, palette, font, icon), as the program does.
void applyProgramLook() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) ui::look::applyLook(*app);
}
}  // namespace
Q_COREAPP_STARTUP_FUNCTION(applyProgramLook)

DownloadOutcome downloadQuietly(DataControl& control, const DateTime& from) {
    test::RecordingReporter reporter;
    BulkDownload download(control, reporter);
    download.setFromTime(from);
    return download.run([] {});
}

TempHome::TempHome() : hadPrevious_(qEnvironmentVariableIsSet("VEXMORA_HOME")) {
    previous_ = qgetenv("VEXMORA_HOME");
    qputenv("VEXMORA_HOME", dir_.path().toUtf8());
}

TempHome::~TempHome() {
    if (hadPrevious_)
        qputenv("VEXMORA_HOME", previous_);
    else
        qunsetenv("VEXMORA_HOME");
}

void TempHome::touch(const QString& name) const {
    QFile f(file(name));
    f.open(QIODevice::WriteOnly);
}

void drainWindowMailbox() {
    bool reached = false;
    ui::postToWindow([&reached] { reached = true; });
    QTRY_VERIFY_WITH_TIMEOUT(reached, 20000);
}

void saveShot(QWidget* w, const QString& name) {
    QString folder = qEnvironmentVariable("VEXMORA_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    w->grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace vex::uitest
