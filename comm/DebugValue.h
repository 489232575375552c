#pragma once
// The trace window's diagnostic values: a number from 0 to 65535 names one
// piece of the poll engine's state (numbers that name nothing give 0).
//
//   21        non-zero while the port is open     50        AwaitingReply set (1/0)
//   22        baud rate of the port               53..57    WaitTicks, SendTries,
//   23        read interval time-out (ms)                   SendLimit, TxLength, EngineStep
//   24, 25    TxFrames, RxFrames                  58        Protocol setting
//   26        RxFrames * 100 / TxFrames           100..105  TxFrames, 0 (unused), RxFrames,
//   27..30    WaitTimer, MaxReSend, CommErrCnt,             RxGood, RatePct, as 26
//             CommLostCnt settings                110..119  ErrCnt[0..9]
//   200..209  SendCount of addresses 0..9         300..319  DbgVal[0..19]
//   210..219  OkCount of addresses 0..9           1000..1100 DbgCnt[0..100]
//   220..229  RecvCount of addresses 0..9

#include <cstdint>

class TPollEngine;

[[nodiscard]] int32_t DebugValue(const TPollEngine& engine, uint16_t number);
