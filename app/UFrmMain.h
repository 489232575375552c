#pragma once
// The main window: menus, tool bar with the port button and lamps, the device
// tree, the real-time and graph pages and the status bar. Its timer follows
// the program's 100 ms beat and drives all periodic screen work: at every beat
// a status step (port state, lamps, menus by protocol), every 6th status step
// a view refresh of the tree and the pages from the device records. The poll engine is never waited for;
// the window reads the records on its own timer.

#include "app/WindowPlacement.h"
#include "comm/PortControl.h"
#include "config/MqttSettingsPage.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeWidget;
class TBeatTimer;
class TDataLog;
class TDeviceTree;
class TDeviceCommands;
class TFrmUserSet;
struct TUpsInfoRec;
struct TControlContext;
class TEventLog;
class TFrmEventLog;
class TfrmProgress;
class TTrendGraphs;
class TLamp;
class TOverviewView;
class TRealTimeView;

// How the main window asks and tells the user. The defaults are message
// boxes; tests put answers of their own in.
struct TMainPrompts {
    // Yes/No box titled "确认" / "Confirm"; true for Yes.
    std::function<bool(QWidget* parent, const QString& text)> Ask;
    // Box with an OK button; a Question icon gives it the title "确认" / "Confirm",
    // any other icon the application title.
    std::function<void(QWidget* parent, QMessageBox::Icon icon, const QString& text)> Tell;
};

[[nodiscard]] TMainPrompts MessageBoxPrompts();

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Makes Record/ and Backup/, loads the settings, applies the language,
    // creates the log stores, loads the device list, starts Timer1 and sets
    // the start values of all device records.
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // The poll engine window, created after this one; nullptr shows the port
    // as closed.
    void SetPortControl(TPortControl* port) { FPort = port; }

    [[nodiscard]] TEventLog& EventLog() { return *FEventLog; }
    [[nodiscard]] TDataLog& DataLog() { return *FDataLog; }
    [[nodiscard]] TDeviceTree& DeviceTree() { return *FDeviceTree; }
    // Search, append, property and About; the entry gives it the trace window.
    [[nodiscard]] TDeviceCommands& DeviceCommands() { return *FDeviceCommands; }

    // Bus address of the selected device; 0 when none.
    [[nodiscard]] uint8_t GetSelDevAddr() const;

    // Adapts the protocol label and the real-time page to the Protocol setting.
    void ApplyProtocolLayout();
    // Sets every text of the window for the Language setting, fills LangText
    // and rebuilds the tree with the child captions of that language.
    void ApplyLanguage();

    TMainPrompts Prompts = MessageBoxPrompts();

    // Starts the next data-log round at the poll engine's next tick; set by
    // the program entry once the poll engine exists.
    std::function<void()> RestartDataLogRound;
    // The MQTT connection test and the restart of publishing after a change
    // of the settings, for the software parameter dialog; set by the entry.
    TMqttConnectionTest TestMqtt;
    std::function<void()> MqttChanged;
    // The event viewer, made at its first use.
    [[nodiscard]] TFrmEventLog* FrmEventLog() const { return FFrmEventLog.get(); }

public slots:
    // One beat: a status step, and every sixth a view refresh; public so
    // that tests can drive the window beat by beat.
    void Timer1Timer();
    // A later start of the program asked this instance to come to the front.
    void BringToFront();
    // The session ends or the process was told to stop: the exit sequence
    // runs without the question.
    void EndSession();

