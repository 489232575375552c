#include "app/UFrmMain.h"
#include "app/CaptionRows.h"

#include "app/DeviceCommands.h"
#include "app/DeviceTree.h"
#include "app/QtTexts.h"
#include "app/RealTimeView.h"
#include "app/ToolIcons.h"
#include "app/TrendGraphs.h"
#include "app/UFrmMainText.h"
#include "app/WindowPlacement.h"
#include "base/LangText.h"
#include "base/ProgramFolder.h"
#include "base/SharedFlags.h"
#include "base/VersionInfo.h"
#include "comm/BusHealth.h"
#include "comm/BusHealthText.h"
#include "config/CurrentText.h"
#include "config/IniFile.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "control/ControlContext.h"
#include "control/uFrmTest.h"
#include "control/uFrmTurnOn.h"
#include "control/uFrmUserData.h"
#include "control/uPassWord.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "logviews/UFrmDataLog.h"
#include "logviews/UFrmDataLogSet.h"
#include "logviews/UFrmEventLog.h"
#include "logviews/UFrmProgress.h"
#include "overview/OverviewView.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "ui/BeatTimer.h"
#include "ui/Lamp.h"
#include "ui/OnScreen.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <filesystem>
#include <utility>

namespace {
constexpr QSize ClientSize(863, 596);
constexpr int LeftPanelWidth = 180;
// What the window grows by goes a fifth to the tree, so that its captions get
// room, and the rest to the pages.
constexpr int TreeStretch = 1;
constexpr int PagesStretch = 4;
// The status step runs at every beat, the view refresh at the step after the 5th.
constexpr uint8_t StatusStepsPerRefresh = 5;
constexpr int StatusPanelWidths[4] = {180, 272, 232, 174};

// The list position (1..Count) of the device at `address`, 0 for none.
int ListPosOf(uint8_t address) {
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        if (EquipList.At(pos).Address == address)
            return pos;
    return 0;
}

struct TMenuRow {
    const char* Menu;
    const char* Item;
};

// Menu, item: in the order of the menu bar.
// clang-format off
const TMenuRow MenuRows[] = {
    {"mni100", "mni101"},
    {"mni100", "mni102"},
    {"mni100", "mni103"},
    {"mni200", "mni201"},
    {"mni200", "mni202"},
    {"mni200", "mni203"},
    {"mni300", "mni301"},
    {"mni300", "mniTurnOn"},
    {"mni400", "mni401"},
    {"mni400", "mni402"},
    {"mni500", "mni501"},
};
// clang-format on

struct TToolRow {
    const char* Name;
    TToolIcon Icon;
    bool Visible;
};

// The tool bar from left to right; the two language buttons stay hidden.
const TToolRow ToolRows[] = {
    {"ToolButton1", TToolIcon::SoftwareParameter, true},
    {"ToolButton2", TToolIcon::Chinese, false},
    {"ToolButton3", TToolIcon::English, false},
    {"ToolButton4", TToolIcon::EventLog, true},
    {"ToolButton5", TToolIcon::DataLog, true},
    {"ToolButton8", TToolIcon::LogSetting, true},
    {"ToolButton9", TToolIcon::Overview, true},
    {"ToolButton6", TToolIcon::About, true},
    {"ToolButton7", TToolIcon::Exit, true},
};

struct TShortcutRow {
    const char* Item;
    QKeySequence Keys[2];
};

// The usual keys of a desktop program; a menu shows them beside its items.
const TShortcutRow ShortcutRows[] = {
    {"mni102", {QKeySequence(Qt::CTRL | Qt::Key_Comma)}},
    {"mni103", {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
    {"mni201", {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_E)}},
    {"mni202", {QKeySequence(Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::Key_D)}},
    {"mni203", {QKeySequence(Qt::Key_F7)}},
    {"mni501", {QKeySequence(Qt::Key_F1)}},
};

const char* const LeftButtons[] = {"btnSearch", "btnAppend", "btnDelete", "btnProperty"};
const char* const DebugEditNames[] = {"edtTreeData", "edtArrEq", "edtNode"};

QString Num(long long value) {
    return QString::number(value);
}

// Record of a bus address; anything outside the table reads address 0.
const TUpsInfoRec& ShownRecord(uint8_t address) {
    return UpsTable[address < UpsTableSize ? address : 0];
}

} // namespace

TMainPrompts MessageBoxPrompts() {
    TMainPrompts prompts;
    prompts.Ask = [](QWidget* parent, const QString& text) {
        return QMessageBox::question(parent, CurrentText(MsgConfirmTitle), text,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    };
    prompts.Tell = [](QWidget* parent, QMessageBox::Icon icon, const QString& text) {
        const QString title = icon == QMessageBox::Question ? CurrentText(MsgConfirmTitle)
                                                            : QString::fromUtf8(ApplicationTitle);
        QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
        box.exec();
    };
    return prompts;
}

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("FrmMain");
    BuildMenu();
    BuildToolBar();
    ConnectControlCommands();
    ConnectLogCommands();
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    // The tree and the pages share the room the user gives the window; the
    // pages take what the window grows by.
    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setHandleWidth(3);
    Splitter1->addWidget(BuildLeftPanel());
    Splitter1->addWidget(BuildRightArea());
    Splitter1->setStretchFactor(0, TreeStretch);
    Splitter1->setStretchFactor(1, PagesStretch);
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { FKeptTreeWidth = 0; });
    layout->addWidget(Splitter1);
    setCentralWidget(central);
    BuildStatusBar();
    FDeviceCommands = new TDeviceCommands(this, *FDeviceTree);

