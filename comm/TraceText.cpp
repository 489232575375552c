#include "comm/TraceText.h"

#include "base/funcUnit.h"
#include "protocol/EngineState.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>

std::string EchoLine(const uint8_t* bytes, int length, bool hex) {
    if (length <= 0)
        return {};
    if (hex)
        return BytesToHexText(std::span<const uint8_t>(bytes, std::size_t(length)), length, " ");
    std::string line;
    line.reserve(std::size_t(length));
    for (int i = 0; i < length; ++i) {
        const uint8_t b = bytes[i];
        const bool shown = b == '\n' || b == '\r' || (b >= '0' && b <= 'z') || b == '~';
        line += shown ? char(b) : char(0x7F);
    }
    return line;
}

void RefreshRatePct() {
    CommDebug.RatePct =
        CommDebug.TxFrames > 0 ? double(CommDebug.RxGood) * 100 / CommDebug.TxFrames : 0;
}

std::string RateText(double rate) {
    if (!std::isfinite(rate))
        return "0.0";
    char text[64];
    // Five significant digits, then one decimal.
    std::snprintf(text, sizeof text, "%.4e", rate);
    const double rounded = std::strtod(text, nullptr);
    std::snprintf(text, sizeof text, "%.1f", rounded);
    return text;
}

std::string CommInfoLine() {
    return "Send:" + std::to_string(CommDebug.TxFrames) + ";  " +
           "AcK:" + std::to_string(CommDebug.RxFrames) + ";  " +
           "AckOK:" + std::to_string(CommDebug.RxGood) + ";  " +
           "Rate:" + RateText(CommDebug.RatePct);
}

std::string CommErrLine() {
    std::string line;
    for (int i = 0; i <= ErrChecksum; ++i) {
        if (CommDebug.ErrCnt[std::size_t(i)] > 0)
            line += std::string(1, char('A' + i)) + ":" +
                    std::to_string(CommDebug.ErrCnt[std::size_t(i)]) + "; ";
    }
    return line;
}

std::string DebugCellText(int32_t value, bool hex) {
    if (!hex)
        return std::to_string(value);
    char text[16];
    std::snprintf(text, sizeof text, value < 0 ? "%08X" : "%04X", uint32_t(value));
    return text;
}
