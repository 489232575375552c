#pragma once
// Page 0 of the main window's right area: the selected device's values, state
// picture, code words and alarms, redrawn from its record at every view refresh.
//
// The main window's ApplyLanguage sets the captions of the children with these
// object names: tsData, tsSketchMap (the two inner tab pages); lblInputA..C,
// lblOutputA..C; lblLoadTitle, lblLoadA..C; lblDcInputVoltTitle,
// lblSupportTimeTitle, lblBattCapacityTitle, lblOutputFreqTitle; grpSwitch
// (title and tool tip), grpAlarm; lblInputSwitch, lblBypassSwitch,
// lblOutputSwitch, lblMaintBypassSwitch, lblInputSupply, lblUpsSupply.

#include "protocol/UpsInfoRec.h"

#include <QWidget>
#include <cstdint>

class TRealTimePage : public QWidget {
    Q_OBJECT
public:
    explicit TRealTimePage(QWidget* parent = nullptr);

    // Main window creation, before the settings are loaded.
    void HideSwitchRows();
    // Adapts the panels and inner tabs to the protocol setting.
    void ApplyProtocolLayout(uint8_t protocol);
    // 0 "Data", 1 "Sketch Map".
    void ShowInnerPage(int index);
    // lblUpsState is visible only while the debug display is on.
    void SetDebugVisible(bool visible);

    // View refresh, in this order, with the record of the selected device.
    void ShowInputSide(const TUpsInfoRec& rec);
    void ShowOutputSide(const TUpsInfoRec& rec);
    void ShowStates(const TUpsInfoRec& rec, uint8_t protocol);
    void ShowAlarms(const TUpsInfoRec& rec);
    void ShowChargeFlow(const TUpsInfoRec& rec, uint8_t protocol);

    // Empties the measured values of a device that does not communicate; the
    // device tree calls it while it refreshes the nodes.
    static void ClearMeasurements(TUpsInfoRec& rec);
};
