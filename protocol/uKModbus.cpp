#include "protocol/uKModbus.h"

#include "base/funcUnit.h"
#include "protocol/ModelUnlock.h"
#include "protocol/PollPosition.h"
#include "record/EquipList.h"
#include "status/StatusRules.h"

#include <algorithm>
#include <array>
#include <span>
#include <type_traits>

uint16_t CommandValue = 0;
TParamWrite ParamWrite;
std::string ModelName;

namespace {

// The read requests of one device's poll sequence, step 1 first. On the wire
// the PDU address is the register number minus one; step 1 to address 1:
//   01 04 75 30 00 0E 6B CD   (slave, function, 30001-1, 14 registers, CRC low, high)
struct TPollStepRow {
    uint8_t Func;
    int32_t StartReg;
    int32_t Count;
};
constexpr std::array<TPollStepRow, 5> PollSteps{{
    {4, 30001, 14}, // 30001-30003, 30011-30014
    {4, 30021, 18}, // 30021-30023, 30031-30038
    {4, 30081, 11}, // 30081-30091, the state number and the ten status words
    {3, 40001, 28}, // the device parameters
    {3, 40029, 1},  // operation mode, only for the five-step model
}};
// The alarm words W2, W3, W6, W7 and W9 sit at 30086-30089 and 30091.
constexpr int32_t FirstAlarmWordReg = 30086;
constexpr int32_t LastAlarmWordReg = 30091;
constexpr uint8_t NormalStepCount = 4;
constexpr uint8_t FiveStepCount = 5;

// Input registers. A reply to step 1 from address 1 (byte count 0x1C = 14
// registers; register StartReg+i is at bytes 3+2i, high byte first):
//   01 04 1C 08 A5 08 AE 08 B7 00 00 .. 00 00 08 98 08 98 08 98 01 F4 CRC CRC
//            30001 30002 30003 30004 .. 30010 30011 30012 30013 30014
// decodes to 221.3, 222.2, 223.1 V in, 220.0 V out on each phase, 50.0 Hz.
constexpr double Tenth = 0.1;
struct TInputRow {
    int32_t Register;
    void (*Store)(TUpsInfoRec&, uint16_t);
    bool Status; // a state register: the state code is derived again
};
constexpr TInputRow InputRegs[] = {
    {30001, [](TUpsInfoRec& r, uint16_t v) { r.InputVoltA = v * Tenth; }, false},
    {30002, [](TUpsInfoRec& r, uint16_t v) { r.InputVoltB = v * Tenth; }, false},
    {30003, [](TUpsInfoRec& r, uint16_t v) { r.InputVoltC = v * Tenth; }, false},
    {30011, [](TUpsInfoRec& r, uint16_t v) { r.OutputVoltA = v * Tenth; }, false},
    {30012, [](TUpsInfoRec& r, uint16_t v) { r.OutputVoltB = v * Tenth; }, false},
    {30013, [](TUpsInfoRec& r, uint16_t v) { r.OutputVoltC = v * Tenth; }, false},
    {30014, [](TUpsInfoRec& r, uint16_t v) { r.OutputFreq = v * Tenth; }, false},
    {30021, [](TUpsInfoRec& r, uint16_t v) { r.LoadPctA = v; }, false},
    {30022, [](TUpsInfoRec& r, uint16_t v) { r.LoadPctB = v; }, false},
    {30023, [](TUpsInfoRec& r, uint16_t v) { r.LoadPctC = v; }, false},
    {30031, [](TUpsInfoRec& r, uint16_t v) { r.BattVolt1 = v * Tenth; }, false},
    {30032,
     [](TUpsInfoRec& r, uint16_t v) {
         r.BattVolt2 = v * Tenth;
         r.DcInputVolt = r.BattVolt1 + r.BattVolt2;
     },
     false},
    {30033, [](TUpsInfoRec& r, uint16_t v) { r.ChargeCur1 = v * Tenth; }, false},
    {30034,
     [](TUpsInfoRec& r, uint16_t v) {
         r.ChargeCur2 = v * Tenth;
         r.ChargeCur = r.ChargeCur1 + r.ChargeCur2;
     },
     false},
    {30035, [](TUpsInfoRec& r, uint16_t v) { r.DischargeCur1 = v * Tenth; }, false},
    {30036,
     [](TUpsInfoRec& r, uint16_t v) {
         r.DischargeCur2 = v * Tenth;
         r.DischargeCur = r.DischargeCur1 + r.DischargeCur2;
     },
     false},
    {30037, [](TUpsInfoRec& r, uint16_t v) { r.BattCapacity = int32_t{v}; }, false},
    {30038, [](TUpsInfoRec& r, uint16_t v) { r.BattSupportTime = v; }, false},
    {30081, [](TUpsInfoRec& r, uint16_t v) { r.DevState = uint8_t(v & 0xFF); }, true},
    // The inverter-side state words (4, 5) come before the rectifier-side
    // alarm words (2, 3).
    {30082, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[0] = v; }, true},
    {30083, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[1] = v; }, true},
    {30084, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[4] = v; }, true},
    {30085, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[5] = v; }, true},
    {30086, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[2] = v; }, true},
    {30087, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[3] = v; }, true},
    {30088, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[6] = v; }, true},
    {30089, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[7] = v; }, true},
    {30090, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[8] = v; }, true},
    {30091, [](TUpsInfoRec& r, uint16_t v) { r.StatusWord[9] = v; }, true},
};