    Timer1 = new TBeatTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &TBeatTimer::Timeout, this, &TFrmMain::Timer1Timer);

    // Floating-point exceptions are masked by default on Linux, so arithmetic
    // on bad values yields infinities or not-a-number values and never traps.
    DebugShow = false;
    // A folder that cannot be made shows up later, when a file in it is written.
    std::error_code ignored;
    std::filesystem::create_directories(RecordPath(), ignored);
    std::filesystem::create_directories(BackupPath(), ignored);
    RealTimePage->HideSwitchRows();
    LoadUserPara();
    if (const std::string problem = UserParaLoadProblem(); !problem.empty())
        FStartNotes << QString::fromStdString(problem);
    ApplyLanguage();
    ApplyProtocolLayout();
    PlaceWindow();
    FEventLog = std::make_unique<TEventLog>(RecordPath(), EventLogFileName, BackupPath());
    FDataLog = std::make_unique<TDataLog>(RecordPath());
    // The selection is empty here: ApplyLanguage built the tree from the empty list.
    if (int skipped = 0; LoadTreeFile(&skipped)) {
        FDeviceTree->RebuildTree();
        if (skipped > 0)
            FStartNotes << CurrentText(MsgTreeFileSkipped)
                               .arg(skipped)
                               .arg(QString::fromStdString(TreeFilePath()));
    }
    ShowPage(0);
    RealTimePage->ShowInnerPage(0);
    Timer1->Start();
    InitTable();
    ShowPortState(); // the port button is never blank before the first status step
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::BuildMenu() {
    QMenu* menu = nullptr;
    for (const TMenuRow& row : MenuRows) {
        if (menu == nullptr || menu->objectName() != row.Menu) {
            menu = menuBar()->addMenu(QString());
            menu->setObjectName(row.Menu);
        }
        menu->addAction(QString())->setObjectName(row.Item);
    }
    for (const TShortcutRow& row : ShortcutRows) {
        QList<QKeySequence> keys;
        for (const QKeySequence& key : row.Keys)
            if (!key.isEmpty())
                keys << key;
        menuBar()->findChild<QAction*>(row.Item)->setShortcuts(keys);
    }
    // The language menu marks the language in use.
    auto* languages = new QActionGroup(this);
    for (const char* item : {"mni401", "mni402"}) {
        QAction* action = menuBar()->findChild<QAction*>(item);
        action->setCheckable(true);
        languages->addAction(action);
    }
    mni300 = menuBar()->findChild<QMenu*>("mni300");
    mni101 = menuBar()->findChild<QAction*>("mni101");
    mni301 = menuBar()->findChild<QAction*>("mni301");
    mniTurnOn = menuBar()->findChild<QAction*>("mniTurnOn");
    connect(menuBar()->findChild<QAction*>("mni103"), &QAction::triggered, this, &QWidget::close);
    connect(menuBar()->findChild<QAction*>("mni401"), &QAction::triggered, this,
            [this] { SelectLanguage(1); });
    connect(menuBar()->findChild<QAction*>("mni402"), &QAction::triggered, this,
            [this] { SelectLanguage(0); });
}

