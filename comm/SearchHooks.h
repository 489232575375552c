#pragma once
// How the poll engine reaches the device search window.

#include <cstdint>
#include <functional>

// The device search window while it is open: the engine asks it for each
// next address to probe (it clears SearchMode when the range is passed) and
// reports every address that answered well during a search.
struct TSearchHooks {
    std::function<uint8_t()> NextSearchAddress;
    std::function<void(uint8_t address)> DeviceFound;
};

extern TSearchHooks SearchHooks;
