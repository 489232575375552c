#pragma once
// Qt's own texts in the program's language: the buttons of the message boxes
// and the words of the file dialog come from Qt's translations when Language
// is 1 (Chinese) and stay Qt's English otherwise.

#include <cstdint>

void ApplyQtTexts(uint8_t language);