// A register value into a record field of any width: 8-bit fields take the
// low byte, signed 16-bit fields the two's complement, 32-bit fields the
// value widened.
template <auto Field> void StoreField(TUpsInfoRec& rec, uint16_t value) {
    using T = std::remove_reference_t<decltype(rec.*Field)>;
    rec.*Field = static_cast<T>(value);
}

// A ParamWrite field as the 16 bits a write carries (-20 goes out as FF EC).
template <auto Field> uint16_t FieldValue(const TParamWrite& params) {
    return static_cast<uint16_t>(params.*Field);
}

template <auto RecField, auto ParamField> void CopyField(const TUpsInfoRec& rec, TParamWrite& p) {
    p.*ParamField = rec.*RecField;
}

// Holding registers with a field; 40001, 40010, 40024 and 40026 have none.
// Step 4 to address 1 reads them all: 01 03 9C 40 00 1C 6B 87.
struct THoldingRow {
    int32_t Register;
    void (*Store)(TUpsInfoRec&, uint16_t);
    uint16_t (*Value)(const TParamWrite&); // null: a write of it sends 0
    void (*Copy)(const TUpsInfoRec&, TParamWrite&);
};
constexpr bool Written = true;
constexpr bool NotWritten = false;

template <auto RecField, auto ParamField>
constexpr THoldingRow Holding(int32_t reg, bool written = Written) {
    return {reg, &StoreField<RecField>, written ? &FieldValue<ParamField> : nullptr,
            &CopyField<RecField, ParamField>};
}

using R = TUpsInfoRec;
using P = TParamWrite;
constexpr THoldingRow HoldingRegs[] = {
    Holding<&R::ParallelId, &P::ParallelId>(40002),
    Holding<&R::Hold40003, &P::Hold40003>(40003),
    Holding<&R::WorkMode, &P::WorkMode>(40004),
    Holding<&R::SysVoltLevel, &P::SysVoltLevel>(40005),
    Holding<&R::SysFreqLevel, &P::SysFreqLevel>(40006),
    Holding<&R::ParallelAmount, &P::ParallelAmount>(40007),
    Holding<&R::ParallelRedundancy, &P::ParallelRedundancy>(40008),
    Holding<&R::Hold40009, &P::Hold40009>(40009),
    Holding<&R::BypassFreqRange, &P::BypassFreqRange>(40011),
    Holding<&R::BypassVoltUpper, &P::BypassVoltUpper>(40012),
    Holding<&R::BypassVoltLower, &P::BypassVoltLower>(40013),
    Holding<&R::InvVoltAdjust, &P::InvVoltAdjust>(40014),
    Holding<&R::BattNumber, &P::BattNumber>(40015),
    Holding<&R::Hold40016, &P::Hold40016>(40016),
    Holding<&R::BattGroups, &P::BattGroups>(40017),
    Holding<&R::BoostVoltLimit, &P::BoostVoltLimit>(40018),
    Holding<&R::FloatVolt, &P::FloatVolt>(40019),
    Holding<&R::EodVolt, &P::EodVolt>(40020),
    Holding<&R::BattCapacityAh, &P::BattCapacityAh>(40021),
    Holding<&R::Hold40022, &P::Hold40022>(40022),
    Holding<&R::MaxChargeCur, &P::MaxChargeCur>(40023),
    Holding<&R::BoostTime, &P::BoostTime>(40025),
    Holding<&R::StatusControl, &P::StatusControl>(40027),
    Holding<&R::Hold40028, &P::Hold40028>(40028, NotWritten),
    Holding<&R::OperationMode, &P::OperationMode>(40029),
};

template <typename Row, std::size_t N> const Row* FindRow(const Row (&rows)[N], int32_t reg) {
    const auto it = std::find_if(std::begin(rows), std::end(rows),
                                 [reg](const Row& r) { return r.Register == reg; });
    return it == std::end(rows) ? nullptr : &*it;
}

uint16_t HoldingValue(int32_t reg) {
    const THoldingRow* row = FindRow(HoldingRegs, reg);
    return row && row->Value ? row->Value(ParamWrite) : 0;
}

