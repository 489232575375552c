// The main window driven tick by tick: start-up, status step and view refresh
// cadence, lamps, menus by protocol, the port button, the exit question, the
// language switch and the debug display. Each case runs in a fresh program
// folder of its own.

#include "app/DeviceTree.h"
#include "app/UFrmMain.h"
#include "base/LangText.h"
#include "base/ProgramFolder.h"
#include "base/SharedFlags.h"
#include "comm/PortControl.h"
#include "config/UUserParaIni.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewView.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "status/StatusCodes.h"
#include "ui/BeatTimer.h"
#include "ui/Lamp.h"
#include "ui/LineGraph.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>

namespace {
struct TFakePort : TPortControl {
    bool Open = false;
    int Opens = 0;
    int Closes = 0;
    int PortCloses = 0;
    std::string OpenError; // thrown by OpenComm when set

    bool IsCommOpen() const override { return Open; }
    void OpenComm() override {
        ++Opens;
        if (!OpenError.empty())
            throw std::runtime_error(OpenError);
        Open = true;
    }
    void CloseComm() override {
        ++Closes;
        Open = false;
    }
    void StopForExit() override {
        ++PortCloses;
        Open = false;
    }
};

// Every key the settings file must hold after a save.
const char* const IniKeys[] = {"ComName",    "BaudRate",    "StopBits",  "ReadIntervalTimeout",
                               "AutoStart",  "Protocol",    "WaitTimer", "MaxReSend",
                               "CommErrCnt", "CommLostCnt", "Language",  "RecInterval"};

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The Yes button of a confirmation box, which Qt labels itself.
QString YesButtonText() {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}

void WriteDevice(const QString& folder, uint8_t address, const std::string& name) {
    QDir().mkpath(folder + "Record");
    TEquipItem item;
    item.Address = address;
    item.Name = name;
    const TEquipRecord record = EncodeEquipRecord(item);
    WriteFile(folder + "Record/TreeNode.dat",
              QByteArray(reinterpret_cast<const char*>(record.data()), int(record.size())));
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    QString FFolder;
    std::unique_ptr<TFrmMain> FWin;
    TFakePort FPort;
    QStringList FAsked;
    QStringList FTold;
    bool FAnswer = false;

    // Program folder for the next window, with optional settings file content.
    void PrepareFolder(const QByteArray& ini = {}) {
        if (!ini.isEmpty())
            WriteFile(FFolder + "UserParaIni.ini", ini);
        SetProgramFolder(FFolder.toStdString());
    }

    TFrmMain& Create() {
        FWin = std::make_unique<TFrmMain>();
        // The tests drive the ticks themselves.
        FWin->findChild<TBeatTimer*>("Timer1")->Stop();
        FWin->Prompts.Ask = [this](QWidget*, const QString& text) {
            FAsked << text;
            return FAnswer;
        };
        FWin->Prompts.Tell = [this](QWidget*, QMessageBox::Icon, const QString& text) {
            FTold << text;
        };
        FWin->SetPortControl(&FPort);
        return *FWin;
    }

    void Tick(int count) {
        for (int i = 0; i < count; ++i)
            FWin->Timer1Timer();
    }

    template <typename T> T* Child(const char* name) {
        T* child = FWin->findChild<T*>(name);
        if (child == nullptr)
            qFatal("no child %s", name);
        return child;
    }

    QString Panel(int n) {
        return Child<QLabel>(qPrintable(QString("StatusPanel%1").arg(n)))->text();
    }

private slots:
    void init() {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        FFolder = FDir->path() + "/";
        FPort = TFakePort{};
        FAsked.clear();
        FTold.clear();
        FAnswer = false;
        TxLedCount = RxLedCount = 0;
        DebugShow = false;
    }

    void cleanup() {
        FWin.reset();
        FDir.reset();
    }

    // Size, place and splitter come back at the next start; a place off every
    // screen or a size below the default does not.
    void placementRestoredAtNextStart() {
        PrepareFolder();
        TFrmMain& w = Create();
        w.show();
        const QSize grown = w.size() + QSize(240, 130);
        w.resize(grown);
        w.move(40, 30);
        auto* splitter = Child<QSplitter>("Splitter1");
        splitter->setSizes({260, grown.width() - 260});
        const int treeWidth = splitter->sizes().at(0);
        QVERIFY(treeWidth > 180);
        FAnswer = true;
        QVERIFY(w.close());
        FWin.reset();

        TFrmMain& again = Create();
        again.show();
        QCOMPARE(again.size(), grown);
        QCOMPARE(again.pos(), QPoint(40, 30));
        QTRY_COMPARE(Child<QSplitter>("Splitter1")->sizes().at(0), treeWidth);
        QVERIFY(!again.isMaximized());
        FWin.reset();

        WriteFile(FFolder + "UserParaIni.ini",
                  "[MainWindow]\nLeft=-90000\nTop=5\nWidth=200\nHeight=100\nMaximized=1\n");
        TFrmMain& odd = Create();
        QCOMPARE(odd.size(), odd.minimumSize());
        QVERIFY(odd.pos().x() > -90000);
        QVERIFY(odd.windowState() & Qt::WindowMaximized);
    }

    // A growing window gives the tree a fifth of what it gains, so that its
    // captions get room. (A maximised start is looked at on a real screen:
    // the offscreen one is smaller than the window.)
    void theTreeSharesTheGrowth() {
        PrepareFolder();
        TFrmMain& w = Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* splitter = Child<QSplitter>("Splitter1");
        const int tree = splitter->sizes().at(0);
        w.resize(w.size() + QSize(500, 0));
        // About a fifth: the splitter rounds by its own rules.
        QTRY_VERIFY(qAbs(splitter->sizes().at(0) - (tree + 100)) <= 5);
    }

    void startupBuildsWindowFoldersAndRecords() {
        PrepareFolder();
        UpsTable[7].Address = 99;
        UpsTable[7].CommState = CommCommunicating;
        DebugShow = true;
        TFrmMain& w = Create();
        w.show();

        // 863 x 596 below the menu bar.
        QCOMPARE(w.size(), QSize(863, 596 + w.menuBar()->sizeHint().height()));
        QCOMPARE(w.height() - w.menuBar()->geometry().bottom() - 1, 596);
        QCOMPARE(w.minimumSize(), w.size()); // it grows, never shrinks below the design
        QVERIFY(w.maximumWidth() > 1920);
        QVERIFY(QDir(FFolder + "Record").exists());
        QVERIFY(QDir(FFolder + "Backup").exists());
        QVERIFY(!DebugShow);
        QCOMPARE(w.windowTitle(), QString("Pelmora Monitor"));
        QCOMPARE(Panel(3), QString("Version " PELMORA_VERSION));
        QCOMPARE(Child<QLabel>("lblProtocol")->text(), QString("0"));
        QCOMPARE(UpsTable[7].Address, uint8_t(7));
        QCOMPARE(UpsTable[7].CommState, uint8_t(2));
        QCOMPARE(UpsTable[7].UpsState, -1);
        QCOMPARE(w.GetSelDevAddr(), uint8_t(0));

        const int widths[] = {180, 272, 232, 174};
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(Child<QLabel>(qPrintable(QString("StatusPanel%1").arg(n)))->width(),
                     widths[n - 1]);
        QStringList shown;
        for (QAction* action : Child<QToolBar>("ToolBar1")->actions())
            if (action->isVisible() && action->objectName().startsWith("ToolButton"))
                shown << action->objectName().mid(10);
        // The overview's button (9) follows the log buttons.
        QCOMPARE(shown, QStringList({"1", "4", "5", "8", "9", "6", "7"}));
    }

    void statusStepAtEveryBeatViewRefreshAtEverySixth() {
        PrepareFolder();
        Create();
        const int refreshes = DbgVal[DbgMainViewRefreshes];
        const int ticks = DbgVal[DbgMainTicks];
        // The status step counts the lamp counter down, so it shows each step.
        TxLedCount = 100;
        Tick(1);
        QCOMPARE(TxLedCount, uint8_t(99));
        QCOMPARE(Panel(1), QString("COM is closed"));
        Tick(1);
        QCOMPARE(TxLedCount, uint8_t(98));

        Tick(6 - 2 - 1);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes);
        QVERIFY(Panel(4).isEmpty());
        Tick(1);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes + 1);
        QVERIFY(QTime::fromString(Panel(4), "hh:mm:ss").isValid());
        Tick(5);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes + 1);
        Tick(1);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes + 2);
        QCOMPARE(TxLedCount, uint8_t(100 - 12));
        QCOMPARE(DbgVal[DbgMainTicks], ticks + 12);
        QCOMPARE(DbgVal[DbgMainTimerInterval], 100);
    }

    // Minimised, the window refreshes nothing but the graphs' points; the
    // first beat after it comes back refreshes it at once.
    void aMinimisedWindowOnlyFeedsTheGraphs() {
        PrepareFolder();
        TFrmMain& w = Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* graph = Child<TLineGraph>("chtInputVolt");
        Tick(6);
        const int refreshes = DbgVal[DbgMainViewRefreshes];
        const int points = graph->PointCount(0);
        TxLedCount = 50;

        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        Tick(12);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes);
        QCOMPARE(graph->PointCount(0), points + 2);
        QCOMPARE(TxLedCount, uint8_t(50)); // the lamps wait too

        w.showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Tick(1);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes + 1);
        QCOMPARE(TxLedCount, uint8_t(49));

        w.hide(); // to the tray
        Tick(6);
        QCOMPARE(DbgVal[DbgMainViewRefreshes], refreshes + 1);
        QCOMPARE(graph->PointCount(0), points + 4); // one more at the refresh on return
    }

    void framesLightLampsForThreeStatusSteps() {
        PrepareFolder();
        Create();
        auto* tx = Child<TLamp>("iLedTx");
        auto* rx = Child<TLamp>("iLedRx");
        TxLedCount = 3;
        RxLedCount = 1;
        const bool txLit[] = {true, true, true, false, false};
        const bool rxLit[] = {true, false, false, false, false};
        for (int step = 0; step < 5; ++step) {
            Tick(1);
            QCOMPARE(tx->IsLit(), txLit[step]);
            QCOMPARE(rx->IsLit(), rxLit[step]);
        }
        // A steady stream keeps the lamp lit.
        for (int step = 0; step < 5; ++step) {
            RxLedCount = 3;
            Tick(1);
            QVERIFY(rx->IsLit());
        }
    }

    void controlMenusByProtocol_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("shown");
        QTest::newRow("modular") << 0 << false;
        QTest::newRow("three-phase") << 1 << false;
        QTest::newRow("Modbus") << 2 << true;
        QTest::newRow("VEX") << 3 << true;
        QTest::newRow("unknown") << 7 << false;
    }

    void controlMenusByProtocol() {
        QFETCH(int, protocol);
        QFETCH(bool, shown);
        PrepareFolder();
        Create();
        // A protocol changed in memory shows within one status step.
        UserPara.PortInfo.Protocol = uint8_t(protocol);
        Tick(1);
        QCOMPARE(Child<QAction>("mni101")->isVisible(), shown);
        QCOMPARE(Child<QMenu>("mni300")->menuAction()->isVisible(), shown);
        QCOMPARE(Child<QAction>("mni301")->isVisible(), shown);
        QCOMPARE(Child<QAction>("mniTurnOn")->isVisible(), shown);
        QVERIFY(Child<QAction>("mni102")->isVisible());
    }

    void portButtonFollowsPortAndSwitchesIt() {
        PrepareFolder("[CommPort]\nComName=COM3\n");
        Create();
        auto* btnCom = Child<QPushButton>("btnCom");
        FPort.Open = true;
        Tick(1);
        QCOMPARE(Panel(1), QString("COM3 is Link"));
        QCOMPARE(btnCom->text(), QString("Close COM"));
        btnCom->click();
        QCOMPARE(FPort.Closes, 1);
        Tick(1);
        QCOMPARE(Panel(1), QString("COM is closed"));
        QCOMPARE(btnCom->text(), QString("Open COM"));

        // Opening reads the whole settings file again first.
        UserPara.PortInfo.ComName = "COM9";
        btnCom->click();
        QCOMPARE(FPort.Opens, 1);
        QCOMPARE(UserPara.PortInfo.ComName, std::string("COM3"));
        Tick(1);
        QCOMPARE(Panel(1), QString("COM3 is Link"));

        // A long device path loses its middle, never the state word.
        btnCom->click();
        UserPara.PortInfo.ComName =
            "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
        FPort.Open = true;
        Tick(1);
        const auto* panel = Child<QLabel>("StatusPanel1");
        QVERIFY(Panel(1).endsWith(" is Link"));
        QVERIFY(Panel(1).contains(QChar(0x2026)));
        QCOMPARE(panel->toolTip(), QString::fromStdString(UserPara.PortInfo.ComName) + " is Link");
        QVERIFY(panel->fontMetrics().horizontalAdvance(Panel(1)) <= panel->contentsRect().width());
        UserPara.PortInfo.ComName = "COM3";
        Tick(1);
        QCOMPARE(panel->toolTip(), QString());

        FPort.Open = false;
        FPort.OpenError = "Error opening serial port";
        Tick(1);
        btnCom->click();
        QCOMPARE(FTold, QStringList{"Error opening serial port"});
        Tick(1);
        QCOMPARE(btnCom->text(), QString("Open COM"));
    }

    void exitAnsweredNoKeepsRunningAndWritesNothing() {
        PrepareFolder();
        TFrmMain& w = Create();
        w.findChild<TBeatTimer*>("Timer1")->Start();
        QSignalSpy closed(&w, &TFrmMain::Closed);
        w.show();
        FAnswer = false;
        QVERIFY(!w.close());
        QCOMPARE(FAsked, QStringList{"Exit Program ?"});
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<TBeatTimer*>("Timer1")->IsActive());
        QVERIFY(!QFile::exists(FFolder + "UserParaIni.ini"));
        QCOMPARE(FPort.PortCloses, 0);
        QCOMPARE(closed.count(), 0);
    }

    // Delete names the unit and asks; No keeps it in the list and the file.
    void deleteAsksNamingTheUnit() {
        WriteDevice(FFolder, 5, "UPS-A");
        PrepareFolder();
        TFrmMain& w = Create();
        auto* tree = Child<QTreeWidget>("TreeView1");
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        const QByteArray file = ReadFile(FFolder + "Record/TreeNode.dat");
        FAnswer = false;
        Child<QPushButton>("btnDelete")->click();
        QCOMPARE(FAsked, QStringList{"Remove UPS-A (address 5) from the device list? It will no "
                                     "longer be polled."});
        QCOMPARE(EquipList.Count, 1);
        QCOMPARE(ReadFile(FFolder + "Record/TreeNode.dat"), file);
        FAnswer = true;
        Child<QPushButton>("btnDelete")->click();
        QCOMPARE(EquipList.Count, 0);
        QCOMPARE(tree->topLevelItemCount(), 0);
        (void)w;
    }

    void exitAnsweredYesSavesClosesPortAndCloses() {
        PrepareFolder();
        TFrmMain& w = Create();
        QSignalSpy closed(&w, &TFrmMain::Closed);
        w.show();
        FAnswer = true;
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(!w.findChild<TBeatTimer*>("Timer1")->IsActive());
        QCOMPARE(FPort.PortCloses, 1);
        QCOMPARE(closed.count(), 1);
        QFile ini(FFolder + "UserParaIni.ini");
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(ini.readAll());
        for (const char* key : IniKeys)
            QVERIFY2(content.contains(QString("\n%1=").arg(key)), key);
    }

    void exitQuestionInChinese() {
        PrepareFolder("[Language]\nLanguage=1\n");
        TFrmMain& w = Create();
        w.show();
        QVERIFY(!w.close());
        QCOMPARE(FAsked, QStringList{"您确定要退出系统吗?"});
    }

    void unwritableProgramFolderKeepsWindowOpen() {
        // A program folder below a plain file cannot be written, not even by root.
        WriteFile(FFolder + "plain", "x");
        FFolder += "plain/";
        PrepareFolder();
        TFrmMain& w = Create();
        QSignalSpy closed(&w, &TFrmMain::Closed);
        w.show();
        FAnswer = true;
        QVERIFY(!w.close());
        QCOMPARE(FTold, QStringList{"Unable to write to " + FFolder + "UserParaIni.ini"});
        QVERIFY(w.isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(FPort.PortCloses, 0);
        QVERIFY(w.findChild<TBeatTimer*>("Timer1")->IsActive());
    }

    void unreadableSettingsFileIsToldAndKeptAtExit() {
        const QByteArray huge = QByteArray(1 << 20, '#') + "\n[CommPort]\nComName=/dev/ttyUSB3\n";
        PrepareFolder(huge);
        TFrmMain& w = Create();
        QCOMPARE(UserPara.PortInfo.ComName, std::string("COM1")); // the defaults
        w.show();
        QTRY_COMPARE(FTold.size(), 1);
        QVERIFY2(FTold[0].startsWith("The settings file " + FFolder +
                                     "UserParaIni.ini cannot be read (larger than 1 MiB)"),
                 qPrintable(FTold[0]));
        FAnswer = true;
        QVERIFY(w.close()); // the exit is not held up by the file it keeps
        QCOMPARE(FTold.size(), 1);
        QFile ini(FFolder + "UserParaIni.ini");
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll() == huge);
    }

    void deviceListWithSkippedEntriesIsToldAndKept() {
        QByteArray bytes;
        for (const uint8_t address : {5, 0, 5, 253, 9}) {
            TEquipItem item;
            item.Address = address;
            item.Name = "UPS";
            const TEquipRecord record = EncodeEquipRecord(item);
            bytes.append(reinterpret_cast<const char*>(record.data()), int(record.size()));
        }
        QDir().mkpath(FFolder + "Record");
        WriteFile(FFolder + "Record/TreeNode.dat", bytes);
        PrepareFolder("[Language]\nLanguage=1\n");
        TFrmMain& w = Create();
        QCOMPARE(EquipList.Count, uint8_t(2));
        w.show();
        QTRY_COMPARE(FTold.size(), 1);
        QVERIFY2(FTold[0].startsWith("设备列表 " + FFolder +
                                     "Record/TreeNode.dat 中有 3 条记录未被采用"),
                 qPrintable(FTold[0]));
        FAnswer = true;
        QVERIFY(w.close());
        QFile file(FFolder + "Record/TreeNode.dat");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == bytes);
    }

    void readOnlyRunSavesNothingAtExit() {
        PrepareFolder();
        SetReadOnlyRun(true);
        TFrmMain& w = Create();
        w.show();
        FAnswer = true;
        const bool closed = w.close();
        SetReadOnlyRun(false);
        QVERIFY(closed);
        QVERIFY(FTold.isEmpty());
        QVERIFY(!QFile::exists(FFolder + "UserParaIni.ini"));
    }

    void sessionEndSavesWithoutAsking() {
        PrepareFolder();
        TFrmMain& w = Create();
        QSignalSpy closed(&w, &TFrmMain::Closed);
        w.show();
        w.EndSession();
        QVERIFY(FAsked.isEmpty());
        QVERIFY(!w.isVisible());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(FPort.PortCloses, 1);
        QVERIFY(QFile::exists(FFolder + "UserParaIni.ini"));
    }

    void languageMenuSwitchesTextsAtOnce() {
        WriteDevice(FFolder, 5, "UPS-A");
        PrepareFolder();
        TFrmMain& w = Create();
        auto* tree = Child<QTreeWidget>("TreeView1");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QString("Real-time Info"));
        QCOMPARE(w.GetSelDevAddr(), uint8_t(5));

        Child<QAction>("mni401")->trigger();
        QCOMPARE(UserPara.Language, uint8_t(1));
        // Stored at once: Open COM reads the file again and must not undo it.
        UserPara.Language = 0;
        LoadUserPara();
        QCOMPARE(UserPara.Language, uint8_t(1));
        QCOMPARE(w.windowTitle(), QString("Pelmora监控"));
        QCOMPARE(Child<QMenu>("mni100")->title(), QString("系统(&S)"));
        QCOMPARE(Child<QAction>("mni101")->text(), QString("用户设置(&U)"));
        QCOMPARE(Child<QAction>("ToolButton6")->toolTip(), QString("帮助"));
        QCOMPARE(Child<QPushButton>("btnSearch")->text(), QString("搜索"));
        QCOMPARE(Child<QPushButton>("btnAppend")->toolTip(),
                 QString("在设备树中添加要被监控的逆变器"));
        QCOMPARE(Child<QMenu>("mni400")->title(), QString("语言(&L)"));
        QVERIFY(Child<QAction>("mni401")->isChecked());
        QVERIFY(!Child<QAction>("mni402")->isChecked());
        QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QString("实时信息"));
        QCOMPARE(tree->topLevelItem(0)->child(1)->text(0), QString("曲线图"));
        QCOMPARE(Child<QLabel>("pnlSupportTimeUnit")->text(), QString("分钟"));
        QCOMPARE(Child<TLineGraph>("chtInputVolt")->XTitle(), QString("时间"));
        QCOMPARE(Panel(3), QString("版本 " PELMORA_VERSION));
        QCOMPARE(w.GetSelDevAddr(), uint8_t(5));
        QCOMPARE(LangText.PortError, std::string("开启串口时出错,请检查串口设置!"));
        QCOMPARE(YesButtonText(), QString("是(&Y)")); // Qt's own texts follow too
        // The port texts follow at the next status step.
        Tick(1);
        QCOMPARE(Panel(1), QString("串口已关闭"));
        QCOMPARE(Child<QPushButton>("btnCom")->text(), QString("开启串口"));

        Child<QAction>("mni402")->trigger();
        QCOMPARE(UserPara.Language, uint8_t(0));
        QCOMPARE(w.windowTitle(), QString("Pelmora Monitor"));
        QCOMPARE(Child<QMenu>("mni400")->title(), QString("&Language"));
        QVERIFY(!Child<QAction>("mni401")->isChecked());
        QVERIFY(Child<QAction>("mni402")->isChecked());
        QCOMPARE(Child<QPushButton>("btnAppend")->toolTip(),
                 QString("Append inverter of need to be Monitored "));
        QCOMPARE(tree->topLevelItem(0)->child(1)->text(0), QString("Graph"));
        QCOMPARE(YesButtonText(), QString("&Yes"));
    }

    // What a screen reader hears: every control the window shows has a name,
    // in the chosen language, and the readings carry their values.
    void everyControlHasAnAccessibleName() {
        WriteDevice(FFolder, 5, "UPS-A");
        PrepareFolder();
        TFrmMain& w = Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FPort.Open = true;
        UpsTable[5].CommState = CommCommunicating;
        UpsTable[5].InputVoltA = 220.04;
        UpsTable[5].UpsState = StateOnline;
        Tick(6);
        for (const uint8_t language : {uint8_t(0), uint8_t(1)}) {
            Child<QAction>(language == 1 ? "mni401" : "mni402")->trigger();
            Tick(6);
            QStringList unnamed;
            for (QWidget* widget : w.findChildren<QWidget*>()) {
                const bool control =
                    widget->focusPolicy() != Qt::NoFocus || qobject_cast<QLabel*>(widget) ||
                    widget->inherits("TAngularGauge") || widget->inherits("TLedBar") ||
                    widget->inherits("TLamp") || widget->inherits("TSingleLineDiagram");
                if (!control || !widget->isVisibleTo(&w) || qobject_cast<QMenu*>(widget) ||
                    qobject_cast<QScrollBar*>(widget))
                    continue;
                QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(widget);
                if (reader == nullptr || reader->text(QAccessible::Name).trimmed().isEmpty())
                    unnamed << widget->metaObject()->className() + QString(' ') +
                                   widget->objectName();
            }
            QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
        }
        auto name = [this](const char* object) {
            return QAccessible::queryAccessibleInterface(Child<QWidget>(object))
                ->text(QAccessible::Name);
        };
        QCOMPARE(name("gagInputA"), QString("输入A相电压 220.0 V"));
        QCOMPARE(name("StatusPanel3"), QString("版本: 版本 " PELMORA_VERSION));
        Child<QAction>("mni402")->trigger();
        QCOMPARE(name("gagInputA"), QString("Input A Phase V 220.0 V"));
        QCOMPARE(name("TreeView1"), QString("Device tree"));
        // The state picture shown is heard as the state text beside it.
        int pictures = 0;
        for (QWidget* picture : w.findChildren<QWidget*>()) {
            if (!picture->inherits("TSingleLineDiagram") || picture->isHidden())
                continue;
            ++pictures;
            QCOMPARE(picture->accessibleName(), Child<QLabel>("stComStatus")->text().trimmed());
        }
        QCOMPARE(pictures, 1);
        auto* bar = Child<QToolBar>("ToolBar1");
        QCOMPARE(QAccessible::queryAccessibleInterface(
                     bar->widgetForAction(Child<QAction>("ToolButton4")))
                     ->text(QAccessible::Name),
                 QString("Event Log"));
    }

    // Tool button 9 (F8) shows the overview; Enter on a tile there selects
    // that unit in the tree and shows its real-time page.
    void overviewChoosesAUnit() {
        WriteDevice(FFolder, 5, "UPS-A");
        PrepareFolder();
        TFrmMain& w = Create();
        QVERIFY(AppendEquip({0, 8, "UPS-B"}));
        w.DeviceTree().RebuildTree();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(Child<QAction>("ToolButton9")->shortcut(), QKeySequence(Qt::Key_F8));
        Child<QAction>("ToolButton9")->trigger();
        auto* pages = Child<QStackedWidget>("PageControl1");
        auto* overview = Child<TOverviewView>("OverviewPage");
        QCOMPARE(pages->currentWidget(), overview);
        QCOMPARE(overview->Model().rowCount(), 2);
        auto* tiles = Child<QListView>("lvTiles");
        tiles->setCurrentIndex(overview->Model().index(1));
        QTest::keyClick(tiles, Qt::Key_Return);
        QCOMPARE(w.GetSelDevAddr(), uint8_t(8));
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(Child<QTreeWidget>("TreeView1")->hasFocus());
    }

    void shortcutsReachTheirMenuItems_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("About") << "mni501" << QKeySequence(Qt::Key_F1);
        QTest::newRow("Exit") << "mni103" << QKeySequence(Qt::CTRL | Qt::Key_Q);
        QTest::newRow("Event log F5") << "mni201" << QKeySequence(Qt::Key_F5);
        QTest::newRow("Event log Ctrl+E") << "mni201" << QKeySequence(Qt::CTRL | Qt::Key_E);
        QTest::newRow("Data log") << "mni202" << QKeySequence(Qt::Key_F6);
        QTest::newRow("Log setting") << "mni203" << QKeySequence(Qt::Key_F7);
        QTest::newRow("Software parameters") << "mni102" << QKeySequence(Qt::CTRL | Qt::Key_Comma);
    }

    // A key press on the window triggers the menu item; what the item does is
    // tested with the item itself, so its commands are held back here.
    void shortcutsReachTheirMenuItems() {
        QFETCH(QString, item);
        QFETCH(QKeySequence, keys);
        PrepareFolder();
        TFrmMain& w = Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* action = Child<QAction>(qPrintable(item));
        QVERIFY(action->shortcuts().contains(keys)); // shown beside the item
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(&w, keys);
        QCOMPARE(triggered.count(), 1);
    }

    void storedLanguageAtStart_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no file") << QByteArray() << "Pelmora Monitor";
        QTest::newRow("Chinese") << QByteArray("[Language]\nLanguage=1\n") << "Pelmora监控";
        QTest::newRow("7 is English")
            << QByteArray("[Language]\nLanguage=7\n") << "Pelmora Monitor";
    }

    void storedLanguageAtStart() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, caption);
        PrepareFolder(ini);
        QCOMPARE(Create().windowTitle(), caption);
    }

    void debugDisplayShowsCounters() {
        WriteDevice(FFolder, 5, "UPS-A");
        PrepareFolder();
        TFrmMain& w = Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Tick(1);
        QVERIFY(!Child<QLabel>("lblDevID")->isVisible());
        QVERIFY(!Child<QLineEdit>("edtNode")->isVisible());

        TUpsInfoRec& rec = UpsTable[5];
        rec.SendCount = 12;
        rec.SuccessRate = 75;
        rec.FailCount = 2;
        rec.RecvCount = 10;
        rec.OkCount = 9;
        EquipList.PollAddress = 5;
        DebugShow = true;
        Tick(6);
        QVERIFY(Child<QLabel>("lblDevID")->isVisible());
        QCOMPARE(Child<QLabel>("lblDevID")->text(), QString("Cur[5]:12  Dev[5]:75%;R:2; 10:9/12"));
        Child<QTreeWidget>("TreeView1")->setCurrentItem(nullptr);
        Tick(6);
        QCOMPARE(Child<QLineEdit>("edtTreeData")->text(),
                 QString("Items:1 Name:UPS-A Addr:5 Node:0"));
        QCOMPARE(Child<QLineEdit>("edtArrEq")->text(), QString("Select:5 Addr:5 SelNode: -1"));
        QCOMPARE(Child<QLineEdit>("edtNode")->text(), QString("FidxSelNode=0FSelDevAddr=5"));
        DebugShow = false;
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
