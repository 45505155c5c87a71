#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/clock.h"
#include "app/manual_file.h"
#include "store/store_paths.h"
#include "ui/voting/auto_vote_window.h"
#include "ui/voting/balance_window.h"
#include "ui/betpage/bet_file_viewer.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/compi/compi_window.h"
#include "ui/analysis/stats_tools.h"
#include "ui/look/look.h"
#include "ui/main/day_loader.h"
#include "ui/main/day_selector.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
#include "ui/main/progress_window.h"
#include "ui/shared/qt_text.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {
namespace fs = std::filesystem;

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(64, 30);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    return b;
}

QLabel* headerLabel(QWidget* parent, const char* name, int pixelSize, bool bold = false) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    l->setFont(f);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

}  // namespace

void MainWindow::buildToolbar(QWidget* host) {
    toolbar_ = new QFrame(host);
    toolbar_->setObjectName("Panel1");
    toolbar_->setFixedHeight(kToolbarHeight);
    auto* row = new QHBoxLayout(toolbar_);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    row->addWidget(buildCommandButtons(toolbar_), 0, Qt::AlignTop);
    row->addWidget(buildRaceHeader(toolbar_), 1);

    connect(raceListToggle_, &QToolButton::clicked, this, [this] { toggleRaceList(); });
    connect(downloadButton_, &QToolButton::clicked, this, [this] { onDownloadClicked(); });
    connect(nextRaceButton_, &QToolButton::clicked, this, [this] { selectNextRace(); });
    // The change event loads the day; a click alone does nothing.
    connect(daySelector_, &QComboBox::activated, this, [this](int) { loadSelectedDay(); });
}

// The command buttons and the day selector, left in the toolbar.
QWidget* MainWindow::buildCommandButtons(QWidget* parent) {
    auto* commands = new QWidget(parent);
    auto* grid = new QGridLayout(commands);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    raceListToggle_ = toolButton(commands, "SpeedButton1", "F", "レースリストの表示/非表示を行います");
    raceListToggle_->setMinimumSize(24, 30);
    downloadButton_ = toolButton(commands, "JVBtn", "データ取得", "データの取得を行います");
    resultsButton_ = toolButton(commands, "KekkaGetBtn", "結果情報", "レース結果データを取得します");
    quickOddsButton_ = toolButton(commands, "SokuhoOddsBtn", "速報ｵｯｽﾞ", "速報オッズを取得します");
    nextRaceButton_ = toolButton(commands, "NextRaceBtn", "直前ﾚｰｽ", QString());
    compiButton_ = toolButton(commands, "CompiBtn", "コンピ入力", "コンピ指数を入力します");
    daySelector_ = new DaySelector([] { return fromCp932(dayStampOf(now())); }, commands);
    daySelector_->setObjectName("DateCombo");
    directReadButton_ = new QPushButton("一気読み", commands);
    directReadButton_->setObjectName("DirectReadBtn");
    directReadButton_->setVisible(false);
    grid->addWidget(raceListToggle_, 0, 0, 2, 1);
    grid->addWidget(downloadButton_, 0, 1);
    grid->addWidget(resultsButton_, 0, 2);
    grid->addWidget(quickOddsButton_, 0, 3);
    grid->addWidget(nextRaceButton_, 0, 4);
    grid->addWidget(compiButton_, 0, 5);
    grid->addWidget(daySelector_, 1, 1, 1, 3);
    grid->addWidget(directReadButton_, 1, 4);
    return commands;
}

