#pragma once
// Command line of pelmora-sim.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct TSimOptions {
    int Protocol = 0;       // 0 modular, 1 three-phase, 2 Modbus, 3 VEX
    std::vector<int> Units; // addresses added to the scenario's units
    std::string ScenarioPath;
    int Baud = 9600;
    std::string LinkPath;   // symlink to the pty slave
    std::string DevicePath; // a serial device instead of a pty
    double TimeScale = 1;
    uint16_t UnlockValue = 0; // 0: the default
    bool Quiet = false;
    bool Help = false;
};

// Reads the arguments after the program name; throws std::invalid_argument
// with a message naming the option.
[[nodiscard]] TSimOptions ParseSimOptions(const std::vector<std::string>& args);

[[nodiscard]] const char* SimUsage();
