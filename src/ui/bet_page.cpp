#include "ui/bet_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/grid_view.h"
#include "ui/widgets/label3d.h"
#include "ui/widgets/num_edit.h"
#include "ui/widgets/radio_group.h"

namespace vex::ui {
namespace {

const std::vector<int> kCardWidths{20, 20, 130, 30, 20, 40, 20, 35, 25, 25, 25, 25};
const std::vector<int> kBetListWidths{20, 30, 60, 60, 0, 0, 60, 90, 90, 0, 0, 0, 0, 0, 0};

QLabel* caption(const QString& text, QWidget* parent) { return new QLabel(text, parent); }

QLabel* valueLabel(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setMinimumWidth(70);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

}  // namespace

TBetPage::TBetPage(QWidget* parent) : QWidget(parent) {
    setObjectName("BetPage");
    buildLayout();
}

TBetPage::~TBetPage() = default;

void TBetPage::buildLayout() {
    QFont gridFont = font();
    gridFont.setPixelSize(12);

    // ---- left: zone pattern, index card, mark buttons
    auto* left = new QVBoxLayout;
    auto* zoneRow = new QHBoxLayout;
    ZoneLabel = new TLabel3D(QString(), this);
    ZoneLabel->setObjectName("ZoneLabel");
    QFont zoneFont = font();
    zoneFont.setPixelSize(22);
    zoneFont.setBold(true);
    ZoneLabel->setFont(zoneFont);
    ZoneLabel->setMinimumWidth(28);
    ZoneLabel->setAlignment(Qt::AlignCenter);
    auto* zoneCaption = caption("ゾーンパターン", this);
    zoneCaption->setObjectName("ZonePatternCaption");
    zoneRow->addWidget(zoneCaption);
    zoneRow->addWidget(ZoneLabel);
    zoneRow->addStretch();
    left->addLayout(zoneRow);

    StringGrid26 = new TGridView(this);
    StringGrid26->setObjectName("StringGrid26");
    StringGrid26->setFont(gridFont);
    StringGrid26->setHeaderColour(QColor(0xC0, 0xC0, 0xC0));
    StringGrid26->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid26->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int cardWidth = 0;
    for (int w : kCardWidths) cardWidth += w;
    StringGrid26->setFixedWidth(cardWidth + 24);
    left->addWidget(StringGrid26, 1);

    auto* pairs = new QHBoxLayout;
    const char* pairTitles[3] = {"◎", "相手/○", "▲"};
    for (int p = 0; p < 3; ++p) {
        auto* box = new QGroupBox(pairTitles[p], this);
        box->setObjectName(QString("MarkPair%1").arg(p + 1));
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(4, 2, 4, 2);
        allButtons_[p] = new QPushButton("全", box);
        allButtons_[p]->setObjectName(QString("AllBtn%1").arg(p + 1));
        clearButtons_[p] = new QPushButton("CL", box);
        clearButtons_[p]->setObjectName(QString("ClBtn%1").arg(p + 1));
        for (QPushButton* b : {allButtons_[p], clearButtons_[p]}) {
            b->setFixedWidth(36);
            h->addWidget(b);
        }
        pairs->addWidget(box);
    }
    pairs->addStretch();
    left->addLayout(pairs);

    // ---- middle: kind, method, multi boxes, odds filter, stake split
    auto* middle = new QVBoxLayout;
    BakenRadio = new TRadioGroup("馬券種", this, 3);
    BakenRadio->setObjectName("BakenRadio");
    BakenRadio->setItems({"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "３連単", "枠単"});
    middle->addWidget(BakenRadio);

    KaikataRadio = new TRadioGroup("買い方", this, 2);
    KaikataRadio->setObjectName("KaikataRadio");
    middle->addWidget(KaikataRadio);

    auto* multiBox = new QWidget(this);
    multiBox->setObjectName("MultiPanel");
    auto* multiGrid = new QGridLayout(multiBox);
    multiGrid->setContentsMargins(6, 0, 6, 0);
    const char* multiNames[4] = {"MultiCheck", "Multi12Check", "Multi23Check", "Multi13Check"};
    const char* multiCaptions[4] = {"マルチ", "1,2着マルチ", "2,3着マルチ", "1,3着マルチ"};
    for (int m = 0; m < 4; ++m) {
        multiBoxes_[m] = new QCheckBox(multiCaptions[m], multiBox);
        multiBoxes_[m]->setObjectName(multiNames[m]);
        multiGrid->addWidget(multiBoxes_[m], m / 2, m % 2);
    }
    middle->addWidget(multiBox);

    auto* filter = new QGroupBox("オッズフィルター", this);
    filter->setObjectName("OzFilterGroup");
    auto* fh = new QHBoxLayout(filter);
    fh->setContentsMargins(6, 2, 6, 4);
    Toz1editA = new TNumEdit(6, 1, false, filter);
    Toz1editA->setObjectName("Toz1editA");
    Toz2editA = new TNumEdit(7, 1, false, filter);
    Toz2editA->setObjectName("Toz2editA");
    Toz1editA->setFixedWidth(70);
    Toz2editA->setFixedWidth(80);
    fh->addWidget(Toz1editA);
    fh->addWidget(caption("～", filter));
    fh->addWidget(Toz2editA);
    fh->addStretch();
    middle->addWidget(filter);

    RadioGroup1 = new TRadioGroup("資金配分", this, 3);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setItems({"均等", "均等2", "均一", "均一2", "比例"});
    middle->addWidget(RadioGroup1);
    middle->addStretch();
    auto* middleBox = new QWidget(this);
    middleBox->setLayout(middle);
    middleBox->setFixedWidth(230);

    // ---- right: bet list, amount, labels, vote button
    auto* right = new QVBoxLayout;
    StringGrid34 = new TGridView(this);
    StringGrid34->setObjectName("StringGrid34");
    StringGrid34->setFont(gridFont);
    StringGrid34->setHeaderColour(QColor(0xFF, 0xB0, 0xC0));
    StringGrid34->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    right->addWidget(StringGrid34, 1);

    auto* amountRow = new QHBoxLayout;
    amountRow->addWidget(caption("入力投票金額", this));
    AmountEdit = new TNumEdit(8, 0, false, this);
    AmountEdit->setObjectName("AmountEdit");
    AmountEdit->setFixedWidth(90);
    amountRow->addWidget(AmountEdit);
    amountRow->addWidget(caption("円", this));
    amountRow->addStretch();
    right->addLayout(amountRow);

    auto* figures = new QGridLayout;
    PointsLabel = valueLabel("PointsLabel", this);
    TotalLabel = valueLabel("TotalLabel", this);
    RateLabel = valueLabel("RateLabel", this);
    figures->addWidget(caption("買い点数", this), 0, 0);
    figures->addWidget(PointsLabel, 0, 1);
    figures->addWidget(caption("投票金額", this), 1, 0);
    figures->addWidget(TotalLabel, 1, 1);
    figures->addWidget(caption("予想回収率", this), 2, 0);
    figures->addWidget(RateLabel, 2, 1);
    TohyoBtn = new QPushButton("投票", this);
    TohyoBtn->setObjectName("TohyoBtn");
    TohyoBtn->setMinimumSize(90, 56);
    QFont voteFont = font();
    voteFont.setPixelSize(18);
    voteFont.setBold(true);
    TohyoBtn->setFont(voteFont);
    figures->addWidget(TohyoBtn, 0, 2, 3, 1);
    figures->setColumnStretch(3, 1);
    right->addLayout(figures);

    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(4, 4, 4, 4);
    top->addLayout(left);
    top->addWidget(middleBox);
    top->addLayout(right, 1);
}

}  // namespace vex::ui