// The race header: seven lines on the right, the track and race number beside them.
QWidget* MainWindow::buildRaceHeader(QWidget* parent) {
    raceHeader_ = new QFrame(parent);
    raceHeader_->setObjectName("Panel3");
    raceHeader_->setAutoFillBackground(true);
    auto* header = new QHBoxLayout(raceHeader_);
    header->setContentsMargins(4, 0, 4, 0);
    header->setSpacing(6);
    // The track and the race number keep their places whether or not the countdown shows: its
    // room stays while it is hidden, and the column is as wide as the countdown's longest text.
    auto* placeBox = new QWidget(raceHeader_);
    auto* place = new QVBoxLayout(placeBox);
    place->setContentsMargins(0, 0, 0, 0);
    place->setSpacing(0);
    trackName_ = headerLabel(raceHeader_, "BashoLabel", 24, true);
    raceNumber_ = headerLabel(raceHeader_, "RaceLabel", 24, true);
    trackName_->setAlignment(Qt::AlignCenter);
    raceNumber_->setAlignment(Qt::AlignCenter);
    postCountdown_ = headerLabel(raceHeader_, "RestTimeLabel", 11);
    postCountdown_->setAlignment(Qt::AlignCenter);
    QSizePolicy keepRoom = postCountdown_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    postCountdown_->setSizePolicy(keepRoom);
    postCountdown_->setVisible(false);
    place->addWidget(trackName_);
    place->addWidget(raceNumber_);
    place->addWidget(postCountdown_);
    placeBox->setFixedWidth(postCountdown_->fontMetrics().horizontalAdvance("発走までの残り時間：00:00:00") + 12);
    header->addWidget(placeBox);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(0);
    raceDayLine_ = headerLabel(raceHeader_, "Label1", 12, true);
    raceTitle_ = headerLabel(raceHeader_, "Label2", 14, true);
    raceFieldLine_ = headerLabel(raceHeader_, "Label3", 11);
    raceConditionsLine_ = headerLabel(raceHeader_, "Label4", 11);
    prizeLine_ = headerLabel(raceHeader_, "Label6", 11);
    addedPrizeLine_ = headerLabel(raceHeader_, "Label7", 11);
    for (QLabel* l : {raceDayLine_, raceTitle_, raceFieldLine_, raceConditionsLine_, prizeLine_, addedPrizeLine_}) {
        l->setMinimumWidth(1);  // a long line is cut at the window's edge; it never widens the window
        lines->addWidget(l);
    }
    lines->addStretch();
    header->addLayout(lines, 1);
    return raceHeader_;
}

void MainWindow::buildRaceList(QWidget* host) {
    raceListPanel_ = new QFrame(host);
    raceListPanel_->setObjectName("Panel6");
    raceListPanel_->setFixedWidth(kRaceListWidth);
    auto* col = new QVBoxLayout(raceListPanel_);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(1);
    raceList_ = new QListWidget(raceListPanel_);
    raceList_->setObjectName("DatList");
    raceList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    raceListNote_ = new QLabel(raceListPanel_);
    raceListNote_->setObjectName("DLlabel");
    raceListNote_->setWordWrap(true);
    QFont f = raceListNote_->font();
    f.setPixelSize(10);
    raceListNote_->setFont(f);
    col->addWidget(raceList_, 1);
    col->addWidget(raceListNote_);
    // A click and the arrow keys select alike: the race highlighted is the race shown.
    connect(raceList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) showSelectedRace();
    });
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    buildFileAndOptionMenus(bar);
    buildFolderAndHelpMenus(bar);

    // Developer-only entries start hidden; the marker file reveals them at start-up.
    for (QAction* a : {timeSeriesOddsItem_, folderSeparator_, timeSeriesFolderItem_, autoVoteMenu_->menuAction()})
        a->setVisible(false);

    connect(exitItem_, &QAction::triggered, this, &QWidget::close);
    connect(defaultAmountItem_, &QAction::triggered, this, [this] { betPage_->editDefaultAmount(); });
    connect(manualItem_, &QAction::triggered, this, [this] { openManual(); });
    connect(aboutItem_, &QAction::triggered, this, [this] { showAbout(); });
    connectCommandSignals();
}

void MainWindow::connectCommandSignals() {
    connect(compiButton_, &QToolButton::clicked, this, &MainWindow::compiRequested);
    connect(directReadButton_, &QPushButton::clicked, this, &MainWindow::directReadRequested);
    const std::pair<QAction*, void (MainWindow::*)()> items[] = {
        {companionFolderItem_, &MainWindow::companionFolderRequested},
        {statsItem_, &MainWindow::statsRequested},
        {timeSeriesOddsItem_, &MainWindow::timeSeriesImportRequested},
        {timeSeriesFolderItem_, &MainWindow::timeSeriesFolderRequested},
        {balanceItem_, &MainWindow::balanceRequested},
        {depositItem_, &MainWindow::depositRequested},
        {accountSwitchItem_, &MainWindow::accountSwitchRequested},
        {myPageItem_, &MainWindow::memberPageRequested},
        {autoVoteItem_, &MainWindow::autoVoteRequested},
    };
    for (const auto& [item, command] : items) connect(item, &QAction::triggered, this, command);
}

