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

class BetFileViewer : public QWidget {
    Q_OBJECT
public:
    // Shows the application folder's kaime subfolder.
    explicit BetFileViewer(QWidget* parent = nullptr);
    ~BetFileViewer() override;

    void setFolder(const std::filesystem::path& folder);
    const std::filesystem::path& folder() const { return folder_; }
    // Loads one file of the folder into the grid.
    void loadFile(const QString& name);

    void refreshFileList();

private:
    std::filesystem::path folder_;
    TextGrid lines_;
    QListWidget* fileList_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    GridView* grid_ = nullptr;
};

}  // namespace vex::ui
