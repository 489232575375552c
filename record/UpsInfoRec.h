#pragma once
// One record per bus address (0..252) holding everything known about a UPS.
// The table is touched only by the user-interface thread; no locking.

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int MaxAlarmCodes = 80;
constexpr int UpsTableSize = 253; // addresses 0..252

// TUpsInfoRec::CommState: how the unit answers its requests.
enum : uint8_t {
    CommCommunicating = 0,
    CommError = 1, // unanswered requests are adding up
    CommLost = 2,  // the unit has stopped answering (the start value)
};

struct TUpsInfoRec {
    // Identity and communication
    uint8_t Address = 0;
    uint8_t CommState = CommLost;
    int32_t FailCount = 0;
    int32_t SendCount = 0;
    int32_t RecvCount = 0;
    int32_t OkCount = 0;
    int32_t SuccessRate = 0;

    // Measurements (the data-log block, 112 bytes on disk)
    double InputVoltA = 0, InputVoltB = 0, InputVoltC = 0;
    double OutputVoltA = 0, OutputVoltB = 0, OutputVoltC = 0;
    double LoadPctA = 0, LoadPctB = 0, LoadPctC = 0;
    double OutputFreq = 0;
    double DcInputVolt = 0;
    int32_t BattCapacity = 0;
    uint16_t BattSupportTime = 0;
    double ChargeCur = 0;
    double DischargeCur = 0;

    // Switch and supply flags
    uint8_t InputSwitch = 0;
    uint8_t OutputSwitch = 0;
    uint8_t BypassSwitch = 0;
    uint8_t MaintBypassSwitch = 0;
    uint8_t BattTestFlag = 0;
    uint8_t InputSupply = 0; // 0 none, 1 mains, 2 battery
    uint8_t UpsSupply = 0;   // 0 none, 1 inverter, 2 bypass

    // State and alarms
    int32_t UpsState = -1;
    int32_t LoggedState = -1;
    std::array<int32_t, MaxAlarmCodes> AlarmCodes{};
    uint8_t AlarmCount = 0;
    // 1 while AlarmCodes hold what the unit last reported; 0 once the view
    // has emptied the list of a silent unit. Alarm changes are logged only
    // against a list the unit reported, so a unit that comes back does not
    // log its standing alarms as cleared and raised again.
    uint8_t AlarmsReported = 0;
    std::array<int32_t, MaxAlarmCodes> LoggedAlarmCodes{};
    uint8_t LoggedAlarmCount = 0;

    // Device parameters (holding registers 40002..40029, Modbus/VEX only)
    uint8_t ParallelId = 0;
    uint8_t Hold40003 = 0;
    int32_t WorkMode = 0;
    uint8_t SysVoltLevel = 0;
    uint8_t SysFreqLevel = 0;
    uint8_t ParallelAmount = 0;
    uint8_t ParallelRedundancy = 0;
    uint8_t Hold40009 = 0;
    uint8_t BypassFreqRange = 0;
    uint8_t BypassVoltUpper = 0;
    int16_t BypassVoltLower = 0;
    int16_t InvVoltAdjust = 0;
    uint16_t BattNumber = 0;
    uint16_t Hold40016 = 0;
    uint16_t BattGroups = 0;
    uint16_t BoostVoltLimit = 0;
    uint16_t FloatVolt = 0;
    uint16_t EodVolt = 0;
    uint16_t BattCapacityAh = 0;
    uint16_t Hold40022 = 0;
    uint16_t MaxChargeCur = 0;
    uint16_t BoostTime = 0;
    uint16_t StatusControl = 0;
    uint16_t Hold40028 = 0;
    uint8_t OperationMode = 0;

    // DC parts; only their sums are read
    double BattVolt1 = 0, BattVolt2 = 0;
    double ChargeCur1 = 0, ChargeCur2 = 0;
    double DischargeCur1 = 0, DischargeCur2 = 0;

    // Status block (the event-log tail, 26 bytes on disk)
    std::array<uint16_t, 10> StatusWord{}; // StatusWord0..StatusWord9
    uint8_t DevState = 0;
    uint8_t Spare1 = 0, Spare2 = 0, Spare3 = 0, Spare4 = 0;
    uint8_t DataValid = 0;
};

using TUpsTable = std::array<TUpsInfoRec, UpsTableSize>;

// The process-wide table, indexed directly by bus address.
extern TUpsTable UpsTable;

// The record of a bus address; nullptr for an address without one (253 and
// above: a search range is typed up to 255, and a damaged device list or a
// faulty reply must never index past the table).
[[nodiscard]] inline TUpsInfoRec* RecordOf(uint16_t address) {
    return address < UpsTableSize ? &UpsTable[address] : nullptr;
}

// Byte-exact images of the two blocks that the logs copy.
constexpr std::size_t MeasureBlockSize = 112;
constexpr std::size_t StatusBlockSize = 26;
using TMeasureBlock = std::array<uint8_t, MeasureBlockSize>;
using TStatusBlock = std::array<uint8_t, StatusBlockSize>;

TMeasureBlock EncodeMeasureBlock(const TUpsInfoRec& rec);
void DecodeMeasureBlock(const TMeasureBlock& block, TUpsInfoRec& rec);
TStatusBlock EncodeStatusBlock(const TUpsInfoRec& rec);
void DecodeStatusBlock(const TStatusBlock& block, TUpsInfoRec& rec);
