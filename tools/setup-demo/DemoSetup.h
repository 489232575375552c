#pragma once
// First-run files for a demonstration against pelmora-sim: the settings file
// and the device list beside the monitor, written with the monitor's own code
// and only when they do not exist yet, so a user's files are never replaced.

#include "record/EquipList.h"
#include "tools/sim/Scenario.h"

#include <cstdint>
#include <string>
#include <vector>

struct TDemoSettings {
    std::string ComName;     // a port name or an absolute device path
    uint8_t Protocol = 0;    // 0..3, as in the settings file
    int32_t RecInterval = 0; // data-log ticks; 0 keeps the monitor's default
};

// The scenario's units in file order, named "UPS <address> <model>".
[[nodiscard]] std::vector<TEquipItem> ScenarioDevices(const TScenario& scenario);

// Writes ProgramFolder() + "UserParaIni.ini": the defaults with these values.
// False, and nothing written, when the file already exists. Throws
// std::runtime_error when it cannot be written.
[[nodiscard]] bool WriteSettingsIfMissing(const TDemoSettings& settings);

// Writes RecordPath() + "TreeNode.dat" with these devices in this order,
// creating Record/ when needed. False, and nothing written, when the file
// already exists. Throws std::runtime_error when it cannot be written.
[[nodiscard]] bool WriteDeviceListIfMissing(const std::vector<TEquipItem>& devices);