signals:
    // The exit sequence has run and the window is closing.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first show tells what start-up found wrong with the program's files.
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    void BuildToolBar();
    [[nodiscard]] QWidget* BuildLeftPanel();
    [[nodiscard]] QWidget* BuildRightArea();
    void BuildStatusBar();
    // Default size, also the smallest; then the size, place and splitter the
    // settings file keeps from the last exit.
    void PlaceWindow();
    [[nodiscard]] TWindowPlacement Placement() const;

    void StatusStep();
    void ViewRefresh();
    // The graphs take their point of each view refresh, seen or not.
    void FeedGraphs(uint8_t sel, int selPos, const TUpsInfoRec& rec);
    // Neither minimised, hidden (in the tray) nor taken off the screen (a
    // window manager unmaps a minimised window, or one on another desktop);
    // a window not shown yet counts as seen.
    [[nodiscard]] bool IsSeen() const;
    void UpdateDebugLabel();
    void ShowPortState();
    void SetPanelText(int panel, const std::string& text);
    void NamePanel(int panel);
    void ShowLamps();
    void ShowMenusByProtocol();
    void FillDebugEdits(int listPos);
    void ShowPage(int page);
    // The overview page, refreshed at once (tool button 9, F8).
    void ShowOverview();
    [[nodiscard]] bool IsCommOpen() const;
    [[nodiscard]] bool RunExitSequence();

    void btnComClick();
    void btnDeleteClick();
    void SelectLanguage(uint8_t language);
    // The log commands: event viewer, data viewer, log setting.
    void ConnectLogCommands();
    void ShowEventLog();
    void ShowDataLog();
    void ShowLogSetting();
    void RestartSampling();

    // The settings and control commands: user setting, software parameters,
    // battery test, remote on/off.
    void ConnectControlCommands();
    void mni101Click();
    void mni102Click();
    void mni301Click();
    void mniTurnOnClick();
    [[nodiscard]] TControlContext ControlContext();
    TFrmUserSet* FFrmUserSet = nullptr; // made at first use, then kept

    // Fields in the order of the window's state.
    uint8_t FStatusCount = 0; // status steps since the last view refresh, 0..5
    bool FSeen = true;        // at the last beat
    // The tree's width as the window was left, held until the window has its
    // size (see resizeEvent) or the user moves the splitter; 0 = none.
    int FKeptTreeWidth = 0;

    TPortControl* FPort = nullptr;
    std::unique_ptr<TEventLog> FEventLog;
    std::unique_ptr<TDataLog> FDataLog;
    // After the stores: the viewer reads the event log, so it goes first.
    std::unique_ptr<TFrmEventLog> FFrmEventLog;
    TfrmProgress* FfrmProgress = nullptr;
    bool FEndingSession = false;
    bool FExited = false;
    QStringList FStartNotes; // told once the window is up

    TBeatTimer* Timer1 = nullptr;
    QMenu* mni300 = nullptr;
    QAction* mni101 = nullptr;
    QAction* mni301 = nullptr;
    QAction* mniTurnOn = nullptr;
    QLabel* lblDevID = nullptr;
    TLamp* iLedTx = nullptr;
    TLamp* iLedRx = nullptr;
    QLabel* lblProtocol = nullptr;
    QPushButton* btnCom = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    TDeviceTree* FDeviceTree = nullptr;
    TDeviceCommands* FDeviceCommands = nullptr;
    std::array<QLineEdit*, 3> FDebugEdits{}; // edtTreeData, edtArrEq, edtNode
    QSplitter* Splitter1 = nullptr;
    QStackedWidget* PageControl1 = nullptr;
    TRealTimeView* RealTimePage = nullptr;
    TTrendGraphs* GraphPage = nullptr;
    TOverviewView* FOverview = nullptr;
    std::array<QLabel*, 4> FStatusPanels{};
    // What each panel was last given and the room it had: the same text in
    // the same room is not laid out again at every status step.
    std::array<std::pair<std::string, int>, 4> FPanelShown{};
    // The port's state as last shown; its texts are made anew only when the
    // port opens or closes, is renamed or the language changes.
    struct TPortStateShown {
        bool Open = false;
        std::string ComName;
        uint8_t Language = 0;
        std::string Panel;
    };
    std::optional<TPortStateShown> FPortStateShown;
};
