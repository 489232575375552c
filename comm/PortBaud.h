#pragma once
// Exact baud rates through the kernel's termios2 interface, so a rate without
// a B-constant (14400, 28800, 250000 ...) is set as it is rather than rounded.
// Kept apart because the kernel's termios2 header clashes with <termios.h>.

#include <cstdint>

// Sets input and output speed of the open terminal fd to baud; false when the
// driver refuses it.
[[nodiscard]] bool SetPortBaudRate(int fd, uint32_t baud);
// The output speed of the terminal fd in bits per second, 0 when unknown.
[[nodiscard]] uint32_t PortBaudRate(int fd);