void MainWindow::buildFileAndOptionMenus(QMenuBar* bar) {
    fileMenu_ = bar->addMenu("ﾌｧｲﾙ(&F)");
    fileMenu_->setObjectName("FileMenu");
    allOddsItem_ = menuItem(fileMenu_, "N110", "1日分の全オッズを一括取得");
    timeSeriesOddsItem_ = menuItem(fileMenu_, "T1", "時系列オッズより取得(&T)");
    statsItem_ = menuItem(fileMenu_, "StatsItem", "成績分析");
    fileMenu_->addSeparator();
    exitItem_ = menuItem(fileMenu_, "FileExitItem", "終了(&X)");

    optionMenu_ = bar->addMenu("ｵﾌﾟｼｮﾝ(&O)");
    optionMenu_->setObjectName("OptionMenu");
    fetchTimesItem_ = menuItem(optionMenu_, "N8", "データ自動取得時刻設定(&T)");
    defaultAmountItem_ = menuItem(optionMenu_, "KaimeSetItem", "投資金額設定");
    optionMenu_->addSeparator();
    balanceItem_ = menuItem(optionMenu_, "ZandakaItem", "楽天競馬残高情報");
    depositItem_ = menuItem(optionMenu_, "NyukinItem", "楽天競馬入金");
    accountSwitchItem_ = menuItem(optionMenu_, "KouzaItem", "楽天口座切替");
    myPageItem_ = menuItem(optionMenu_, "MyPageItem", "楽天競馬マイページ");
    // Never shown: the flag comes from the settings file only.
    noRedrawAfterFetchItem_ = menuItem(optionMenu_, "NotRefreshDisp", "ﾃﾞｰﾀ取得後、画面を自動更新をしない");
    noRedrawAfterFetchItem_->setCheckable(true);
    noRedrawAfterFetchItem_->setVisible(false);
}

void MainWindow::buildFolderAndHelpMenus(QMenuBar* bar) {
    autoVoteMenu_ = bar->addMenu("自動投票");
    autoVoteMenu_->setObjectName("AutoTohyoMenu");
    autoVoteItem_ = menuItem(autoVoteMenu_, "AutoTohyoItem", "自動投票各種操作");

    folderMenu_ = bar->addMenu("ﾌｫﾙﾀﾞ指定(&F)");
    folderMenu_->setObjectName("FolderMenu");
    companionFolderItem_ = menuItem(folderMenu_, "K2", "Quilletフォルダ指定(&K)");
    folderSeparator_ = folderMenu_->addSeparator();
    folderSeparator_->setObjectName("N10");
    timeSeriesFolderItem_ = menuItem(folderMenu_, "N12", "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)");

    helpMenu_ = bar->addMenu("ﾍﾙﾌﾟ(&H)");
    helpMenu_->setObjectName("HelpMenu");
    manualItem_ = menuItem(helpMenu_, "HelpContentsItem", "使用解説書(&C)");
    aboutItem_ = menuItem(helpMenu_, "HelpAboutItem", "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
}

namespace {
// Results tab: kind code, caption, entries (order of the view).
struct ResultKindRow {
    int kind;
    const char* caption;
    int entries;
};
constexpr ResultKindRow kResultKinds[] = {{1, "単勝", 3}, {2, "複勝", 5}, {3, "枠連", 3}, {5, "馬連", 3}, {7, "ワイド", 7},
                                         {6, "馬単", 6}, {8, "３連複", 3}, {9, "３連単", 6}, {4, "枠単", 3}};

QWidget* hostPage(QWidget* parent, const char* name) {
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    return w;
}
}  // namespace

void MainWindow::buildResultsTab() {
    resultsTab_ = new QWidget;
    resultsTab_->setObjectName("TabSheet2");
    // Scrolls as a whole in a small window: the tab widget would otherwise ask the window for room
    // for all nine boxes and grow it.
    auto* content = new QWidget;
    content->setObjectName("ResultsContent");
    auto* scroll = new QScrollArea(resultsTab_);
    scroll->setObjectName("ResultsScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* tabLayout = new QVBoxLayout(resultsTab_);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(scroll);
    auto* resultsGrid = new QGridLayout(content);
    resultsGrid->setContentsMargins(6, 6, 6, 6);
    resultLabels_.assign(10, {});
    int boxIndex = 0;
    for (const ResultKindRow& k : kResultKinds) {
        resultsGrid->addWidget(buildResultBox(content, k.kind, k.caption, k.entries), boxIndex / 3, boxIndex % 3,
                               Qt::AlignTop);
        ++boxIndex;
    }
    resultsGrid->setRowStretch(3, 1);
    resultsGrid->setColumnStretch(3, 1);
}

// One kind's box of the results tab: per entry the labels 結果, 人気 and 配当.
QWidget* MainWindow::buildResultBox(QWidget* parent, int kind, const char* caption, int entries) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString("ResultBox%1").arg(kind));
    auto* g = new QGridLayout(box);
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(1);
    const char* captions[3] = {"結果：", "人気：", "配当："};
    for (int c = 0; c < 3; ++c) {
        auto* title = new QLabel(captions[c], box);
        if (c > 0) title->setAlignment(look::kFigureAlignment);  // above the figures
        g->addWidget(title, 0, c);
    }
    for (int e = 0; e < entries; ++e) {
        std::array<QLabel*, 3> row{};
        const char* prefix[3] = {"KekkaLabel", "NinkiLabel", "HaitoLabel"};
        for (int c = 0; c < 3; ++c) {
            auto* l = new QLabel(box);
            l->setObjectName(QString("%1%2_%3").arg(prefix[c]).arg(kind).arg(e + 1));
            l->setFont(look::figureFont(13));
            l->setMinimumWidth(c == 2 ? 80 : (c == 0 ? 70 : 30));
            if (c > 0) l->setAlignment(look::kFigureAlignment);  // 人気 and 配当
            row[c] = l;
            g->addWidget(l, e + 1, c);
        }
        resultLabels_[kind].push_back(row);
    }
    g->setRowStretch(entries + 1, 1);
    return box;
}