void TFrmMain::ConnectLogCommands() {
    FfrmProgress = new TfrmProgress(this);
    const std::pair<const char*, void (TFrmMain::*)()> commands[] = {
        {"mni201", &TFrmMain::ShowEventLog},   {"ToolButton4", &TFrmMain::ShowEventLog},
        {"mni202", &TFrmMain::ShowDataLog},    {"ToolButton5", &TFrmMain::ShowDataLog},
        {"mni203", &TFrmMain::ShowLogSetting}, {"ToolButton8", &TFrmMain::ShowLogSetting},
    };
    for (const auto& [name, show] : commands)
        connect(findChild<QAction*>(name), &QAction::triggered, this, show);
}

void TFrmMain::ShowEventLog() {
    if (!FFrmEventLog)
        FFrmEventLog = std::make_unique<TFrmEventLog>(*FEventLog, *FfrmProgress);
    FFrmEventLog->ShowInFront(this);
}

void TFrmMain::ShowDataLog() {
    TFrmDataLog dialog(
        *FfrmProgress, [this] { RestartSampling(); }, this);
    dialog.exec();
}

void TFrmMain::ShowLogSetting() {
    TFrmDataLogSet dialog([this] { RestartSampling(); }, this);
    dialog.exec();
}

void TFrmMain::RestartSampling() {
    if (RestartDataLogRound)
        RestartDataLogRound();
}

void TFrmMain::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (const TToolRow& row : ToolRows) {
        QAction* action = bar->addAction(ToolIcon(row.Icon), QString());
        action->setObjectName(row.Name);
        action->setVisible(row.Visible);
    }
    connect(bar->findChild<QAction*>("ToolButton7"), &QAction::triggered, this, &QWidget::close);
    QAction* overview = bar->findChild<QAction*>("ToolButton9");
    overview->setShortcut(QKeySequence(Qt::Key_F8));
    connect(overview, &QAction::triggered, this, &TFrmMain::ShowOverview);
    connect(bar->findChild<QAction*>("ToolButton2"), &QAction::triggered, this,
            [this] { SelectLanguage(1); });
    connect(bar->findChild<QAction*>("ToolButton3"), &QAction::triggered, this,
            [this] { SelectLanguage(0); });
    bar->addSeparator();

    // Right of the buttons: debug label, lamps, protocol number, port button.
    auto* strip = new QWidget(bar);
    strip->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(6);
    lblDevID = new QLabel(strip);
    lblDevID->setObjectName("lblDevID");
    lblDevID->hide();
    iLedTx = new TLamp(QColor(255, 220, 0), strip);
    iLedTx->setObjectName("iLedTx");
    iLedRx = new TLamp(QColor(255, 220, 0), strip);
    iLedRx->setObjectName("iLedRx");
    lblProtocol = new QLabel(strip);
    lblProtocol->setObjectName("lblProtocol");
    lblProtocol->setMinimumWidth(14);
    btnCom = new QPushButton(strip);
    btnCom->setObjectName("btnCom");
    btnCom->setMinimumWidth(84);
    connect(btnCom, &QPushButton::clicked, this, &TFrmMain::btnComClick);
    layout->addWidget(lblDevID);
    layout->addStretch(1);
    layout->addWidget(iLedTx);
    layout->addWidget(iLedRx);
    layout->addWidget(lblProtocol);
    layout->addWidget(btnCom);
    bar->addWidget(strip);
}

