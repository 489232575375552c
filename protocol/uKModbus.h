#pragma once
// Modbus RTU master for the protocol choices "Modbus" (index 2) and "VEX"
// (index 3). Both use the very same frames, register map and decoding, so one
// object serves both indices; what differs between them is only how the main
// window shows a device.
//
// The codec walks a fixed register sequence for each device in turn, sends
// the single-register writes that the control dialogs queue in CommandQueue
// ahead of its polling, and decodes replies into the record of the polled
// address. Bytes in, bytes out: it never sees the port or the clock.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "record/UpsInfoRec.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The value written to the command registers 20001 (remote switch-on),
// 20002 (remote switch-off) and 20003 (battery self-test); set by the on/off
// and battery test dialogs before they queue the command.
extern uint16_t CommandValue;

// One field per writable holding register, with the names, order and widths
// of the record's parameter block. The parameter dialog fills it from the
// record (ParamsOfRecord), changes the field being written and queues the
// write; BuildFrame takes the value from here.
struct TParamWrite {
    uint8_t ParallelId = 0;         // 40002
    uint8_t Hold40003 = 0;          // 40003
    int32_t WorkMode = 0;           // 40004, written as its low 16 bits
    uint8_t SysVoltLevel = 0;       // 40005
    uint8_t SysFreqLevel = 0;       // 40006
    uint8_t ParallelAmount = 0;     // 40007
    uint8_t ParallelRedundancy = 0; // 40008
    uint8_t Hold40009 = 0;          // 40009
    uint8_t BypassFreqRange = 0;    // 40011
    uint8_t BypassVoltUpper = 0;    // 40012
    int16_t BypassVoltLower = 0;    // 40013, negative percentages
    int16_t InvVoltAdjust = 0;      // 40014
    uint16_t BattNumber = 0;        // 40015
    uint16_t Hold40016 = 0;         // 40016
    uint16_t BattGroups = 0;        // 40017
    uint16_t BoostVoltLimit = 0;    // 40018
    uint16_t FloatVolt = 0;         // 40019
    uint16_t EodVolt = 0;           // 40020
    uint16_t BattCapacityAh = 0;    // 40021
    uint16_t Hold40022 = 0;         // 40022
    uint16_t MaxChargeCur = 0;      // 40023
    uint16_t BoostTime = 0;         // 40025
    uint16_t StatusControl = 0;     // 40027
    uint16_t Hold40028 = 0;         // 40028, never written (a write sends 0)
    uint8_t OperationMode = 0;      // 40029
};

extern TParamWrite ParamWrite;

// The record's parameter fields, as the parameter dialog starts from them.
[[nodiscard]] TParamWrite ParamsOfRecord(const TUpsInfoRec& rec);

// The model text last confirmed at the password gate; empty until then. It
// chooses the length of the poll sequence here and model-specific values in
// the control dialogs.
extern std::string ModelName;

// The model whose poll sequence has a fifth step (holding register 40029).
inline constexpr std::string_view FiveStepModel = "VEX610RT";

class TMModbus {
public:
    // Frames are built into txBuf (the engine's TxBuffer). Starts at address
    // 0, whose record is lost at start, so the first request is one step-1
    // read there and the next one enters the device list.
    explicit TMModbus(TTxBuffer& txBuf);
    TMModbus(const TMModbus&) = delete;
    TMModbus& operator=(const TMModbus&) = delete;

    // Leaves the next request in TxBuf and sets FrameLen and CurAddr: a probe
    // of SearchAddress during a search, nothing in manual send mode, else the
    // lowest pending CommandQueue slot, else the next step of the poll
    // sequence (moving on to the next device of the list after the last step).
    void BuildQuery();

    // Checks one received chunk of `length` bytes as the answer to the last
    // request and decodes it into the record of CurAddr. A rejected chunk's
    // verdict names no letter. Reads only the bytes given.
    [[nodiscard]] TReplyVerdict ParseReply(const uint8_t* bytes, int length);

    // Writes the frame for Slave, Func, StartReg and Count into TxBuf and sets
    // FrameLen; 0 for a function code it does not build.
    void BuildFrame();

    // Stores one register value into Rec; registers without a field are ignored.
    void StoreRegister(int32_t reg, uint16_t value);

    // The value a write of `reg` (function 6 or 16) carries.
    [[nodiscard]] uint16_t ValueForRegister(int32_t reg) const;

    TUpsInfoRec* Rec; // record of the device polled or answering; null for an address without one
    TTxBuffer& TxBuf; // where frames are built
    uint16_t CurAddr = 0; // address of the current request
    int32_t FrameLen = 0; // length of the frame in TxBuf; 0 = nothing to send
    // The last request, kept so that ParseReply decodes against it.
    uint8_t Slave = 0;
    uint8_t Func = 0;
    int32_t StartReg = 0; // five-digit register number (30001, 40001, ...)
    int32_t Count = 0;

private:
    [[nodiscard]] bool TakeCommand();
    void NextPollRequest();
    [[nodiscard]] bool IsGoodReply(const uint8_t* bytes, int length);
    [[nodiscard]] bool DecodeRegisters(const uint8_t* bytes, int length);
};

// How many more bytes the Modbus reply frame begun in bytes needs by its own
// length rules: 0 when it is whole, nullopt for a function of unknown length.
[[nodiscard]] std::optional<std::size_t> ModbusFrameRest(const uint8_t* bytes, std::size_t count);

// Adapts the codec to the poll engine's hooks; the same object serves the
// entries of protocol indices 2 and 3.
[[nodiscard]] TCodecHooks MakeModbusHooks(TMModbus& codec);
