#pragma once
// Whether a widget can be seen: shown, its window not minimised and on the
// screen (exposed). A minimised window's children get (spontaneous) hide
// events but still count as visible, and a window the system has taken off
// the screen is still visible to Qt, so animations ask this before they start
// a timer and at every step, and watch their window for the moment it comes
// back (WatchExposure).

#include <QEvent>
#include <QWidget>
#include <QWindow>

[[nodiscard]] inline bool IsOnScreen(const QWidget& widget) {
    const QWidget* window = widget.window();
    const QWindow* handle = window->windowHandle();
    return widget.isVisible() && !window->isMinimized() &&
           (handle == nullptr || handle->isExposed());
}

// Lets `watcher` see the Expose events of the widget's window, where an
// animation stopped off screen starts again. Call from showEvent: the window
// exists by then; installing twice keeps one filter.
inline void WatchExposure(QWidget& widget) {
    if (QWindow* handle = widget.window()->windowHandle())
        handle->installEventFilter(&widget);
}

[[nodiscard]] inline bool IsExposeEvent(const QEvent* event) {
    return event->type() == QEvent::Expose;
}
