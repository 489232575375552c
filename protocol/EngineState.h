#pragma once
// Poll engine state shared with the protocol objects, the device search, the
// trace window and the control dialogs. Process-wide and touched only by the
// user-interface thread, so plain variables without locks; all zero at start.

#include "protocol/CommandQueue.h"

#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t TxBufferSize = 256;
constexpr std::size_t RxBufferSize = 400; // received chunks are cut to this

using TTxBuffer = std::array<uint8_t, TxBufferSize>;
using TRxBuffer = std::array<uint8_t, RxBufferSize>;

extern uint8_t SearchMode;     // 0 / 255: a bus search is running
extern uint8_t SearchAddress;  // the address the search is probing
extern uint8_t ManualSendMode; // 0 / 255: the trace window sends by hand; no requests are built
extern uint8_t PollStep;       // step of the per-device sequence last built, 1..PollStepCount
extern uint8_t PollStepCount;  // steps in the sequence of the current device

extern TTxBuffer TxBuffer; // the frame being sent; the protocol objects build into it
extern TRxBuffer RxBuffer; // the last received chunk; the protocol objects parse it

// Rejected-reply reasons the two ASCII protocols name in their verdicts; the
// engine counts them into ErrCnt.
enum : int {
    ErrStartByte = 0, // "A": start byte not '~'
    ErrVersion = 1,   // "B": wrong protocol version
    ErrAddress = 2,   // "C": reply from another address
    ErrDevType = 3,   // "D": wrong device type or non-zero return code
    ErrLength = 4,    // "E": length field wrong
    ErrChecksum = 5,  // "F": checksum wrong
};

// Communication statistics shown in the trace window.
struct TCommDebug {
    int32_t TxFrames = 0;             // frames sent (polling and manual)
    int32_t RxFrames = 0;             // chunks received
    int32_t RxGood = 0;               // chunks the protocol accepted
    std::array<int32_t, 10> ErrCnt{}; // rejected replies by reason (above)
    double RatePct = 0;               // RxGood * 100 / TxFrames, set by the trace refresh
};

extern TCommDebug CommDebug;

// Diagnostic counters of the trace window's debug grid; [0] counts received
// chunks that the protocol rejected.
constexpr std::size_t DbgCntSize = 101;
extern std::array<int32_t, DbgCntSize> DbgCnt;
