// When the bytes gathered so far are a whole reply frame, for fast poll's
// early hand-over: the ASCII envelope and the Modbus length rules.

#include "protocol/YdtFrame.h"
#include "protocol/uKModbus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TFrameRow {
    std::vector<uint8_t> Bytes;
    bool Whole;
};

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(FrameEnd, AsciiFrameRunsFromTildeToCarriageReturn) {
    const TFrameRow rows[] = {
        {Bytes("~31012A00C0A8FDA2\r"), true},
        {Bytes("~\r"), true},
        {Bytes("~31012A00"), false},  // the rest still on its way
        {Bytes("31012A00\r"), false}, // no start: noise, left to the silence
        {Bytes("\r"), false},
        {{}, false},
    };
    for (const TFrameRow& row : rows)
        EXPECT_EQ(YdtFrameEnd(row.Bytes.data(), row.Bytes.size()), row.Whole)
            << std::string(row.Bytes.begin(), row.Bytes.end());
}

TEST(FrameEnd, ModbusFrameEndsByItsOwnLength) {
    const TFrameRow rows[] = {
        {{1, 3, 4, 0, 1, 0, 2, 0xAA, 0xBB}, true}, // read, 4 data bytes
        {{1, 3, 4, 0, 1, 0, 2, 0xAA}, false},      // one CRC byte missing
        {{1, 4, 2, 0x12, 0x34, 0xAA, 0xBB}, true},
        {{1, 6, 0x9C, 0x44, 0, 1, 0xAA, 0xBB}, true}, // write echo
        {{1, 16, 0x9C, 0x44, 0, 1, 0xAA}, false},
        {{1, 0x83, 2, 0xAA, 0xBB}, true}, // exception
        {{1, 0x83, 2, 0xAA}, false},
        {{1, 7, 0, 0xAA, 0xBB, 0, 0, 0}, false}, // unknown length
        {{}, false},
    };
    for (const TFrameRow& row : rows) {
        std::string shown;
        for (uint8_t b : row.Bytes)
            shown += std::to_string(b) + ' ';
        EXPECT_EQ(ModbusFrameEnd(row.Bytes.data(), row.Bytes.size()), row.Whole) << shown;
    }
}

} // namespace
