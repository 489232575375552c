#include "record/UpsInfoRec.h"
#include "scales/VoltClass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

TUpsInfoRec Reading(uint8_t address, uint8_t level, double a, double b = 0, double c = 0) {
    TUpsInfoRec rec;
    rec.Address = address;
    rec.SysVoltLevel = level;
    rec.InputVoltA = a;
    rec.InputVoltB = b;
    rec.InputVoltC = c;
    return rec;
}

struct EvidenceCase {
    const char* Name;
    TUpsInfoRec Rec;
    std::optional<TVoltClass> Expected;
};

TEST(VoltClass, EvidenceFromLevelOrInput) {
    using enum TVoltClass;
    const EvidenceCase cases[] = {
        {"level 120 reported", Reading(1, 120, 0), Mains120},
        {"level 127 beats a sagging 230 V reading", Reading(1, 127, 230), Mains120},
        {"level 230 beats a 120 V reading", Reading(1, 230, 120), Mains220},
        {"level 100", Reading(1, 100, 0), Mains120},
        {"measured 120 V", Reading(1, 0, 120.4, 119.8, 121), Mains120},
        {"measured 100 V", Reading(1, 0, 100), Mains120},
        {"measured 230 V", Reading(1, 0, 230.1, 229.5, 231), Mains220},
        {"one phase read, 230 V", Reading(1, 0, 0, 0, 230), Mains220},
        {"no reading yet", Reading(1, 0, 0), std::nullopt},
        {"mains absent, a few volts of noise", Reading(1, 0, 12), std::nullopt},
        {"not a number", Reading(1, 0, std::nan("")), std::nullopt},
    };
    for (const EvidenceCase& c : cases)
        EXPECT_EQ(VoltClassEvidence(c.Rec), c.Expected) << c.Name;
}

TEST(VoltClass, MemoryKeepsAMeasuredClassWhileTheUnitIsShown) {
    using enum TVoltClass;
    TVoltClassMemory memory;
    EXPECT_EQ(memory.Update(Reading(1, 0, 0)), Mains220);   // nothing known yet
    EXPECT_EQ(memory.Update(Reading(1, 0, 120)), Mains120); // first reading decides
    EXPECT_EQ(memory.Update(Reading(1, 0, 0)), Mains120);   // mains failed: same dial
    // Another unit starts over: a 230 V unit whose mains sag to 150 V stays
    // on its own dial, where 150 V reads low.
    EXPECT_EQ(memory.Update(Reading(2, 0, 230)), Mains220);
    EXPECT_EQ(memory.Update(Reading(2, 0, 150)), Mains220);
    // A reported level always decides.
    EXPECT_EQ(memory.Update(Reading(2, 120, 150)), Mains120);
    EXPECT_EQ(memory.Update(Reading(3, 0, 0)), Mains220);
}

TEST(VoltClass, ScalesOfEachClass) {
    // The 220 V class keeps the scales the program always had.
    const TVoltScales& s220 = VoltScalesOf(TVoltClass::Mains220);
    EXPECT_EQ(s220.DialMaximum, 300);
    EXPECT_EQ(s220.DialLabels, 6);
    EXPECT_EQ(s220.DialMinorPerLabel, 5);
    EXPECT_EQ(s220.Low.To, 180);
    EXPECT_EQ(s220.Normal.To, 260);
    EXPECT_EQ(s220.High.To, 300);
    EXPECT_EQ(s220.GraphMinimum, 180);
    EXPECT_EQ(s220.GraphMaximum, 300);
    EXPECT_EQ(s220.GraphStep, 20);

    // Each class: healthy units of the class (nominal -10 % to +10 %, for
    // 100 V to 127 V units in the low class) read in the normal band and
    // inside the graph axis; the bands follow each other up the dial.
    struct ClassCase {
        TVoltClass Class;
        double LowestNominal, HighestNominal;
    };
    for (const ClassCase& c :
         {ClassCase{TVoltClass::Mains220, 220, 230}, ClassCase{TVoltClass::Mains120, 100, 127}}) {
        const TVoltScales& s = VoltScalesOf(c.Class);
        const double low = c.LowestNominal * 0.9, high = c.HighestNominal * 1.1;
        EXPECT_LE(s.Normal.From, low) << s.Nominal;
        EXPECT_GE(s.Normal.To, high) << s.Nominal;
        EXPECT_LE(s.GraphMinimum, low) << s.Nominal;
        EXPECT_GE(s.GraphMaximum, high) << s.Nominal;
        EXPECT_EQ(s.Low.From, 0);
        EXPECT_EQ(s.Low.To, s.Normal.From);
        EXPECT_EQ(s.Normal.To, s.High.From);
        EXPECT_EQ(s.High.To, s.DialMaximum);
    }
}

} // namespace
