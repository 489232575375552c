#pragma once
// The reader: waits for bytes (and the CloseSignal) and hands each chunk to
// the sink. A chunk ends when the line has been silent for the read interval
// time-out, when 2048 bytes have arrived, or, where the port says so, as
// soon as it is a whole frame by the port's FrameRest.

#include "comm/CommThread.h"

#include <array>
#include <chrono>
#include <linux/serial.h>
#include <optional>

class TReadThread final : public TCommThread {
public:
    TReadThread(std::shared_ptr<TCommPort> port, TCommNotifySink& sink)
        : TCommThread(std::move(port), sink) {}

protected:
    void Execute() override;

private:
    using TClock = std::chrono::steady_clock;

    // Four characters at 9600 baud.
    static constexpr int GatherPauseMs = 4;

    [[nodiscard]] bool WaitAndRead();
    void GatherPause() const;
    [[nodiscard]] int WaitTimeoutMs() const;
    [[nodiscard]] bool FrameWhole() const { return FRest == std::optional<std::size_t>{0}; }
    [[nodiscard]] bool ReadAvailable(bool deviceFlagged);
    void Take(size_t count);
    [[nodiscard]] bool ReportLineEvents();
    [[nodiscard]] bool HandOver();
    void DeviceGone();

    std::array<uint8_t, CommReadBufferSize> FBuffer{};
    size_t FCount = 0;
    TClock::time_point FFirstByte;
    TClock::time_point FLastByte;
    std::optional<std::size_t> FRest; // by the port's FrameRest; nullopt when it does not tell
    bool FHaveCounters = false;
    serial_icounter_struct FCounters{};
};
