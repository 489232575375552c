#include "notify/AlertTexts.h"

#include "base/LangText.h"
#include "config/NotifySettings.h"

#include <array>

namespace {
// The title of a condition is the caption of its [Notify] choice; this is
// what follows a count: "12 units on battery" / "12 台 UPS 电池供电".
// Indexed by TAlertCondition, as the choices are.
static_assert(NotifyEventChoices.size() == AlertConditionCount);
constexpr std::array<TTextPair, AlertConditionCount> Phrases = {{
    {"电池供电", "on battery"},
    {"电池电压低", "with battery low"},
    {"故障", "with a fault"},
    {"过载", "overloaded"},
    {"旁路供电", "on bypass"},
    {"通讯中断", "not communicating"},
    {"串口断开", "without a port"},
}};
constexpr TTextPair RecoveredText = {"已恢复：", "Recovered: "};
constexpr TTextPair RecoveredFromText = {"已恢复", "recovered from"};
constexpr TTextPair PortText = {"串口", "Serial port"};
constexpr TTextPair UnitsText = {" 台 UPS ", " units "};
constexpr TTextPair OneUnitText = {" 台 UPS ", " unit "};
constexpr TTextPair ListSeparator = {"、", ", "};
constexpr TTextPair ListColon = {"：", ": "};
constexpr TTextPair MoreText = {" 等 ", " and "};
constexpr TTextPair MoreTail = {" 台", " more"};

const TTextPair& PhraseOf(TAlertCondition condition) {
    return Phrases[static_cast<std::size_t>(condition)];
}

std::string Counted(std::size_t count, uint8_t language) {
    return std::to_string(count) + PickText(count == 1 ? OneUnitText : UnitsText, language);
}

std::string NameList(const std::vector<TAlertUnit>& units, uint8_t language) {
    std::string list;
    for (std::size_t i = 0; i < units.size() && i < SummaryNameLimit; ++i) {
        if (i > 0)
            list += PickText(ListSeparator, language);
        list += units[i].Name.empty() ? UnitLabel(units[i], language) : units[i].Name;
    }
    if (units.size() > SummaryNameLimit)
        list += PickText(MoreText, language) + std::to_string(units.size() - SummaryNameLimit) +
                PickText(MoreTail, language);
    return list;
}
} // namespace

std::string ConditionTitle(TAlertCondition condition, uint8_t language) {
    return PickText(NotifyEventChoices[static_cast<std::size_t>(condition)].Caption, language);
}

std::string RecoveryTitle(TAlertCondition condition, uint8_t language) {
    return PickText(RecoveredText, language) + ConditionTitle(condition, language);
}

std::string UnitLabel(const TAlertUnit& unit, uint8_t language) {
    if (unit.Address == 0)
        return PickText(PortText, language);
    const std::string address =
        std::string(PickText(AddressText, language)) + " " + std::to_string(unit.Address);
    if (language == 1)
        return unit.Name + "（" + address + "）";
    return unit.Name + " (" + address + ")";
}

std::string CountTitle(TAlertCondition condition, std::size_t count, uint8_t language) {
    return Counted(count, language) + PickText(PhraseOf(condition), language);
}

std::string SummaryText(TAlertCondition condition, const std::vector<TAlertUnit>& units,
                        uint8_t language) {
    return CountTitle(condition, units.size(), language) + PickText(ListColon, language) +
           NameList(units, language);
}

std::string RecoverySummaryText(TAlertCondition condition, const std::vector<TAlertUnit>& units,
                                uint8_t language) {
    return Counted(units.size(), language) + PickText(RecoveredFromText, language) + " " +
           PickText(PhraseOf(condition), language) + PickText(ListColon, language) +
           NameList(units, language);
}
