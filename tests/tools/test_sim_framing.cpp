// Cutting the received stream into request frames, for both frame kinds.

#include "tools/sim/AsciiFrameReader.h"
#include "tools/sim/RtuFrameReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

using TFrame = TRtuFrameReader::TFrame;

} // namespace

TEST(SimAsciiFrames, FramesRunFromTildeToCarriageReturn) {
    const struct {
        const char* Name;
        std::vector<std::string> Chunks;
        std::vector<std::string> Frames;
    } rows[] = {
        {"one frame", {"~31012A430000FDA1\r"}, {"~31012A430000FDA1\r"}},
        {"noise before", {std::string("\n\0xx~31012A430000FDA1\r", 22)}, {"~31012A430000FDA1\r"}},
        {"split over reads", {"~3101", "2A4300", "00FDA1\r"}, {"~31012A430000FDA1\r"}},
        {"two in one read", {"~A\r~B\r"}, {"~A\r", "~B\r"}},
        {"a tilde starts over", {"~3101~31012A430000FDA1\r"}, {"~31012A430000FDA1\r"}},
        {"carriage return outside a frame", {"\r\r~A\r"}, {"~A\r"}},
        {"unfinished", {"~31012A43"}, {}},
        {"too long to be a frame", {"~" + std::string(600, '0') + "\r"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TAsciiFrameReader reader;
        std::vector<std::string> frames;
        for (const std::string& chunk : row.Chunks) {
            for (std::string& f : reader.Feed(Bytes(chunk))) {
                frames.push_back(std::move(f));
            }
        }
        EXPECT_EQ(frames, row.Frames);
    }
}

TEST(SimRtuFrames, KnownLengthsEndAFrameAtOnce) {
    TRtuFrameReader reader(5000);
    const TFrame read = {0x01, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6B, 0xCD};
    const TFrame write16 = {0x01, 0x10, 0x9C, 0x4A, 0x00, 0x01, 0x02, 0x00, 0x05, 0xAA, 0xBB};
    TFrame both = read;
    both.insert(both.end(), write16.begin(), write16.end());

    EXPECT_EQ(reader.Feed(both, 0), (std::vector<TFrame>{read, write16}));
    EXPECT_FALSE(reader.Deadline());

    // Split over reads that come close together.
    EXPECT_TRUE(reader.Feed(TFrame(read.begin(), read.begin() + 3), 100).empty());
    EXPECT_EQ(reader.Feed(TFrame(read.begin() + 3, read.end()), 1100), std::vector<TFrame>{read});
}

TEST(SimRtuFrames, SilenceEndsWhatLengthCannot) {
    TRtuFrameReader reader(5000);
    const TFrame unknown = {0x01, 0x2B, 0x0E, 0x01, 0x00, 0x70, 0x77};
    EXPECT_TRUE(reader.Feed(unknown, 1000).empty());
    ASSERT_TRUE(reader.Deadline());
    EXPECT_EQ(*reader.Deadline(), 6000);
    EXPECT_FALSE(reader.Expire(5999));
    EXPECT_EQ(reader.Expire(6000), unknown);
    EXPECT_FALSE(reader.Deadline());
}

TEST(SimRtuFrames, ARequestCutShortIsEndedByTheNextBytesAfterASilence) {
    TRtuFrameReader reader(5000);
    const TFrame cut = {0x01, 0x04, 0x75};
    const TFrame next = {0x02, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6B, 0xFE};
    EXPECT_TRUE(reader.Feed(cut, 0).empty());
    EXPECT_EQ(reader.Feed(next, 20000), (std::vector<TFrame>{cut, next}));
}

TEST(SimRtuFrames, SilenceIsThreeAndAHalfCharactersButNotUnderFiveMilliseconds) {
    EXPECT_EQ(RtuSilenceUs(1200), 29169); // 8334 us per character
    EXPECT_EQ(RtuSilenceUs(9600), 5000);  // 3.6 ms would be too tight to time reads by
    EXPECT_EQ(RtuSilenceUs(115200), 5000);
}
