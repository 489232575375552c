#include "control/ControlCommand.h"

#include "control/WholeNumber.h"
#include "protocol/EngineState.h"
#include "protocol/uKModbus.h"

void QueueControlCommand(uint8_t slave, int32_t reg, uint16_t value) {
    // Function 6 carries no count, so the slot's Count is left as it was.
    TCommandSlot& slot = CommandQueue[CommandSlot];
    slot.Pending = 255;
    slot.Slave = slave;
    slot.Func = 6;
    slot.Register = reg;
    CommandValue = value;
}

std::optional<uint16_t> BatteryTestSeconds(const std::string& entry) {
    if (entry.empty())
        return std::nullopt;
    return static_cast<uint16_t>(WholeNumberOr(entry, 1));
}
