#pragma once
// The toolkit's own texts (the Yes / No / OK / Cancel of message boxes and
// dialogs, the file dialog) in the program's language, from Qt's
// translations as the system installs them. Without them a Chinese window
// would show English buttons.

#include <cstdint>

// Language 1 installs the Chinese texts, any other value removes them.
// Returns false when Chinese was asked for and no translation was found
// (the buttons then stay English).
bool ApplyToolkitLanguage(uint8_t language);
