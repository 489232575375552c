#include "record/UpsInfoRec.h"

#include "base/LittleEndian.h"

TUpsTable UpsTable;

namespace {
// Eleven doubles InputVoltA..DcInputVolt at bytes 0..87.
constexpr double TUpsInfoRec::*MeasureDoubles[] = {
    &TUpsInfoRec::InputVoltA,  &TUpsInfoRec::InputVoltB,  &TUpsInfoRec::InputVoltC,
    &TUpsInfoRec::OutputVoltA, &TUpsInfoRec::OutputVoltB, &TUpsInfoRec::OutputVoltC,
    &TUpsInfoRec::LoadPctA,    &TUpsInfoRec::LoadPctB,    &TUpsInfoRec::LoadPctC,
    &TUpsInfoRec::OutputFreq,  &TUpsInfoRec::DcInputVolt,
};
static_assert(std::size(MeasureDoubles) * 8 == 88);
constexpr std::size_t OffCapacity = 88, OffSupport = 92, OffCharge = 96, OffDischarge = 104;
static_assert(OffDischarge + 8 == MeasureBlockSize);
constexpr std::size_t OffDevState = 20, OffDataValid = 25;
static_assert(OffDataValid + 1 == StatusBlockSize);
} // namespace

TMeasureBlock EncodeMeasureBlock(const TUpsInfoRec& rec) {
    TMeasureBlock b{}; // the two fill bytes 94..95 stay 0
    for (std::size_t i = 0; i < std::size(MeasureDoubles); ++i)
        le::PutF64(&b[i * 8], rec.*MeasureDoubles[i]);
    le::PutI32(&b[OffCapacity], rec.BattCapacity);
    le::PutU16(&b[OffSupport], rec.BattSupportTime);
    le::PutF64(&b[OffCharge], rec.ChargeCur);
    le::PutF64(&b[OffDischarge], rec.DischargeCur);
    return b;
}

void DecodeMeasureBlock(const TMeasureBlock& b, TUpsInfoRec& rec) {
    for (std::size_t i = 0; i < std::size(MeasureDoubles); ++i)
        rec.*MeasureDoubles[i] = le::GetF64(&b[i * 8]);
    rec.BattCapacity = le::GetI32(&b[OffCapacity]);
    rec.BattSupportTime = le::GetU16(&b[OffSupport]);
    rec.ChargeCur = le::GetF64(&b[OffCharge]);
    rec.DischargeCur = le::GetF64(&b[OffDischarge]);
}

TStatusBlock EncodeStatusBlock(const TUpsInfoRec& rec) {
    TStatusBlock b{};
    for (std::size_t i = 0; i < rec.StatusWord.size(); ++i)
        le::PutU16(&b[i * 2], rec.StatusWord[i]);
    b[OffDevState] = rec.DevState;
    b[21] = rec.Spare1;
    b[22] = rec.Spare2;
    b[23] = rec.Spare3;
    b[24] = rec.Spare4;
    b[OffDataValid] = rec.DataValid;
    return b;
}

void DecodeStatusBlock(const TStatusBlock& b, TUpsInfoRec& rec) {
    for (std::size_t i = 0; i < rec.StatusWord.size(); ++i)
        rec.StatusWord[i] = le::GetU16(&b[i * 2]);
    rec.DevState = b[OffDevState];
    rec.Spare1 = b[21];
    rec.Spare2 = b[22];
    rec.Spare3 = b[23];
    rec.Spare4 = b[24];
    rec.DataValid = b[OffDataValid];
}
