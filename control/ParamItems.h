#pragma once
// The parameters the parameter dialog can write, one holding register each:
// the item list in its order, the values offered for a model and a device,
// which offered value the device's current value matches, and what an entry
// field shows. The model is the name typed at the password gate.

#include "base/LangText.h"
#include "record/UpsInfoRec.h"

#include <cstdint>
#include <string>
#include <vector>

// How an item is edited; the numbers are the dialog's editor kinds.
enum class TEditorKind : uint8_t {
    None = 0,     // value group hidden
    List = 1,     // drop-down list of the values offered
    Entry = 2,    // free entry
    Switches = 3, // the buzzer and boost charge radio groups (item 15)
};

struct TParamItem {
    TTextPair Name;
    int32_t Register;
    TEditorKind Editor;
};

constexpr int ParamItemCount = 19;    // for every model
constexpr int OperationModeItem = 19; // the 20th, for the five-step model only
constexpr int StatusControlItem = 15;
constexpr uint16_t BuzzerDisableBit = 0x1000;
constexpr uint16_t BoostDisableBit = 0x2000;

// The work modes by register value (0 to 4), as the user and parameter
// windows show them.
constexpr TTextPair WorkModeTexts[] = {{"普通", "Normal"},
                                       {"ECO", "ECO"},
                                       {"主机", "Master"},
                                       {"从机", "Slave"},
                                       {"并机", "Parallel"}};

// The buzzer and boost charge switches: on, off.
constexpr TTextPair SwitchTexts[] = {{"启用", "enable"}, {"禁用", "disable"}};

// 20 items when model is "VEX610RT", else 19.
[[nodiscard]] int ParamItemCountFor(const std::string& model);
// item 0..19.
[[nodiscard]] const TParamItem& ParamItemAt(int item);

struct TValueChoice {
    std::string Text; // in the language asked for
    int32_t Value;    // what the register receives (negative: two's complement)
};

// The values a list item offers for this model and device; empty for an
// item that is not a list.
[[nodiscard]] std::vector<TValueChoice> ValueChoices(int item, const std::string& model,
                                                     const TUpsInfoRec& device, uint8_t language);

// The offered value the device's current value stands for; -1 for none.
[[nodiscard]] int MatchingChoice(int item, const std::string& model, const TUpsInfoRec& device);

// What an entry item's field shows of the device's current value.
[[nodiscard]] std::string EntryText(int item, const TUpsInfoRec& device);

// What an entry item's field shows of a register value: after a write, the
// field shows what was written, not what was typed ("1.755" writes "1.75").
[[nodiscard]] std::string EntryValueText(int item, int32_t value);

// The largest charge current the device's battery takes: a quarter of its
// capacity in Ah over all groups.
[[nodiscard]] int32_t MaxChargeLimit(const TUpsInfoRec& device);

// Register 40027 as written: only the two switch bits, all others 0.
[[nodiscard]] uint16_t StatusControlBits(bool buzzerDisable, bool boostDisable);
