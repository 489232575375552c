#include "base/funcUnit.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {
std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}
} // namespace

TEST(FuncUnit, FrameTextStopsAtTheFrameEnd) {
    struct Row {
        std::string_view frame;
        std::size_t pos, count;
        std::string_view expected;
    };
    const Row rows[] = {
        {"~1101", 1, 2, "11"}, {"~1", 1, 2, "1"},   {"~", 5, 2, ""},
        {"", 0, 4, ""},        {"~1101", 0, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame);
        EXPECT_EQ(FrameText(row.frame, row.pos, row.count), row.expected);
        EXPECT_EQ(FrameText(Bytes(row.frame), row.pos, row.count), row.expected);
    }
}

TEST(FuncUnit, HexDigitValue) {
    struct Row {
        char c;
        uint8_t value;
    };
    const Row rows[] = {
        {'0', 0},  {'9', 9},  {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15},  {'G', 16},    {'g', 16},
        {' ', 16}, {'/', 16}, {':', 16}, {'@', 16}, {'`', 16}, {'\0', 16}, {'\xB0', 16},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.c));
        EXPECT_EQ(HexDigitValue(row.c), row.value);
    }
}

TEST(FuncUnit, HexTextToInt) {
    struct Row {
        std::string_view text;
        int width;
        int32_t value;
    };
    const Row rows[] = {
        {"1G3", 3, 1},      // scan stops at the first non-hex character
        {"A", 4, 10},       // padded to 000A
        {"12345", 2, 0x12}, // characters past the width are ignored
        {"11", 2, 0x11},
        {"ff", 2, 255},
        {"", 2, 0},
        {"ZZ", 2, 0},
        {"G1", 2, 0},
        {"FFFFFFFF", 8, -1}, // 32-bit accumulation
        {"7FFFFFFF", 8, INT32_MAX},
        {"123456789", 9, 0x23456789},
        {"12", 0, 0},
        {"12", -1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.text << " width " << row.width);
        EXPECT_EQ(HexTextToInt(row.text, row.width), row.value);
    }
}

