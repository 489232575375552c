#pragma once
// Explicit little-endian field access for the program's binary files. Records
// are always encoded and decoded field by field, never cast from raw bytes.

#include <cstdint>
#include <cstring>
#include <bit>

namespace le {

inline void PutU8(uint8_t* p, uint8_t v) { p[0] = v; }
inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void PutU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, uint32_t(v)); }
inline void PutF64(uint8_t* p, double v) { PutU64(p, std::bit_cast<uint64_t>(v)); }

inline uint8_t GetU8(const uint8_t* p) { return p[0]; }
inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
inline uint64_t GetU64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
inline int32_t GetI32(const uint8_t* p) { return int32_t(GetU32(p)); }
inline double GetF64(const uint8_t* p) { return std::bit_cast<double>(GetU64(p)); }

} // namespace le
