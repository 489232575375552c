#pragma once
// Every text the user sees exists in Simplified Chinese and in English. One
// setting, Language, chooses between them for the whole program: 1 selects
// Chinese, every other value English.

#include <cstdint>
#include <string>

struct TTextPair {
    const char* Zh;
    const char* En;
};

[[nodiscard]] constexpr const char* PickText(const TTextPair& text, uint8_t language) {
    return language == 1 ? text.Zh : text.En;
}

// "Address" before a bus address, where a device is named with it.
constexpr TTextPair AddressText = {"地址", "Address"};

// The OK and Cancel buttons of the program's own dialogs.
constexpr TTextPair OkButtonText = {"确定", "OK"};
constexpr TTextPair CancelButtonText = {"取消", "Cancel"};

// Texts of the current language that the main window fills at every language
// change and that the poll engine window and the real-time view read.
struct TLangText {
    std::string PortOpenCaption;  // port button while the port is closed
    std::string PortCloseCaption; // port button while the port is open
    std::string PortOpenStatus;   // status panel 1, after ComName
    std::string PortClosedStatus; // status panel 1
    std::string PortError;        // the port cannot be opened at start
    std::string PortBusy;         // another program holds the port at start
    std::string NoSupply;
    std::string MainsSupply;
    std::string BatterySupply;
    std::string InverterSupply;
    std::string BypassSupply;
    std::string Economy;
};

extern TLangText LangText;

// Fills LangText for the given Language value.
void FillLangText(uint8_t language);
