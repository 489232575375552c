#include "tools/sim/RtuFrameReader.h"

#include "tools/sim/LineTiming.h"

#include <algorithm>

namespace {

// Length of the request that starts with these bytes, 0 while unknown.
std::size_t ExpectedLength(const std::vector<uint8_t>& f) {
    if (f.size() < 2) {
        return 0;
    }
    const uint8_t func = f[1];
    if (func >= 1 && func <= 6) {
        return 8;
    }
    if ((func == 15 || func == 16) && f.size() >= 7) {
        return 9 + std::size_t{f[6]};
    }
    return 0;
}

constexpr std::size_t MaxFrame = 256;

} // namespace

std::vector<TRtuFrameReader::TFrame> TRtuFrameReader::Feed(std::span<const uint8_t> bytes,
                                                           int64_t nowUs) {
    std::vector<TFrame> frames;
    if (auto stale = Expire(nowUs)) {
        frames.push_back(std::move(*stale));
    }
    for (uint8_t b : bytes) {
        FPending.push_back(b);
        const std::size_t want = ExpectedLength(FPending);
        if ((want != 0 && FPending.size() >= want) || FPending.size() >= MaxFrame) {
            frames.push_back(std::move(FPending));
            FPending.clear();
        }
    }
    if (!bytes.empty()) {
        FLastByteUs = nowUs;
    }
    return frames;
}

std::optional<TRtuFrameReader::TFrame> TRtuFrameReader::Expire(int64_t nowUs) {
    if (FPending.empty() || nowUs - FLastByteUs < FSilenceUs) {
        return std::nullopt;
    }
    TFrame frame = std::move(FPending);
    FPending.clear();
    return frame;
}

std::optional<int64_t> TRtuFrameReader::Deadline() const {
    if (FPending.empty()) {
        return std::nullopt;
    }
    return FLastByteUs + FSilenceUs;
}

int64_t RtuSilenceUs(int baud) {
    constexpr int64_t Floor = 5000;
    return std::max(Floor, CharTimeUs(baud) * 7 / 2);
}
