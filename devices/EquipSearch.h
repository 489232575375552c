#pragma once
// The rules of the device search, free of any window: the probed range and
// its progress, the addresses that answered, and the grid of devices chosen
// for appending to the device list. The search window shows this state and
// passes the poll engine's calls through to it.
//
// The poll engine asks NextSearchAddress for each address to probe while
// SearchMode is set and reports every good reply with DeviceFound; both run
// on the user-interface thread, like everything here.

#include <cstdint>
#include <string>
#include <vector>

// One device chosen for appending: its bus address and the name typed for it.
struct TSearchRow {
    uint8_t Address = 0;
    std::string Name; // UTF-8
};

// What pick-one ">" did.
enum class TPickResult {
    Added,         // the address is now the last chosen row
    NothingChosen, // no found address is selected
    AlreadyListed, // "This address is already exists !"
    AlreadyChosen, // "You had appended this address to the list,not to append again"
};

// What Append did.
enum class TAppendResult {
    Appended,  // every chosen row is in the device list now
    NoRows,    // "There are no equipment that can be appended"
    EmptyName, // "Please set Equipment name for every Equipment ..."; nothing appended
    ListFull,  // only the rows that fit were appended; the others stay chosen
};

class TEquipSearch {
public:
    static constexpr uint8_t FirstAddress = 1;
    static constexpr uint8_t LastAddress = 252;

    // The range the window opens with.
    uint8_t From = 1;
    uint8_t To = 16;

    // Search button: starts a search over From..To, or asks a running one to
    // stop (it ends after the request in progress). A range outside 1..252 is
    // clamped to it, so no probe ever goes to another address.
    void Toggle();
    [[nodiscard]] bool Searching() const;

    // The poll engine's next probe: one address after the other, From to To;
    // past To the search ends (SearchMode cleared) and nothing is to be probed.
    [[nodiscard]] uint8_t NextSearchAddress();
    // A good reply from `address` during the search.
    void DeviceFound(uint8_t address);

    [[nodiscard]] uint8_t Current() const { return FCurrent; }
    [[nodiscard]] bool Completed() const { return FCompleted; }
    // Addresses that answered during the current search, ascending, each once.
    [[nodiscard]] const std::vector<uint8_t>& Found() const { return FFound; }

    // The chosen rows, in the order they were chosen.
    [[nodiscard]] const std::vector<TSearchRow>& Rows() const { return FRows; }
    void SetRowName(std::size_t row, std::string name);

    // ">": the found address at `index` (-1: none selected) becomes a new row
    // named after its number, unless it is listed or chosen already.
    [[nodiscard]] TPickResult PickOne(int index);
    // ">>": the rows become every found address not in the device list, in
    // found order; names typed before are dropped. Nothing when none was found.
    void PickAll();
    void ClearRows();
    // Appends the chosen rows to the device list in row order, as far as the
    // list has room; the appended rows leave the grid. The caller rebuilds the
    // tree and saves the list when Appended() is not 0.
    [[nodiscard]] TAppendResult Append();
    // Rows the last Append put into the device list.
    [[nodiscard]] int Appended() const { return FAppended; }

    // Addresses of the device list, in list order.
    [[nodiscard]] static std::vector<uint8_t> ListedAddresses();

private:
    [[nodiscard]] bool Chosen(uint8_t address) const;

    uint8_t FCurrent = 0;    // the address handed to the poll engine last
    bool FCompleted = false; // the last search went past To by itself
    std::vector<uint8_t> FFound;
    std::vector<TSearchRow> FRows;
    int FAppended = 0;
};
