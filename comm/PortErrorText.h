#pragma once
// What the monitor says when the port cannot be opened at start: which port
// (the ComName setting and the device it stands for), why in the system's own
// words, and what to do, in the chosen language.

#include <cstdint>
#include <string>

// startError is the port's fixed message (ECommsError), systemError the
// error number behind it (0 for none); the advice comes from LangText.
[[nodiscard]] std::string StartPortErrorText(const std::string& comName,
                                             const std::string& startError, int systemError,
                                             uint8_t language);
