#pragma once
// A text pair in the language of the Language setting, for the windows.

#include "base/LangText.h"

#include <QString>

[[nodiscard]] QString CurrentText(const TTextPair& text);
