#pragma once
// The standard buttons and texts of Qt's own message boxes and pickers (Yes/No, OK, Cancel, the
// file dialog) in Japanese, from Qt's translations as the system installs them.
class QAbstractProxyModel;
class QCoreApplication;
class QFileDialog;
class QObject;

namespace vex::ui {

// Loads Qt's Japanese translation into `app` (once; later calls do nothing) and makes Japanese the
// default locale, so calendars and pickers read alike. False when the translation is not installed:
// the dialogs then keep Qt's English buttons and everything else works as before.
bool installJapaneseDialogs(QCoreApplication& app);

// Qt's own picker rather than the desktop's, so it speaks Japanese whatever the desktop's
// language, with the dates and kinds of its entries in Japanese too (Qt writes those in the
// system's language, not the translation's).
void makeJapanese(QFileDialog& dialog);
// What the picker lists its entries through: 更新日 as "2026/06/10 09:30", タイプ as "フォルダ" or
// "TXT ファイル"; other columns as the file system model gives them.
QAbstractProxyModel* japaneseFileColumns(QObject* parent);

}  // namespace vex::ui
