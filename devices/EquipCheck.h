#pragma once
// The checks of the add and property dialogs on a device name and address,
// in the order the dialogs run them.

#include <cstdint>
#include <string_view>
#include <vector>

enum class TEquipCheck {
    Ok,
    NameEmpty,    // "Equipment Name is empty !"
    AddressEmpty, // "Equipment Address is empty !" (add dialog only)
    NameTooLong,  // "Equipment name is too long !": above 40 bytes in GBK
    ListFull,     // the device list already holds 252 devices (add dialog only)
};

// True when one of the listed devices has this bus address.
[[nodiscard]] bool AddressInList(uint8_t address);

// Addresses 1..252 that no listed device has, ascending.
[[nodiscard]] std::vector<uint8_t> FreeAddresses();

// The add dialog's checks: name, then address (0 = none chosen), then length,
// then room in the list.
[[nodiscard]] TEquipCheck CheckNewEquip(std::string_view name, uint8_t address);
// The property dialog's checks: name, then length.
[[nodiscard]] TEquipCheck CheckEquipName(std::string_view name);
