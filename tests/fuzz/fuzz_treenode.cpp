// Feeds arbitrary bytes to the device list reader as a "TreeNode.dat" and
// checks what the list relies on: never more than 252 devices, no address
// twice or outside 1..252, every record counted as taken or skipped, and
// every record taken written back byte for byte.
#include "record/EquipList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void Require(bool ok) {
    if (!ok)
        std::abort();
}

// The 42-byte record the i-th taken device came from.
const uint8_t* SourceRecord(const uint8_t* data, std::size_t size, int taken) {
    int seen = 0;
    bool used[256] = {};
    for (std::size_t at = 0; at + EquipRecordSize <= size; at += EquipRecordSize) {
        const uint8_t address = data[at + 1];
        if (address == 0 || address > MaxEquipAddress || used[address])
            continue;
        used[address] = true;
        if (seen++ == taken)
            return data + at;
    }
    return nullptr;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    int skipped = -1;
    const TEquipList list =
        DecodeTreeFile(std::string_view(reinterpret_cast<const char*>(data), size), &skipped);
    Require(list.Count <= MaxEquipCount && list.PollPos == 0 && list.PollAddress == 0);
    Require(std::size_t(list.Count + skipped) == size / EquipRecordSize);
    for (int pos = 1; pos <= list.Count; ++pos) {
        const TEquipItem& item = list.At(pos);
        Require(item.Address >= 1 && item.Address <= MaxEquipAddress);
        Require(item.StoredName.size() <= EquipNameSize);
        const uint8_t* source = SourceRecord(data, size, pos - 1);
        Require(source != nullptr);
        const TEquipRecord record = EncodeEquipRecord(item);
        Require(std::equal(record.begin(), record.end(), source));
    }
    return 0;
}
