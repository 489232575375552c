#include "base/SharedFlags.h"

uint8_t TxLedCount = 0;
uint8_t RxLedCount = 0;
bool DebugShow = false;
std::array<int32_t, DbgValCount> DbgVal{};
