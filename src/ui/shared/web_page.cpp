#include "ui/shared/web_page.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/shared/dialogs.h"

namespace vex::ui {

namespace {
std::function<bool(const QUrl&)>& opener() {
    static std::function<bool(const QUrl&)> replaced;
    return replaced;
}
}  // namespace

void setWebPageOpener(std::function<bool(const QUrl&)> replacement) { opener() = std::move(replacement); }

bool openWebPage(QWidget* parent, const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    // Only web addresses: anything else is no page of the site.
    bool opened = url.isValid() && (url.scheme() == "https" || url.scheme() == "http");
    if (opened) opened = opener() ? opener()(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        Dialogs::beep();
        Dialogs::information(parent, "サイトの表示に失敗しました。");
    }
    return opened;
}

}  // namespace vex::ui