QWidget* TFrmMain::BuildLeftPanel() {
    auto* panel = new QWidget(this);
    panel->setMinimumWidth(LeftPanelWidth);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(panel);
        button->setObjectName(LeftButtons[i]);
        buttons->addWidget(button, i / 2, i % 2);
    }
    layout->addLayout(buttons);
    connect(panel->findChild<QPushButton*>("btnDelete"), &QPushButton::clicked, this,
            &TFrmMain::btnDeleteClick);

    TreeView1 = new QTreeWidget(panel);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(TreeView1, 1);
    FDeviceTree = new TDeviceTree(
        TreeView1, {[this] { return IsCommOpen(); }, &TRealTimeView::ClearMeasurements}, this);
    connect(FDeviceTree, &TDeviceTree::PageSelected, this, &TFrmMain::ShowPage);

    for (int i = 0; i < 3; ++i) {
        FDebugEdits[i] = new QLineEdit(panel);
        FDebugEdits[i]->setObjectName(DebugEditNames[i]);
        FDebugEdits[i]->setReadOnly(true);
        FDebugEdits[i]->hide();
        layout->addWidget(FDebugEdits[i]);
    }
    return panel;
}

QWidget* TFrmMain::BuildRightArea() {
    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName("PageControl1");
    RealTimePage = new TRealTimeView(PageControl1);
    GraphPage = new TTrendGraphs(PageControl1);
    PageControl1->addWidget(RealTimePage);
    PageControl1->addWidget(GraphPage);
    FOverview = new TOverviewView(PageControl1);
    PageControl1->addWidget(FOverview);
    connect(FOverview, &TOverviewView::UnitChosen, this, [this](uint8_t address) {
        if (FDeviceTree->ChooseDevice(address))
            TreeView1->setFocus();
    });
    return PageControl1;
}

void TFrmMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    // The panels sit side by side in a strip of their own, so that their
    // widths add up to the window's width without the status bar's gaps.
    auto* strip = new QWidget(bar);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (int i = 0; i < 4; ++i) {
        FStatusPanels[i] = new QLabel(strip);
        FStatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        FStatusPanels[i]->setFixedWidth(StatusPanelWidths[i]);
        FStatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        layout->addWidget(FStatusPanels[i]);
    }
    layout->addStretch(1);
    bar->addWidget(strip, 1);
}

void TFrmMain::PlaceWindow() {
    // The window's own area is below the menu bar, which has its texts now.
    const QSize defaultSize = ClientSize + QSize(0, menuBar()->sizeHint().height());
    setMinimumSize(defaultSize);
    resize(defaultSize);
    Splitter1->setSizes({LeftPanelWidth, defaultSize.width() - LeftPanelWidth});
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());

    TIniFile ini;
    ini.Load(UserParaPath());
    const std::optional<TWindowPlacement> stored = ReadWindowPlacement(ini);
    if (!stored)
        return;
    resize(stored->Normal.size().expandedTo(defaultSize));
    // A place on a screen that is no longer there stays centred.
    for (const QScreen* each : QGuiApplication::screens())
        if (each->availableGeometry().intersects(stored->Normal)) {
            move(stored->Normal.topLeft());
            break;
        }
    if (stored->TreeWidth >= LeftPanelWidth)
        FKeptTreeWidth = stored->TreeWidth;
    if (stored->Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

// The splitter's room is known once the window is laid out at its size, and a
// window started maximised gets that size from the window system, perhaps in
// steps: until then, and until the user moves the splitter, each new size
// gives the tree its kept width again.
void TFrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (FKeptTreeWidth == 0)
        return;
    QTimer::singleShot(0, this, [this] {
        const QList<int> sizes = Splitter1->sizes();
        if (FKeptTreeWidth == 0 || sizes.size() != 2 || !isVisible())
            return;
        Splitter1->setSizes({FKeptTreeWidth, sizes[0] + sizes[1] - FKeptTreeWidth});
        if (!isMaximized())
            FKeptTreeWidth = 0;
    });
}

void TFrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Back to its normal size, the window gives the tree its share of that.
    if (event->type() == QEvent::WindowStateChange && !isMaximized() &&
        (static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMaximized))
        FKeptTreeWidth = 0;
}

TWindowPlacement TFrmMain::Placement() const {
    TWindowPlacement placement;
    placement.Maximized = isMaximized();
    placement.Normal = placement.Maximized ? normalGeometry() : QRect(pos(), size());
    placement.TreeWidth = Splitter1->sizes().value(0);
    return placement;
}

uint8_t TFrmMain::GetSelDevAddr() const {
    return FDeviceTree->GetSelDevAddr();
}

bool TFrmMain::IsCommOpen() const {
    return FPort != nullptr && FPort->IsCommOpen();
}

void TFrmMain::ApplyProtocolLayout() {
    const uint8_t protocol = UserPara.PortInfo.Protocol;
    lblProtocol->setText(Num(protocol));
    RealTimePage->ApplyProtocolLayout(protocol);
}

void TFrmMain::ApplyLanguage() {
    const uint8_t language = UserPara.Language;
    ApplyCaptionRows(this, MainCaptionTable(), language);
    FillLangText(language);
    ApplyQtTexts(language);
    menuBar()->findChild<QAction*>(language == 1 ? "mni401" : "mni402")->setChecked(true);
    QStringList childCaptions;
    for (const TTextPair& caption : TreeChildCaptionTexts)
        childCaptions << QString::fromUtf8(PickText(caption, language));
    FDeviceTree->SetLanguage(language, childCaptions);
    SetPanelText(2,
                 CurrentText(VersionCaption).toStdString() + ' ' + GetVersionString("FileVersion"));
    for (std::size_t panel = 0; panel < FStatusPanels.size(); ++panel)
        NamePanel(int(panel));
    RealTimePage->ApplyLanguage(language);
    GraphPage->ApplyLanguage(language);
    FOverview->ApplyLanguage(language);
    if (FFrmEventLog)
        FFrmEventLog->FollowLanguage();
}

void TFrmMain::SelectLanguage(uint8_t language) {
    UserPara.Language = language;
    ApplyLanguage();
    // Stored at once: reopening the port reads the settings file again.
    try {
        SaveUserPara();
    } catch (const std::exception& e) {
        Prompts.Tell(this, QMessageBox::Critical, QString::fromUtf8(e.what()));
    }
}

// A minimised window, or one hidden in the tray, draws nothing: only the
// graphs go on taking their points, and the first beat that finds the window
// seen again refreshes everything at once.
void TFrmMain::Timer1Timer() {
    DbgVal[DbgMainTimerInterval] = Timer1->Interval();
    ++DbgVal[DbgMainTicks];
    const bool seen = IsSeen();
    if (seen && !FSeen)
        FStatusCount = StatusStepsPerRefresh;
    FSeen = seen;
    StatusStep();
}

bool TFrmMain::IsSeen() const {
    return !testAttribute(Qt::WA_WState_ExplicitShowHide) || IsOnScreen(*this);
}

void TFrmMain::StatusStep() {
    if (FSeen) {
        UpdateDebugLabel();
        ShowPortState();
        ShowLamps();
        ShowMenusByProtocol();
    }
    if (FStatusCount < StatusStepsPerRefresh) {
        ++FStatusCount;
        return;
    }
    FStatusCount = 0;
    if (FSeen) {
        ViewRefresh();
        return;
    }
    const uint8_t sel = GetSelDevAddr();
    FeedGraphs(sel, ListPosOf(sel), ShownRecord(sel));
}

