#pragma once
// Where the main window was and how large, kept in the settings file so that
// the next start opens the window as the user left it.

#include <QRect>

#include <optional>

class TIniFile;

struct TWindowPlacement {
    QRect Normal; // frame-less geometry when not maximised
    bool Maximized = false;
    int TreeWidth = 0; // the device tree's side of the splitter, pixels
};

// The stored placement; none when the file holds none or a damaged one.
[[nodiscard]] std::optional<TWindowPlacement> ReadWindowPlacement(const TIniFile& ini);
void StoreWindowPlacement(TIniFile& ini, const TWindowPlacement& placement);
