#pragma once
// The check of the parameter dialog's "Set": the value an item's editor holds
// becomes the 16-bit value to write, or is refused with its message; some
// refused entries are rewritten to a value that would be accepted.

#include "base/LangText.h"
#include "record/UpsInfoRec.h"

#include <cstdint>
#include <optional>
#include <string>

struct TParamInput {
    std::string Entry;          // entry items: the text of the entry field
    int Choice = -1;            // list items: the selected entry, -1 none
    int32_t ChoiceValue = 0;    // list items: its value
    bool BuzzerDisable = false; // item 15
    bool BoostDisable = false;  // item 15
};

struct TParamCheck {
    bool Ok = false;
    uint16_t Value = 0;                   // to write, when Ok
    std::optional<TTextPair> Message;     // shown when refused
    std::optional<std::string> Rewritten; // the entry field's new text, when refused
};

// The check of item 0..19 against the device's current values.
[[nodiscard]] TParamCheck ValidateItem(int item, const TParamInput& input, const std::string& model,
                                       const TUpsInfoRec& device);
