#include "ui/shared/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/shared/japanese_dialogs.h"
#include "ui/shared/qt_text.h"

namespace vex::ui {
namespace {
struct DialogState {
    bool recording = false;
    std::deque<bool> answers;
    std::deque<QString> paths;
    QStringList shown;
    int beeps = 0;
};
DialogState& state() {
    static DialogState s;
    return s;
}
}  // namespace

void Dialogs::information(QWidget* parent, const QString& text) {
    if (state().recording) {
        state().shown << text;
        return;
    }
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

bool Dialogs::askYesNo(QWidget* parent, const QString& text) {
    DialogState& s = state();
    if (s.recording) {
        s.shown << text;
        if (s.answers.empty()) return true;
        bool a = s.answers.front();
        s.answers.pop_front();
        return a;
    }
    return QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

static std::optional<QString> seededPath() {
    DialogState& s = state();
    if (!s.recording) return std::nullopt;
    if (s.paths.empty()) return QString();
    QString p = s.paths.front();
    s.paths.pop_front();
    return p;
}

namespace {
// The first chosen path; empty when cancelled.
QString pick(QFileDialog& dialog) {
    makeJapanese(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}
}  // namespace

QString Dialogs::openFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) {
    if (auto p = seededPath()) return *p;
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return pick(dialog);
}

QString Dialogs::chooseFolder(QWidget* parent, const QString& caption, const QString& dir) {
    if (auto p = seededPath()) return *p;
    QFileDialog dialog(parent, caption, dir);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return pick(dialog);
}

QString Dialogs::saveFile(QWidget* parent, const QString& caption, const QString& path, const QString& filter) {
    if (auto p = seededPath()) return *p;
    QFileDialog dialog(parent, caption, path, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return pick(dialog);
}

void Dialogs::beep() {
    ++state().beeps;
    if (!state().recording) QApplication::beep();
}

void Dialogs::seedAnswers(std::deque<bool> answers) { state().answers = std::move(answers); }
void Dialogs::seedPaths(std::deque<QString> paths) { state().paths = std::move(paths); }
void Dialogs::startRecording() {
    state() = DialogState{};
    state().recording = true;
}
void Dialogs::stopRecording() { state() = DialogState{}; }
bool Dialogs::recording() { return state().recording; }
QStringList Dialogs::shown() { return state().shown; }
void Dialogs::clearShown() { state().shown.clear(); }
int Dialogs::beeps() { return state().beeps; }

void UiReporter::information(const std::string& text) { Dialogs::information(parent_, fromCp932(text)); }
bool UiReporter::askYesNo(const std::string& text) { return Dialogs::askYesNo(parent_, fromCp932(text)); }
void UiReporter::beep() { Dialogs::beep(); }
void UiReporter::status(const std::string& text) {
    if (onStatus) onStatus(fromCp932(text));
}

}  // namespace vex::ui