QWidget* MainWindow::buildFilterGroup(const char* name, const char* caption, std::array<QToolButton*, 3>& buttons,
                                      const std::array<const char*, 3>& names,
                                      const std::array<const char*, 3>& captions) {
    auto* box = new QGroupBox(caption, detailTab_);
    box->setObjectName(name);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(4, 2, 4, 2);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QToolButton(box);
        b->setObjectName(names[i]);
        b->setText(captions[i]);
        b->setCheckable(true);
        b->setMinimumWidth(56);
        h->addWidget(b);
        buttons[i] = b;
    }
    // Exclusive by hand: a button group would not let the last one go up.
    const std::array<QToolButton*, 3> all = buttons;
    for (QToolButton* self : all) {
        connect(self, &QToolButton::toggled, this, [this, self, all](bool on) {
            if (on)
                for (QToolButton* o : all)
                    if (o != self && o->isChecked()) {
                        QSignalBlocker block(o);
                        o->setChecked(false);
                    }
            if (detailCard_) detailCard_->viewport()->update();  // a filter only repaints
        });
    }
    buttons[0]->setChecked(true);
    return box;
}

// 出馬表詳細: filter buttons, the help text and the detailed race card.
void MainWindow::buildDetailTab() {
    detailTab_ = new QWidget;
    detailTab_->setObjectName("TabSheet4");
    auto* detail = new QVBoxLayout(detailTab_);
    detail->setContentsMargins(2, 2, 2, 2);
    detail->setSpacing(2);
    auto* top = new QHBoxLayout;
    top->addWidget(buildFilterGroup("BabaGroup", "馬場選択", surfaceFilter_, {"selBaBtn1", "selBaBtn2", "selBaBtn3"},
                                    {"全表示", "芝", "ﾀﾞｰﾄ"}));
    top->addWidget(buildFilterGroup("KyoriGroup", "距離選択", distanceFilter_,
                                    {"selkyoriBtn1", "selkyoriBtn2", "selkyoriBtn3"}, {"無指定", "同距離", "+/-400m"}));
    auto* help = new QLabel(detailTab_);
    help->setObjectName("HelpTextLabel");
    help->setText("1行目=開催日場所、ｸﾞﾚｰﾄﾞまたは条件、レース名　　2行目=頭数、距離、ﾄﾗｯｸ、天候馬場状態\n"
                  "3行目=騎手、斤量、ｹﾞｰﾄ、人気　　4行目=ﾀｲﾑ、ｺｰﾅｰ順位、前3F、後3F、間隔\n"
                  "5行目=馬体重、賞金、確定順位　　6行目=１着馬名(当該馬1着時は2着馬)、着差");
    QFont hf = help->font();
    hf.setPixelSize(10);
    help->setFont(hf);
    // In a narrow window the help is cut at the edge (the whole of it in the tooltip) instead of
    // widening the window when the tab is first shown.
    help->setMinimumWidth(1);
    help->setToolTip(help->text());
    top->addWidget(help, 1);
    detail->addLayout(top);
    detailCard_ = new QTableView(detailTab_);
    detailCard_->setObjectName("StringGrid2");
    detail->addWidget(detailCard_, 1);
}

