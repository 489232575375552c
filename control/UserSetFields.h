#pragma once
// The fields of the user setting window: each shows one device parameter as
// the poll engine last read it from the holding registers.

#include "base/LangText.h"
#include "record/UpsInfoRec.h"

#include <cstdint>
#include <span>
#include <string>

enum class TUserSetGroup : uint8_t {
    Device,    // GroupBox1
    Battery,   // GroupBox2
    Operation, // grpOutput, shown for the five-step model only
};

struct TUserSetField {
    const char* LabelName;
    const char* EditName;
    TTextPair Caption;
    TUserSetGroup Group;
    std::string (*Show)(const TUpsInfoRec& device, uint8_t language);
};

// In the order of the window, top to bottom.
[[nodiscard]] std::span<const TUserSetField> UserSetFields();

// The shutdown pre-alarm row is kept but never shown.
inline constexpr const char* HiddenUserSetLabel = "lbPreAlarm";
