#pragma once
// The write lock of the "LNM7100" model: such a unit takes a parameter write
// only right after the unlock value was written to its unlock register. The
// monitor queues the unlock write ahead of every parameter write for that
// model, and the bus simulator checks against the same value.

#include <cstdint>
#include <string_view>

inline constexpr std::string_view UnlockModel = "LNM7100";
inline constexpr int32_t UnlockRegister = 50000;
inline constexpr uint16_t WriteUnlockValue = 71;
