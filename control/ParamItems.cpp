#include "control/ParamItems.h"

#include "protocol/uKModbus.h"

#include <cstdio>

namespace {
using K = TEditorKind;

// In list order. Item 19 exists for the five-step model only.
const TParamItem Items[] = {
    {{"工作模式", "Work Mode"}, 40004, K::List},
    {{"系统电压等级(V)", "System Voltage Level(V)"}, 40005, K::List},
    {{"输出频率等级(HZ)", "System Frequency Level(Hz)"}, 40006, K::List},
    {{"旁路频率跟踪范围(%)", "Bypass Frequency Range(%)"}, 40011, K::List},
    {{"旁路电压保护范围上限(%)", "Bypass Volt Upper Limit(%)"}, 40012, K::List},
    {{"旁路电压保护范围下限(%)", "Bypass Volt lower Limit(%)"}, 40013, K::List},
    {{"逆变输出电压微调(%)", "Invert-Volt adjustment(%)"}, 40014, K::List},
    {{"电池节数", "Battery Number"}, 40015, K::List},
    {{"电池并联组数", "Battery Group"}, 40017, K::Entry},
    {{"均充电压上限(V/Cell)", "Boost upper limit Volt(V/Cell)"}, 40018, K::List},
    {{"浮充电压基准(V/Cell)", "Float base Volt(V/Cell)"}, 40019, K::List},
    {{"EOD电压(V/Cell)", "EOD Volt(V/Cell)"}, 40020, K::Entry},
    {{"单节电池容量(AH)", "Single Battery Capability(AH)"}, 40021, K::Entry},
    {{"最大充电电流(A)", "Max Charge current(A)"}, 40023, K::Entry},
    {{"均充持续时间（分钟）", "Boost Last Time(Min)"}, 40025, K::Entry},
    {{"状态控制位", "Staus Control"}, 40027, K::Switches},
    {{"系统并机总台数", "Parallel Amount"}, 40007, K::Entry},
    {{"并机冗余台数", "Parallel Redundancy"}, 40008, K::Entry},
    {{"并机系统ID", "Parallel ID"}, 40002, K::Entry},
    {{"操作模式", "Operation Mode"}, 40029, K::List},
};

constexpr const char* LowVoltModel = "VEX305";
constexpr const char* SmallBatteryModel = "QRT5100";

std::vector<TValueChoice> Plain(std::initializer_list<std::pair<const char*, int32_t>> rows) {
    std::vector<TValueChoice> out;
    for (const auto& [text, value] : rows)
        out.push_back({text, value});
    return out;
}

// Numbers as themselves, optionally with a suffix.
std::vector<TValueChoice> Numbers(std::initializer_list<int32_t> values, const char* suffix = "") {
    std::vector<TValueChoice> out;
    for (int32_t v : values)
        out.push_back({std::to_string(v) + suffix, v});
    return out;
}

// "2.30" .. "2.40" for 230 .. 240.
std::vector<TValueChoice> CellVolts(int32_t first, int32_t last) {
    std::vector<TValueChoice> out;
    for (int32_t v = first; v <= last; ++v) {
        char text[8];
        std::snprintf(text, sizeof text, "%d.%02d", v / 100, v % 100);
        out.push_back({text, v});
    }
    return out;
}

std::vector<TValueChoice> BypassUpperChoices(const TUpsInfoRec& device) {
    std::vector<TValueChoice> out = Numbers({10, 15}, "%");
    if (device.SysVoltLevel == 230) {
        out.push_back({"20%", 20});
    } else if (device.SysVoltLevel <= 220) {
        out.push_back({"20%", 20});
        out.push_back({"25%", 25});
    }
    return out;
}

std::vector<TValueChoice> BypassLowerChoices(const std::string& model, const TUpsInfoRec& device) {
    std::vector<TValueChoice> out = Numbers({-45, -30, -20}, "%");
    if (device.SysVoltLevel <= 127 || model == LowVoltModel)
        out.push_back({"-10%", -10});
    return out;
}

std::vector<TValueChoice> BatteryNumberChoices(const std::string& model) {
    if (model == SmallBatteryModel)
        return Numbers({16, 18, 20});
    if (model == LowVoltModel)
        return Numbers({24});
    return Numbers({26, 28, 30, 32, 34, 36, 38, 40});
}

// The device's current value of a list item, as the register holds it.
// clang-format off
int32_t DeviceValue(int item, const TUpsInfoRec& d) {
    switch (item) {
    case 0: return d.WorkMode;
    case 1: return d.SysVoltLevel;
    case 2: return d.SysFreqLevel;
    case 3: return d.BypassFreqRange;
    case 4: return d.BypassVoltUpper;
    case 5: return d.BypassVoltLower;
    case 6: return d.InvVoltAdjust;
    case 7: return d.BattNumber;
    case 9: return d.BoostVoltLimit;
    case 10: return d.FloatVolt;
    case 19: return d.OperationMode;
    default: return 0;
    }
}
// clang-format on

int ExactMatch(const std::vector<TValueChoice>& choices, int32_t value) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].Value == value)
            return int(i);
    }
    return -1;
}

