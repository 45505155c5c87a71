#pragma once
// Helpers of the window tests: a temporary application folder and finding controls by name.
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <string>
#include <vector>

#include "datalink/bulk_download.h"

namespace vex::uitest {

// A fresh application folder; VEXMORA_HOME points at it while the object lives.
class TempHome {
public:
    TempHome();
    ~TempHome();
    QString path() const { return dir_.path(); }
    std::string str() const { return dir_.path().toStdString(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    void touch(const QString& name) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

template <class T>
T* byName(QObject* root, const char* name) {
    T* w = root->findChild<T*>(name);
    if (!w) qWarning("no control named %s", name);
    return w;
}

// A bulk download from `from` with every message dropped: fills the store a window test opens.
DownloadOutcome downloadQuietly(DataControl& control, const DateTime& from);

// Runs the event loop until every call posted to the window thread so far (by jobs, the day
// loader, ...) has run: a check that nothing more comes needs no fixed wait after it.
void drainWindowMailbox();

// When VEXMORA_SCREENSHOTS names a folder, saves a grab of `w` there as `name`.png.
void saveShot(QWidget* w, const QString& name);

}  // namespace vex::uitest
