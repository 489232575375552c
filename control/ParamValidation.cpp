#include "control/ParamValidation.h"

#include "control/ParamItems.h"
#include "control/WholeNumber.h"

#include <cctype>

namespace {

constexpr const char* LowVoltModel = "VEX305";
constexpr uint16_t LowVoltBatteryNumber = 24;
constexpr const char* DefaultEodEntry = "1.80";
constexpr const char* DefaultBoostTimeEntry = "30";

// Messages by register, in register order.
struct TMessageRow {
    int32_t Register;
    TTextPair Message;
};
const TMessageRow Messages[] = {
    {40002, {"[并机系统ID]数值无效", "[Parallel ID] value is invalid"}},
    {40004, {"[工作模式]数值无效", "[Work Mode] value is invalid"}},
    {40005, {"[系统电压等级]数值无效", "[System Voltage Level] value is invalid"}},
    {40006, {"[输出频率等级]数值无效", "[System Frequence Level] value is invalid"}},
    {40007, {"[系统并机总台数]数值无效", "[Parallel Amount] value is invalid"}},
    {40008, {"[并机冗余台数]数值无效", "[Parallel Redundancy] value is invalid"}},
    {40011, {"[旁路频率跟踪范围]数值无效", "[Bypass Frequence Range] value is invalid"}},
    {40012, {"[旁路电压保护范围上限]数值无效", "[Bypass Volt Upper Limit] value is invalid"}},
    {40013, {"[旁路电压保护范围下限]数值无效", "[Bypass Volt lower Limit] value is invalid"}},
    {40014, {"[逆变输出电压微调]数值无效", "[Invert-Volt adjustment] value is invalid"}},
    {40015, {"[电池节数]数值无效", "[Battery Num] value is invalid"}},
    {40017, {"[电池并联组数]数值无效", "[Battery Group] value is invalid"}},
    {40018, {"[均充电压上限]数值无效", "[Boost upper limit Volt] value is invalid"}},
    {40019, {"[浮充电压基准]数值无效", "[Float base Volt] value is invalid"}},
    {40020, {"[EOD电压]数值无效", "[EOD Volt] value is invalid"}},
    {40021, {"[单节电池容量]数值无效", "[Single Battery Capability] value is invalid"}},
    {40023, {"[最大充电电流]数值无效", "[Max Charge current] value is invalid"}},
    {40025, {"[均充持续时间]数值无效", "[Boost Last Time] value is invalid"}},
    {40029, {"[操作模式]数值无效", "[Operation Mode] value is invalid"}},
};

TTextPair MessageFor(int32_t reg) {
    for (const TMessageRow& row : Messages) {
        if (row.Register == reg)
            return row.Message;
    }
    return {"数值无效", "value is invalid"};
}

TParamCheck Accept(uint16_t value) {
    return {true, value, std::nullopt, std::nullopt};
}

TParamCheck Refuse(int32_t reg, std::optional<std::string> rewritten = std::nullopt) {
    return {false, 0, MessageFor(reg), std::move(rewritten)};
}

// An entry as a whole number reduced to 16 bits; 0 when it is not a number
// (65537 is taken as 1).
uint16_t EntryValue(const std::string& entry) {
    return static_cast<uint16_t>(WholeNumberOr(entry, 0));
}

// A volt-per-cell entry of 1.2 to 1.9 inclusive as hundredths, further digits
// cut off (1.755 gives 175). Decimal digits are read exactly, so that 1.9 is
// 190 and 1.901 is above the range.
std::optional<uint16_t> EodHundredths(const std::string& entry) {
    std::size_t at = 0;
    int32_t whole = 0;
    while (at < entry.size() && std::isdigit(static_cast<unsigned char>(entry[at])) && whole < 100)
        whole = whole * 10 + (entry[at++] - '0');
    if (at == 0 || (at < entry.size() && entry[at] != '.'))
        return std::nullopt;
    int32_t hundredths = whole * 100;
    bool beyond = false; // non-zero digits past the hundredths
    if (at < entry.size()) {
        ++at;
        for (int place = 0; at < entry.size(); ++at, ++place) {
            if (!std::isdigit(static_cast<unsigned char>(entry[at])))
                return std::nullopt;
            const int digit = entry[at] - '0';
            if (place == 0)
                hundredths += digit * 10;
            else if (place == 1)
                hundredths += digit;
            else
                beyond = beyond || digit != 0;
        }
    }
    if (hundredths < 120 || hundredths > 190 || (hundredths == 190 && beyond))
        return std::nullopt;
    return uint16_t(hundredths);
}

TParamCheck ValidateEntry(int32_t reg, const std::string& entry, const TUpsInfoRec& d) {
    const uint16_t v = EntryValue(entry);
    const bool empty = entry.empty();
    switch (reg) {
    case 40002:
        return !empty && v >= 1 && v <= 14 ? Accept(v) : Refuse(reg);
    case 40007:
        return !empty ? Accept(v) : Refuse(reg);
    case 40008:
        return !empty && (v == 0 || v < d.ParallelAmount)
                   ? Accept(v)
                   : Refuse(reg, std::to_string(d.ParallelAmount > 0 ? d.ParallelAmount - 1 : 0));
    case 40017:
        return !empty && v >= 1 && v <= 8 ? Accept(v) : Refuse(reg);
    case 40020: {
        const auto eod = EodHundredths(entry);
        return eod ? Accept(*eod) : Refuse(reg, DefaultEodEntry);
    }
    case 40021:
        return !empty && v >= 1 && v <= 2000 ? Accept(v) : Refuse(reg);
    case 40023: {
        const int32_t limit = MaxChargeLimit(d);
        return !empty && v <= limit ? Accept(v) : Refuse(reg, std::to_string(limit));
    }
    case 40025:
        return !empty && v <= 600 ? Accept(v) : Refuse(reg, DefaultBoostTimeEntry);
    default:
        return Refuse(reg);
    }
}

} // namespace

TParamCheck ValidateItem(int item, const TParamInput& input, const std::string& model,
                         const TUpsInfoRec& device) {
    const TParamItem& it = ParamItemAt(item);
    switch (it.Editor) {
    case TEditorKind::Switches:
        return Accept(StatusControlBits(input.BuzzerDisable, input.BoostDisable));
    case TEditorKind::Entry:
        return ValidateEntry(it.Register, input.Entry, device);
    case TEditorKind::List:
        if (it.Register == 40015 && model == LowVoltModel)
            return Accept(LowVoltBatteryNumber);
        return input.Choice >= 0 ? Accept(uint16_t(input.ChoiceValue)) : Refuse(it.Register);
    default:
        return Refuse(it.Register);
    }
}
