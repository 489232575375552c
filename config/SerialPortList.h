#pragma once
// The names the port list of the software parameter dialog offers: the serial
// devices present on this machine, stable names first, then the current
// ComName when it is a device path not listed, so that saving the dialog
// never silently replaces the user's port, and last "COM1" to "COM256" (they
// stand for /dev/ttyS0 to /dev/ttyS255), which are there on any machine.

#include <string>
#include <vector>

// Where the devices are looked for; tests point both at a temporary folder.
struct TSerialRoots {
    std::string Dev = "/dev/";              // with a trailing '/'
    std::string SysTty = "/sys/class/tty/"; // with a trailing '/'
};

constexpr int ComPortCount = 256;

[[nodiscard]] std::vector<std::string> SerialPortList(const std::string& comName,
                                                      const TSerialRoots& roots = {});
