#pragma once
// The content of the real-time page: the selected device's voltages, loads,
// frequency and battery figures (inner page "Data"), its operating state as
// an animated single-line diagram with a charge-flow pipe and its raw state
// and alarm words (inner page "Sketch Map"), and below them the supply
// states and the active alarms. Everything is redrawn from the device's
// record at every view refresh; only the last shown effective state is kept.
//
// Captions follow ApplyLanguage; the state and alarm texts use the language
// of the last ApplyLanguage, the supply texts come from LangText.

#include "record/UpsInfoRec.h"
#include "scales/VoltClass.h"
#include "ui/SingleLineDiagram.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class TAngularGauge;
class TFlowPipe;
class TLedBar;

class TRealTimeView : public QWidget {
    Q_OBJECT
public:
    explicit TRealTimeView(QWidget* parent = nullptr);

    // Main window creation, before the settings are loaded: hides the
    // bypass, output and maintenance bypass switch rows and the battery
    // support time panel (the input switch row is hidden from the start).
    void HideSwitchRows();
    // Adapts the panels and the inner pages to the Protocol setting.
    void ApplyProtocolLayout(uint8_t protocol);
    // Captions for the Language setting (1 Chinese, else English); the state
    // and alarm texts follow from the next refresh on.
    void ApplyLanguage(uint8_t language);
    // 0 "Data", 1 "Sketch Map".
    void ShowInnerPage(int index);
    // lblUpsState is shown only with the debug display.
    void SetDebugVisible(bool visible);

    // View refresh, in this order, with the record of the selected device.
    void ShowInputSide(const TUpsInfoRec& rec);
    void ShowOutputSide(const TUpsInfoRec& rec);
    void ShowStates(const TUpsInfoRec& rec, uint8_t protocol);
    void ShowAlarms(const TUpsInfoRec& rec);
    void ShowChargeFlow(const TUpsInfoRec& rec, uint8_t protocol);

    // Empties the measured values of a device that does not communicate.
    static void ClearMeasurements(TUpsInfoRec& rec);

    // The animation for a state code: none for -1, standby for codes that
    // have no picture of their own.
    [[nodiscard]] static std::optional<TDiagramMode> AnimationForState(int32_t code);
    // Pipe intervals in ms: shorter for a larger current, 20 .. 500 and 60 .. 500.
    [[nodiscard]] static int ChargeFlowInterval(double chargeCur);
    [[nodiscard]] static int DischargeFlowInterval(double dischargeCur);

    // Read access for the main window and tests.
    [[nodiscard]] uint8_t LastState() const { return FLastState; }
    [[nodiscard]] std::optional<TDiagramMode> ShownAnimation() const;
    [[nodiscard]] const TSingleLineDiagram& Animation(TDiagramMode mode) const;
    [[nodiscard]] const TFlowPipe& ChargePipe() const { return *PipCharge; }
    [[nodiscard]] QStringList AlarmLines() const { return FAlarmLines; }
    [[nodiscard]] int CurrentInnerPage() const;
    [[nodiscard]] bool IsSketchMapReachable() const;

    [[nodiscard]] QSize sizeHint() const override { return {683, 560}; }

private:
    // Scales and bands of the six voltage dials for the shown unit's class.
    void ApplyVoltScales(TVoltClass voltClass);
    // Accessible names of the gauges and load bars: caption, value, unit.
    void DescribeReadings();
    struct TSwitchRow {
        QLabel* Caption;
        QLabel* On;
        QLabel* Slash;
        QLabel* Off;
    };
    struct TValuePanel {
        QWidget* Panel;
        QLabel* Value;
    };
    struct TPanelNames {
        const char* Panel;
        const char* Title;
        const char* Value;
    };

    QWidget* BuildDataPage();
    QWidget* BuildGaugeCell(const char* captionName, const char* gaugeName, TAngularGauge*& gauge,
                            QLabel*& caption);
    QWidget* BuildLoadPanel();
    TValuePanel BuildValuePanel(const TPanelNames& names, const QString& unit);
    QWidget* BuildSketchPage();
    QWidget* BuildCodeGroup();
    QWidget* BuildSwitchGroup();
    QWidget* BuildAlarmGroup();
    TSwitchRow BuildSwitchRow(const char* captionName, const QString& on, const QString& off);

    void ShowStateAnimation(int32_t code);
    void SetStateText(int32_t code, bool trimmed);
    void ShowSwitchRows(const TUpsInfoRec& rec);
    void ShowSupplyTexts(const TUpsInfoRec& rec);
    void ShowCodeLabels(const TUpsInfoRec& rec, uint8_t protocol);
    void SetPipeShown(bool shown);

    QTabWidget* pgInner = nullptr;
    QWidget* tsData = nullptr;
    QWidget* tsSketchMap = nullptr;
    std::array<TAngularGauge*, 3> FInputGauges{};
    std::array<TAngularGauge*, 3> FOutputGauges{};
    std::array<TLedBar*, 3> FLoadBars{};
    std::array<QLabel*, 3> FLoadTexts{};
    // The captions the readings' accessible names are made from: input A to
    // C, then output A to C; the load bars' title and phases.
    std::array<QLabel*, 6> FGaugeCaptions{};
    QLabel* FLoadTitle = nullptr;
    std::array<QLabel*, 3> FLoadCaptions{};
    TValuePanel FDcInputVolt{};
    TValuePanel FOutputFreq{};
    TValuePanel FSupportTime{};
    TValuePanel FBattCapacity{};

    QLabel* stComStatus = nullptr;
    std::array<TSingleLineDiagram*, DiagramModeCount> FAnimations{};
    TFlowPipe* PipCharge = nullptr;
    QWidget* grpCode = nullptr;
    QLabel* lblCMMState = nullptr;
    QLabel* lblINVState = nullptr;
    QLabel* lblCMMAlarm = nullptr;
    QLabel* lblINVAlarm = nullptr;
    QLabel* lbSysState = nullptr;
    QLabel* lbSysAlarm = nullptr;
    QLabel* lblUpsState = nullptr;

    QGroupBox* grpSwitch = nullptr;
    std::array<TSwitchRow, 4> FSwitchRows{}; // input, bypass, output, maintenance bypass
    QLabel* FInputSupplyText = nullptr;
    QLabel* FUpsSupplyText = nullptr;
    QGroupBox* grpAlarm = nullptr;
    QPlainTextEdit* FAlarmList = nullptr;
    QStringList FAlarmLines;

    TVoltClassMemory FVoltClass;
    std::optional<TVoltClass> FDialClass; // the class the dials are drawn for
    uint8_t FLastState = 0;               // effective state of the last picture change
    uint8_t FLanguage = 1;                // the built-in texts are the Chinese ones
};
