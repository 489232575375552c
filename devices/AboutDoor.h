#pragma once
// The About box's hidden door to the trace window: an eight-digit access
// code typed while the box has the focus, or four double-clicks on the
// product line. Neither the digits nor the clicks carry over between uses.

#include <cstdint>
#include <string>

class TAboutDoor {
public:
    static constexpr const char* AccessCode = "40517293";
    static constexpr std::size_t MaxDigits = 10;
    static constexpr int OpeningDoubleClicks = 4;

    enum class TAction {
        None,
        CloseBox,  // Esc
        HideTrace, // any other non-digit: the buffer starts afresh
        OpenTrace, // the access code is complete
    };

    // A typed character (27 = Esc).
    [[nodiscard]] TAction KeyPressed(char key);
    // A double-click on the product line; OpenTrace on the fourth.
    [[nodiscard]] TAction DoubleClicked();
    // After the door opened and when the box closes.
    void Reset();

    [[nodiscard]] int DoubleClicks() const { return FDoubleClicks; }

private:
    std::string FDigits;
    int FDoubleClicks = 0;
};
