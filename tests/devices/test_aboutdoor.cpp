// The About box's door to the trace window: the access code and the
// double-clicks on the product line.

#include "devices/AboutDoor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using A = TAboutDoor::TAction;

std::vector<A> Type(TAboutDoor& door, const std::string& keys) {
    std::vector<A> actions;
    for (char key : keys)
        actions.push_back(door.KeyPressed(key));
    return actions;
}

struct TKeyRow {
    const char* Case;
    std::string Keys;
    bool Opens; // the last key opens the trace window
};

class AboutDoorKeys : public ::testing::TestWithParam<TKeyRow> {};

TEST_P(AboutDoorKeys, OpenOnlyOnTheCodeAtTheStartOfTheBuffer) {
    TAboutDoor door;
    const TKeyRow& row = GetParam();
    const std::vector<A> actions = Type(door, row.Keys);
    EXPECT_EQ(actions.back() == A::OpenTrace, row.Opens) << row.Case;
    for (std::size_t i = 0; i + 1 < actions.size(); ++i)
        EXPECT_NE(actions[i], A::OpenTrace) << row.Case << " key " << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, AboutDoorKeys,
                         ::testing::Values(TKeyRow{"the code", "40517293", true},
                                           TKeyRow{"a digit first", "140517293", false},
                                           TKeyRow{"a letter empties the buffer", "1x40517293",
                                                   true},
                                           TKeyRow{"a blank empties it too", "99 40517293", true},
                                           // An eleventh digit empties the buffer, itself included.
                                           TKeyRow{"after eleven digits",
                                                   "01234567899"
                                                   "40517293",
                                                   true},
                                           TKeyRow{"the code cut by the 11th digit",
                                                   "1234567890"
                                                   "4"
                                                   "0517293",
                                                   false}));

TEST(AboutDoor, EscClosesAndOtherKeysHideTheTrace) {
    TAboutDoor door;
    EXPECT_EQ(door.KeyPressed(27), A::CloseBox);
    EXPECT_EQ(door.KeyPressed('a'), A::HideTrace);
    EXPECT_EQ(door.KeyPressed('5'), A::None);
}

TEST(AboutDoor, FourthDoubleClickOpensAndResetStartsAfresh) {
    TAboutDoor door;
    EXPECT_EQ(door.DoubleClicked(), A::None);
    EXPECT_EQ(door.DoubleClicked(), A::None);
    EXPECT_EQ(door.DoubleClicked(), A::None);
    EXPECT_EQ(door.DoubleClicks(), 3);
    EXPECT_EQ(door.DoubleClicked(), A::OpenTrace);
    door.Reset();
    EXPECT_EQ(door.DoubleClicks(), 0);
    (void)Type(door, "4051");
    door.Reset();
    EXPECT_NE(Type(door, "7293").back(), A::OpenTrace);
}

} // namespace
