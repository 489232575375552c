#pragma once
// Whether a widget can be seen: shown, and its window not minimised. A
// minimised window's children get (spontaneous) hide events but still count
// as visible, so animations ask this before they start a timer.

#include <QWidget>

[[nodiscard]] inline bool IsOnScreen(const QWidget& widget) {
    return widget.isVisible() && !widget.window()->isMinimized();
}
