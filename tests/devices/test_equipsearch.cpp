// The search rules without a window: the range and its progress, the found
// list, the pick-one and pick-all rules, and Append into the device list.

#include "devices/EquipCheck.h"
#include "devices/EquipSearch.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Listed() {
    std::vector<int> out;
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        out.push_back(EquipList.At(pos).Address);
    return out;
}

void SetList(const std::vector<int>& addresses) {
    EquipList = TEquipList{};
    for (int address : addresses)
        ASSERT_TRUE(AppendEquip({0, uint8_t(address), "UPS" + std::to_string(address)}));
}

std::vector<int> Addresses(const std::vector<TSearchRow>& rows) {
    std::vector<int> out;
    for (const TSearchRow& row : rows)
        out.push_back(row.Address);
    return out;
}

class EquipSearchTest : public ::testing::Test {
protected:
    TEquipSearch Search;

    void SetUp() override {
        SearchMode = 0;
        EquipList = TEquipList{};
    }
    void TearDown() override { SearchMode = 0; }

    // Every address the engine is handed until the search ends by itself.
    std::vector<int> RunToEnd() {
        std::vector<int> probed;
        for (int guard = 0; SearchMode != 0; ++guard) {
            EXPECT_LT(guard, 300);
            const uint8_t address = Search.NextSearchAddress();
            if (SearchMode != 0)
                probed.push_back(address);
        }
        return probed;
    }

    void FindAll(const std::vector<int>& addresses) {
        Search.Toggle();
        for (int address : addresses)
            Search.DeviceFound(uint8_t(address));
        Search.Toggle();
    }
};

std::vector<int> Range(int from, int to) {
    std::vector<int> out;
    for (int a = from; a <= to; ++a)
        out.push_back(a);
    return out;
}

struct TRangeRow {
    int From, To;
    std::vector<int> Probed;
};

class SearchRange : public EquipSearchTest, public ::testing::WithParamInterface<TRangeRow> {};

TEST_P(SearchRange, ProbesEachAddressOnceAscendingThenCompletes) {
    const TRangeRow& row = GetParam();
    Search.From = uint8_t(row.From);
    Search.To = uint8_t(row.To);
    Search.Toggle();
    ASSERT_EQ(SearchMode, 255);
    EXPECT_EQ(Search.Current(), Search.From - 1);
    EXPECT_FALSE(Search.Completed());
    EXPECT_EQ(RunToEnd(), row.Probed);
    EXPECT_TRUE(Search.Completed());
    EXPECT_FALSE(Search.Searching());
}

// The window's spins never leave 1..252; a range from elsewhere is clamped,
// so no probe goes to 0 or beyond 252 and the counter never wraps.
INSTANTIATE_TEST_SUITE_P(Rows, SearchRange,
                         ::testing::Values(TRangeRow{1, 16, Range(1, 16)}, TRangeRow{5, 5, {5}},
                                           TRangeRow{250, 252, {250, 251, 252}},
                                           TRangeRow{252, 252, {252}}, TRangeRow{0, 2, {1, 2}},
                                           TRangeRow{251, 255, {251, 252}}, TRangeRow{9, 3, {9}}));

TEST_F(EquipSearchTest, StopKeepsTheFoundListAndIsNoCompletion) {
    Search.Toggle();
    (void)Search.NextSearchAddress();
    Search.DeviceFound(1);
    (void)Search.NextSearchAddress();
    Search.Toggle(); // Stop
    EXPECT_FALSE(Search.Searching());
    EXPECT_FALSE(Search.Completed());
    EXPECT_EQ(Search.Current(), 2);
    EXPECT_EQ(Search.Found(), std::vector<uint8_t>{1});

    // The next search starts afresh.
    Search.Toggle();
    EXPECT_TRUE(Search.Found().empty());
    EXPECT_EQ(Search.Current(), 0);
}

TEST_F(EquipSearchTest, FoundListIsSortedWithoutDuplicates) {
    Search.Toggle();
    for (int address : {9, 3, 9, 12, 3, 1})
        Search.DeviceFound(uint8_t(address));
    EXPECT_EQ(Search.Found(), (std::vector<uint8_t>{1, 3, 9, 12}));
}