// Where the value of a write comes from, by register range; any other
// register is written as 0. A write of 1 to 20001 at address 1:
//   01 06 4E 20 00 01 5E E8
struct TWriteSourceRow {
    int32_t First, Last;
    uint16_t (*Value)(int32_t reg);
};
constexpr TWriteSourceRow WriteSources[] = {
    // Remote switch-on, remote switch-off, battery self-test.
    {20001, 20003, [](int32_t) { return CommandValue; }},
    {40002, 40029, HoldingValue},
    {UnlockRegister, UnlockRegister, [](int32_t) { return WriteUnlockValue; }},
};

// Read replies: address, function, byte count, the registers, CRC (2 bytes).
constexpr int ReadReplyOverhead = 5;
// The shortest chunk that can be a frame at all: address, function, CRC.
constexpr int MinReplyLength = 4;
constexpr uint8_t ExceptionBit = 0x80;
// Writes are echoed in 8 bytes (address, function, register, count or value,
// CRC); an exception reply is shorter still.
constexpr int32_t WriteReplyLength = 8;

int32_t LongestReply(uint8_t func, int32_t count) {
    if (func == 3 || func == 4)
        return ReadReplyOverhead + 2 * std::max<int32_t>(count, 0);
    return WriteReplyLength;
}

} // namespace

// Address, function, then: a byte count and that many bytes for reads, 4
// bytes for writes, an exception code for exceptions; then the CRC. Until the
// function is in, the shortest frame (an exception) is what is sure to come.
// Any other function's length is unknown: its chunk ends with the line's silence.
std::optional<std::size_t> ModbusFrameRest(const uint8_t* bytes, std::size_t count) {
    constexpr std::size_t ShortestReply = 5;
    const auto restOf = [count](std::size_t whole) { return count < whole ? whole - count : 0; };
    if (count < 2)
        return restOf(ShortestReply);
    const uint8_t func = bytes[1];
    if (func & ExceptionBit)
        return restOf(ShortestReply);
    if (func == 3 || func == 4)
        return restOf(count < 3 ? ShortestReply : std::size_t(ReadReplyOverhead) + bytes[2]);
    if (func == 6 || func == 16)
        return restOf(std::size_t(WriteReplyLength));
    return std::nullopt;
}

namespace {

// Function 16 frames beyond this many registers would not fit TxBuf.
constexpr int32_t MaxWriteCount = (int32_t(TxBufferSize) - 9) / 2;

uint8_t FullStepCount() {
    return ModelName == FiveStepModel ? FiveStepCount : NormalStepCount;
}

// Appends bytes to a frame in the transmit buffer.
class TFrameWriter {
public:
    explicit TFrameWriter(TTxBuffer& buf) : FBuf(buf) {}
    void Byte(uint32_t b) { FBuf[FLen++] = uint8_t(b & 0xFF); }
    void Word(uint32_t w) {
        Byte(w >> 8);
        Byte(w);
    }
    // The CRC over everything before it, low byte first; returns the length.
    int32_t FinishWithCrc() {
        const uint16_t crc = Crc16(std::span<const uint8_t>(FBuf.data(), FLen));
        Byte(crc);
        Byte(crc >> 8);
        return int32_t(FLen);
    }

private:
    TTxBuffer& FBuf;
    std::size_t FLen = 0;
};

} // namespace

TParamWrite ParamsOfRecord(const TUpsInfoRec& rec) {
    TParamWrite params;
    for (const THoldingRow& row : HoldingRegs)
        row.Copy(rec, params);
    return params;
}

TMModbus::TMModbus(TTxBuffer& txBuf) : Rec(&UpsTable[0]), TxBuf(txBuf) {}

void TMModbus::BuildQuery() {
    if (SearchMode) {
        // A probe: any good answer to step 1 means a device is there. The
        // step counter of the poll sequence is left alone.
        CurAddr = SearchAddress;
        Slave = uint8_t(CurAddr);
        Func = PollSteps[0].Func;
        StartReg = PollSteps[0].StartReg;
        Count = PollSteps[0].Count;
        BuildFrame();
        return;
    }
    if (ManualSendMode)
        return;
    if (!TakeCommand())
        NextPollRequest();
    BuildFrame();
}

// A queued command goes out between two polling requests, without touching
// the step counter, so the sequence resumes where it was.
bool TMModbus::TakeCommand() {
    for (TCommandSlot& slot : CommandQueue) {
        if (!slot.Pending)
            continue;
        slot.Pending = 0;
        Slave = slot.Slave;
        Func = slot.Func;
        StartReg = slot.Register;
        Count = slot.Count;
        CurAddr = slot.Slave;
        EquipList.PollAddress = slot.Slave;
        return true;
    }
    return false;
}

