#pragma once
// Maps the ComName setting to the device to open on this system.

#include <string>

// "COMn" with n from 1 to 256 (case-insensitive "COM") gives /dev/ttyS<n-1>;
// an absolute path (/dev/ttyUSB0, /dev/serial/by-id/..., /dev/pts/7) is used as
// it is; anything else gives "" (nothing to open).
[[nodiscard]] std::string DevicePathForComName(const std::string& comName);
