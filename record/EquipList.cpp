#include "record/EquipList.h"

#include "base/AtomicFile.h"
#include "base/GbkText.h"
#include "base/ProgramFolder.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

TEquipList EquipList;

static_assert(EquipRecordSize == 2 + EquipNameSize);

namespace {

std::string_view StripFill(std::string_view name) {
    while (!name.empty() && uint8_t(name.back()) == EquipNameFill)
        name.remove_suffix(1);
    return name;
}

// The longest prefix of a GBK text that fits `limit` bytes without splitting
// a double-byte character (lead bytes 0x81..0xFE).
std::size_t GbkFitLength(std::string_view gbk, std::size_t limit) {
    std::size_t i = 0;
    while (i < gbk.size()) {
        const uint8_t b = uint8_t(gbk[i]);
        const std::size_t step = (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size()) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
}

std::string StoredGbkName(std::string_view utf8) {
    std::string gbk = Utf8ToGbk(StripFill(utf8));
    gbk.resize(GbkFitLength(gbk, EquipNameSize));
    return gbk;
}

} // namespace

TEquipRecord EncodeEquipRecord(const TEquipItem& item) {
    TEquipRecord record;
    record.fill(EquipNameFill);
    record[0] = item.TreeIndex;
    record[1] = item.Address;
    const std::string gbk = item.StoredName.empty() ? StoredGbkName(item.Name)
                                                    : item.StoredName.substr(0, EquipNameSize);
    std::copy(gbk.begin(), gbk.end(), record.begin() + 2);
    return record;
}

TEquipItem DecodeEquipRecord(const TEquipRecord& record) {
    TEquipItem item;
    item.TreeIndex = record[0];
    item.Address = record[1];
    const std::string_view raw(reinterpret_cast<const char*>(record.data()) + 2, EquipNameSize);
    item.StoredName = StripFill(raw);
    item.Name = GbkToUtf8(item.StoredName);
    return item;
}

std::size_t EquipNameLength(std::string_view utf8) {
    return Utf8ToGbk(utf8).size();
}

std::string ShownEquipName(std::string_view name) {
    return std::string(name.substr(0, name.find(char(EquipNameFill))));
}

std::string FitEquipName(std::string_view utf8) {
    // Through GBK and back, so the name in memory is what the file will hold.
    return std::string(StripFill(GbkToUtf8(StoredGbkName(utf8))));
}

namespace {
// A name the user typed (or a program gave): stored as its GBK form.
void SetTypedName(TEquipItem& entry, std::string_view utf8) {
    entry.StoredName = StoredGbkName(utf8);
    entry.Name = StripFill(GbkToUtf8(entry.StoredName));
}
} // namespace

bool AppendEquip(const TEquipItem& item) {
    if (EquipList.Count >= MaxEquipCount || item.Address > MaxEquipAddress)
        return false;
    TEquipItem& entry = EquipList.Items[EquipList.Count];
    entry = item;
    SetTypedName(entry, item.Name);
    ++EquipList.Count;
    return true;
}

int DeleteEquipAddress(uint8_t address) {
    const int count = EquipList.Count;
    int kept = 0;
    int pollKept = 0; // kept entries at or before the device polled last
    for (int pos = 1; pos <= count; ++pos) {
        if (EquipList.At(pos).Address == address)
            continue;
        if (pos - 1 != kept) // a self-move would empty the name
            EquipList.Items[std::size_t(kept)] = std::move(EquipList.At(pos));
        ++kept;
        if (pos <= EquipList.PollPos)
            pollKept = kept;
    }
    for (int i = kept; i < count; ++i)
        EquipList.Items[std::size_t(i)] = TEquipItem{};
    EquipList.Count = uint8_t(kept);
    EquipList.PollPos = uint8_t(pollKept);
    return count - kept;
}

bool RenameEquipAt(int pos, std::string_view name) {
    if (pos < 1 || pos > EquipList.Count)
        return false;
    SetTypedName(EquipList.At(pos), name);
    return true;
}

void NextPollDevice() {
    if (EquipList.Count == 0) {
        EquipList.PollPos = 0;
        EquipList.PollAddress = 0;
        return;
    }
    int pos = EquipList.PollPos + 1;
    if (pos > EquipList.Count)
        pos = 1;
    EquipList.PollPos = uint8_t(pos);
    EquipList.PollAddress = EquipList.At(pos).Address;
}

std::string TreeFilePath() {
    return RecordPath() + TreeFileName;
}

TEquipList DecodeTreeFile(std::string_view bytes, int* skipped) {
    TEquipList loaded;
    std::array<bool, MaxEquipAddress + 1> taken{};
    const std::size_t records = bytes.size() / EquipRecordSize;
    TEquipRecord record;
    std::size_t at = 0;
    // Only the records taken are decoded: a large file of garbage costs one
    // look at each address byte.
    for (; loaded.Count < MaxEquipCount && at + EquipRecordSize <= bytes.size();
         at += EquipRecordSize) {
        const uint8_t address = uint8_t(bytes[at + 1]);
        if (address == 0 || address > MaxEquipAddress || taken[address])
            continue;
        taken[address] = true;
        std::copy_n(bytes.begin() + std::ptrdiff_t(at), EquipRecordSize, record.begin());
        loaded.Items[loaded.Count++] = DecodeEquipRecord(record);
    }
    if (skipped)
        *skipped = int(std::min<std::size_t>(records - loaded.Count, INT_MAX));
    return loaded;
}

bool LoadTreeFile(int* skipped) {
    const std::string path = TreeFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        std::ofstream create(path, std::ios::binary);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        return false;
    EquipList = DecodeTreeFile(bytes.str(), skipped);
    return true;
}

void SaveTreeFile() {
    std::string bytes;
    bytes.reserve(EquipRecordSize * EquipList.Count);
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        const TEquipRecord record = EncodeEquipRecord(EquipList.At(pos));
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    WriteFileAtomically(TreeFilePath(), bytes);
}