// 買い目: the bet page (it holds the zone label too).
void MainWindow::buildBetTab() {
    betTab_ = new QWidget;
    betTab_->setObjectName("TabSheet1");
    auto* betLayout = new QVBoxLayout(betTab_);
    betLayout->setContentsMargins(0, 0, 0, 0);
    betHost_ = hostPage(betTab_, "BetPageHost");
    betLayout->addWidget(betHost_, 1);
    betPage_ = new BetPageWidget(betHost_);
    betHost_->layout()->addWidget(betPage_);
}

// 出馬表 (developer): the race card grid.
void MainWindow::buildRaceCardTab() {
    raceCardTab_ = new QWidget;
    raceCardTab_->setObjectName("TabSheet5");
    auto* cardLayout = new QVBoxLayout(raceCardTab_);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    raceCardGrid_ = new QTableView(raceCardTab_);
    raceCardGrid_->setObjectName("StringGrid3");
    cardLayout->addWidget(raceCardGrid_);
}

// テスト (developer): the bet file viewer.
void MainWindow::buildTestTab() {
    testTab_ = new QWidget;
    testTab_->setObjectName("TabSheet3");
    auto* testLayout = new QVBoxLayout(testTab_);
    testLayout->setContentsMargins(0, 0, 0, 0);
    testHost_ = hostPage(testTab_, "TestPageHost");
    testLayout->addWidget(testHost_);
    betFileViewer_ = new BetFileViewer(testHost_);
    testHost_->layout()->addWidget(betFileViewer_);
}

void MainWindow::buildPages() {
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl1");
    buildBetTab();
    buildRaceCardTab();
    buildResultsTab();
    buildTestTab();
    buildDetailTab();
    pages_->addTab(betTab_, "買い目");
    pages_->addTab(raceCardTab_, "出馬表");
    pages_->addTab(resultsTab_, "結果");
    pages_->addTab(testTab_, "テスト");
    pages_->addTab(detailTab_, "出馬表詳細");
    pages_->setTabVisible(pages_->indexOf(raceCardTab_), false);
    pages_->setTabVisible(pages_->indexOf(testTab_), false);
}

void MainWindow::buildCentralArea() {
    auto* central = new QWidget(this);
    central->setObjectName("CentralPanel");
    auto* col = new QVBoxLayout(central);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    buildToolbar(central);
    col->addWidget(toolbar_);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(2);
    buildRaceList(central);
    buildPages();
    body->addWidget(raceListPanel_);
    // The page area keeps its place while hidden, so the race list stays on the left.
    auto* pageArea = new QWidget(central);
    pageArea->setObjectName("PageArea");
    auto* pageLayout = new QVBoxLayout(pageArea);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(pages_);
    pageLayout->addWidget(buildStartHint(pageArea));
    body->addWidget(pageArea, 1);
    col->addLayout(body, 1);
    setCentralWidget(central);
}

QWidget* MainWindow::buildStartHint(QWidget* parent) {
    startHint_ = new QFrame(parent);
    startHint_->setObjectName("StartHint");
    auto* col = new QVBoxLayout(startHint_);
    col->setContentsMargins(24, 24, 24, 24);
    col->setSpacing(12);
    startHintText_ = new QLabel(startHint_);
    startHintText_->setObjectName("StartHintLabel");
    startHintText_->setWordWrap(true);
    QFont f = startHintText_->font();
    f.setPixelSize(16);
    startHintText_->setFont(f);
    startHintDownload_ = new QPushButton("データ取得", startHint_);
    startHintDownload_->setObjectName("StartHintDownloadBtn");
    startHintDownload_->setToolTip("データの取得を行います");
    startHintDownload_->setStatusTip("データの取得を行います");
    startHintDownload_->setMinimumSize(140, 40);
    col->addWidget(startHintText_);
    col->addWidget(startHintDownload_, 0, Qt::AlignLeft);
    col->addStretch();
    connect(startHintDownload_, &QPushButton::clicked, this, [this] { onDownloadClicked(); });
    return startHint_;
}

