#include "ui/betpage/bet_page_widget.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "betting/grid_sort.h"
#include "ui/betpage/default_amount_dialog.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"
#include "ui/widgets/grid_view.h"
#include "ui/widgets/label3d.h"
#include "ui/widgets/number_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/datacontrol/worker.h"
#include "ui/look/look.h"
#include "voting/bet_lines.h"
#include "voting/vote.h"

namespace vex::ui {
namespace {

const std::vector<int> kCardWidths{20, 20, 130, 30, 20, 40, 20, 35, 25, 25, 25, 25};
const std::vector<int> kBetListWidths{20, 30, 60, 60, 0, 0, 60, 90, 90, 0, 0, 0, 0, 0, 0};

// The narrowest a grid may get: its columns' own widths, its frame and its vertical scroll bar.
int minimumGridWidth(const GridView* grid, const std::vector<int>& widths) {
    int sum = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
    for (int w : widths) sum += w;
    return sum;
}

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

BetPageWidget::BetPageWidget(QWidget* parent)
    : QWidget(parent), model_(std::make_unique<BetPage>(&settings_)), reporter_(std::make_unique<UiReporter>(this)) {
    setObjectName("BetPage");
    buildLayout();
    wire();
    sync();
}

BetPageWidget::~BetPageWidget() {
    // The views outlive the core page (children go with the QWidget base): let them forget its grids.
    if (countdownTimer_) countdownTimer_->stop();
    indexCard_->gridModel()->setGrid(nullptr);
    betList_->gridModel()->setGrid(nullptr);
}

void BetPageWidget::buildLayout() {
    QLayout* left = buildIndexCardColumn();
    QWidget* middle = buildChoicesColumn();
    QLayout* right = buildBetListColumn();

    // The page keeps room for the card, the choices and a readable list; a smaller main window
    // scrolls the page instead of squeezing the grids.
    auto* content = new QWidget;
    content->setObjectName("BetPageContent");
    auto* top = new QHBoxLayout(content);
    top->setContentsMargins(4, 4, 4, 4);
    // The card and the list share the room the choices leave.
    top->addLayout(left, 1);
    top->addWidget(middle);
    top->addLayout(right, 1);
    content->setMinimumHeight(470);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("BetPageScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

// Left: zone pattern, index card, mark buttons.
QLayout* BetPageWidget::buildIndexCardColumn() {
    auto* left = new QVBoxLayout;
    auto* zoneRow = new QHBoxLayout;
    zoneLabel_ = new Label3D(QString(), this);
    zoneLabel_->setObjectName("ZoneLabel");
    QFont zoneFont = font();
    zoneFont.setPixelSize(22);
    zoneFont.setBold(true);
    zoneLabel_->setFont(zoneFont);
    zoneLabel_->setMinimumWidth(28);
    zoneLabel_->setAlignment(Qt::AlignCenter);
    auto* zoneCaption = caption("ゾーンパターン", this);
    zoneCaption->setObjectName("ZonePatternCaption");
    zoneRow->addWidget(zoneCaption);
    zoneRow->addWidget(zoneLabel_);
    zoneRow->addStretch();
    left->addLayout(zoneRow);

    indexCard_ = new GridView(this);
    indexCard_->setObjectName("StringGrid26");
    indexCard_->setFont(look::gridFont());
    indexCard_->setHeaderColour(look::gridHeader());
    indexCard_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    indexCard_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    indexCard_->setMinimumWidth(minimumGridWidth(indexCard_, kCardWidths));
    left->addWidget(indexCard_, 1);

    auto* pairs = new QHBoxLayout;
    const char* pairTitles[3] = {"◎", "相手/○", "▲"};
    for (int p = 0; p < 3; ++p) {
        auto* box = new QGroupBox(pairTitles[p], this);
        box->setObjectName(QString("MarkPair%1").arg(p + 1));
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(4, 2, 4, 2);
        markAllButtons_[p] = new QPushButton("全", box);
        markAllButtons_[p]->setObjectName(QString("AllBtn%1").arg(p + 1));
        markClearButtons_[p] = new QPushButton("CL", box);
        markClearButtons_[p]->setObjectName(QString("ClBtn%1").arg(p + 1));
        for (QPushButton* b : {markAllButtons_[p], markClearButtons_[p]}) {
            b->setFixedWidth(36);
            h->addWidget(b);
        }
        pairs->addWidget(box);
    }
    pairs->addStretch();
    left->addLayout(pairs);
    return left;
}

// Middle: kind, method, multi boxes, odds filter, stake split.
QWidget* BetPageWidget::buildChoicesColumn() {
    auto* middle = new QVBoxLayout;
    kindChoice_ = new RadioGroup("馬券種", this, 3);
    kindChoice_->setObjectName("BakenRadio");
    kindChoice_->setItems({"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "３連単", "枠単"});
    middle->addWidget(kindChoice_);

    methodChoice_ = new RadioGroup("買い方", this, 2);
    methodChoice_->setObjectName("KaikataRadio");
    middle->addWidget(methodChoice_);
    middle->addWidget(buildMultiPanel());
    middle->addWidget(buildOddsFilter());

    stakeSplitChoice_ = new RadioGroup("資金配分", this, 3);
    stakeSplitChoice_->setObjectName("RadioGroup1");
    stakeSplitChoice_->setItems({"均等", "均等2", "均一", "均一2", "比例"});
    middle->addWidget(stakeSplitChoice_);
    middle->addStretch();
    auto* middleBox = new QWidget(this);
    middleBox->setLayout(middle);
    middleBox->setFixedWidth(230);
    return middleBox;
}

QWidget* BetPageWidget::buildMultiPanel() {
    multiPanel_ = new QWidget(this);
    multiPanel_->setObjectName("MultiPanel");
    auto* multiGrid = new QGridLayout(multiPanel_);
    multiGrid->setContentsMargins(6, 0, 6, 0);
    const char* multiNames[4] = {"MultiCheck", "Multi12Check", "Multi23Check", "Multi13Check"};
    const char* multiCaptions[4] = {"マルチ", "1,2着マルチ", "2,3着マルチ", "1,3着マルチ"};
    for (int m = 0; m < 4; ++m) {
        multiBoxes_[m] = new QCheckBox(multiCaptions[m], multiPanel_);
        multiBoxes_[m]->setObjectName(multiNames[m]);
        multiGrid->addWidget(multiBoxes_[m], m / 2, m % 2);
    }
    return multiPanel_;
}

QWidget* BetPageWidget::buildOddsFilter() {
    auto* filter = new QGroupBox("オッズフィルター", this);
    filter->setObjectName("OzFilterGroup");
    auto* fh = new QHBoxLayout(filter);
    fh->setContentsMargins(6, 2, 6, 4);
    oddsLowerEdit_ = new NumberEdit(6, 1, false, filter);
    oddsLowerEdit_->setObjectName("Toz1editA");
    oddsUpperEdit_ = new NumberEdit(7, 1, false, filter);
    oddsUpperEdit_->setObjectName("Toz2editA");
    oddsLowerEdit_->setFixedWidth(70);
    oddsUpperEdit_->setFixedWidth(80);
    fh->addWidget(oddsLowerEdit_);
    fh->addWidget(caption("～", filter));
    fh->addWidget(oddsUpperEdit_);
    fh->addStretch();
    return filter;
}

// Right: bet list, amount, figures, vote button.
QLayout* BetPageWidget::buildBetListColumn() {
    auto* right = new QVBoxLayout;
    betList_ = new GridView(this);
    betList_->setObjectName("StringGrid34");
    betList_->setFont(look::gridFont());
    betList_->setHeaderColour(look::betListHeader());
    betList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    betList_->setMinimumWidth(minimumGridWidth(betList_, kBetListWidths));
    right->addWidget(betList_, 1);
    // Why the list has no stakes, where the user looks for them.
    listNote_ = new QLabel(this);
    listNote_->setObjectName("BetListNote");
    listNote_->setWordWrap(true);
    listNote_->setStyleSheet(look::warningStyleSheet());
    listNote_->hide();
    right->addWidget(listNote_);

    auto* amountRow = new QHBoxLayout;
    amountRow->addWidget(caption("入力投票金額", this));
    amountEdit_ = new NumberEdit(8, 0, false, this);
    amountEdit_->setObjectName("AmountEdit");
    amountEdit_->setFixedWidth(90);
    amountRow->addWidget(amountEdit_);
    amountRow->addWidget(caption("円", this));
    totalBesideAmount_ = new QLabel(this);
    totalBesideAmount_->setObjectName("AmountTotalLabel");
    amountRow->addWidget(totalBesideAmount_);
    amountRow->addStretch();
    right->addLayout(amountRow);
    right->addLayout(buildFigures());
    return right;
}

QLayout* BetPageWidget::buildFigures() {
    auto* figures = new QGridLayout;
    lineCountLabel_ = valueLabel("PointsLabel", this);
    totalLabel_ = valueLabel("TotalLabel", this);
    returnRateLabel_ = valueLabel("RateLabel", this);
    figures->addWidget(caption("買い点数", this), 0, 0);
    figures->addWidget(lineCountLabel_, 0, 1);
    figures->addWidget(caption("投票金額", this), 1, 0);
    figures->addWidget(totalLabel_, 1, 1);
    figures->addWidget(caption("予想回収率", this), 2, 0);
    figures->addWidget(returnRateLabel_, 2, 1);
    voteButton_ = new QPushButton("投票", this);
    voteButton_->setObjectName("TohyoBtn");
    voteButton_->setMinimumSize(90, 56);
    QFont voteFont = font();
    voteFont.setPixelSize(18);
    voteFont.setBold(true);
    voteButton_->setFont(voteFont);
    figures->addWidget(voteButton_, 0, 2, 3, 1);
    figures->setColumnStretch(3, 1);
    return figures;
}

}  // namespace vex::ui

namespace vex::ui {

// ---- drawing

CellLook BetPageWidget::cardLook(int col, int row) const {
    CellLook cell;
    const TextGrid& g = model_->card().grid();
    const int horse = cellInt(g.cell(kCardHorse, row));
    if (horse <= 0) return cell;
    if (col == kCardName) cell.align = look::kTextAlignment;
    else if (col >= kCardZone) cell.align = Qt::AlignCenter;  // marks
    else cell.align = look::kFigureAlignment;
    if (col == kCardFrame) {
        const int frame = cellInt(g.cell(kCardFrame, row));
        cell.background = look::frameColour(frame);
        cell.text = look::frameTextColour(frame);
        cell.align = Qt::AlignCenter;  // a colour chip with its digit
    } else if (col >= kCardMark1) {
        cell.background = look::markCell();
    } else if (col == kCardCompi || col == kCardCompiRank) {
        const BetRace* race = model_->race();
        cell.background = look::compiCell(race && race->recommendedHorse == horse);
    }
    if (col == kCardCompiRank || col == kCardWinPopularity) cell.text = look::placeColour(cellInt(g.cell(col, row)));
    return cell;
}

CellLook BetPageWidget::betListLook(int col, int row) const {
    CellLook cell;
    // Figures to the right, two pixels below the top; the erase mark and the combination centred.
    const bool label = col == kListErase || col == kListCombination;
    cell.align = (label ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignTop;
    if (col == kListNumber) cell.background = look::compiCell(false);
    else if (col == kListCombination && model_->rowIsHit(row)) cell.background = Qt::magenta;
    return cell;
}

// ---- wiring

void BetPageWidget::wire() {
    wireIndexCard();
    wireBetList();
    wireChoices();
    wireButtons();
}

void BetPageWidget::wireIndexCard() {
    indexCard_->gridModel()->setGrid(&model_->card().grid());
    indexCard_->gridModel()->look = [this](int c, int r) { return cardLook(c, r); };
    indexCard_->setColumnWidths(kCardWidths);
    look::stretchColumns(indexCard_, {kCardName});
    indexCard_->handCursor = [](int c, int r) {
        if (c >= kCardMark1) return true;
        return r == 0 && (c == kCardHorse || c == kCardCompiRank || c == kCardWinPopularity);
    };
    connect(indexCard_, &GridView::headerClicked, this, [this](int col) {
        model_->cardHeaderClick(col);
        syncGrids();
    });
    connect(indexCard_, &GridView::cellClicked, this, [this](int col, int row) {
        if (col < kCardMark1) return;
        model_->cardCellClick(col, row);
        syncGrids();
    });
}

void BetPageWidget::wireBetList() {
    betList_->gridModel()->setGrid(&model_->betList());
    betList_->gridModel()->look = [this](int c, int r) { return betListLook(c, r); };
    betList_->setColumnWidths(kBetListWidths);
    look::stretchColumns(betList_, {kListNumber, kListCombination, kListOdds, kListStake, kListReturn, kListReturnRate});
    betList_->handCursor = [](int c, int r) { return r == 0 ? c != kListErase : c == kListErase; };
    connect(betList_, &GridView::headerClicked, this, [this](int col) {
        model_->betListHeaderClick(col);
        syncGrids();
    });
    connect(betList_, &GridView::cellClicked, this, [this](int col, int row) {
        if (col != kListErase) return;
        // The erase toggle regenerates the list; the user stays where he was.
        const int top = betList_->topGridRow();
        model_->betListClick(col, row);
        syncGrids();
        betList_->scrollToGridRow(top);
    });
}

// Kind, method, multi boxes, odds filter and stake split: each change regenerates the list.
void BetPageWidget::wireChoices() {
    connect(kindChoice_, &RadioGroup::itemClicked, this, [this](int index) {
        if (syncing_ || index < 0) return;
        if (auto kind = betKindOfSelectorItem(index)) model_->setKind(*kind);
        sync();
    });
    connect(methodChoice_, &RadioGroup::itemClicked, this, [this](int index) {
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
    connect(oddsLowerEdit_, &NumberEdit::valueChanged, this, [this] {
        if (syncing_) return;
        model_->setLowerText(toCp932(oddsLowerEdit_->text()));
        sync();
    });
    connect(oddsUpperEdit_, &NumberEdit::valueChanged, this, [this] {
        if (syncing_) return;
        model_->setUpperText(toCp932(oddsUpperEdit_->text()));
        sync();
    });
    connect(stakeSplitChoice_, &RadioGroup::itemClicked, this, [this](int index) {
        if (syncing_ || index < 0) return;
        model_->setStakeMode(static_cast<StakeMode>(index));
        sync();
    });
}

// Mark buttons, the amount and the vote button.
void BetPageWidget::wireButtons() {
    for (int p = 0; p < 3; ++p) {
        connect(markAllButtons_[p], &QPushButton::clicked, this, [this, p] {
            model_->markPair(p + 1, true);
            syncGrids();
        });
        connect(markClearButtons_[p], &QPushButton::clicked, this, [this, p] {
            model_->markPair(p + 1, false);
            syncGrids();
        });
    }
    connect(amountEdit_, &NumberEdit::valueChanged, this, [this] {
        if (syncing_) return;
        model_->setAmount(amountEdit_->intValue());
        syncGrids();
    });
    connect(voteButton_, &QPushButton::clicked, this, &BetPageWidget::vote);
}

void BetPageWidget::sync() {
    syncing_ = true;
    kindChoice_->setItemIndex(selectorItemOf(model_->kind()));
    QStringList methods;
    for (const std::string& m : model_->methodItems()) methods << fromCp932(m);
    if (methods != methodChoice_->items()) methodChoice_->setItems(methods);
    methodChoice_->setItemIndex(model_->method());
    methodChoice_->setVisible(!methods.isEmpty());
    bool anyMulti = false;
    for (int m = 0; m < kMultiCount; ++m) {
        const bool shown = model_->multiShown(static_cast<Multi>(m));
        multiBoxes_[m]->setVisible(shown);
        multiBoxes_[m]->setChecked(model_->multiChecked(static_cast<Multi>(m)));
        anyMulti |= shown;
    }
    multiPanel_->setVisible(anyMulti);
    const QString lower = fromCp932(model_->lowerText()), upper = fromCp932(model_->upperText());
    if (oddsLowerEdit_->text() != lower) oddsLowerEdit_->setText(lower);
    if (oddsUpperEdit_->text() != upper) oddsUpperEdit_->setText(upper);
    stakeSplitChoice_->setItemIndex(static_cast<int>(model_->stakeMode()));
    const auto& shown = model_->markColumnsVisible();
    for (int c = 0; c < 4; ++c) indexCard_->setColumnHidden(kCardMark1 + c, !shown[c]);
    syncMarkButtons();
    syncing_ = false;
    syncGrids();
}

// A pair that acts on no column for this kind and method is off, and says so.
void BetPageWidget::syncMarkButtons() {
    for (int p = 0; p < 3; ++p) {
        const bool acts = model_->markPairColumn(p + 1) >= 0;
        for (QPushButton* b : {markAllButtons_[p], markClearButtons_[p]}) {
            b->setEnabled(acts);
            b->setToolTip(acts ? QString() : "この馬券種・買い方では使いません");
        }
    }
}

void BetPageWidget::syncGrids() {
    indexCard_->gridModel()->refresh();
    betList_->gridModel()->refresh();
    betList_->fitColumnsToText();
    zoneLabel_->setText(fromCp932(model_->card().zoneLabel()));
    syncLabels();
}

void BetPageWidget::syncLabels() {
    const SplitLabels& l = model_->labels();
    lineCountLabel_->setText(fromCp932(l.count));
    totalLabel_->setText(fromCp932(l.total));
    returnRateLabel_->setText(fromCp932(l.rate));
    QPalette pal = returnRateLabel_->palette();
    pal.setColor(QPalette::WindowText, l.colour == RateColour::Red ? Qt::red : Qt::black);
    returnRateLabel_->setPalette(pal);
    totalBesideAmount_->setText(fromCp932(l.totalBesideAmount));
    // More than typed must stand out: the vote buys the total, not the amount in the box.
    totalBesideAmount_->setStyleSheet(l.totalAboveAmount ? look::warningStyleSheet() : "");
    listNote_->setText(fromCp932(l.note));
    listNote_->setVisible(!l.note.empty());
    syncing_ = true;
    // Only a new race's default is written back; the user's own typing (a blank box too) stays.
    if (amountEdit_->intValue() != model_->amount()) amountEdit_->setText(QString::number(model_->amount()));
    syncing_ = false;
}

// ---- called by the main window

void BetPageWidget::selectRace(const BetRace& race) {
    model_->selectRace(race);
    sync();
    showCountdown();
}

void BetPageWidget::refreshRace(const BetRace& race) {
    model_->refreshRace(race);
    syncGrids();
}

void BetPageWidget::dayLoaded() {
    model_->dayLoaded();
    syncGrids();
    showCountdown();
}

void BetPageWidget::setVoteEnvironment(VoteEnvironment environment) { voteEnv_ = std::move(environment); }

void BetPageWidget::showZone(const QString& zone) { zoneLabel_->setText(zone); }

void BetPageWidget::chooseKind(BetKind kind) {
    model_->setKind(kind);
    sync();
}

void BetPageWidget::attachCountdownLabel(QLabel* label) {
    countdownLabel_ = label;
    if (!countdownTimer_) {
        countdownTimer_ = new QTimer(this);
        countdownTimer_->setObjectName("RestTimer");
        countdownTimer_->setInterval(1000);
        connect(countdownTimer_, &QTimer::timeout, this, &BetPageWidget::showCountdown);
        countdownTimer_->start();
    }
    showCountdown();
}

void BetPageWidget::showCountdown() {
    if (countdownLabel_) countdownLabel_->setText(fromCp932(postTimeCountdown(model_->race())));
}

void BetPageWidget::editDefaultAmount() {
    showDefaultAmountDialog(this, [this] {
        if (const BetRace* race = model_->race()) selectRace(BetRace(*race));
    });
}

void BetPageWidget::vote() {
    if (!voteEnv_.control || !voteEnv_.log || !voteEnv_.worker || voting_) return;
    if (voteEnv_.worker->busy()) {
        Dialogs::information(this, ControlWorker::busyMessage(voteEnv_.worker->jobName()));
        return;
    }
    // Checks and the question on this thread, against the race and amount shown now.
    VoteContext context{*voteEnv_.control, *reporter_, *voteEnv_.log, betFileFolder(&settings_), false, false};
    context.settings = &settings_;
    VoteRequest request;
    request.dayStamp = voteEnv_.dayStamp ? voteEnv_.dayStamp() : std::string();
    request.race = model_->race();
    request.list = &model_->bets();
    request.amount = amountEdit_->text().trimmed().isEmpty() ? 0 : amountEdit_->intValue();
    VotePlan plan = planVote(request, context);
    if (!plan.ready) {
        lastVote_ = std::make_unique<VoteResult>(plan.refused);
        return;
    }
    const std::string second = secondVoteQuestion(plan, read(settings_, settings::kSecondConfirmAbove));
    if (!Dialogs::askYesNo(this, fromCp932(plan.question)) ||
        (!second.empty() && !Dialogs::askYesNo(this, fromCp932(second)))) {
        lastVote_ = std::make_unique<VoteResult>();
        lastVote_->outcome = VoteOutcome::Declined;
        return;
    }
    submit(std::move(plan), request.dayStamp, voteEnv_.shownSlot ? voteEnv_.shownSlot() : -1);
}

void BetPageWidget::submit(VotePlan plan, const std::string& dayStamp, int slot) {
    auto result = std::make_shared<VoteResult>();
    auto jobReporter = std::make_shared<JobReporter>(voteEnv_.messages);
    DataControl* control = voteEnv_.control;
    VotingLog* log = voteEnv_.log;
    std::filesystem::path folder = betFileFolder(&settings_);
    const Settings settings = settings_;
    auto sharedPlan = std::make_shared<VotePlan>(std::move(plan));
    QPointer<BetPageWidget> self = this;
    voting_ = true;
    lastVote_.reset();
    voteButton_->setEnabled(false);
    voteEnv_.worker->startToTheEnd(
        "投票",
        [=] {
            VoteContext job{*control, *jobReporter, *log, folder, false, false};
            job.settings = &settings;  // read again on the worker: the spending limits, and readable still
            *result = submitVote(*sharedPlan, job);
        },
        [self, result, dayStamp, slot] {
            if (!self) return;
            self->voting_ = false;
            self->voteButton_->setEnabled(true);
            self->lastVote_ = std::make_unique<VoteResult>(*result);
            if (result->accepted > 0 && slot >= 0 && self->voteEnv_.markVoted) self->voteEnv_.markVoted(dayStamp, slot);
        });
}

}  // namespace vex::ui
