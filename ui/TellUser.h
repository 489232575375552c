#pragma once
// How a window tells the user that an entry or a step was refused: a warning
// box with an OK button (in the program's language, from the toolkit's own
// texts), titled with the application's name. Windows hold one as a member so that tests
// can put a recorder in its place.

#include <QString>

#include <functional>

class QWidget;

using TTellUser = std::function<void(QWidget* parent, const QString& text)>;

[[nodiscard]] TTellUser MessageBoxTell();
