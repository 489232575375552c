#pragma once
// Commands waiting for the Modbus / VEX protocol. The control dialogs fill
// slots; only the Modbus codec's BuildQuery empties them, lowest pending slot
// first, one command per request, ahead of its own polling. The two ASCII
// protocols never look at the queue.

#include <array>
#include <cstddef>
#include <cstdint>

struct TCommandSlot {
    uint8_t Pending = 0;  // 0 free; writers store 255
    uint8_t Slave = 0;    // bus address
    uint8_t Func = 0;     // Modbus function code
    int32_t Register = 0; // 30001 / 40001 numbering
    int32_t Count = 0;    // registers
};

constexpr std::size_t CommandQueueSize = 10;
using TCommandQueue = std::array<TCommandSlot, CommandQueueSize>;

extern TCommandQueue CommandQueue;
