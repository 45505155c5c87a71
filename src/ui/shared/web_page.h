#pragma once
// Web pages open through the desktop's own handler, the address passed as one argument: no
// command line is ever built from text found elsewhere.
#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace vex::ui {

// Opens `address`; on failure beeps and says "サイトの表示に失敗しました。". False when it failed.
bool openWebPage(QWidget* parent, const QString& address);

// For tests: replaces the desktop's handler (empty: back to it).
void setWebPageOpener(std::function<bool(const QUrl&)> opener);

}  // namespace vex::ui
