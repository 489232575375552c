#include "app/UFrmMainText.h"

namespace {
constexpr TCaptionKind C = TCaptionKind::Caption;
constexpr TCaptionKind H = TCaptionKind::Hint;
constexpr TCaptionKind N = TCaptionKind::Name;

// Object name, kind, Chinese, English; in the order the window shows them.
const TCaptionRow CaptionRows[] = {
    {"FrmMain", C, {"Pelmora监控", "Pelmora Monitor"}},
    {"mni100", C, {"系统(&S)", "&System"}},
    {"mni101", C, {"用户设置(&U)", "&User Set"}},
    {"mni102", C, {"软件参数设定(&P)", "Software &Parameter Setting"}},
    {"mni103", C, {"退出(&X)", "E&xit"}},
    {"mni200", C, {"日志(&G)", "Lo&g"}},
    {"mni201", C, {"事件日志(&E)", "&Event Log"}},
    {"mni202", C, {"数据日志(&D)", "&Data Log"}},
    {"mni203", C, {"日志设定(&S)", "Log &Setting"}},
    {"mni300", C, {"控制(&C)", "&Control"}},
    {"mni301", C, {"电池自检(&B)", "&Battery Test"}},
    {"mniTurnOn", C, {"开关机(&T)", "&Turn On/Off"}},
    {"mni400", C, {"语言(&L)", "&Language"}},
    {"mni401", C, {"中文(&C)", "&Chinese"}},
    {"mni402", C, {"English(&E)", "&English"}},
    {"mni500", C, {"帮助(&H)", "&Help"}},
    {"mni501", C, {"关于(&A)", "&About"}},
    {"ToolButton1", H, {"软件参数设定", "Software Parameter Setting"}},
    {"ToolButton2", H, {"中文简体", "Chinese"}},
    {"ToolButton3", H, {"English", "English"}},
    {"ToolButton4", H, {"事件日志", "Event Log"}},
    {"ToolButton5", H, {"数据日志", "Data Log"}},
    {"ToolButton8", H, {"日志设定", "Log Setting"}},
    {"ToolButton6", H, {"帮助", "About"}},
    {"ToolButton7", H, {"退出", "Exit"}},
    {"ToolButton9", H, {"总览 (F8)", "Overview (F8)"}},
    {"ToolButton1", N, {"软件参数设定", "Software Parameter Setting"}},
    {"ToolButton2", N, {"中文简体", "Chinese"}},
    {"ToolButton3", N, {"English", "English"}},
    {"ToolButton4", N, {"事件日志", "Event Log"}},
    {"ToolButton5", N, {"数据日志", "Data Log"}},
    {"ToolButton8", N, {"日志设定", "Log Setting"}},
    {"ToolButton6", N, {"关于", "About"}},
    {"ToolButton7", N, {"退出", "Exit"}},
    {"ToolButton9", N, {"总览", "Overview"}},
    {"iLedTx", N, {"发送指示灯", "Transmit lamp"}},
    {"iLedRx", N, {"接收指示灯", "Receive lamp"}},
    {"TreeView1", N, {"设备树", "Device tree"}},
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
const TTextPair MsgConfirmTitle = {"确认", "Confirm"};
const TTextPair MsgDeleteQuestion = {
    "要把 %1(地址 %2)从设备列表中删除吗?删除后不再轮询该设备。",
    "Remove %1 (address %2) from the device list? It will no longer be polled."};

const TTextPair VersionCaption = {"版本", "Version"};
const TTextPair StatusPanelNames[4] = {
    {"串口", "Port"},
    {"总线周期", "Bus cycle"},
    {"版本", "Version"},
    {"时间", "Time"},
};
const TTextPair MsgTreeFileSkipped = {
    "设备列表 %2 中有 %1 条记录未被采用（地址不在 1-252 之内、地址重复或超过 252 台）。"
    "该文件保持原样，直到设备列表被修改。",
    "%1 entries of the device list %2 were skipped (an address outside 1-252, an address "
    "listed twice, or more than 252 devices). The file is left as it is until the device "
    "list is changed."};
