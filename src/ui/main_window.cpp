#include "ui/main_window.h"

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
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/bet_file_viewer.h"
#include "ui/bet_page_widget.h"
#include "ui/day_loader.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/progress_window.h"
#include "ui/qt_text.h"
#include "ui/worker.h"

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
    Panel1 = new QFrame(host);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(kToolbarHeight);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);

    auto* commands = new QWidget(Panel1);
    auto* grid = new QGridLayout(commands);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    SpeedButton1 = toolButton(commands, "SpeedButton1", "F", "レースリストの表示/非表示を行います");
    SpeedButton1->setMinimumSize(24, 30);
    JVBtn = toolButton(commands, "JVBtn", "データ取得", "データの取得を行います");
    KekkaGetBtn = toolButton(commands, "KekkaGetBtn", "結果情報", "レース結果データを取得します");
    SokuhoOddsBtn = toolButton(commands, "SokuhoOddsBtn", "速報ｵｯｽﾞ", "速報オッズを取得します");
    NextRaceBtn = toolButton(commands, "NextRaceBtn", "直前ﾚｰｽ", QString());
    CompiBtn = toolButton(commands, "CompiBtn", "コンピ入力", "コンピ指数を入力します");
    DateCombo = new QComboBox(commands);
    DateCombo->setObjectName("DateCombo");
    DateCombo->setMinimumWidth(150);
    DirectReadBtn = new QPushButton("一気読み", commands);
    DirectReadBtn->setObjectName("DirectReadBtn");
    DirectReadBtn->setVisible(false);
    grid->addWidget(SpeedButton1, 0, 0, 2, 1);
    grid->addWidget(JVBtn, 0, 1);
    grid->addWidget(KekkaGetBtn, 0, 2);
    grid->addWidget(SokuhoOddsBtn, 0, 3);
    grid->addWidget(NextRaceBtn, 0, 4);
    grid->addWidget(CompiBtn, 0, 5);
    grid->addWidget(DateCombo, 1, 1, 1, 3);
    grid->addWidget(DirectReadBtn, 1, 4);
    row->addWidget(commands, 0, Qt::AlignTop);

    // The race header: seven lines on the right, the track and race number beside them.
    Panel3 = new QFrame(Panel1);
    Panel3->setObjectName("Panel3");
    Panel3->setAutoFillBackground(true);
    auto* header = new QHBoxLayout(Panel3);
    header->setContentsMargins(4, 0, 4, 0);
    header->setSpacing(6);
    auto* place = new QVBoxLayout;
    place->setSpacing(0);
    BashoLabel = headerLabel(Panel3, "BashoLabel", 24, true);
    RaceLabel = headerLabel(Panel3, "RaceLabel", 24, true);
    BashoLabel->setAlignment(Qt::AlignCenter);
    RaceLabel->setAlignment(Qt::AlignCenter);
    RestTimeLabel = headerLabel(Panel3, "RestTimeLabel", 11);
    RestTimeLabel->setAlignment(Qt::AlignCenter);
    RestTimeLabel->setVisible(false);
    place->addWidget(BashoLabel);
    place->addWidget(RaceLabel);
    place->addWidget(RestTimeLabel);
    header->addLayout(place);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(0);
    Label1 = headerLabel(Panel3, "Label1", 12, true);
    Label2 = headerLabel(Panel3, "Label2", 14, true);
    Label3 = headerLabel(Panel3, "Label3", 11);
    Label4 = headerLabel(Panel3, "Label4", 11);
    Label6 = headerLabel(Panel3, "Label6", 11);
    Label7 = headerLabel(Panel3, "Label7", 11);
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label6, Label7}) lines->addWidget(l);
    lines->addStretch();
    header->addLayout(lines, 1);
    row->addWidget(Panel3, 1);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(JVBtn, &QToolButton::clicked, this, [this] { JVBtnClick(); });
    connect(NextRaceBtn, &QToolButton::clicked, this, [this] { NextRaceBtnClick(); });
    // The change event loads the day; a click alone does nothing.
    connect(DateCombo, &QComboBox::activated, this, [this](int) { DateComboChange(); });
}

