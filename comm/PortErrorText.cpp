#include "comm/PortErrorText.h"

#include "base/LangText.h"
#include "comm/CommTypes.h"
#include "comm/PortName.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr TTextPair PortLine{"串口:", "Serial port: "};
constexpr TTextPair ReasonLine{"原因:", "Reason: "};

struct TReason {
    int Error;
    const char* Zh;
};

// The reasons a user meets with an RS-485 adapter, in Chinese; the system's
// own words follow in brackets. Others are given in the system's words only.
constexpr TReason ChineseReasons[] = {
    {ENOENT, "没有这个设备"},
    {ENODEV, "没有这个设备"},
    {ENXIO, "没有这个设备"},
    {EACCES, "没有访问权限(请把用户加入 dialout 组)"},
    {EPERM, "没有访问权限(请把用户加入 dialout 组)"},
    {EBUSY, "设备正忙"},
    {ENOTTY, "不是串口设备"},
    {EIO, "输入/输出错误"},
};

std::string Reason(int systemError, uint8_t language) {
    const std::string system = std::strerror(systemError);
    if (language != 1)
        return system;
    for (const TReason& reason : ChineseReasons) {
        if (reason.Error == systemError)
            return std::string(reason.Zh) + " (" + system + ")";
    }
    return system;
}

} // namespace

std::string StartPortErrorText(const std::string& comName, const std::string& startError,
                               int systemError, uint8_t language) {
    std::string port = comName.empty() ? "-" : comName;
    const std::string device = DevicePathForComName(comName);
    if (!device.empty() && device != comName)
        port += " (" + device + ")";
    std::string text = PickText(PortLine, language) + port + "\n";
    const bool busy = startError == MsgPortBusy;
    // The advice for a held port already says why; its error number would not.
    if (!busy && systemError != 0)
        text += PickText(ReasonLine, language) + Reason(systemError, language) + "\n";
    return text + (busy ? LangText.PortBusy : LangText.PortError);
}
