#include "config/ProtocolModel.h"

#include <iterator>

std::string ProtocolModelName(uint8_t protocol) {
    constexpr const char* Models[] = {"Multimode UPS", "Industrial Frequency UPS", "Modbus UPS",
                                      "VEX UPS"};
    return protocol < std::size(Models) ? Models[protocol] : "UPS";
}