void MainWindow::buildRaceList(QWidget* host) {
    Panel6 = new QFrame(host);
    Panel6->setObjectName("Panel6");
    Panel6->setFixedWidth(kRaceListWidth);
    auto* col = new QVBoxLayout(Panel6);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(1);
    DatList = new QListWidget(Panel6);
    DatList->setObjectName("DatList");
    DatList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DLlabel = new QLabel(Panel6);
    DLlabel->setObjectName("DLlabel");
    DLlabel->setWordWrap(true);
    QFont f = DLlabel->font();
    f.setPixelSize(10);
    DLlabel->setFont(f);
    col->addWidget(DatList, 1);
    col->addWidget(DLlabel);
    // A click and the arrow keys select alike: the race highlighted is the race shown.
    connect(DatList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) DatListClick();
    });
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    FileMenu = bar->addMenu("ﾌｧｲﾙ(&F)");
    FileMenu->setObjectName("FileMenu");
    N110 = menuItem(FileMenu, "N110", "1日分の全オッズを一括取得");
    T1 = menuItem(FileMenu, "T1", "時系列オッズより取得(&T)");
    FileMenu->addSeparator();
    FileExitItem = menuItem(FileMenu, "FileExitItem", "終了(&X)");

    OptionMenu = bar->addMenu("ｵﾌﾟｼｮﾝ(&O)");
    OptionMenu->setObjectName("OptionMenu");
    N8 = menuItem(OptionMenu, "N8", "データ自動取得時刻設定(&T)");
    KaimeSetItem = menuItem(OptionMenu, "KaimeSetItem", "投資金額設定");
    OptionMenu->addSeparator();
    ZandakaItem = menuItem(OptionMenu, "ZandakaItem", "楽天競馬残高情報");
    NyukinItem = menuItem(OptionMenu, "NyukinItem", "楽天競馬入金");
    KouzaItem = menuItem(OptionMenu, "KouzaItem", "楽天口座切替");
    MyPageItem = menuItem(OptionMenu, "MyPageItem", "楽天競馬マイページ");
    // Never shown: the flag comes from the settings file only.
    NotRefreshDisp = menuItem(OptionMenu, "NotRefreshDisp", "ﾃﾞｰﾀ取得後、画面を自動更新をしない");
    NotRefreshDisp->setCheckable(true);
    NotRefreshDisp->setVisible(false);

    AutoTohyoMenu = bar->addMenu("自動投票");
    AutoTohyoMenu->setObjectName("AutoTohyoMenu");
    AutoTohyoItem = menuItem(AutoTohyoMenu, "AutoTohyoItem", "自動投票各種操作");

    FolderMenu = bar->addMenu("ﾌｫﾙﾀﾞ指定(&F)");
    FolderMenu->setObjectName("FolderMenu");
    K2 = menuItem(FolderMenu, "K2", "Quilletフォルダ指定(&K)");
    N10 = FolderMenu->addSeparator();
    N10->setObjectName("N10");
    N12 = menuItem(FolderMenu, "N12", "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)");

    HelpMenu = bar->addMenu("ﾍﾙﾌﾟ(&H)");
    HelpMenu->setObjectName("HelpMenu");
    HelpContentsItem = menuItem(HelpMenu, "HelpContentsItem", "使用解説書(&C)");
    HelpAboutItem = menuItem(HelpMenu, "HelpAboutItem", "ﾊﾞｰｼﾞｮﾝ情報(&A)...");

    // Developer-only entries start hidden; FormCreate reveals them with the marker file.
    for (QAction* a : {T1, N10, N12, AutoTohyoMenu->menuAction()}) a->setVisible(false);

    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);
    connect(KaimeSetItem, &QAction::triggered, this, [this] { betPage_->editDefaultAmount(); });
    connect(HelpContentsItem, &QAction::triggered, this, [this] { HelpContentsItemClick(); });
    connect(HelpAboutItem, &QAction::triggered, this, [this] { HelpAboutItemClick(); });
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
    // 結果
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    auto* resultsGrid = new QGridLayout(TabSheet2);
    resultsGrid->setContentsMargins(6, 6, 6, 6);
    resultLabels.assign(10, {});
    int boxIndex = 0;
    for (const ResultKindRow& k : kResultKinds) {
        auto* box = new QGroupBox(k.caption, TabSheet2);
        box->setObjectName(QString("ResultBox%1").arg(k.kind));
        auto* g = new QGridLayout(box);
        g->setHorizontalSpacing(10);
        g->setVerticalSpacing(1);
        const char* captions[3] = {"結果：", "人気：", "配当："};
        for (int c = 0; c < 3; ++c) g->addWidget(new QLabel(captions[c], box), 0, c);
        for (int e = 0; e < k.entries; ++e) {
            std::array<QLabel*, 3> row{};
            const char* prefix[3] = {"KekkaLabel", "NinkiLabel", "HaitoLabel"};
            for (int c = 0; c < 3; ++c) {
                auto* l = new QLabel(box);
                l->setObjectName(QString("%1%2_%3").arg(prefix[c]).arg(k.kind).arg(e + 1));
                QFont f("monospace");
                f.setStyleHint(QFont::TypeWriter);
                l->setFont(f);
                l->setMinimumWidth(c == 2 ? 80 : (c == 0 ? 70 : 30));
                row[c] = l;
                g->addWidget(l, e + 1, c);
            }
            resultLabels[k.kind].push_back(row);
        }
        g->setRowStretch(k.entries + 1, 1);
        resultsGrid->addWidget(box, boxIndex / 3, boxIndex % 3, Qt::AlignTop);
        ++boxIndex;
    }
    resultsGrid->setRowStretch(3, 1);
    resultsGrid->setColumnStretch(3, 1);
}

