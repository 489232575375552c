#pragma once
// How the device windows tell the user something. The default is a plain
// message box with an OK button; tests put a recorder in its place.

#include "base/LangText.h"

#include <QString>

#include <functional>

class QWidget;

using TTellUser = std::function<void(QWidget* parent, const QString& text)>;

[[nodiscard]] TTellUser MessageBoxTell();

// The OK button of the message boxes and the device dialogs.
extern const TTextPair OkButtonText;
