#include "ui/shared/japanese_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <QIdentityProxyModel>
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

namespace {

class JapaneseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != kType && index.column() != kModified))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kModified)
            return QLocale(QLocale::Japanese, QLocale::Japan).toString(files->lastModified(source), "yyyy/MM/dd HH:mm");
        if (files->isDir(source)) return QStringLiteral("フォルダ");
        const QString suffix = files->fileInfo(source).suffix().toUpper();
        return suffix.isEmpty() ? QStringLiteral("ファイル") : suffix + QStringLiteral(" ファイル");
    }

    // The columns of QFileSystemModel.
    static constexpr int kType = 2, kModified = 3;
};

}  // namespace

QAbstractProxyModel* japaneseFileColumns(QObject* parent) { return new JapaneseFileColumns(parent); }

void makeJapanese(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(japaneseFileColumns(&dialog));
    // Room for the whole date and kind beside the names.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(760, 460)));
    if (auto* details = dialog.findChild<QTreeView*>())
        for (int column : {JapaneseFileColumns::kType, JapaneseFileColumns::kModified})
            details->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

}  // namespace vex::ui
