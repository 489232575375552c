#include "notify/BusSummary.h"

#include "base/LangText.h"
#include "status/UnitCondition.h"

namespace {
// Indexed by TBusState, the port's own entry unused.
constexpr std::array<TTextPair, BusStateCount> StateWords = {{
    {"正常", "normal"},
    {"告警", "in alarm"},
    {"电池供电", "on battery"},
    {"通讯中断", "not communicating"},
    {"", ""},
}};
constexpr TTextPair PortClosedText = {"串口已关闭：", "Port closed: "};
constexpr TTextPair NotPolledText = {" 台 UPS 未轮询", " units not polled"};
constexpr TTextPair OneNotPolledText = {" 台 UPS 未轮询", " unit not polled"};
constexpr TTextPair NoUnitsText = {"设备列表为空", "No units in the device list"};

// The tray's states are fewer than a unit's conditions: whatever needs
// attention short of being on battery or silent counts as an alarm.
TBusState UnitState(const TUnitSnapshot& unit) {
    switch (UnitConditionOf(unit.Record)) {
    case TUnitCondition::Normal:
        return TBusState::Normal;
    case TUnitCondition::OnBattery:
        return TBusState::OnBattery;
    case TUnitCondition::NotCommunicating:
        return TBusState::NotCommunicating;
    case TUnitCondition::Alarm:
    case TUnitCondition::Bypass:
    case TUnitCondition::Fault:
        break;
    }
    return TBusState::Alarm;
}
} // namespace

TBusSummary SummarizeBus(const TRecordSnapshot& snapshot) {
    TBusSummary summary;
    for (const TUnitSnapshot& unit : snapshot.Units) {
        const TBusState state = UnitState(unit);
        ++summary.Counts[static_cast<std::size_t>(state)];
        ++summary.Units;
        if (state > summary.Worst)
            summary.Worst = state;
    }
    if (!snapshot.PortOpen)
        summary.Worst = TBusState::PortClosed;
    return summary;
}

std::string BusSummaryText(const TBusSummary& summary, uint8_t language) {
    const bool zh = language == 1;
    if (summary.Units == 0)
        return PickText(NoUnitsText, language);
    // With the port closed what the units last said is history.
    if (summary.Worst == TBusState::PortClosed)
        return PickText(PortClosedText, language) + std::to_string(summary.Units) +
               PickText(summary.Units == 1 ? OneNotPolledText : NotPolledText, language);
    std::string text = std::to_string(summary.Units) + (zh                   ? " 台 UPS："
                                                        : summary.Units == 1 ? " unit: "
                                                                             : " units: ");
    bool first = true;
    for (int i = 0; i < BusStateCount; ++i) {
        const int count = summary.Counts[static_cast<std::size_t>(i)];
        if (count == 0)
            continue;
        if (!first)
            text += zh ? "，" : ", ";
        first = false;
        text += std::to_string(count) + (zh ? " 台" : " ") +
                PickText(StateWords[static_cast<std::size_t>(i)], language);
    }
    return text;
}
