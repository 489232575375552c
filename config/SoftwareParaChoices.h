#pragma once
// What the software parameter dialog selects when it is shown, and what its
// Save takes back into the settings: the port, the baud rate, the protocol
// and the autostart wish.

#include "base/LangText.h"
#include "config/UUserParaIni.h"

#include <cstdint>
#include <string>
#include <vector>

// The baud list, in the order shown.
inline constexpr const char* BaudRateTexts[] = {"2400", "4800", "9600"};
constexpr int ProtocolCount = 4; // 0 modular, 1 three-phase, 2 Modbus, 3 VEX
// The names of the protocols' unit families; entry index = Protocol value.
inline constexpr TTextPair ProtocolTexts[ProtocolCount] = {
    {"多模块UPS", "Multimode UPS"},
    {"三相工频UPS", "Industrial Frequency UPS"},
    {"Modbus", "Modbus "},
    {"VEX", "VEX"},
};

struct TSoftwareParaChoices {
    int PortIndex = 0; // into the port list
    int BaudIndex = 0; // into BaudRateTexts
    int ProtocolIndex = 0;
};

// The entries to select for the settings in memory: the port equal to ComName
// (else "COM1", the first entry), 4800 and 9600 as such and any other rate as
// 2400, and the protocol of that index. A Protocol above 3 is set to 0 in
// memory right here, even if the dialog is then cancelled.
[[nodiscard]] TSoftwareParaChoices ChoicesOnShow(TPortInfo& info,
                                                 const std::vector<std::string>& ports);

// Save's first four steps: the chosen texts and index into the settings in
// memory. A baud text that is not a number gives 2400, no protocol (-1) 0.
void TakeChoices(TPortInfo& info, const std::string& portText, const std::string& baudText,
                 int protocolIndex, bool autoStart);
