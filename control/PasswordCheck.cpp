#include "control/PasswordCheck.h"

#include "protocol/uKModbus.h"

#include <algorithm>

std::string TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool CheckModel(const std::string& entry) {
    ModelName = entry;
    return std::find(std::begin(AcceptedModels), std::end(AcceptedModels), entry) !=
           std::end(AcceptedModels);
}

TPswOutcome TPasswordCheck::Press(std::string_view typed) {
    if (CheckModel(TrimBlanks(typed)))
        return TPswOutcome::Accepted;
    ++FTryCount;
    return FTryCount >= MaxPasswordTries ? TPswOutcome::GiveUp : TPswOutcome::Refused;
}