TEST_F(EquipSearchTest, PickOneChecksTheListThenTheChosenRows) {
    SetList({7});
    FindAll({3, 7, 9});
    EXPECT_EQ(Search.PickOne(-1), TPickResult::NothingChosen);
    EXPECT_EQ(Search.PickOne(3), TPickResult::NothingChosen);
    EXPECT_EQ(Search.PickOne(1), TPickResult::AlreadyListed);
    EXPECT_TRUE(Search.Rows().empty());
    EXPECT_EQ(Search.PickOne(2), TPickResult::Added);
    EXPECT_EQ(Search.PickOne(2), TPickResult::AlreadyChosen);
    EXPECT_EQ(Search.PickOne(0), TPickResult::Added);
    ASSERT_EQ(Addresses(Search.Rows()), (std::vector<int>{9, 3}));
    EXPECT_EQ(Search.Rows()[0].Name, "9");
}

TEST_F(EquipSearchTest, PickAllSkipsListedAddressesAndDropsTypedNames) {
    SetList({7});
    FindAll({3, 7, 9});
    ASSERT_EQ(Search.PickOne(0), TPickResult::Added);
    Search.SetRowName(0, "Hall A");
    Search.PickAll();
    ASSERT_EQ(Addresses(Search.Rows()), (std::vector<int>{3, 9}));
    EXPECT_EQ(Search.Rows()[0].Name, "3");
    EXPECT_EQ(Search.Rows()[1].Name, "9");

    // With nothing found the rows stay as they are.
    TEquipSearch empty;
    empty.PickAll();
    EXPECT_TRUE(empty.Rows().empty());
    Search.ClearRows();
    EXPECT_TRUE(Search.Rows().empty());
}

TEST_F(EquipSearchTest, AppendRefusesEmptyGridAndEmptyNamesWithoutChangingTheList) {
    SetList({7});
    EXPECT_EQ(Search.Append(), TAppendResult::NoRows);
    FindAll({3, 9});
    Search.PickAll();
    Search.SetRowName(1, "");
    EXPECT_EQ(Search.Append(), TAppendResult::EmptyName);
    EXPECT_EQ(Listed(), std::vector<int>{7});
    EXPECT_EQ(Search.Rows().size(), 2u);
}

TEST_F(EquipSearchTest, AppendNamesAndCutsToFortyBytes) {
    FindAll({3, 9, 12});
    Search.PickAll();
    Search.SetRowName(0, std::string(45, 'N'));
    Search.SetRowName(1, "UPS");
    // Twenty-one Chinese characters are 42 GBK bytes: the last one is cut.
    std::string chinese;
    for (int i = 0; i < 21; ++i)
        chinese += "\xE6\x9C\xBA"; // 机
    Search.SetRowName(2, chinese);
    EXPECT_EQ(Search.Append(), TAppendResult::Appended);
    EXPECT_EQ(Search.Appended(), 3);
    EXPECT_TRUE(Search.Rows().empty());
    ASSERT_EQ(Listed(), (std::vector<int>{3, 9, 12}));

    const std::string first = std::string(45, 'N').substr(0, 40);
    const TEquipRecord r1 = EncodeEquipRecord(EquipList.At(1));
    EXPECT_EQ(std::string(r1.begin() + 2, r1.end()), first);
    const TEquipRecord r2 = EncodeEquipRecord(EquipList.At(2));
    EXPECT_EQ(std::string(r2.begin() + 2, r2.end()), "UPS" + std::string(37, '\x0D'));
    EXPECT_EQ(EquipNameLength(EquipList.At(3).Name), 40u);
}

TEST_F(EquipSearchTest, AppendNeverTakesTheListBeyond252) {
    // 251 devices, one address twice (an old list file can hold that), so
    // two free addresses remain for one free place.
    std::vector<int> listed = Range(1, 250);
    listed.push_back(250);
    SetList(listed);
    FindAll({251, 252});
    Search.PickAll();
    Search.SetRowName(0, "Last");
    EXPECT_EQ(Search.Append(), TAppendResult::ListFull);
    EXPECT_EQ(Search.Appended(), 1);
    EXPECT_EQ(EquipList.Count, MaxEquipCount);
    EXPECT_EQ(EquipList.At(MaxEquipCount).Address, 251);
    EXPECT_EQ(EquipList.At(MaxEquipCount).Name, "Last");
    // The row that did not fit stays chosen.
    EXPECT_EQ(Addresses(Search.Rows()), std::vector<int>{252});
    EXPECT_EQ(Search.Append(), TAppendResult::ListFull);
    EXPECT_EQ(Search.Appended(), 0);
}

} // namespace
