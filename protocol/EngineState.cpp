#include "protocol/EngineState.h"

uint8_t SearchMode = 0;
uint8_t SearchAddress = 0;
uint8_t ManualSendMode = 0;
uint8_t PollStep = 0;
uint8_t PollStepCount = 0;

TTxBuffer TxBuffer{};
TRxBuffer RxBuffer{};
TCommandQueue CommandQueue{};

TCommDebug CommDebug;
std::array<int32_t, DbgCntSize> DbgCnt{};
