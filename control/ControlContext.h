#pragma once
// What the control windows need from the main window and the poll engine.

#include <cstdint>
#include <functional>

struct TControlContext {
    std::function<uint8_t()> SelDevAddr; // bus address of the selected device; 0 none
    std::function<bool()> IsCommOpen;    // the serial port is open
};
