#include "app/RealTimeViewText.h"

namespace {
constexpr TCaptionKind C = TCaptionKind::Caption;
constexpr TCaptionKind H = TCaptionKind::Hint;

// {object name, kind, {Chinese, English}}
constexpr TCaptionRow Captions[] = {
    {"tsData", C, {"数据", "Data"}},
    {"tsSketchMap", C, {"示意图", "Sketch Map"}},
    {"lblInputA", C, {"输入A相电压", "Input A Phase V"}},
    {"lblInputB", C, {"输入B相电压", "Input B Phase V"}},
    {"lblInputC", C, {"输入C相电压", "Input C Phase V"}},
    {"lblOutputA", C, {"输出A相电压", "Output A Phase V"}},
    {"lblOutputB", C, {"输出B相电压", "Output B Phase V"}},
    {"lblOutputC", C, {"输出C相电压", "Output C Phase V"}},
    {"lblLoadTitle", C, {"UPS负载率", "Load percent"}},
    {"pnlSupportTimeUnit", C, {"分钟", "Minute"}},
    {"lblLoadA", C, {"A相", "A phase"}},
    {"lblLoadB", C, {"B相", "B phase"}},
    {"lblLoadC", C, {"C相", "C phase"}},
    {"lblDcInputVoltTitle", C, {"直流输入电压", "DC Input Voltage"}},
    {"lblSupportTimeTitle", C, {"电池后备时间", "Support Time Of Battery"}},
    {"lblBattCapacityTitle", C, {"电池容量率", "Capability of Battery"}},
    {"lblOutputFreqTitle", C, {"输出频率", "Output Frequence"}},
    {"grpSwitch", C, {"开关状态", "Switch Status"}},
    {"grpSwitch",
     H,
     {"ON为闭合,OFF为断开", "ON express switch is closed,OFF express switch is open"}},
    {"grpAlarm", C, {"告警", "Alarm"}},
    {"lblInputSwitch", C, {"输入开关状态:", "Input Switch Status:"}},
    {"lblBypassSwitch", C, {"旁路开关状态:", "Bypass Switch Status:"}},
    {"lblOutputSwitch", C, {"输出开关状态:", "Output Switch Status:"}},
    {"lblMaintBypassSwitch", C, {"维修旁路开关状态:", "Manu-Bypass Switch Status:"}},
    {"lblInputSupply", C, {"输入供电状态:", "Input Supply Power Status:"}},
    {"lblUpsSupply", C, {"UPS供电状态:", "UPS Supply Power Status:"}},
};
} // namespace

std::span<const TCaptionRow> RealTimeViewCaptions() {
    return Captions;
}
