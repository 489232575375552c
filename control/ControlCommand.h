#pragma once
// The commands of the battery test and remote on/off dialogs: one write
// (function 6) of a command register, queued in slot 1 of CommandQueue with
// its value in CommandValue. A later command overwrites one not yet sent.

#include <cstdint>
#include <optional>
#include <string>

constexpr int32_t RegSwitchOn = 20001;    // CommandValue 1
constexpr int32_t RegSwitchOff = 20002;   // CommandValue 1
constexpr int32_t RegBatteryTest = 20003; // CommandValue: seconds; 0 cancels
constexpr std::size_t CommandSlot = 1;

void QueueControlCommand(uint8_t slave, int32_t reg, uint16_t value);

// The test time typed: nothing for an empty entry (refused with a message),
// 1 for one that is not a decimal number, else the number reduced to 16 bits
// (70000 is sent as 4464).
[[nodiscard]] std::optional<uint16_t> BatteryTestSeconds(const std::string& entry);