void TFrmMain::UpdateDebugLabel() {
    lblDevID->setVisible(DebugShow);
    RealTimePage->SetDebugVisible(DebugShow);
    for (QLineEdit* edit : FDebugEdits)
        edit->setVisible(DebugShow);
    if (!DebugShow)
        return;
    // The address the active protocol object serves; none for an unknown protocol.
    const uint8_t cur = UserPara.PortInfo.Protocol > 3 ? 0 : EquipList.PollAddress;
    const uint8_t sel = GetSelDevAddr();
    const TUpsInfoRec& curRec = ShownRecord(cur);
    const TUpsInfoRec& selRec = ShownRecord(sel);
    lblDevID->setText("Cur[" + Num(cur) + "]:" + Num(curRec.SendCount) + "  Dev[" + Num(sel) +
                      "]:" + Num(selRec.SuccessRate) + "%;" + "R:" + Num(selRec.FailCount) + "; " +
                      Num(selRec.RecvCount) + ":" + Num(selRec.OkCount) + "/" +
                      Num(selRec.SendCount));
}

void TFrmMain::ShowPortState() {
    const bool open = IsCommOpen();
    const std::string& name = UserPara.PortInfo.ComName;
    if (!FPortStateShown || FPortStateShown->Open != open || FPortStateShown->ComName != name ||
        FPortStateShown->Language != UserPara.Language) {
        FPortStateShown = TPortStateShown{
            open, name, UserPara.Language,
            open ? name + LangText.PortOpenStatus : LangText.PortClosedStatus};
        btnCom->setText(QString::fromStdString(open ? LangText.PortCloseCaption
                                                    : LangText.PortOpenCaption));
    }
    SetPanelText(0, FPortStateShown->Panel);
}

// A text too long for its panel (a /dev/serial/by-id/... port) loses its
// middle, so that the state word at its end stays readable; the tool tip
// holds it whole.
void TFrmMain::SetPanelText(int panel, const std::string& text) {
    QLabel* label = FStatusPanels[std::size_t(panel)];
    const int room = label->contentsRect().width() - 2 * label->margin() - label->indent() - 4;
    auto& last = FPanelShown[std::size_t(panel)];
    if (last.first == text && last.second == room)
        return;
    last = {text, room};
    const QString full = QString::fromStdString(text);
    const QString shown = label->fontMetrics().elidedText(full, Qt::ElideMiddle, room);
    if (label->text() != shown)
        label->setText(shown);
    const QString tip = shown == full ? QString() : full;
    if (label->toolTip() != tip)
        label->setToolTip(tip);
    NamePanel(panel);
}

// A panel is heard as what it tells and what it says, even while it is empty.
void TFrmMain::NamePanel(int panel) {
    QLabel* label = FStatusPanels[std::size_t(panel)];
    const QString full = label->toolTip().isEmpty() ? label->text() : label->toolTip();
    const QString name = CurrentText(StatusPanelNames[panel]) + ": " + full;
    if (label->accessibleName() != name)
        label->setAccessibleName(name);
}

void TFrmMain::ShowLamps() {
    // A frame lights its lamp for three status steps; a steady stream keeps it lit.
    auto step = [](uint8_t& count, TLamp* lamp) {
        lamp->SetLit(count > 0);
        if (count > 0)
            --count;
    };
    step(TxLedCount, iLedTx);
    step(RxLedCount, iLedRx);
}

void TFrmMain::ShowMenusByProtocol() {
    // User setting and the control commands exist only for Modbus and VEX.
    const uint8_t protocol = UserPara.PortInfo.Protocol;
    const bool modbus = protocol == 2 || protocol == 3;
    mni101->setVisible(modbus);
    mni300->menuAction()->setVisible(modbus);
    mni301->setVisible(modbus);
    mniTurnOn->setVisible(modbus);
}

