// What a reply frame under way still needs, for the reader's sleep and fast
// poll's early hand-over: the ASCII envelope and the Modbus length rules.

#include "protocol/YdtFrame.h"
#include "protocol/uKModbus.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::optional<std::size_t> Unknown = std::nullopt;

struct TFrameRow {
    std::vector<uint8_t> Bytes;
    std::optional<std::size_t> Rest;
};

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(FrameRest, AsciiFrameRunsFromTildeToCarriageReturnByItsLength) {
    // LENGTH 6 (LCHKSUM A): 18 + 6 characters in all.
    const std::string whole = "~21012A00A006ABCDEFFBFD\r";
    const TFrameRow rows[] = {
        {Bytes("~31012A00C0A8FDA2\r"), 0},
        {Bytes("~\r"), 0},
        {Bytes("~"), 12},                          // the header first
        {Bytes("~31012A00"), 4},                   // LENGTH not in yet
        {Bytes(whole.substr(0, 13)), 11},          // LENGTH in: 6 INFO, 4 CHKSUM, CR
        {Bytes(whole.substr(0, 20)), 4},
        {Bytes(whole), 0},
        {Bytes("~21012A00B006ABCDEF"), Unknown},    // LCHKSUM wrong: LENGTH not trusted
        {Bytes("~21012A00a006ABCDEF"), Unknown},    // nor when not as the sender writes it
        {Bytes("~21012A00A006ABCDEFFBFDxx"), Unknown}, // past its length without CR
        {Bytes("31012A00\r"), Unknown},           // no start: noise, left to the silence
        {Bytes("\r"), Unknown},
        {{}, Unknown},
    };
    for (const TFrameRow& row : rows)
        EXPECT_EQ(YdtFrameRest(row.Bytes.data(), row.Bytes.size()), row.Rest)
            << std::string(row.Bytes.begin(), row.Bytes.end());
}

TEST(FrameRest, ModbusFrameEndsByItsOwnLength) {
    const TFrameRow rows[] = {
        {{1, 3, 4, 0, 1, 0, 2, 0xAA, 0xBB}, 0}, // read, 4 data bytes
        {{1, 3, 4, 0, 1, 0, 2, 0xAA}, 1},       // one CRC byte missing
        {{1, 3, 4}, 6},
        {{1, 3}, 3},                                // the byte count not in yet
        {{1}, 4},                                   // an exception is the shortest
        {{1, 4, 2, 0x12, 0x34, 0xAA, 0xBB}, 0},
        {{1, 6, 0x9C, 0x44, 0, 1, 0xAA, 0xBB}, 0}, // write echo
        {{1, 16, 0x9C, 0x44, 0, 1, 0xAA}, 1},
        {{1, 0x83, 2, 0xAA, 0xBB}, 0}, // exception
        {{1, 0x83, 2, 0xAA}, 1},
        {{1, 7, 0, 0xAA, 0xBB, 0, 0, 0}, Unknown}, // unknown length
    };
    for (const TFrameRow& row : rows) {
        std::string shown;
        for (uint8_t b : row.Bytes)
            shown += std::to_string(b) + ' ';
        EXPECT_EQ(ModbusFrameRest(row.Bytes.data(), row.Bytes.size()), row.Rest) << shown;
    }
}

} // namespace
