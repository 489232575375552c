#pragma once
// The monitored devices: their bus addresses and names, in poll order. The
// list is the poll list (the protocol objects walk it with NextPollDevice) and
// the content of the device tree. It lives in "TreeNode.dat" in Record/ as
// headerless 42-byte records and is rewritten whole at every change.
//
// Touched only by the user-interface thread; no locking.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

constexpr int MaxEquipCount = 252;        // never 253: every writer stays at or below this
constexpr uint8_t MaxEquipAddress = 252;  // records exist for addresses 0..252
constexpr std::size_t EquipNameSize = 40; // name bytes on disk (GBK)
constexpr std::size_t EquipRecordSize = 42;
constexpr uint8_t EquipNameFill = 0x0D; // fills a short name up to 40 bytes on disk
constexpr const char* TreeFileName = "TreeNode.dat";

struct TEquipItem {
    TEquipItem() = default;
    // A device given by its name as text, as the dialogs and the search add it.
    TEquipItem(uint8_t treeIndex, uint8_t address, std::string name)
        : TreeIndex(treeIndex), Address(address), Name(std::move(name)) {}

    // Low 8 bits of the device node's absolute tree index, set by the tree
    // build and kept in the file. From the 87th device on it no longer equals
    // the node's index, so nodes are found by list position, never by this.
    uint8_t TreeIndex = 0;
    uint8_t Address = 0; // bus address, also the index into UpsTable
    // UTF-8, without the 0x0D fill; at most 40 bytes once converted to GBK.
    // What the tree and the dialogs show and what the user types.
    std::string Name;
    // The name's bytes as the file holds them, fill removed. They are written
    // back unchanged, so a name that is not valid GBK (written by another
    // program, or damaged) is never altered by a save. Set by reading the file
    // and by AppendEquip / RenameEquipAt; empty for an item built from Name
    // alone, which is then stored as Name converted to GBK.
    std::string StoredName;
};

using TEquipRecord = std::array<uint8_t, EquipRecordSize>;

// One 42-byte file record: TreeIndex, Address, StoredName (or Name as GBK)
// filled with 0x0D.
[[nodiscard]] TEquipRecord EncodeEquipRecord(const TEquipItem& item);
// Trailing 0x0D fill bytes are dropped; 0x0D bytes inside the name are kept.
[[nodiscard]] TEquipItem DecodeEquipRecord(const TEquipRecord& record);

// Length of a UTF-8 name in GBK bytes, as the add and property dialogs check it.
[[nodiscard]] std::size_t EquipNameLength(std::string_view utf8);
// The name as shown in the tree and the property dialog: up to the first 0x0D.
[[nodiscard]] std::string ShownEquipName(std::string_view name);
// The name as it will be stored: trailing 0x0D fill removed, cut to the
// longest whole-character prefix that fits 40 GBK bytes.
[[nodiscard]] std::string FitEquipName(std::string_view utf8);

struct TEquipList {
    // List position p (1..Count) is Items[p - 1].
    std::array<TEquipItem, MaxEquipCount> Items{};
    uint8_t Count = 0;
    uint8_t PollPos = 0;     // list position of the device polled last; 0 when empty
    uint8_t PollAddress = 0; // its address; the protocol objects poll it

    // The entry at list position pos, 1..Count.
    [[nodiscard]] TEquipItem& At(int pos) { return Items[std::size_t(pos - 1)]; }
    [[nodiscard]] const TEquipItem& At(int pos) const { return Items[std::size_t(pos - 1)]; }
};

// The process-wide list.
extern TEquipList EquipList;

// Appends a device at the end (its name passed through FitEquipName).
// Returns false and changes nothing when the list already holds 252 devices
// or the address is above 252; the device search uses this for every row it
// appends, then rebuilds the tree and calls SaveTreeFile.
[[nodiscard]] bool AppendEquip(const TEquipItem& item);

// Removes every entry with this address, keeping the others in order.
// PollPos moves with the kept entries so that polling continues with the
// device that would have come next; PollAddress is left to the poll engine.
// Returns the number of entries removed.
int DeleteEquipAddress(uint8_t address);

// Replaces the name at list position pos (1..Count); false when out of range.
bool RenameEquipAt(int pos, std::string_view name);

// Steps PollPos to the next list position, wrapping from the last to the
// first, and sets PollAddress from it; both become 0 on an empty list.
void NextPollDevice();

// The list a file's bytes hold: whole 42-byte records in order, a partial
// last record ignored, at most 252 devices. A record whose address is outside
// 1..252 or already in the list is skipped: a damaged file must not put two
// devices on one address. `skipped` (when given) receives the number of whole
// records not taken, those beyond the 252nd device included. PollPos and
// PollAddress are 0.
[[nodiscard]] TEquipList DecodeTreeFile(std::string_view bytes, int* skipped = nullptr);

// RecordPath() + "TreeNode.dat".
[[nodiscard]] std::string TreeFilePath();

// Reads the list from TreeFilePath() (see DecodeTreeFile), creating the file
// empty when it is missing. A file that cannot be read leaves the list
// unchanged and returns false. The file itself is never changed here, skipped
// records included: only a change of the list rewrites it. The caller
// rebuilds the tree afterwards.
bool LoadTreeFile(int* skipped = nullptr);

// Rewrites TreeFilePath() with entries 1..Count, replacing the file in one
// step so that an interrupted save never leaves a truncated list behind.
// Throws std::runtime_error ("Unable to write to <path>") when the file cannot
// be written; the list in memory is unchanged either way.
void SaveTreeFile();
