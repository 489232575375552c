#pragma once
// The words of a desktop notification in both languages, UTF-8: the title of
// a condition, a unit named with its address, and the summary of a gathered
// notification that lists the units.

#include "notify/AlertKinds.h"

#include <cstdint>
#include <string>
#include <vector>

struct TAlertUnit {
    uint8_t Address = 0; // 0: the serial port itself
    std::string Name;    // as the device tree shows it
};

// "On battery" / "电池供电", ...
[[nodiscard]] std::string ConditionTitle(TAlertCondition condition, uint8_t language);
// "Recovered: On battery" / "已恢复：电池供电"
[[nodiscard]] std::string RecoveryTitle(TAlertCondition condition, uint8_t language);
// "UPS 1 (Address 1)" / "UPS 1（地址 1）"; the port for address 0.
[[nodiscard]] std::string UnitLabel(const TAlertUnit& unit, uint8_t language);
// "12 units on battery" / "12 台 UPS 电池供电"
[[nodiscard]] std::string CountTitle(TAlertCondition condition, std::size_t count,
                                     uint8_t language);
// "12 units on battery: UPS 1, UPS 2, ..." naming every unit up to a limit,
// then how many more.
[[nodiscard]] std::string SummaryText(TAlertCondition condition,
                                      const std::vector<TAlertUnit>& units, uint8_t language);
// "2 units recovered from on battery: UPS 1, UPS 2"
[[nodiscard]] std::string RecoverySummaryText(TAlertCondition condition,
                                              const std::vector<TAlertUnit>& units,
                                              uint8_t language);

// Units named in a summary before "and N more".
inline constexpr std::size_t SummaryNameLimit = 40;
