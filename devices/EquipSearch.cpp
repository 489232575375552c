#include "devices/EquipSearch.h"

#include "devices/EquipCheck.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"

#include <algorithm>

void TEquipSearch::Toggle() {
    if (Searching()) {
        SearchMode = 0;
        return;
    }
    From = std::clamp(From, FirstAddress, LastAddress);
    To = std::clamp(To, From, LastAddress);
    SearchMode = 255;
    FCurrent = uint8_t(From - 1);
    FCompleted = false;
    FFound.clear();
}

bool TEquipSearch::Searching() const {
    return SearchMode != 0;
}

uint8_t TEquipSearch::NextSearchAddress() {
    // Past To (or past 252) the search is over; the engine then probes nothing.
    if (FCurrent >= To) {
        SearchMode = 0;
        FCompleted = true;
        return FCurrent;
    }
    ++FCurrent;
    return FCurrent;
}

void TEquipSearch::DeviceFound(uint8_t address) {
    const auto at = std::lower_bound(FFound.begin(), FFound.end(), address);
    if (at == FFound.end() || *at != address)
        FFound.insert(at, address);
}

void TEquipSearch::SetRowName(std::size_t row, std::string name) {
    if (row < FRows.size())
        FRows[row].Name = std::move(name);
}

bool TEquipSearch::Chosen(uint8_t address) const {
    return std::any_of(FRows.begin(), FRows.end(),
                       [address](const TSearchRow& row) { return row.Address == address; });
}

TPickResult TEquipSearch::PickOne(int index) {
    if (index < 0 || std::size_t(index) >= FFound.size())
        return TPickResult::NothingChosen;
    const uint8_t address = FFound[std::size_t(index)];
    if (AddressInList(address))
        return TPickResult::AlreadyListed;
    if (Chosen(address))
        return TPickResult::AlreadyChosen;
    FRows.push_back({address, std::to_string(address)});
    return TPickResult::Added;
}

void TEquipSearch::PickAll() {
    if (FFound.empty())
        return;
    FRows.clear();
    for (uint8_t address : FFound) {
        if (!AddressInList(address))
            FRows.push_back({address, std::to_string(address)});
    }
}

void TEquipSearch::ClearRows() {
    FRows.clear();
}

TAppendResult TEquipSearch::Append() {
    FAppended = 0;
    if (FRows.empty())
        return TAppendResult::NoRows;
    if (std::any_of(FRows.begin(), FRows.end(),
                    [](const TSearchRow& row) { return row.Name.empty(); }))
        return TAppendResult::EmptyName;
    // The list never grows beyond 252 devices: rows that do not fit stay in
    // the grid, so the user sees which ones were left out.
    std::vector<TSearchRow> refused;
    for (const TSearchRow& row : FRows) {
        if (AppendEquip({0, row.Address, row.Name}))
            ++FAppended;
        else
            refused.push_back(row);
    }
    FRows = std::move(refused);
    return FRows.empty() ? TAppendResult::Appended : TAppendResult::ListFull;
}

std::vector<uint8_t> TEquipSearch::ListedAddresses() {
    std::vector<uint8_t> addresses;
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        addresses.push_back(EquipList.At(pos).Address);
    return addresses;
}
