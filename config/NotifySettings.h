#pragma once
// Section [Notify] of the settings file: who is told of the logged events and
// how. Desktop notifications, the gather window against storms, which kinds of
// event are shown, the event command and its time limit, and whether closing
// the main window leaves it in the tray.

#include "base/LangText.h"

#include <array>
#include <cstdint>
#include <string>

class TIniFile;

inline constexpr const char* NotifySection = "Notify";

struct TNotifySettings {
    bool Desktop = true;       // desktop notifications on
    int32_t GatherSeconds = 3; // same kind within this window: one summary
    // Which kinds of event are shown on the desktop; the command runs for all.
    bool OnBattery = true;
    bool BatteryLow = true;
    bool Fault = true;
    bool Overload = true;
    bool Bypass = true;
    bool CommLost = true;
    bool PortLost = true;
    std::string Command;           // program run for every logged event; empty = none
    int32_t CommandTimeLimit = 60; // seconds before a running command is killed
    bool CloseToTray = false;      // closing or minimising the window hides it in the tray

    bool operator==(const TNotifySettings&) const = default;
};

// The kinds of event a user can show or hide on the desktop: the key of
// [Notify] that switches each, and its caption. The alarms read the captions
// as the titles of their notifications, in this order.
struct TNotifyEventChoice {
    const char* Key;
    bool TNotifySettings::*Flag;
    TTextPair Caption;
};
inline constexpr std::array<TNotifyEventChoice, 7> NotifyEventChoices = {{
    {"OnBattery", &TNotifySettings::OnBattery, {"电池供电", "On battery"}},
    {"BatteryLow", &TNotifySettings::BatteryLow, {"电池电压低", "Battery low"}},
    {"Fault", &TNotifySettings::Fault, {"故障", "Fault"}},
    {"Overload", &TNotifySettings::Overload, {"过载", "Overload"}},
    {"Bypass", &TNotifySettings::Bypass, {"旁路", "Bypass"}},
    {"CommLost", &TNotifySettings::CommLost, {"通讯中断", "Communication lost"}},
    {"PortLost", &TNotifySettings::PortLost, {"串口断开", "Port lost"}},
}};

// Limits that keep a hand-edited file from turning the rules off or into a
// storm: GatherSeconds 0..60, CommandTimeLimit 1..3600.
inline constexpr int32_t MaxGatherSeconds = 60;
inline constexpr int32_t MaxCommandTimeLimit = 3600;

// The settings in use while the program runs; the program entry reads them,
// the software parameter dialog changes and stores them.
extern TNotifySettings NotifyPara;

// Why `program` cannot be run as the event command ("does not exist", "is a
// folder", "is not executable", ...); empty when it can.
[[nodiscard]] std::string CommandProblem(const std::string& program);

// Missing keys and values out of range read as their defaults.
[[nodiscard]] TNotifySettings ReadNotifySettings(const TIniFile& ini);
// The settings file at `iniPath`; defaults when it is missing or unreadable.
[[nodiscard]] TNotifySettings ReadNotifySettings(const std::string& iniPath);
// Writes every key of the section; other keys of the section are kept.
void StoreNotifySettings(const TNotifySettings& settings, TIniFile& ini);
