#include "tools/sim/AsciiFrameReader.h"

std::vector<std::string> TAsciiFrameReader::Feed(std::span<const uint8_t> bytes) {
    std::vector<std::string> frames;
    for (uint8_t b : bytes) {
        if (b == '~') {
            FPending.assign(1, '~');
            FInFrame = true;
        } else if (FInFrame) {
            FPending += static_cast<char>(b);
            if (b == '\r') {
                frames.push_back(std::move(FPending));
                FPending.clear();
                FInFrame = false;
            } else if (FPending.size() >= MaxFrame) {
                FPending.clear();
                FInFrame = false;
            }
        }
    }
    return frames;
}
