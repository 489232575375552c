#pragma once
// The program's own version, as the About box and the status bar show it.

#include <string>
#include <string_view>

// "FileVersion" gives the version the build was made with (for example
// "2.3.2.26"); any other value name, or a build without a version, gives "".
[[nodiscard]] std::string GetVersionString(std::string_view valueName);