void MainWindow::updateStartHint() {
    const bool noDays = daySelector_->count() == 0;
    startHintText_->setText(noDays ? "保存されている開催日がありません。\n"
                                     "「データ取得」でレースデータを取り込んでください。"
                                   : "ツールバーの日付欄から開催日を選んでください。");
    startHintDownload_->setVisible(noDays);
    // Hidden while a day is loading: the race views are about to take its place.
    startHint_->setVisible(!pages_->isVisibleTo(this) && !dayShown_ && !loadingDay());
    enableDayCommands();
}

// The commands that act on the day shown are off while none is: a click would do nothing.
void MainWindow::enableDayCommands() {
    for (QToolButton* b : {resultsButton_, quickOddsButton_}) {
        b->setEnabled(dayShown_);
        b->setToolTip(dayShown_ ? b->statusTip() : b->statusTip() + "（開催日を読み込むと使えます）");
    }
    // The next race is the next post of today: on another day there is none to jump to.
    const bool today = showsToday();
    nextRaceButton_->setEnabled(today);
    nextRaceButton_->setToolTip(nextRaceButton_->statusTip() +
                                (today       ? QString()
                                 : dayShown_ ? "（本日の開催日を表示しているときに使えます）"
                                             : "（開催日を読み込むと使えます）"));
}

void MainWindow::toggleRaceList() { raceListPanel_->setVisible(!raceListPanel_->isVisible()); }

void MainWindow::openManual() {
    const auto folders = manualFolders();
    const auto manual = findManual(folders);
    if (!manual) {
        Dialogs::beep();
        Dialogs::information(this, fromCp932(manualMissingMessage(folders)));
        return;
    }
    if (Dialogs::recording()) return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual->string()))))
        Dialogs::information(this, "使用解説書を開くアプリケーションがありません。PDFを開くアプリケーションを設定してください："
                                   "\n" + QString::fromStdString(manual->string()));
}

}  // namespace vex::ui

namespace vex::ui {

// ---------------------------------------------------------------- life of the window

MainWindow::MainWindow(DataControl* control, QWidget* parent)
    : QMainWindow(parent), control_(control), table_(std::make_unique<RaceTable>()) {
    setObjectName("MainForm");
    messages_ = new MessageQueue(this);
    worker_ = new ControlWorker(this);
    connect(worker_, &ControlWorker::failed, this, &MainWindow::reportJobFailure);
    connect(worker_, &ControlWorker::busyChanged, this, [this](bool busy) {
        if (!busy && closeAfterJob_) close();
    });
    setWindowTitle("Vexmora");

    buildCentralArea();

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("StatusLine");
    setStatusBar(statusBar_);
    buildMenus();

    setupGrids();
    pages_->setVisible(false);
    progressWindow_ = new ProgressWindow(this);
    dayLoader_ = new DayLoader(progressWindow_, messages_,
                               [this](std::unique_ptr<RaceTable> table, const DayLoadResult& result,
                                      const QString& failure) { showLoadedDay(std::move(table), result, failure); },
                               this);
    connectRaceDayRefresh();
    startUp();
    attachCompiWindow(*this);
    attachAccountMenu(*this);
    attachAutoVoteWindow(*this);
    attachStatistics(*this);
}

MainWindow::~MainWindow() {
    // The threads end before the windows they report to go.
    delete dayLoader_;
    delete worker_;
}

bool MainWindow::loadingDay() const { return dayLoader_->loading(); }

bool MainWindow::noRedrawAfterFetch() const { return noRedrawAfterFetchItem_->isChecked(); }

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        firstShown();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (worker_->busy()) {
        // The job talks to the data service or the betting site: it is stopped, not cut off. A
        // vote cannot be stopped, so the question does not offer to.
        const bool stops = worker_->jobStopsOnCancel();
        const QString question = "「" + worker_->jobName() + "」を実行中です。" +
                                 (stops ? "中止して終了しますか？" : "終わってから終了しますか？");
        if (!closeAfterJob_ && Dialogs::askYesNo(this, question)) {
            closeAfterJob_ = true;
            if (stops) worker_->cancel();
        }
        event->ignore();
        return;
    }
    saveBounds();
    event->accept();
}

void MainWindow::reportJobFailure(const QString& job, const QString& what) {
    reportError("「" + job + "」でエラーが発生しました。\n" + what);
}

}  // namespace vex::ui
