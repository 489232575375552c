#pragma once
// Counters and flags that the poll engine, the trace window and the main window
// share. All of them are touched on the user-interface thread only.

#include <array>
#include <cstdint>

// Lamp counters: the poll engine sets 3 for each frame sent / chunk received,
// the main window's status step counts them down and lights the lamp while > 0.
extern uint8_t TxLedCount;
extern uint8_t RxLedCount;

// Set by the trace window's "Debug show" box; the main window then shows its
// debug label and edits.
extern bool DebugShow;

// Diagnostic values shown only in the trace window's debug grid.
constexpr int DbgValCount = 20;
extern std::array<int32_t, DbgValCount> DbgVal;

// Which timer writes which entry of DbgVal.
constexpr int DbgMainTimerInterval = 0;
constexpr int DbgEngineTimerInterval = 1;
constexpr int DbgUserSetTimerInterval = 3;
constexpr int DbgMainTicks = 10;
constexpr int DbgEngineTicks = 11;
constexpr int DbgUserSetTicks = 13;
constexpr int DbgMainViewRefreshes = 16;