void TMModbus::NextPollRequest() {
    Rec = RecordOf(CurAddr);
    const TPollPosition next = TakePollStep(CurAddr, FullStepCount());
    CurAddr = next.Address;
    const TPollStepRow& step = PollSteps[PollStep - 1];
    Slave = uint8_t(CurAddr);
    Func = step.Func;
    StartReg = step.StartReg;
    Count = step.Count;
}

void TMModbus::BuildFrame() {
    FrameLen = 0;
    TFrameWriter frame(TxBuf);
    switch (Func) {
    case 1:
    case 2:
    case 3:
    case 4:
        // 01 04 75 30 00 0E 6B CD: slave, function, register - 1, count, CRC.
        frame.Byte(Slave);
        frame.Byte(Func);
        frame.Word(uint32_t(StartReg - 1));
        frame.Word(uint32_t(Count));
        break;
    case 6:
        // 01 06 4E 20 00 01 5E E8: slave, function, register - 1, value, CRC.
        frame.Byte(Slave);
        frame.Byte(Func);
        frame.Word(uint32_t(StartReg - 1));
        frame.Word(ValueForRegister(StartReg));
        break;
    case 16:
        // Slave, function, register - 1, count, byte count, the values, CRC.
        if (Count < 0 || Count > MaxWriteCount)
            return;
        frame.Byte(Slave);
        frame.Byte(Func);
        frame.Word(uint32_t(StartReg - 1));
        frame.Word(uint32_t(Count));
        frame.Byte(uint32_t(2 * Count));
        for (int32_t i = 0; i < Count; ++i)
            frame.Word(ValueForRegister(StartReg + i));
        break;
    default:
        return;
    }
    FrameLen = frame.FinishWithCrc();
}

TReplyVerdict TMModbus::ParseReply(const uint8_t* bytes, int length) {
    return IsGoodReply(bytes, length) ? ReplyGood : Rejected();
}

bool TMModbus::IsGoodReply(const uint8_t* bytes, int length) {
    if (!bytes || length < MinReplyLength || bytes[0] != CurAddr)
        return false;
    Rec = RecordOf(CurAddr);
    if (!Rec || Crc16(std::span<const uint8_t>(bytes, std::size_t(length))) != 0)
        return false;
    if (SearchMode)
        return true; // any correct frame from the probed address: a device is there
    bool result = true;
    const uint8_t func = bytes[1];
    if (func == 3 || func == 4)
        result = DecodeRegisters(bytes, length);
    if (func & ExceptionBit)
        result = false;
    return result;
}

// The registers of a read reply, decoded against the last request's range
// whatever its function code was, so every copy of a repeated answer decodes.
// A byte count that disagrees with the request still decodes what is there,
// but never more registers than the frame holds; the reply is then not good.
bool TMModbus::DecodeRegisters(const uint8_t* bytes, int length) {
    const int claimed = bytes[2] / 2;
    const int present = std::max(0, (length - ReadReplyOverhead) / 2);
    const int n = std::min(claimed, present);
    for (int i = 0; i < n; ++i) {
        const auto value = uint16_t((bytes[3 + 2 * i] << 8) | bytes[4 + 2 * i]);
        StoreRegister(StartReg + i, value);
    }
    DeriveSwitchFlags(*Rec);
    BuildAlarmList(*Rec);
    // The list is the unit's own once all its alarm words came in one reply.
    if (StartReg <= FirstAlarmWordReg && StartReg + n - 1 >= LastAlarmWordReg)
        Rec->AlarmsReported = 1;
    return claimed == Count && claimed <= present;
}

void TMModbus::StoreRegister(int32_t reg, uint16_t value) {
    if (!Rec)
        return;
    if (const TInputRow* row = FindRow(InputRegs, reg)) {
        row->Store(*Rec, value);
        if (row->Status) {
            Rec->UpsState = StateFromWords(Rec->StatusWord);
            Rec->DataValid = 1;
        }
    } else if (const THoldingRow* holding = FindRow(HoldingRegs, reg)) {
        holding->Store(*Rec, value);
    }
}

uint16_t TMModbus::ValueForRegister(int32_t reg) const {
    for (const TWriteSourceRow& row : WriteSources) {
        if (reg >= row.First && reg <= row.Last)
            return row.Value(reg);
    }
    return 0;
}

TCodecHooks MakeModbusHooks(TMModbus& codec) {
    TCodecHooks hooks;
    hooks.BuildQuery = [&codec] {
        codec.BuildQuery();
        return TBuiltQuery{codec.FrameLen, uint8_t(codec.CurAddr),
                           LongestReply(codec.Func, codec.Count)};
    };
    hooks.ParseReply = [&codec](const uint8_t* bytes, int length) {
        return codec.ParseReply(bytes, length);
    };
    hooks.FromOtherAddress = [&codec](const uint8_t* bytes, int length) {
        return length > 0 && bytes[0] != codec.CurAddr;
    };
    hooks.FrameRest = ModbusFrameRest;
    return hooks;
}
