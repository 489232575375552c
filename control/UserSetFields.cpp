#include "control/UserSetFields.h"

#include "control/ParamItems.h"

#include <cstdio>

namespace {
using G = TUserSetGroup;
using R = TUpsInfoRec;

std::string Num(long value) {
    return std::to_string(value);
}

// value / divisor with the given decimals: 25 / 10 gives "2.5", 175 / 100 "1.75".
std::string Scaled(long value, double divisor, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, double(value) / divisor);
    return text;
}

std::string WorkModeText(const R& d, uint8_t language) {
    return d.WorkMode >= 0 && d.WorkMode < 5 ? PickText(WorkModeTexts[d.WorkMode], language) : "";
}

std::string OperationModeText(const R& d, uint8_t language) {
    constexpr TTextPair Modes[] = {
        {"普通模式", "Normal"}, {"休眠模式", "Sleep"}, {"变频模式", "Frequency variable"}};
    return d.OperationMode < 3 ? PickText(Modes[d.OperationMode], language) : Num(d.OperationMode);
}

std::string Switch(uint16_t statusControl, uint16_t disableBit, uint8_t language) {
    return PickText(SwitchTexts[(statusControl & disableBit) != 0 ? 1 : 0], language);
}

// clang-format off
const TUserSetField Fields[] = {
    {"Label1", "edtSysID", {"并机系统ID", "Parallel ID"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.ParallelId); }},
    {"Label2", "edtSetMode", {"工作模式", "Work Mode"}, G::Device, WorkModeText},
    {"Label3", "edtVoltLevel", {"系统电压等级(V)", "System Voltage Level(V)"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.SysVoltLevel); }},
    {"Label4", "edtFreqLevel", {"系统频率等级(Hz)", "System Frequency Level(Hz)"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.SysFreqLevel); }},
    {"Label5", "edtParaNum", {"并机台数", "Parallel Amount"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.ParallelAmount); }},
    {"Label6", "edtRedunNum", {"并机冗余", "Parallel Redundancy"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.ParallelRedundancy); }},
    {"Label8", "edtBpsFreq", {"旁路频率跟踪范围", "Bypass Frequency Range"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.BypassFreqRange) + "%"; }},
    {"Label9", "edtBpsVMax", {"旁路电压上限", "Bypass Volt Upper Limit"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.BypassVoltUpper) + "%"; }},
    {"Label10", "edtBpsVMin", {"旁路电压下限", "Bypass Volt lower Limit"}, G::Device,
     [](const R& d, uint8_t) { return Num(d.BypassVoltLower) + "%"; }},
    {"Label11", "edtOutputVFine", {"逆变电压微调", "Invert-Volt adjustment"}, G::Device,
     [](const R& d, uint8_t) { return Scaled(d.InvVoltAdjust, 10, 1) + "%"; }},
    {"lbBuzzer", "edtBuzzer", {"蜂鸣器", "Buzzer"}, G::Device,
     [](const R& d, uint8_t l) { return Switch(d.StatusControl, BuzzerDisableBit, l); }},
    {"lbBoostChg", "edtBoostChg", {"均充", "Boost Charge"}, G::Device,
     [](const R& d, uint8_t l) { return Switch(d.StatusControl, BoostDisableBit, l); }},
    {"Label15", "edtBattNum", {"电池节数", "Battery Number"}, G::Battery,
     [](const R& d, uint8_t) { return Num(d.BattNumber); }},
    {"Label19", "edtBattGroup", {"电池组数", "Battery Group"}, G::Battery,
     [](const R& d, uint8_t) { return Num(d.BattGroups); }},
    {"Label20", "edtBattCap", {"单节电池容量(AH)", "Single Battery Capability(AH)"}, G::Battery,
     [](const R& d, uint8_t) { return Num(d.BattCapacityAh); }},
    {"Label17", "edtBattBoostV", {"均充电压上限(V/Cell)", "Boost upper limit Volt.(V/Cell)"},
     G::Battery, [](const R& d, uint8_t) { return Scaled(d.BoostVoltLimit, 100, 2); }},
    {"Label21", "edtBattFloat", {"浮充基准电压(V/Cell)", "Float base Volt.(V/Cell)"}, G::Battery,
     [](const R& d, uint8_t) { return Scaled(d.FloatVolt, 100, 2); }},
    {"Label18", "edtEodV", {"EOD电压(V/Cell)", "EOD Volt(V/Cell)"}, G::Battery,
     [](const R& d, uint8_t) { return Scaled(d.EodVolt, 100, 2); }},
    {"Label22", "edtMaxChgCurr", {"最大充电电流(A)", "Max Charge current(A)"}, G::Battery,
     [](const R& d, uint8_t) { return Num(d.MaxChargeCur); }},
    {"Label24", "edtBoostLast", {"均充持续时间(分钟)", "Boost Last Time(min)"}, G::Battery,
     [](const R& d, uint8_t) { return Num(d.BoostTime); }},
    {"lbPreAlarm", "edtPreAlarm", {"关机预报警时间(分钟)", "Shutdown PreAlarm Time(min)"},
     G::Battery, [](const R& d, uint8_t) { return Num(d.Hold40022); }},
    {"lblOptMode", "edtOptVolt", {"操作模式", "Operation Mode"}, G::Operation, OperationModeText},
};
// clang-format on
} // namespace

std::span<const TUserSetField> UserSetFields() {
    return Fields;
}
