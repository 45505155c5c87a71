#include "ui/bet_file_viewer.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "betting/bet_list.h"
#include "ui/widgets/grid_view.h"

namespace vex::ui {

TBetFileViewer::TBetFileViewer(QWidget* parent) : QWidget(parent), lines_(decodeBetLines({})) {
    setObjectName("BetFileViewer");
    auto* left = new QVBoxLayout;
    FileListBox2 = new QListWidget(this);
    FileListBox2->setObjectName("FileListBox2");
    FileListBox2->setFixedWidth(160);
    RefreshBtn = new QPushButton("Refresh", this);
    RefreshBtn->setObjectName("RefreshBtn");
    left->addWidget(FileListBox2, 1);
    left->addWidget(RefreshBtn);

    BetFileGrid = new GridView(this);
    BetFileGrid->setObjectName("BetFileGrid");
    QFont gridFont = font();
    gridFont.setPixelSize(12);
    BetFileGrid->setFont(gridFont);
    BetFileGrid->setHeaderColour(QColor(0xC0, 0xC0, 0xC0));
    BetFileGrid->gridModel()->setGrid(&lines_);
    BetFileGrid->setColumnWidths({40, 50, 50, 28, 50, 36, 110, 110, 110, 50, 24, 40});

    auto* h = new QHBoxLayout(this);
    h->addLayout(left);
    h->addWidget(BetFileGrid, 1);

    connect(RefreshBtn, &QPushButton::clicked, this, &TBetFileViewer::RefreshBtnClick);
    connect(FileListBox2, &QListWidget::currentTextChanged, this, &TBetFileViewer::loadFile);
    setFolder(appFolder() / "kaime");
}

TBetFileViewer::~TBetFileViewer() { BetFileGrid->gridModel()->setGrid(nullptr); }

void TBetFileViewer::setFolder(const std::filesystem::path& folder) {
    folder_ = folder;
    RefreshBtnClick();
}

void TBetFileViewer::RefreshBtnClick() {
    const QString current = FileListBox2->currentItem() ? FileListBox2->currentItem()->text() : QString();
    QSignalBlocker block(FileListBox2);
    FileListBox2->clear();
    for (const std::string& name : listBetFiles(folder_)) FileListBox2->addItem(QString::fromStdString(name));
    // Keep the file shown when it is still there.
    const auto found = FileListBox2->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty()) FileListBox2->setCurrentItem(found.front());
}

void TBetFileViewer::loadFile(const QString& name) {
    lines_ = decodeBetLines(name.isEmpty() ? std::vector<std::string>{} : readLines(folder_ / name.toStdString()));
    BetFileGrid->gridModel()->refresh();
}

}  // namespace vex::ui