void MainWindow::buildDetailTab() {
    // 出馬表詳細: filter buttons, the help text and the detailed race card.
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName("TabSheet4");
    auto* detail = new QVBoxLayout(TabSheet4);
    detail->setContentsMargins(2, 2, 2, 2);
    detail->setSpacing(2);
    auto* top = new QHBoxLayout;
    auto makeGroup = [&](const char* name, const char* caption, std::array<QToolButton**, 3> buttons,
                         std::array<const char*, 3> names, std::array<const char*, 3> captions) {
        auto* box = new QGroupBox(caption, TabSheet4);
        box->setObjectName(name);
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(4, 2, 4, 2);
        // At most one button down, all may be up: exclusive by hand.
        for (int i = 0; i < 3; ++i) {
            auto* b = new QToolButton(box);
            b->setObjectName(names[i]);
            b->setText(captions[i]);
            b->setCheckable(true);
            b->setMinimumWidth(56);
            h->addWidget(b);
            *buttons[i] = b;
        }
        for (int i = 0; i < 3; ++i) {
            QToolButton* self = *buttons[i];
            std::array<QToolButton*, 3> all{*buttons[0], *buttons[1], *buttons[2]};
            connect(self, &QToolButton::toggled, this, [this, self, all](bool on) {
                if (on)
                    for (QToolButton* o : all)
                        if (o != self && o->isChecked()) {
                            QSignalBlocker block(o);
                            o->setChecked(false);
                        }
                if (StringGrid2) StringGrid2->viewport()->update();  // a filter only repaints
            });
        }
        (*buttons[0])->setChecked(true);
        top->addWidget(box);
    };
    makeGroup("BabaGroup", "馬場選択", {&selBaBtn1, &selBaBtn2, &selBaBtn3}, {"selBaBtn1", "selBaBtn2", "selBaBtn3"},
              {"全表示", "芝", "ﾀﾞｰﾄ"});
    makeGroup("KyoriGroup", "距離選択", {&selkyoriBtn1, &selkyoriBtn2, &selkyoriBtn3},
              {"selkyoriBtn1", "selkyoriBtn2", "selkyoriBtn3"}, {"無指定", "同距離", "+/-400m"});
    auto* help = new QLabel(TabSheet4);
    help->setObjectName("HelpTextLabel");
    help->setText("1行目=開催日場所、ｸﾞﾚｰﾄﾞまたは条件、レース名　　2行目=頭数、距離、ﾄﾗｯｸ、天候馬場状態\n"
                  "3行目=騎手、斤量、ｹﾞｰﾄ、人気　　4行目=ﾀｲﾑ、ｺｰﾅｰ順位、前3F、後3F、間隔\n"
                  "5行目=馬体重、賞金、確定順位　　6行目=１着馬名(当該馬1着時は2着馬)、着差");
    QFont hf = help->font();
    hf.setPixelSize(10);
    help->setFont(hf);
    top->addWidget(help, 1);
    detail->addLayout(top);
    StringGrid2 = new QTableView(TabSheet4);
    StringGrid2->setObjectName("StringGrid2");
    detail->addWidget(StringGrid2, 1);
}

