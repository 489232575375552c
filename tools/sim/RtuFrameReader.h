#pragma once
// Cuts the received byte stream of Modbus RTU into frames. A request whose
// length follows from its function code (8 bytes for 1 to 6, 9 + byte count
// for 15 and 16) ends as soon as it is complete; anything else ends with the
// line's silence. A silence also ends a request cut short, which then fails
// its CRC and goes unanswered. Times are in microseconds from any origin.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class TRtuFrameReader {
public:
    using TFrame = std::vector<uint8_t>;

    explicit TRtuFrameReader(int64_t silenceUs) : FSilenceUs(silenceUs) {}

    // Frames completed by bytes received at nowUs (a silence before them ends
    // what was pending).
    [[nodiscard]] std::vector<TFrame> Feed(std::span<const uint8_t> bytes, int64_t nowUs);

    // The pending bytes as a frame once the line has been silent long enough.
    [[nodiscard]] std::optional<TFrame> Expire(int64_t nowUs);

    // When Expire will have something to give, if anything is pending.
    [[nodiscard]] std::optional<int64_t> Deadline() const;

private:
    int64_t FSilenceUs;
    int64_t FLastByteUs = 0;
    TFrame FPending;
};

// The silence that ends a frame at this line speed: 3.5 character times, but
// never under 5 ms, since bytes are timed when the loop reads them, not when
// they arrived, and a loaded machine delays the loop by milliseconds.
[[nodiscard]] int64_t RtuSilenceUs(int baud);
