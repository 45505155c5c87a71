#include "ui/betpage/bet_file_viewer.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "betting/bet_list.h"
#include "ui/look/look.h"
#include "ui/widgets/grid_view.h"

namespace vex::ui {

BetFileViewer::BetFileViewer(QWidget* parent) : QWidget(parent), lines_(decodeBetLines({})) {
    setObjectName("BetFileViewer");
    auto* left = new QVBoxLayout;
    fileList_ = new QListWidget(this);
    fileList_->setObjectName("FileListBox2");
    fileList_->setFixedWidth(160);
    refreshButton_ = new QPushButton("Refresh", this);
    refreshButton_->setObjectName("RefreshBtn");
    left->addWidget(fileList_, 1);
    left->addWidget(refreshButton_);

    grid_ = new GridView(this);
    grid_->setObjectName("BetFileGrid");
    grid_->setFont(look::gridFont());
    grid_->setHeaderColour(look::gridHeader());
    grid_->gridModel()->setGrid(&lines_);
    grid_->setColumnWidths({40, 50, 50, 28, 50, 36, 110, 110, 110, 50, 24, 40});
    grid_->gridModel()->look = [](int col, int) {
        CellLook cell;
        const bool figure = col == 0 || col == 3 || col == 9;  // NO, R, 金額
        cell.align = figure ? look::kFigureAlignment : Qt::AlignCenter;
        return cell;
    };

    auto* h = new QHBoxLayout(this);
    h->addLayout(left);
    h->addWidget(grid_, 1);

    connect(refreshButton_, &QPushButton::clicked, this, &BetFileViewer::refreshFileList);
    connect(fileList_, &QListWidget::currentTextChanged, this, &BetFileViewer::loadFile);
    setFolder(appFolder() / "kaime");
}

BetFileViewer::~BetFileViewer() { grid_->gridModel()->setGrid(nullptr); }

void BetFileViewer::setFolder(const std::filesystem::path& folder) {
    folder_ = folder;
    refreshFileList();
}

void BetFileViewer::refreshFileList() {
    const QString current = fileList_->currentItem() ? fileList_->currentItem()->text() : QString();
    QSignalBlocker block(fileList_);
    fileList_->clear();
    for (const std::string& name : listBetFiles(folder_)) fileList_->addItem(QString::fromStdString(name));
    // Keep the file shown when it is still there.
    const auto found = fileList_->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty()) fileList_->setCurrentItem(found.front());
}

void BetFileViewer::loadFile(const QString& name) {
    lines_ = decodeBetLines(name.isEmpty() ? std::vector<std::string>{} : readLines(folder_ / name.toStdString()));
    grid_->gridModel()->refresh();
}

}  // namespace vex::ui