// Position of the device's value by range or arithmetic; may lie outside the list.
// clang-format off
int PositionOf(int item, const std::string& model, int32_t value) {
    switch (item) {
    case 4:
        if (value <= 10) return 0;
        if (value <= 15) return 1;
        if (value <= 20) return 2;
        return value >= 25 ? 3 : -1;
    case 6:
        return value >= 50 ? 5 : value < 10 ? 0 : value / 10;
    case 7:
        if (model == SmallBatteryModel) return value / 2 - 8;
        if (model == LowVoltModel) return 0;
        return value / 2 - 13;
    case 9:
        return value >= 230 && value <= 240 ? value - 230 : -1;
    case 10:
        return value >= 220 && value <= 229 ? value - 220 : -1;
    default:
        return -1;
    }
}
// clang-format on
} // namespace

int ParamItemCountFor(const std::string& model) {
    return model == FiveStepModel ? ParamItemCount + 1 : ParamItemCount;
}

const TParamItem& ParamItemAt(int item) {
    return Items[item];
}

// clang-format off
std::vector<TValueChoice> ValueChoices(int item, const std::string& model,
                                       const TUpsInfoRec& device, uint8_t language) {
    switch (item) {
    case 0:
        return {{PickText(WorkModeTexts[0], language), 0},
                {PickText(WorkModeTexts[1], language), 1},
                {PickText(WorkModeTexts[4], language), 4}};
    case 1:
        return model == LowVoltModel ? Numbers({110, 115, 120, 127}, "V")
                                     : Numbers({220, 230, 240}, "V");
    case 2: return Numbers({50, 60}, "Hz");
    case 3: return Numbers({1, 2, 4, 5, 10}, "%");
    case 4: return BypassUpperChoices(device);
    case 5: return BypassLowerChoices(model, device);
    case 6:
        return Plain({{"0%", 0}, {"1%", 10}, {"2%", 20}, {"3%", 30}, {"4%", 40}, {"5%", 50}});
    case 7: return BatteryNumberChoices(model);
    case 9: return CellVolts(230, 240);
    case 10: return CellVolts(220, 229);
    case 19:
        return {{PickText({"普通模式", "Normal"}, language), 0},
                {PickText({"变频模式", "Freq Variable"}, language), 2}};
    default: return {};
    }
}
// clang-format on

// clang-format off
int MatchingChoice(int item, const std::string& model, const TUpsInfoRec& device) {
    const std::vector<TValueChoice> choices = ValueChoices(item, model, device, 0);
    const int32_t value = DeviceValue(item, device);
    switch (item) {
    case 0: case 1: case 2: case 3: case 5: case 19:
        return ExactMatch(choices, value);
    case 4: case 6: case 7: case 9: case 10: {
        const int pos = PositionOf(item, model, value);
        return pos >= 0 && pos < int(choices.size()) ? pos : -1;
    }
    default:
        return -1;
    }
}
// clang-format on

// clang-format off
std::string EntryText(int item, const TUpsInfoRec& d) {
    switch (item) {
    case 8: return std::to_string(d.BattGroups);
    case 11: return EntryValueText(item, d.EodVolt);
    case 12: return std::to_string(d.BattCapacityAh);
    case 13: return std::to_string(d.MaxChargeCur);
    case 14: return std::to_string(d.BoostTime);
    case 16: return std::to_string(d.ParallelAmount);
    case 17: return std::to_string(d.ParallelRedundancy);
    case 18: return std::to_string(d.ParallelId);
    default: return {};
    }
}
// clang-format on

std::string EntryValueText(int item, int32_t value) {
    if (item != 11)
        return std::to_string(value);
    // The end-of-discharge voltage is held in hundredths of a volt.
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", value / 100, value % 100);
    return text;
}

int32_t MaxChargeLimit(const TUpsInfoRec& device) {
    return int32_t(device.BattCapacityAh) * int32_t(device.BattGroups) / 4;
}

uint16_t StatusControlBits(bool buzzerDisable, bool boostDisable) {
    return uint16_t((buzzerDisable ? BuzzerDisableBit : 0) | (boostDisable ? BoostDisableBit : 0));
}