TEST(FuncUnit, Hex4ToWordSkipsNonHexCharacters) {
    struct Row {
        std::string_view text;
        uint16_t value;
    };
    const Row rows[] = {
        {"12 4", 0x124},  {"    ", 0},       {"00-A", 0x00A}, {"FFFF", 0xFFFF},
        {"abcd", 0xABCD}, {"12345", 0x1234}, {"12", 0x12},    {"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Hex4ToWord(row.text), row.value);
    }
}

TEST(FuncUnit, WordToHex4) {
    struct Row {
        uint32_t value;
        std::string_view text;
    };
    const Row rows[] = {
        {0, "0000"},     {1, "0001"},     {0x1F, "001F"},    {0xABCD, "ABCD"},
        {65535, "FFFF"}, {65536, "0000"}, {0x12345, "2345"}, {UINT32_MAX, "FFFF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(WordToHex4(row.value), row.text);
    }
}

TEST(FuncUnit, BitIsSet) {
    struct Row {
        uint32_t value;
        int bit;
        int set;
    };
    const Row rows[] = {
        {1, 0, 1}, {1, 1, 0}, {0x80000000u, 31, 1}, {2, 33, 1}, {0, 5, 0}, {0x80000000u, -1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.value << " bit " << row.bit);
        EXPECT_EQ(BitIsSet(row.value, row.bit), row.set);
    }
}

TEST(FuncUnit, LengthField) {
    struct Row {
        int32_t lenid;
        std::string_view field;
    };
    const Row rows[] = {
        {0, "0000"},    {4, "C004"},    {18, "D012"},
        {40, "6028"},   {4095, "3FFF"}, {90, "105A"}, // A + 5 + 0 = 15, LCHKSUM 1
        {4096, "0000"},                               // only the low twelve bits are a length
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lenid);
        EXPECT_EQ(LengthField(row.lenid), row.field);
    }
}

TEST(FuncUnit, FrameChecksum) {
    // '~', then characters summing to exactly 65536.
    const std::string wraps = "~" + std::string(256, '\xFF') + "\x80\x80";
    struct Row {
        std::string frame;
        int lastPos;
        std::string_view sum;
    };
    const Row rows[] = {
        {"~31012A420000", 12, "FDA2"},
        {"~11012A410000", 12, "FDA5"},
        {"~11012A410000FDA5\r", 12, "FDA5"}, // a whole request: sum stops at 12
        {"~111F2A440000", 12, "FD8C"},
        {"~11012A410000", 100, "FDA5"}, // positions past the end are not summed
        {"~11012A410000", 0, "0000"},
        {"~11012A410000", -3, "0000"},
        {"", 12, "0000"},
        {wraps, 258, "0000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame);
        EXPECT_EQ(FrameChecksum(row.frame, row.lastPos), row.sum);
        EXPECT_EQ(FrameChecksum(Bytes(row.frame), row.lastPos), row.sum);
    }
}

TEST(FuncUnit, HexCharsOnlyAndHexTextToBytes) {
    struct Row {
        std::string_view text;
        std::string_view hexOnly;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"7e 31-3", "7E313", {0x7E, 0x31}},
        {"", "", {}},
        {"Z", "", {}},
        {"ABC", "ABC", {0xAB}},
        {"aBcDeFgh09", "ABCDEF09", {0xAB, 0xCD, 0xEF, 0x09}},
        {"01 04 ff", "0104FF", {0x01, 0x04, 0xFF}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(HexCharsOnly(row.text), row.hexOnly);
        EXPECT_EQ(HexTextToBytes(row.text), row.bytes);
    }
}

TEST(FuncUnit, BytesToHexText) {
    struct Row {
        std::vector<uint8_t> bytes;
        int count;
        std::string_view separator;
        std::string_view text;
    };
    const Row rows[] = {
        {{0x01, 0x04}, 2, " ", "01 04 "}, {{}, 0, " ", ""},
        {{0x01, 0x04}, 0, " ", ""},       {{0x01, 0x04}, 1, " ", "01 "},
        {{0xAB, 0xCD}, 5, "", "ABCD"}, // count beyond the bytes is cut short
        {{0x7E}, 1, ", ", "7E, "},        {{0x01, 0x02}, -1, " ", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(BytesToHexText(row.bytes, row.count, row.separator), row.text);
    }
}

TEST(FuncUnit, Int16ToText) {
    struct Row {
        int32_t value;
        std::string_view text;
    };
    const Row rows[] = {
        {65535, "-1"},     {300, "300"}, {0, "0"},       {32767, "32767"},
        {32768, "-32768"}, {-5, "-5"},   {0x10005, "5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(Int16ToText(row.value), row.text);
    }
}

TEST(FuncUnit, HexToSingle) {
    struct Row {
        std::string_view text;
        double value;
    };
    const Row rows[] = {
        {"0000C842", 100.0},
        {"00005C43", 220.0},
        {"0000c842", 100.0},
        {"000080BF", -1.0},
        {"00000000", 0.0},
        {"0000C84299", 100.0}, // only eight characters are read
        {"", 0.0},
        {"0000C8", double(std::bit_cast<float>(0x00C80000u))}, // missing bytes read as 0
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(HexToSingle(row.text), row.value);
    }
    EXPECT_TRUE(std::isnan(HexToSingle("0000C07F")));
}

TEST(FuncUnit, HexToSingleAtAFramePosition) {
    const std::string frame = "~" + std::string(14, '0') + "0000C842";
    EXPECT_EQ(HexToSingle(FrameText(frame, 15, 8)), 100.0);
    // A reply cut short: only the characters present are read.
    EXPECT_EQ(HexToSingle(FrameText(frame, 19, 8)), double(std::bit_cast<float>(0x42C8u)));
    EXPECT_EQ(HexToSingle(FrameText(frame, 40, 8)), 0.0);
}

TEST(FuncUnit, IntToFixedDigits) {
    struct Row {
        int32_t value;
        int digits;
        std::string_view text;
    };
    const Row rows[] = {
        {7, 3, "007"}, {1234, 3, "234"}, {0, 3, "000"},    {12, 2, "12"},
        {5, 2, "05"},  {999, 3, "999"},  {1000, 3, "000"}, {5, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.value << "," << row.digits);
        EXPECT_EQ(IntToFixedDigits(row.value, row.digits), row.text);
    }
}

TEST(FuncUnit, Crc16Modbus) {
    struct Row {
        std::vector<uint8_t> bytes;
        uint16_t crc;
    };
    const Row rows[] = {
        {Bytes("123456789"), 0x4B37},
        {{}, 0xFFFF},
        {{0x01, 0x04, 0x75, 0x30, 0x00, 0x0E}, 0xCD6B}, // sent as 6B CD
        {{0x01, 0x04, 0x75, 0x44, 0x00, 0x12}, 0x1E2A},
        {{0x01, 0x03, 0x9C, 0x40, 0x00, 0x1C}, 0x876B},
        {{0x01, 0x06, 0x4E, 0x20, 0x00, 0x01}, 0xE85E},
        {{0x01, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6B, 0xCD}, 0}, // a whole correct frame
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes.size());
        EXPECT_EQ(Crc16(row.bytes), row.crc);
    }
}
