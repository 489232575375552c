#pragma once
// The simulator's end of the line: a pseudo-terminal it creates (the monitor
// opens the slave side, found through an optional symlink), or a named serial
// device. Reads never block; writes leave at the speed of the line.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TSimLine {
public:
    // A new pseudo-terminal in raw mode. With a link path, a symlink to the
    // slave device is made there (replacing an older symlink, never a file)
    // and removed again when the line closes. Throws std::runtime_error.
    static TSimLine OpenPty(const std::string& linkPath);

    // A serial device in raw 8N1 at baud. Throws std::runtime_error.
    static TSimLine OpenDevice(const std::string& path, int baud);

    TSimLine(TSimLine&& other) noexcept;
    TSimLine& operator=(TSimLine&&) = delete;
    TSimLine(const TSimLine&) = delete;
    ~TSimLine();

    // Descriptor to wait on for received bytes.
    [[nodiscard]] int Fd() const { return FFd; }
    // The device the monitor opens: the pty slave, or the serial device.
    [[nodiscard]] const std::string& DevicePath() const { return FDevicePath; }

    // Whatever has arrived, possibly nothing.
    [[nodiscard]] std::vector<uint8_t> ReadAvailable();

    // Sends bytes paced at the line speed: byte i leaves no earlier than i
    // character times after the first. False when the line refused them.
    [[nodiscard]] bool WritePaced(std::span<const uint8_t> bytes, int baud);

private:
    TSimLine() = default;

    int FFd = -1;
    int FSlaveFd = -1; // kept open so the master never sees a hang-up
    std::string FDevicePath;
    std::string FLinkPath;
};
