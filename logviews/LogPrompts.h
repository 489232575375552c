#pragma once
// How the log windows ask and tell the user. The defaults are message boxes
// and the file-save dialog; tests put answers of their own in.

#include <QString>

#include <functional>

class QWidget;

struct TLogPrompts {
    // Yes/No box with a warning icon, No as the default; true for Yes.
    std::function<bool(QWidget* parent, const QString& text, const QString& caption)> Ask;
    // The file-save dialog filtered to "*.csv"; empty when cancelled.
    std::function<QString(QWidget* parent)> SaveName;
    // Box with an OK button and an error icon.
    std::function<void(QWidget* parent, const QString& text)> Tell;
};

[[nodiscard]] TLogPrompts DialogLogPrompts();
