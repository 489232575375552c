#include "app/UFrmMainText.h"

namespace {
constexpr TCaptionKind C = TCaptionKind::Caption;
constexpr TCaptionKind H = TCaptionKind::Hint;

// Object name, kind, Chinese, English; in the order the window shows them.
const TCaptionRow CaptionRows[] = {
    {"FrmMain", C, {"Pelmora监控", "Pelmora Monitor"}},
    {"mni100", C, {"系统", "System"}},
    {"mni101", C, {"用户设置", "User Set"}},
    {"mni102", C, {"软件参数设定", "Software Parameter Setting"}},
    {"mni103", C, {"退出", "Exit"}},
    {"mni200", C, {"日志", "Log"}},
    {"mni201", C, {"事件日志", "Event Log"}},
    {"mni202", C, {"数据日志", "Data Log"}},
    {"mni203", C, {"日志设定", "Log Setting"}},
    {"mni300", C, {"控制", "Control"}},
    {"mni301", C, {"电池自检", "Battery Test"}},
    {"mniTurnOn", C, {"开关机", "Turn On/Off"}},
    {"mni401", C, {"中文", "Chinese"}},
    {"mni402", C, {"English", "English"}},
    {"mni500", C, {"帮助", "Help"}},
    {"mni501", C, {"关于", "About"}},
    {"ToolButton1", H, {"软件参数设定", "Software Parameter Setting"}},
    {"ToolButton2", H, {"中文简体", "Chinese"}},
    {"ToolButton3", H, {"English", "English"}},
    {"ToolButton4", H, {"事件日志", "Event Log"}},
    {"ToolButton5", H, {"数据日志", "Data Log"}},
    {"ToolButton8", H, {"日志设定", "Log Setting"}},
    {"ToolButton6", H, {"帮助", "About"}},
    {"ToolButton7", H, {"退出", "Exit"}},
    {"btnSearch", C, {"搜索", "Search"}},
    {"btnAppend", C, {"添加", "Append"}},
    {"btnDelete", C, {"删除", "Delete"}},
    {"btnProperty", C, {"属性", "Property"}},
    {"btnSearch", H, {"搜索RS485网络上的逆变器", "Search inverters on RS485 network"}},
    {"btnAppend",
     H,
     {"在设备树中添加要被监控的逆变器", "Append inverter of need to be Monitored "}},
    {"btnDelete",
     H,
     {"从设备树中删除不需要再监控的逆变器", "Delete inverter of need not to be used"}},
    {"btnProperty", H, {"查看设备树中指定的逆变器属性", "View property of inverter"}},
    // The real-time page (object names listed in RealTimePage.h).
    {"tsData", C, {"数据", "Data"}},
    {"tsSketchMap", C, {"示意图", "Sketch Map"}},
    {"lblInputA", C, {"输入A相电压", "Input A Phase V"}},
    {"lblInputB", C, {"输入B相电压", "Input B Phase V"}},
    {"lblInputC", C, {"输入C相电压", "Input C Phase V"}},
    {"lblOutputA", C, {"输出A相电压", "Output A Phase V"}},
    {"lblOutputB", C, {"输出B相电压", "Output B Phase V"}},
    {"lblOutputC", C, {"输出C相电压", "Output C Phase V"}},
    {"lblLoadTitle", C, {"UPS负载率", "Load percent"}},
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
    // The graph page (object names listed in GraphPage.h).
    {"chtInputVolt", C, {"输入电压(V)", "Input Voltage(V)"}},
    {"chtOutputVolt", C, {"输出电压(V)", "Output Voltage(V)"}},
};
} // namespace

std::span<const TCaptionRow> MainCaptionTable() {
    return CaptionRows;
}

const TTextPair TreeChildCaptionTexts[2] = {
    {"实时信息", "Real-time Info"},
    {"曲线图", "Graph"},
};

const TTextPair MsgExitQuestion = {"您确定要退出系统吗?", "Exit Program ?"};
const TTextPair MsgDeviceNotCommunicating = {"该设备未联机!", "The device is not communication!"};
