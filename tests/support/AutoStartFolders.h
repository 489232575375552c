#pragma once
// Points the desktop autostart folders (machine-wide and the user's) into a
// test's temporary folder, so that no test touches the real ones.

#include <cstdlib>
#include <string>

inline void PointAutoStartFoldersAt(const std::string& folder) {
    setenv("XDG_CONFIG_DIRS", (folder + "xdg").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "home").c_str(), 1);
}