void MainWindow::buildPages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");

    // 買い目: the bet page (it holds the zone label too).
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    auto* betLayout = new QVBoxLayout(TabSheet1);
    betLayout->setContentsMargins(0, 0, 0, 0);
    betHost_ = hostPage(TabSheet1, "BetPageHost");
    betLayout->addWidget(betHost_, 1);
    betPage_ = new BetPageWidget(betHost_);
    betHost_->layout()->addWidget(betPage_);
    ZoneLabel = betPage_->findChild<QLabel*>("ZoneLabel");

    // 出馬表 (developer): the race card grid.
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName("TabSheet5");
    auto* cardLayout = new QVBoxLayout(TabSheet5);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    StringGrid3 = new QTableView(TabSheet5);
    StringGrid3->setObjectName("StringGrid3");
    cardLayout->addWidget(StringGrid3);

    buildResultsTab();

    // テスト (developer): the bet file viewer of the bet page.
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName("TabSheet3");
    auto* testLayout = new QVBoxLayout(TabSheet3);
    testLayout->setContentsMargins(0, 0, 0, 0);
    testHost_ = hostPage(TabSheet3, "TestPageHost");
    testLayout->addWidget(testHost_);
    betFileViewer_ = new BetFileViewer(testHost_);
    testHost_->layout()->addWidget(betFileViewer_);

    buildDetailTab();

    PageControl1->addTab(TabSheet1, "買い目");
    PageControl1->addTab(TabSheet5, "出馬表");
    PageControl1->addTab(TabSheet2, "結果");
    PageControl1->addTab(TabSheet3, "テスト");
    PageControl1->addTab(TabSheet4, "出馬表詳細");
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet5), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
}

void MainWindow::setBetPage(QWidget* page) {
    page->setParent(betHost_);
    betHost_->layout()->addWidget(page);
}

void MainWindow::setTestPage(QWidget* page) {
    page->setParent(testHost_);
    testHost_->layout()->addWidget(page);
}

void MainWindow::SpeedButton1Click() { Panel6->setVisible(!Panel6->isVisible()); }

void MainWindow::HelpContentsItemClick() {
    fs::path manual = appDir_ / "Vexmora.pdf";
    if (!fs::exists(manual)) {
        Dialogs::beep();
        Dialogs::information(this, "使用解説書[Vexmora.pdf]が見つかりません。");
        return;
    }
    if (!Dialogs::recording()) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual.string())));
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

    auto* central = new QWidget(this);
    central->setObjectName("CentralPanel");
    auto* col = new QVBoxLayout(central);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    buildToolbar(central);
    col->addWidget(Panel1);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(2);
    buildRaceList(central);
    buildPages();
    body->addWidget(Panel6);
    // The page area keeps its place while hidden, so the race list stays on the left.
    auto* pageArea = new QWidget(central);
    pageArea->setObjectName("PageArea");
    auto* pageLayout = new QVBoxLayout(pageArea);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(PageControl1);
    body->addWidget(pageArea, 1);
    col->addLayout(body, 1);
    setCentralWidget(central);

    StatusLine = new QStatusBar(this);
    StatusLine->setObjectName("StatusLine");
    setStatusBar(StatusLine);
    buildMenus();

    setupGrids();
    PageControl1->setVisible(false);
    PrgrsForm = new ProgressWindow(this);
    dayLoader_ = new DayLoader(PrgrsForm, messages_,
                               [this](std::unique_ptr<RaceTable> table, const DayLoadResult& result,
                                      const QString& failure) { showLoadedDay(std::move(table), result, failure); },
                               this);
    FormCreate();
}

MainWindow::~MainWindow() {
    // The threads end before the windows they report to go.
    delete dayLoader_;
    delete worker_;
}

bool MainWindow::loadingDay() const { return dayLoader_->loading(); }

bool MainWindow::notRefreshDisp() const { return NotRefreshDisp->isChecked(); }

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (worker_->busy()) {
        // The job talks to the data service or the betting site: it is stopped, not cut off.
        if (!closeAfterJob_ &&
            Dialogs::askYesNo(this, "「" + worker_->jobName() + "」を実行中です。中止して終了しますか？")) {
            closeAfterJob_ = true;
            worker_->cancel();
        }
        event->ignore();
        return;
    }
    FormCloseQuery();
    event->accept();
}

void MainWindow::reportJobFailure(const QString& job, const QString& what) {
    reportError("「" + job + "」でエラーが発生しました。\n" + what);
}

}  // namespace vex::ui
