#include "devices/AboutDoor.h"

TAboutDoor::TAction TAboutDoor::KeyPressed(char key) {
    if (key == 27)
        return TAction::CloseBox;
    if (key < '0' || key > '9') {
        FDigits.clear();
        return TAction::HideTrace;
    }
    FDigits += key;
    if (FDigits.size() > MaxDigits)
        FDigits.clear();
    if (FDigits == AccessCode) {
        Reset();
        return TAction::OpenTrace;
    }
    return TAction::None;
}

TAboutDoor::TAction TAboutDoor::DoubleClicked() {
    ++FDoubleClicks;
    if (FDoubleClicks >= OpeningDoubleClicks)
        return TAction::OpenTrace;
    return TAction::None;
}

void TAboutDoor::Reset() {
    FDigits.clear();
    FDoubleClicks = 0;
}
