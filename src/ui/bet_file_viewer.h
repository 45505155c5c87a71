#pragma once
// The developer tab "テスト": the bet files of the kaime folder ("*.txt" and the votes' "*.nbet"),
// and the chosen one decoded line by line into a grid.
#include <QWidget>
#include <filesystem>

#include "vocabulary/text_grid.h"

class QListWidget;
class QPushButton;

namespace vex::ui {

class GridView;

class TBetFileViewer : public QWidget {
    Q_OBJECT
public:
    // Shows the application folder's kaime subfolder.
    explicit TBetFileViewer(QWidget* parent = nullptr);
    ~TBetFileViewer() override;

    void setFolder(const std::filesystem::path& folder);
    const std::filesystem::path& folder() const { return folder_; }
    // Loads one file of the folder into the grid.
    void loadFile(const QString& name);

    void RefreshBtnClick();

private:
    std::filesystem::path folder_;
    TextGrid lines_;
    QListWidget* FileListBox2 = nullptr;
    QPushButton* RefreshBtn = nullptr;
    GridView* BetFileGrid = nullptr;
};

}  // namespace vex::ui