void TFrmMain::ViewRefresh() {
    ++DbgVal[DbgMainViewRefreshes];
    FStatusPanels[3]->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    NamePanel(3);
    SetPanelText(1, BusCycleStatus(BusHealth, UserPara.Language));
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        FDeviceTree->RefreshNode(pos);
    const uint8_t sel = GetSelDevAddr();
    const int selPos = ListPosOf(sel);
    if (PageControl1->currentWidget() == FOverview)
        FOverview->Refresh(SteadyMs());
    const TUpsInfoRec& rec = ShownRecord(sel);
    const uint8_t protocol = UserPara.PortInfo.Protocol;
    FeedGraphs(sel, selPos, rec);
    RealTimePage->ShowInputSide(rec);
    RealTimePage->ShowOutputSide(rec);
    RealTimePage->ShowStates(rec, protocol);
    RealTimePage->ShowAlarms(rec);
    RealTimePage->ShowChargeFlow(rec, protocol);
    if (DebugShow)
        FillDebugEdits(selPos);
}

void TFrmMain::FeedGraphs(uint8_t sel, int selPos, const TUpsInfoRec& rec) {
    GraphPage->ShowDevice(
        sel, selPos > 0 ? QString::fromStdString(ShownEquipName(EquipList.At(selPos).Name)) : "");
    GraphPage->AddInputVolts(rec);
    GraphPage->AddOutputVolts(rec);
}

void TFrmMain::FillDebugEdits(int listPos) {
    const TEquipItem none;
    const TEquipItem& item = listPos > 0 ? EquipList.At(listPos) : none;
    const uint8_t sel = GetSelDevAddr();
    const int selNode = FDeviceTree->SelectedNodeIndex();
    FDebugEdits[0]->setText("Items:" + Num(listPos) + " Name:" + QString::fromStdString(item.Name) +
                            " Addr:" + Num(item.Address) + " Node:" + Num(item.TreeIndex));
    FDebugEdits[1]->setText("Select:" + Num(sel) + " Addr:" + Num(ShownRecord(sel).Address) +
                            (selNode >= 0 ? " SelNode:" + Num(selNode) : " SelNode: -1"));
    FDebugEdits[2]->setText("FidxSelNode=" + Num(FDeviceTree->GetIdxSelNode()) +
                            "FSelDevAddr=" + Num(sel));
}

void TFrmMain::ShowPage(int page) {
    PageControl1->setCurrentIndex(page);
}

void TFrmMain::ShowOverview() {
    FOverview->Refresh(SteadyMs());
    ShowPage(PageControl1->indexOf(FOverview));
    FOverview->setFocus();
}

void TFrmMain::btnComClick() {
    if (btnCom->text() != QString::fromStdString(LangText.PortOpenCaption)) {
        if (FPort != nullptr)
            FPort->CloseComm();
        return;
    }
    LoadUserPara();
    if (FPort == nullptr)
        return;
    try {
        FPort->OpenComm();
    } catch (const std::exception& e) {
        Prompts.Tell(this, QMessageBox::Critical, QString::fromUtf8(e.what()));
    }
}

void TFrmMain::btnDeleteClick() {
    if (FDeviceTree->SelectedNodeIndex() < 0)
        return;
    // A click on Delete must not lose a device and its name without a word:
    // the unit is named and the removal asked for.
    const int pos = FDeviceTree->DevicePosOfNode(FDeviceTree->SelectedDeviceNode());
    if (pos > 0) {
        const TEquipItem& item = EquipList.At(pos);
        const QString question = CurrentText(MsgDeleteQuestion)
                                     .arg(QString::fromStdString(ShownEquipName(item.Name)))
                                     .arg(item.Address);
        if (!Prompts.Ask(this, question))
            return;
    }
    try {
        FDeviceTree->DeleteEquip();
    } catch (const std::exception& e) {
        Prompts.Tell(this, QMessageBox::Critical, QString::fromUtf8(e.what()));
    }
}

