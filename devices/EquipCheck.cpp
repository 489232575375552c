#include "devices/EquipCheck.h"

#include "record/EquipList.h"

bool AddressInList(uint8_t address) {
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        if (EquipList.At(pos).Address == address)
            return true;
    }
    return false;
}

std::vector<uint8_t> FreeAddresses() {
    std::vector<uint8_t> free;
    for (int address = 1; address <= MaxEquipAddress; ++address) {
        if (!AddressInList(uint8_t(address)))
            free.push_back(uint8_t(address));
    }
    return free;
}

TEquipCheck CheckNewEquip(std::string_view name, uint8_t address) {
    if (name.empty())
        return TEquipCheck::NameEmpty;
    if (address == 0)
        return TEquipCheck::AddressEmpty;
    if (EquipNameLength(name) > EquipNameSize)
        return TEquipCheck::NameTooLong;
    // Adding to a full list would change nothing while the dialog closed as
    // if it had worked.
    if (EquipList.Count >= MaxEquipCount)
        return TEquipCheck::ListFull;
    return TEquipCheck::Ok;
}

TEquipCheck CheckEquipName(std::string_view name) {
    if (name.empty())
        return TEquipCheck::NameEmpty;
    if (EquipNameLength(name) > EquipNameSize)
        return TEquipCheck::NameTooLong;
    return TEquipCheck::Ok;
}
