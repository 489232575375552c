#pragma once
// The codecs' way into the record table: the address a codec asks may come
// from a search range typed up to 255, beyond the table's last record.

#include "record/UpsInfoRec.h"

#include <cstdint>

// The record of a bus address; nullptr for an address without one (253..).
[[nodiscard]] inline TUpsInfoRec* RecordOf(uint16_t address) {
    return address < UpsTableSize ? &UpsTable[address] : nullptr;
}
