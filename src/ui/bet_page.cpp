#include "ui/bet_page.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "betting/grid_sort.h"
#include "ui/dialogs.h"
#include "ui/kaime_set_unit.h"
#include "ui/qt_text.h"
#include "ui/worker.h"
#include "ui/widgets/grid_view.h"
#include "ui/widgets/label3d.h"
#include "ui/widgets/number_edit.h"
#include "ui/widgets/radio_group.h"
#include "voting/bet_lines.h"
#include "voting/vote.h"

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

TBetPage::TBetPage(QWidget* parent)
    : QWidget(parent), model_(std::make_unique<BetPage>(&settings_)), reporter_(std::make_unique<UiReporter>(this)) {
    setObjectName("BetPage");
    buildLayout();
    wire();
    sync();
}

TBetPage::~TBetPage() {
    // The views outlive the core page (children go with the QWidget base): let them forget its grids.
    if (RestTimer) RestTimer->stop();
    StringGrid26->gridModel()->setGrid(nullptr);
    StringGrid34->gridModel()->setGrid(nullptr);
}

void TBetPage::buildLayout() {
    QFont gridFont = font();
    gridFont.setPixelSize(12);

    // ---- left: zone pattern, index card, mark buttons
    auto* left = new QVBoxLayout;
    auto* zoneRow = new QHBoxLayout;
    ZoneLabel = new Label3D(QString(), this);
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

    StringGrid26 = new GridView(this);
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
    BakenRadio = new RadioGroup("馬券種", this, 3);
    BakenRadio->setObjectName("BakenRadio");
    BakenRadio->setItems({"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "３連単", "枠単"});
    middle->addWidget(BakenRadio);

    KaikataRadio = new RadioGroup("買い方", this, 2);
    KaikataRadio->setObjectName("KaikataRadio");
    middle->addWidget(KaikataRadio);

    auto* multiBox = MultiPanel = new QWidget(this);
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
    Toz1editA = new NumberEdit(6, 1, false, filter);
    Toz1editA->setObjectName("Toz1editA");
    Toz2editA = new NumberEdit(7, 1, false, filter);
    Toz2editA->setObjectName("Toz2editA");
    Toz1editA->setFixedWidth(70);
    Toz2editA->setFixedWidth(80);
    fh->addWidget(Toz1editA);
    fh->addWidget(caption("～", filter));
    fh->addWidget(Toz2editA);
    fh->addStretch();
    middle->addWidget(filter);

    RadioGroup1 = new RadioGroup("資金配分", this, 3);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setItems({"均等", "均等2", "均一", "均一2", "比例"});
    middle->addWidget(RadioGroup1);
    middle->addStretch();
    auto* middleBox = new QWidget(this);
    middleBox->setLayout(middle);
    middleBox->setFixedWidth(230);

    // ---- right: bet list, amount, labels, vote button
    auto* right = new QVBoxLayout;
    StringGrid34 = new GridView(this);
    StringGrid34->setObjectName("StringGrid34");
    StringGrid34->setFont(gridFont);
    StringGrid34->setHeaderColour(QColor(0xFF, 0xB0, 0xC0));
    StringGrid34->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    right->addWidget(StringGrid34, 1);

    auto* amountRow = new QHBoxLayout;
    amountRow->addWidget(caption("入力投票金額", this));
    AmountEdit = new NumberEdit(8, 0, false, this);
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

    // The page keeps room for the card, the choices and a readable list; a smaller main window
    // scrolls the page instead of squeezing the grids.
    auto* content = new QWidget;
    content->setObjectName("BetPageContent");
    auto* top = new QHBoxLayout(content);
    top->setContentsMargins(4, 4, 4, 4);
    top->addLayout(left);
    top->addWidget(middleBox);
    top->addLayout(right, 1);
    content->setMinimumSize(1000, 470);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("BetPageScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

}  // namespace vex::ui

namespace vex::ui {
namespace {

QColor frameColour(int frame) {
    switch (frame) {
        case 1: return Qt::white;
        case 2: return QColor(0x80, 0x80, 0x80);
        case 3: return Qt::red;
        case 4: return Qt::blue;
        case 5: return Qt::yellow;
        case 6: return QColor(0x00, 0x80, 0x00);
        case 7: return QColor(0xFF, 0xA5, 0x00);
        case 8: return Qt::magenta;
        default: return Qt::white;
    }
}

const QColor kLightYellow(0xFF, 0xFF, 0xC0);
const QColor kPink(0xFF, 0xC0, 0xCB);
const QColor kLightGreen(0xC0, 0xFF, 0xC0);

}  // namespace

// ---- drawing

CellLook TBetPage::cardLook(int col, int row) const {
    CellLook look;
    const TextGrid& g = model_->card().grid();
    const int horse = cellInt(g.cell(kCardHorse, row));
    if (horse <= 0) return look;
    if (col == kCardName) look.align = Qt::AlignLeft | Qt::AlignVCenter;
    else look.align = Qt::AlignCenter;
    if (col == kCardFrame) {
        const int frame = cellInt(g.cell(kCardFrame, row));
        look.background = frameColour(frame);
        if (frame == 3 || frame == 4 || frame == 6 || frame == 8) look.text = Qt::white;
    } else if (col >= kCardMark1) {
        look.background = kLightYellow;
    } else if (col == kCardCompi || col == kCardCompiRank) {
        const BetRace* race = model_->race();
        look.background = race && race->recommendedHorse == horse ? kPink : kLightGreen;
    }
    if (col == kCardCompiRank || col == kCardWinPopularity) {
        const int rank = cellInt(g.cell(col, row));
        if (rank == 1) look.text = Qt::red;
        else if (rank == 2 || rank == 3) look.text = Qt::blue;
    }
    return look;
}

CellLook TBetPage::betListLook(int col, int row) const {
    CellLook look;
    look.align = Qt::AlignHCenter | Qt::AlignTop;  // centred, two pixels below the top
    if (col == kListNumber) look.background = kLightGreen;
    else if (col == kListCombination && model_->rowIsHit(row)) look.background = Qt::magenta;
    return look;
}

// ---- wiring

void TBetPage::wire() {
    StringGrid26->gridModel()->setGrid(&model_->card().grid());
    StringGrid26->gridModel()->look = [this](int c, int r) { return cardLook(c, r); };
    StringGrid26->setColumnWidths(kCardWidths);
    StringGrid26->handCursor = [](int c, int r) {
        if (c >= kCardMark1) return true;
        return r == 0 && (c == kCardHorse || c == kCardCompiRank || c == kCardWinPopularity);
    };
    connect(StringGrid26, &GridView::headerClicked, this, [this](int col) {
        model_->cardHeaderClick(col);
        syncGrids();
    });
    connect(StringGrid26, &GridView::cellClicked, this, [this](int col, int row) {
        if (col < kCardMark1) return;
        model_->cardCellClick(col, row);
        syncGrids();
    });

    StringGrid34->gridModel()->setGrid(&model_->betList());
    StringGrid34->gridModel()->look = [this](int c, int r) { return betListLook(c, r); };
    StringGrid34->setColumnWidths(kBetListWidths);
    StringGrid34->handCursor = [](int c, int r) { return r == 0 ? c != kListErase : c == kListErase; };
    connect(StringGrid34, &GridView::headerClicked, this, [this](int col) {
        model_->betListHeaderClick(col);
        syncGrids();
    });
    connect(StringGrid34, &GridView::cellClicked, this, [this](int col, int row) {
        if (col != kListErase) return;
        // The erase toggle regenerates the list; the user stays where he was.
        const int top = StringGrid34->topGridRow();
        model_->betListClick(col, row);
        syncGrids();
        StringGrid34->scrollToGridRow(top);
    });

    connect(BakenRadio, &RadioGroup::itemClicked, this, [this](int index) {
        if (syncing_ || index < 0) return;
        model_->setKind(static_cast<KindItem>(index));
        sync();
    });
    connect(KaikataRadio, &RadioGroup::itemClicked, this, [this](int index) {
        if (syncing_ || index < 0) return;
        model_->setMethod(index);
        sync();
    });
    for (int m = 0; m < kMultiCount; ++m)
        connect(multiBoxes_[m], &QCheckBox::clicked, this, [this, m](bool checked) {
            if (syncing_) return;
            model_->setMulti(static_cast<Multi>(m), checked);
            sync();
        });
    connect(Toz1editA, &NumberEdit::valueChanged, this, [this] {
        if (syncing_) return;
        model_->setLowerText(toCp932(Toz1editA->text()));
        sync();
    });
    connect(Toz2editA, &NumberEdit::valueChanged, this, [this] {
        if (syncing_) return;
        model_->setUpperText(toCp932(Toz2editA->text()));
        sync();
    });
    connect(RadioGroup1, &RadioGroup::itemClicked, this, [this](int index) {
        if (syncing_ || index < 0) return;
        model_->setStakeMode(static_cast<StakeMode>(index));
        sync();
    });
    for (int p = 0; p < 3; ++p) {
        connect(allButtons_[p], &QPushButton::clicked, this, [this, p] {
            model_->markPair(p + 1, true);
            syncGrids();
        });
        connect(clearButtons_[p], &QPushButton::clicked, this, [this, p] {
            model_->markPair(p + 1, false);
            syncGrids();
        });
    }
    connect(AmountEdit, &NumberEdit::valueChanged, this, [this] {
        if (syncing_) return;
        model_->setAmount(AmountEdit->intValue());
        syncGrids();
    });
    connect(TohyoBtn, &QPushButton::clicked, this, &TBetPage::TohyoBtnClick);
}

void TBetPage::sync() {
    syncing_ = true;
    BakenRadio->setItemIndex(static_cast<int>(model_->kind()));
    QStringList methods;
    for (const std::string& m : model_->methodItems()) methods << fromCp932(m);
    if (methods != KaikataRadio->items()) KaikataRadio->setItems(methods);
    KaikataRadio->setItemIndex(model_->method());
    KaikataRadio->setVisible(!methods.isEmpty());
    bool anyMulti = false;
    for (int m = 0; m < kMultiCount; ++m) {
        const bool shown = model_->multiShown(static_cast<Multi>(m));
        multiBoxes_[m]->setVisible(shown);
        multiBoxes_[m]->setChecked(model_->multiChecked(static_cast<Multi>(m)));
        anyMulti |= shown;
    }
    MultiPanel->setVisible(anyMulti);
    const QString lower = fromCp932(model_->lowerText()), upper = fromCp932(model_->upperText());
    if (Toz1editA->text() != lower) Toz1editA->setText(lower);
    if (Toz2editA->text() != upper) Toz2editA->setText(upper);
    RadioGroup1->setItemIndex(static_cast<int>(model_->stakeMode()));
    const auto& shown = model_->markColumnsVisible();
    for (int c = 0; c < 4; ++c) StringGrid26->setColumnHidden(kCardMark1 + c, !shown[c]);
    syncing_ = false;
    syncGrids();
}

void TBetPage::syncGrids() {
    StringGrid26->gridModel()->refresh();
    StringGrid34->gridModel()->refresh();
    ZoneLabel->setText(fromCp932(model_->card().zoneLabel()));
    syncLabels();
}

void TBetPage::syncLabels() {
    const SplitLabels& l = model_->labels();
    PointsLabel->setText(fromCp932(l.count));
    TotalLabel->setText(fromCp932(l.total));
    RateLabel->setText(fromCp932(l.rate));
    QPalette pal = RateLabel->palette();
    pal.setColor(QPalette::WindowText, l.colour == RateColour::Red ? Qt::red : Qt::black);
    RateLabel->setPalette(pal);
    syncing_ = true;
    // Only a new race's default is written back; the user's own typing (a blank box too) stays.
    if (AmountEdit->intValue() != model_->amount()) AmountEdit->setText(QString::number(model_->amount()));
    syncing_ = false;
}

// ---- called by the main window

void TBetPage::selectRace(const BetRace& race) {
    model_->selectRace(race);
    sync();
    RestTimerTimer();
}

void TBetPage::refreshRace(const BetRace& race) {
    model_->refreshRace(race);
    syncGrids();
}

void TBetPage::dayLoaded() {
    model_->dayLoaded();
    syncGrids();
    RestTimerTimer();
}

void TBetPage::setVoteEnvironment(VoteEnvironment environment) { voteEnv_ = std::move(environment); }

void TBetPage::attachRestTimeLabel(QLabel* label) {
    RestTimeLabel = label;
    if (!RestTimer) {
        RestTimer = new QTimer(this);
        RestTimer->setObjectName("RestTimer");
        RestTimer->setInterval(1000);
        connect(RestTimer, &QTimer::timeout, this, &TBetPage::RestTimerTimer);
        RestTimer->start();
    }
    RestTimerTimer();
}

void TBetPage::RestTimerTimer() {
    if (RestTimeLabel) RestTimeLabel->setText(fromCp932(postTimeCountdown(model_->race())));
}

void TBetPage::KaimeSetItemClick() {
    showKaimeSetForm(this, [this] {
        if (const BetRace* race = model_->race()) selectRace(BetRace(*race));
    });
}

void TBetPage::TohyoBtnClick() {
    if (!voteEnv_.control || !voteEnv_.log || !voteEnv_.worker || voting_) return;
    if (voteEnv_.worker->busy()) {
        Dialogs::information(this, ControlWorker::busyMessage(voteEnv_.worker->jobName()));
        return;
    }
    // Checks and the question on this thread, against the race and amount shown now.
    VoteContext context{*voteEnv_.control, *reporter_, *voteEnv_.log, betFileFolder(&settings_), false, false};
    VoteRequest request;
    request.dayStamp = voteEnv_.dayStamp ? voteEnv_.dayStamp() : std::string();
    request.race = model_->race();
    request.kind = model_->kind();
    request.list = &model_->betList();
    request.amount = AmountEdit->text().trimmed().isEmpty() ? 0 : AmountEdit->intValue();
    VotePlan plan = planVote(request, context);
    if (!plan.ready) {
        lastVote_ = std::make_unique<VoteResult>(plan.refused);
        return;
    }
    if (!Dialogs::askYesNo(this, fromCp932(plan.question))) {
        lastVote_ = std::make_unique<VoteResult>();
        lastVote_->outcome = VoteOutcome::Declined;
        return;
    }
    submit(std::move(plan), request.dayStamp, voteEnv_.shownSlot ? voteEnv_.shownSlot() : -1);
}

void TBetPage::submit(VotePlan plan, const std::string& dayStamp, int slot) {
    auto result = std::make_shared<VoteResult>();
    auto jobReporter = std::make_shared<JobReporter>(voteEnv_.messages);
    DataControl* control = voteEnv_.control;
    VotingLog* log = voteEnv_.log;
    std::filesystem::path folder = betFileFolder(&settings_);
    auto sharedPlan = std::make_shared<VotePlan>(std::move(plan));
    QPointer<TBetPage> self = this;
    voting_ = true;
    lastVote_.reset();
    TohyoBtn->setEnabled(false);
    voteEnv_.worker->start(
        "投票",
        [=] {
            VoteContext job{*control, *jobReporter, *log, folder, false, false};
            *result = submitVote(*sharedPlan, job);
        },
        [self, result, dayStamp, slot] {
            if (!self) return;
            self->voting_ = false;
            self->TohyoBtn->setEnabled(true);
            self->lastVote_ = std::make_unique<VoteResult>(*result);
            if (result->accepted > 0 && slot >= 0 && self->voteEnv_.markVoted) self->voteEnv_.markVoted(dayStamp, slot);
        });
}

}  // namespace vex::ui
