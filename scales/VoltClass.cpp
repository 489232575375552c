#include "scales/VoltClass.h"

#include <algorithm>

namespace {
// Below this no mains is read: a missing phase, a unit on battery, a record
// not filled yet.
constexpr double NoMainsBelow = 60;
// Between the two classes' nominal voltages: a level or an input below it is
// a 100-127 V unit.
constexpr double ClassBoundary = 170;

// The 220 V class holds the scales the program always had; the 120 V class
// has bands of the same proportions, wide enough for 100 V and 127 V units.
constexpr TVoltScales Scales220 = {220, 300, 6, 5, {0, 180}, {180, 260}, {260, 300}, 180, 300, 20};
constexpr TVoltScales Scales120 = {120, 160, 5, 4, {0, 85}, {85, 140}, {140, 160}, 80, 160, 10};

TVoltClass ClassOfVolts(double volts) {
    return volts < ClassBoundary ? TVoltClass::Mains120 : TVoltClass::Mains220;
}
} // namespace

const TVoltScales& VoltScalesOf(TVoltClass voltClass) {
    return voltClass == TVoltClass::Mains120 ? Scales120 : Scales220;
}

std::optional<TVoltClass> VoltClassEvidence(const TUpsInfoRec& rec) {
    if (rec.SysVoltLevel != 0)
        return ClassOfVolts(rec.SysVoltLevel);
    const double input = std::max({rec.InputVoltA, rec.InputVoltB, rec.InputVoltC});
    if (!(input >= NoMainsBelow)) // NaN reads as no mains too
        return std::nullopt;
    return ClassOfVolts(input);
}

TVoltClass TVoltClassMemory::Update(const TUpsInfoRec& rec) {
    if (rec.Address != FAddress) {
        FAddress = rec.Address;
        FMeasured.reset();
    }
    if (rec.SysVoltLevel != 0)
        return *VoltClassEvidence(rec);
    if (!FMeasured)
        FMeasured = VoltClassEvidence(rec);
    return FMeasured.value_or(TVoltClass::Mains220);
}
