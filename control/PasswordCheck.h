#pragma once
// The password gate's rule: the password is the UPS model name. Whatever is
// confirmed becomes ModelName (also when it is refused), which then chooses
// model-specific behaviour: the value lists of the parameter dialog, the
// operation mode field of the user setting window and the length of the
// Modbus / VEX poll sequence.

#include <string>
#include <string_view>

// The model names the gate accepts, compared exactly.
inline constexpr std::string_view AcceptedModels[] = {"VEX610", "VEX610RT", "VEX305", "QRT5100",
                                                      "LNM7100"};

// Refused entries after which the gate gives up.
constexpr int MaxPasswordTries = 3;

// text without leading and trailing blanks and control characters.
[[nodiscard]] std::string TrimBlanks(std::string_view text);

// ModelName := entry; true when entry is one of the accepted names.
[[nodiscard]] bool CheckModel(const std::string& entry);

enum class TPswOutcome {
    Accepted, // close with OK
    Refused,  // show the message, stay open
    GiveUp,   // show the message, then close as cancelled
};

// The tries of one gate: every use of the gate allows three.
class TPasswordCheck {
public:
    // One press of OK with the text typed.
    [[nodiscard]] TPswOutcome Press(std::string_view typed);
    [[nodiscard]] int TryCount() const { return FTryCount; }

private:
    int FTryCount = 0; // refused entries since the gate was made
};
