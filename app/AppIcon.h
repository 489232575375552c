#pragma once
// The program's icon, the same picture as its desktop menu entry's, drawn from
// the SVG compiled into the executable, and the identity under which the
// desktop groups the program's windows with that entry.

#include <QIcon>
#include <QImage>

// The reverse-DNS name of the desktop entry and of the icon in the theme.
extern const char* const AppId;

// The icon drawn at size by size pixels, on a transparent ground.
[[nodiscard]] QImage RenderAppIcon(int size);
// The icon at the sizes desktops ask for (title bar to task switcher).
[[nodiscard]] QIcon AppIcon();
// The window icon and desktop file name of every window of the application.
void SetDesktopIdentity();
