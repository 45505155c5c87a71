#pragma once
// The tab "買い目": index card, bet kind and method, multi boxes, odds filter, stake split, bet list
// and the vote button. A thin window over the core's bet page: every click is passed to the core,
// and the grids show the core's text grids through models.
#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace vex::ui {

class TGridView;
class TLabel3D;
class TNumEdit;
class TRadioGroup;

class TBetPage : public QWidget {
    Q_OBJECT
public:
    explicit TBetPage(QWidget* parent = nullptr);
    ~TBetPage() override;

    TGridView* card() const { return StringGrid26; }
    TGridView* betList() const { return StringGrid34; }

private:
    void buildLayout();

    TLabel3D* ZoneLabel = nullptr;
    TGridView* StringGrid26 = nullptr;
    TRadioGroup* BakenRadio = nullptr;
    TRadioGroup* KaikataRadio = nullptr;
    QCheckBox* multiBoxes_[4] = {};
    TNumEdit* Toz1editA = nullptr;
    TNumEdit* Toz2editA = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    QPushButton* allButtons_[3] = {};
    QPushButton* clearButtons_[3] = {};
    TGridView* StringGrid34 = nullptr;
    TNumEdit* AmountEdit = nullptr;
    QLabel* PointsLabel = nullptr;
    QLabel* TotalLabel = nullptr;
    QLabel* RateLabel = nullptr;
    QPushButton* TohyoBtn = nullptr;
};

}  // namespace vex::ui
