#include "status/StatusRules.h"

#include "base/funcUnit.h"
#include "status/StatusCodes.h"

#include <cstddef>

namespace {

bool Bit(uint16_t word, int bit) {
    return BitIsSet(word, bit) != 0;
}

// W4 bits 8..7: what feeds the output; bits 10..9: what the inverter is doing.
constexpr uint16_t OutputSupplyMask = 0x0180;
constexpr uint16_t InverterMask = 0x0600;
// W6 bits that are faults (the rest of W6 are warnings that only list alarms).
constexpr uint16_t InverterFaultMask = 0xFC8C;

int32_t StateFromInverter(uint16_t n, uint16_t w0) {
    switch (n) {
    case 0x0000:
    case 0x0400:
        return StateStandby;
    case 0x0200:
        return StateInvSoftStart;
    default: // 0x0600: inverter running and feeding the output
        if (!Bit(w0, 14))
            return StateNoOutput;
        if (Bit(w0, 10))
            return StateOnline;
        return Bit(w0, 9) ? StateBattSelfTest : StateBattery;
    }
}

int32_t StateFromSupply(const TStatusWords& w) {
    const uint16_t s = w[4] & OutputSupplyMask;
    const uint16_t n = w[4] & InverterMask;
    if (s == 0) {
        if (n == 0)
            return StateStandby;
        return n == 0x0200 ? StateInvSoftStart : StateNoOutput;
    }
    if (s == 0x0080)
        return Bit(w[5], 11) && Bit(w[4], 10) ? StateEco : StateBypass;
    return StateFromInverter(n, w[0]);
}

// Each switch flag mirrors one status-word bit.
struct TSwitchBit {
    uint8_t TUpsInfoRec::*Field;
    int Word;
    int BitNo;
};
constexpr TSwitchBit SwitchBits[] = {
    {&TUpsInfoRec::InputSwitch, 0, 15},
    {&TUpsInfoRec::BypassSwitch, 4, 15},
    {&TUpsInfoRec::OutputSwitch, 4, 14},
    {&TUpsInfoRec::MaintBypassSwitch, 4, 13},
};

// Alarm words: bit b of the word (from 15 down to LowBit) gives code
// CodeOfBit15 + 15 - b; lower bits of a word raise nothing.
struct TAlarmWord {
    int Word;
    int32_t CodeOfBit15;
    int LowBit;
};
constexpr TAlarmWord AlarmWords[] = {
    {2, 0, 0},  // rectifier alarms 0..15
    {3, 16, 6}, // rectifier alarms 16..25
    {6, 32, 0}, // inverter alarms 32..47
    {7, 48, 7}, // inverter alarms 48..56
    {9, 64, 8}, // battery and environment alarms 64..71
};

constexpr int AlarmBitCount() {
    int n = 0;
    for (const TAlarmWord& a : AlarmWords)
        n += 16 - a.LowBit;
    return n;
}
// Every bit set at once must still fit the record's list.
static_assert(AlarmBitCount() <= MaxAlarmCodes);

} // namespace

int32_t StateFromWords(const TStatusWords& w) {
    if (Bit(w[0], 13) || Bit(w[4], 3))
        return StateEpo;
    if (w[2] != 0 || Bit(w[3], 15) || (w[6] & InverterFaultMask) != 0)
        return StateFault;
    if (Bit(w[4], 13))
        return StateMaintBypass;
    return StateFromSupply(w);
}

void DeriveSwitchFlags(TUpsInfoRec& rec) {
    const TStatusWords& w = rec.StatusWord;
    for (const TSwitchBit& s : SwitchBits)
        rec.*s.Field = Bit(w[s.Word], s.BitNo);
    if (!Bit(w[0], 11))
        rec.InputSupply = 0;
    else
        rec.InputSupply = Bit(w[0], 10) ? 1 : 2;
    if (Bit(w[4], 8))
        rec.UpsSupply = 1;
    else
        rec.UpsSupply = Bit(w[4], 7) ? 2 : 0;
}

void BuildAlarmList(TUpsInfoRec& rec) {
    std::array<int32_t, MaxAlarmCodes> codes{};
    std::size_t count = 0;
    for (const TAlarmWord& a : AlarmWords)
        for (int bit = 15; bit >= a.LowBit; --bit)
            if (Bit(rec.StatusWord[a.Word], bit))
                codes[count++] = a.CodeOfBit15 + 15 - bit;
    rec.AlarmCodes = codes;
    rec.AlarmCount = static_cast<uint8_t>(count);
}
