#include "record/UpsInfoRec.h"

#include <gtest/gtest.h>

TEST(UpsInfoRecBlocks, MeasureBlockLayoutIsByteExact) {
    TUpsInfoRec rec;
    rec.InputVoltA = 1.0;
    rec.DcInputVolt = -2.5;
    rec.BattCapacity = 0x01020304;
    rec.BattSupportTime = 0xABCD;
    rec.ChargeCur = 30.7;
    rec.DischargeCur = 4.0;
    TMeasureBlock b = EncodeMeasureBlock(rec);
    // 1.0 as IEEE double, little-endian: 00 00 00 00 00 00 F0 3F
    EXPECT_EQ(b[6], 0xF0);
    EXPECT_EQ(b[7], 0x3F);
    EXPECT_EQ(b[88], 0x04);
    EXPECT_EQ(b[91], 0x01);
    EXPECT_EQ(b[92], 0xCD);
    EXPECT_EQ(b[93], 0xAB);
    EXPECT_EQ(b[94], 0);
    EXPECT_EQ(b[95], 0);
    TUpsInfoRec back;
    DecodeMeasureBlock(b, back);
    EXPECT_EQ(back.DcInputVolt, -2.5);
    EXPECT_EQ(back.BattSupportTime, 0xABCD);
    EXPECT_EQ(back.ChargeCur, 30.7);
    EXPECT_EQ(back.DischargeCur, 4.0);
}

TEST(UpsInfoRecBlocks, StatusBlockLayoutIsByteExact) {
    TUpsInfoRec rec;
    for (int i = 0; i < 10; ++i)
        rec.StatusWord[i] = uint16_t(0x0100 * i + i);
    rec.DevState = 7;
    rec.DataValid = 1;
    TStatusBlock b = EncodeStatusBlock(rec);
    EXPECT_EQ(b[2], 0x01); // word 1 low byte
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(b[18], 0x09);
    EXPECT_EQ(b[20], 7);
    EXPECT_EQ(b[25], 1);
    TUpsInfoRec back;
    DecodeStatusBlock(b, back);
    EXPECT_EQ(back.StatusWord, rec.StatusWord);
    EXPECT_EQ(back.DataValid, 1);
}