void TFrmMain::BringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TFrmMain::EndSession() {
    FEndingSession = true;
    close();
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    if (!FExited && !FEndingSession) {
        const bool yes = Prompts.Ask(this, CurrentText(MsgExitQuestion));
        // The session may have ended, and the exit run, while the question was open.
        if (!yes && !FExited) {
            event->ignore();
            return;
        }
    }
    if (!FExited && !RunExitSequence()) {
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

void TFrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FStartNotes.isEmpty())
        return;
    // After the show, so that the message stands over the window it concerns.
    QTimer::singleShot(0, this, [this] {
        const QStringList notes = std::exchange(FStartNotes, {});
        for (const QString& note : notes)
            Prompts.Tell(this, QMessageBox::Warning, note);
    });
}

bool TFrmMain::RunExitSequence() {
    Timer1->Stop();
    try {
        // A settings file that could not be read at start is left as it is,
        // as the user was told then.
        if (UserParaLoadProblem().empty())
            SaveUserPara([this](TIniFile& ini) { StoreWindowPlacement(ini, Placement()); });
    } catch (const TUserParaKept& e) {
        // It became unreadable meanwhile: it is kept, and there is nothing
        // the window could do about it by staying open.
        if (!FEndingSession)
            Prompts.Tell(this, QMessageBox::Warning, QString::fromUtf8(e.what()));
        else
            qWarning("Pelmora Desk: %s", e.what());
    } catch (const std::exception& e) {
        if (!FEndingSession) {
            Prompts.Tell(this, QMessageBox::Critical, QString::fromUtf8(e.what()));
            // The window stays open and goes on showing the devices.
            Timer1->Start();
            return false;
        }
        // The session ends regardless; there is nobody left to tell.
        qWarning("Pelmora Desk: %s", e.what());
    }
    if (FPort != nullptr)
        FPort->StopForExit();
    FExited = true;
    return true;
}

void TFrmMain::ConnectControlCommands() {
    connect(mni101, &QAction::triggered, this, &TFrmMain::mni101Click);
    connect(menuBar()->findChild<QAction*>("mni102"), &QAction::triggered, this,
            &TFrmMain::mni102Click);
    connect(findChild<QToolBar*>("ToolBar1")->findChild<QAction*>("ToolButton1"),
            &QAction::triggered, this, &TFrmMain::mni102Click);
    connect(mni301, &QAction::triggered, this, &TFrmMain::mni301Click);
    connect(mniTurnOn, &QAction::triggered, this, &TFrmMain::mniTurnOnClick);
}

TControlContext TFrmMain::ControlContext() {
    return {[this] { return GetSelDevAddr(); }, [this] { return IsCommOpen(); }};
}

void TFrmMain::mni101Click() {
    if (ShownRecord(GetSelDevAddr()).CommState != CommCommunicating) {
        // Nothing to confirm: a warning with OK.
        Prompts.Tell(this, QMessageBox::Warning, CurrentText(MsgDeviceNotCommunicating));
        return;
    }
    if (FFrmUserSet == nullptr) {
        FFrmUserSet = new TFrmUserSet(ControlContext(), this);
        FFrmUserSet->setModal(false);
    }
    FFrmUserSet->show();
    FFrmUserSet->raise();
    FFrmUserSet->activateWindow();
}

void TFrmMain::mni102Click() {
    TSoftwareParaHooks hooks;
    hooks.OpenComm = [this] {
        if (FPort != nullptr)
            FPort->OpenComm();
    };
    hooks.ApplyProtocolLayout = [this] { ApplyProtocolLayout(); };
    hooks.TestMqtt = TestMqtt;
    hooks.MqttChanged = MqttChanged;
    TFrmSoftwarePara dialog(std::move(hooks), this);
    dialog.exec();
}

void TFrmMain::mni301Click() {
    RunBehindPasswordGate<TFrmTest>(ControlContext(), this);
}

void TFrmMain::mniTurnOnClick() {
    RunBehindPasswordGate<TfrmTrunOn>(ControlContext(), this);
}
