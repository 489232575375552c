#pragma once
// Cuts the received byte stream of the ASCII protocols into frames: a frame
// starts at '~' and ends with the carriage return. Bytes outside a frame are
// dropped; a '~' inside a frame starts over (the earlier part was cut off).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TAsciiFrameReader {
public:
    // Longest frame kept; anything longer is noise and is dropped.
    static constexpr std::size_t MaxFrame = 512;

    // Frames completed by these bytes, each from '~' to CR inclusive.
    [[nodiscard]] std::vector<std::string> Feed(std::span<const uint8_t> bytes);

private:
    std::string FPending;
    bool FInFrame = false;
};
