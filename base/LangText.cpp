#include "base/LangText.h"

TLangText LangText;

namespace {
struct TLangEntry {
    std::string TLangText::*Field;
    TTextPair Text;
};

// One row per entry of LangText: Chinese, English.
const TLangEntry LangEntries[] = {
    {&TLangText::PortOpenCaption, {"开启串口", "Open COM"}},
    {&TLangText::PortCloseCaption, {"关闭串口", "Close COM"}},
    {&TLangText::PortOpenStatus, {"  已开启", " is Link"}},
    {&TLangText::PortClosedStatus, {"串口已关闭", "COM is closed"}},
    {&TLangText::PortError,
     {"开启串口时出错,请检查串口设置!",
      "There was an error to open serial port,please check the serial port settings !"}},
    {&TLangText::PortBusy,
     {"串口正被另一个程序使用(同一线路上的监控程序或代理),请先关闭它!",
      "The serial port is in use by another program (a monitor or an agent on the same "
      "line); close it first !"}},
    {&TLangText::NoSupply, {"均不供电", "No Supply"}},
    {&TLangText::MainsSupply, {"市电供电", "Mains Supply"}},
    {&TLangText::BatterySupply, {"电池供电", "Battery Supply"}},
    {&TLangText::InverterSupply, {"逆变供电", "Inverter Supply"}},
    {&TLangText::BypassSupply, {"旁路供电", "Bypass Supply"}},
    {&TLangText::Economy, {"ECO", "ECO"}},
};
} // namespace

void FillLangText(uint8_t language) {
    for (const TLangEntry& entry : LangEntries)
        LangText.*entry.Field = PickText(entry.Text, language);
}
