#pragma once
// The standard buttons and texts of Qt's own message boxes and pickers (Yes/No, OK, Cancel, the
// file dialog) in Japanese, from Qt's translations as the system installs them.
class QCoreApplication;

namespace vex::ui {

// Loads Qt's Japanese translation into `app` (once; later calls do nothing) and makes Japanese the
// default locale, so calendars and pickers read alike. False when the translation is not installed:
// the dialogs then keep Qt's English buttons and everything else works as before.
bool installJapaneseDialogs(QCoreApplication& app);

}  // namespace vex::ui
