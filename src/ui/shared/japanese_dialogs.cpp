#include "ui/shared/japanese_dialogs.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vex::ui {

bool installJapaneseDialogs(QCoreApplication& app) {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto* translator = new QTranslator(&app);
    // Qt's own folder first; a Qt built elsewhere may not know the system's translations folder.
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder)) {
            QCoreApplication::installTranslator(translator);
            QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
            installed = translator;
            return true;
        }
    }
    delete translator;
    return false;
}

}  // namespace vex::ui
