#pragma once
// The Compi window (objectName TCompiForm, "コンピ指数入力"): brings the Compi index of the loaded day
// in, by pasting a page source (tab "貼り付け入力") or by typing one race's index by hand (tab
// "コンピ指数手入力"). It stays on top of the main window, follows the main window's race selection,
// saves every typed change at once, and reloads the day when it closes so every Compi-derived
// value is computed anew from the files.
#include <QWidget>
#include <array>

#include "compi/manual_entry.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace vex::ui {

class MainWindow;
class NumberEdit;

class CompiWindow : public QWidget {
    Q_OBJECT
public:
    // Builds the window for `main`; `mainRaceList` is the main window's race list (DatList).
    CompiWindow(MainWindow& main, QListWidget* mainRaceList);
    ~CompiWindow() override;
    const MainWindow& mainWindow() const { return main_; }

    // "コンピ入力" of the main window: checks that a day is loaded, selects the main window's race
    // here and shows the window.
    void openForSelectedRace();
    // Paste tab: the clipboard's page source into the memo, then the page import.
    void importFromClipboard();
    // Fills the grid from the Compi file for the race selected in the main window (ReadCompBtn).
    void loadSelectedRace();
    // Writes the grid's line into the Compi file and the race table (Savebtn).
    void saveGrid();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildPasteTab();
    QWidget* buildManualTab();
    QWidget* buildHorseSection(QWidget* parent);
    QWidget* buildFrameSection(QWidget* parent);
    NumberEdit* entryCell(QWidget* parent, int number);
    void copyRaceList();
    void selectRaceHere(int row);
    void horseNumberTyped();
    void valueTyped();
    void frameNumberTyped();
    void frameValueTyped();
    void showMessages(const std::vector<std::string>& messages);
    void eraseCells(const std::vector<int>& ranks, const std::vector<NumberEdit*>& cells);
    CompiEntryGrid gridFromCells() const;
    std::vector<NumberEdit*> shownHorseCells() const;
    std::vector<NumberEdit*> shownValueCells() const;
    int selectedRunners() const;
    void restorePosition();
    void savePosition();

    MainWindow& main_;
    QListWidget* mainRaceList_;
    int runners_ = 0;  // of the race the grid shows

    QTabWidget* tabs_ = nullptr;
    QLabel* providerLink_ = nullptr;
    QPlainTextEdit* pageMemo_ = nullptr;
    QPushButton* importButton_ = nullptr;
    QListWidget* raceList_ = nullptr;
    std::array<NumberEdit*, kMaxRunners> horseCells_{}, valueCells_{};
    std::array<QWidget*, kMaxRunners> horseRowLabels_{};
    std::array<NumberEdit*, kMaxFrames> frameCells_{}, frameValueCells_{};
    QPushButton* loadButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
};

// Creates the Compi window of `main` and wires the main window's "コンピ入力" button, its race
// selection, and the companion folder item (K2, "Quilletフォルダの指定").
CompiWindow* attachCompiWindow(MainWindow& main);

// The Compi window attached to `main` (a top-level window of its own); null when none.
CompiWindow* compiWindowOf(const MainWindow& main);

// K2: asks for the companion application's folder and keeps it as `quillet` in section `Dir`.
void chooseCompanionFolder(QWidget* parent);

}  // namespace vex::ui
