#pragma once
// Which mains a unit is built for, and the fixed scales its voltages are drawn
// on. The dials and graphs keep fixed scales, but a healthy 120 V unit must
// not sit in the amber band of a 220 V dial nor below a 180 V graph axis, so
// each class has scales of the same shape around its own nominal voltage.

#include "record/UpsInfoRec.h"

#include <cstdint>
#include <optional>

enum class TVoltClass : uint8_t {
    Mains220, // 220-240 V units
    Mains120, // 100-127 V units
};

// One band of a dial, in volts.
struct TVoltBand {
    double From;
    double To;
};

struct TVoltScales {
    double Nominal;
    // Dial: 0 to DialMaximum, DialLabels labelled ticks, minor ticks between.
    double DialMaximum;
    int DialLabels;
    int DialMinorPerLabel;
    TVoltBand Low, Normal, High;
    // Trend graph voltage axis.
    double GraphMinimum;
    double GraphMaximum;
    double GraphStep;
};

[[nodiscard]] const TVoltScales& VoltScalesOf(TVoltClass voltClass);

// What the record itself says about the class: the system voltage level
// where the protocol reports it, otherwise the highest measured input phase.
// Nothing while neither is known (no reply yet, mains absent).
[[nodiscard]] std::optional<TVoltClass> VoltClassEvidence(const TUpsInfoRec& rec);

// The class to draw one shown unit in. A reported level always decides; a
// measured input decides once and is then kept while the same unit is shown,
// so a 220 V unit whose mains sag to 120 V still reads low on its own dial,
// and a unit whose mains fail keeps its scales. Another address starts over;
// until something is known the 220 V class is used.
class TVoltClassMemory {
public:
    TVoltClass Update(const TUpsInfoRec& rec);

private:
    uint8_t FAddress = 0;
    std::optional<TVoltClass> FMeasured;
};
