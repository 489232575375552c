// pelmora-icon-render SIZE FILE: writes the program's icon as a SIZE by SIZE
// PNG, for the icon theme of the desktop the package installs into. The
// picture is the one compiled into the monitor, drawn by the same code.

#include "app/AppIcon.h"

#include <QString>

#include <charconv>
#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    int size = 0;
    const std::string_view text = argc == 3 ? argv[1] : "";
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (argc != 3 || ec != std::errc() || end != text.data() + text.size() || size < 1 ||
        size > 1024) {
        std::fprintf(stderr, "usage: pelmora-icon-render SIZE FILE (SIZE 1 to 1024)\n");
        return 2;
    }
    if (!RenderAppIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "pelmora-icon-render: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
