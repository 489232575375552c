#include "app/WindowPlacement.h"

#include "config/IniFile.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr const char* SecWindow = "MainWindow";
constexpr int32_t Missing = INT32_MIN;

int32_t Read(const TIniFile& ini, const char* key) {
    return ini.ReadInteger(SecWindow, key, Missing);
}
} // namespace

std::optional<TWindowPlacement> ReadWindowPlacement(const TIniFile& ini) {
    const int32_t left = Read(ini, "Left");
    const int32_t top = Read(ini, "Top");
    const int32_t width = Read(ini, "Width");
    const int32_t height = Read(ini, "Height");
    // A hand-edited or cut-off section is ignored as a whole: half a
    // placement would put the window somewhere the user never left it.
    if (left == Missing || top == Missing || width <= 0 || height <= 0)
        return std::nullopt;
    TWindowPlacement placement;
    placement.Normal = QRect(left, top, width, height);
    placement.Maximized = ini.ReadInteger(SecWindow, "Maximized", 0) == 1;
    placement.TreeWidth = std::max(0, ini.ReadInteger(SecWindow, "TreeWidth", 0));
    return placement;
}

void StoreWindowPlacement(TIniFile& ini, const TWindowPlacement& placement) {
    ini.WriteInteger(SecWindow, "Left", placement.Normal.x());
    ini.WriteInteger(SecWindow, "Top", placement.Normal.y());
    ini.WriteInteger(SecWindow, "Width", placement.Normal.width());
    ini.WriteInteger(SecWindow, "Height", placement.Normal.height());
    ini.WriteInteger(SecWindow, "Maximized", placement.Maximized ? 1 : 0);
    ini.WriteInteger(SecWindow, "TreeWidth", placement.TreeWidth);
}
