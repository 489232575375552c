#include "comm/PortName.h"

#include <cctype>
#include <strings.h>

namespace {

constexpr int HighestComNumber = 256;

// The number after "COM", or 0 when the rest is not 1 to 3 decimal digits.
int ComNumber(const std::string& comName) {
    if (comName.size() < 4 || comName.size() > 6 || strncasecmp(comName.c_str(), "COM", 3) != 0)
        return 0;
    int number = 0;
    for (size_t i = 3; i < comName.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(comName[i])))
            return 0;
        number = number * 10 + (comName[i] - '0');
    }
    return number;
}

} // namespace

std::string DevicePathForComName(const std::string& comName) {
    if (!comName.empty() && comName.front() == '/')
        return comName;
    const int number = ComNumber(comName);
    if (number < 1 || number > HighestComNumber)
        return "";
    return "/dev/ttyS" + std::to_string(number - 1);
}
