// The add and property dialogs' checks and the free addresses they offer.

#include "devices/EquipCheck.h"
#include "record/EquipList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string Ji = "\xE6\x9C\xBA"; // 机: two bytes in GBK

void SetList(const std::vector<int>& addresses) {
    EquipList = TEquipList{};
    for (int address : addresses)
        ASSERT_TRUE(AppendEquip({0, uint8_t(address), "UPS"}));
}

TEST(EquipCheck, FreeAddressesLeaveOutListedOnes) {
    SetList({1, 3});
    const std::vector<uint8_t> free = FreeAddresses();
    ASSERT_EQ(free.size(), 250u);
    EXPECT_EQ(free[0], 2);
    EXPECT_EQ(free[1], 4);
    EXPECT_EQ(free[2], 5);
    EXPECT_EQ(free.back(), 252);
    EXPECT_TRUE(AddressInList(3));
    EXPECT_FALSE(AddressInList(2));
    EXPECT_FALSE(AddressInList(0));
}

struct TCheckRow {
    const char* Case;
    std::string Name;
    uint8_t Address;
    TEquipCheck New;      // the add dialog
    TEquipCheck Property; // the property dialog, which has no address to check
};

class EquipCheckRows : public ::testing::TestWithParam<TCheckRow> {};

TEST_P(EquipCheckRows, InTheDialogsOrder) {
    SetList({1});
    const TCheckRow& row = GetParam();
    EXPECT_EQ(CheckNewEquip(row.Name, row.Address), row.New) << row.Case;
    EXPECT_EQ(CheckEquipName(row.Name), row.Property) << row.Case;
}

using C = TEquipCheck;
INSTANTIATE_TEST_SUITE_P(
    Rows, EquipCheckRows,
    ::testing::Values(
        TCheckRow{"neither name nor address", "", 0, C::NameEmpty, C::NameEmpty},
        TCheckRow{"name, no address", "UPS", 0, C::AddressEmpty, C::Ok},
        TCheckRow{"too long, no address", std::string(41, 'x'), 0, C::AddressEmpty, C::NameTooLong},
        TCheckRow{"40 bytes", std::string(40, 'x'), 2, C::Ok, C::Ok},
        TCheckRow{"41 bytes", std::string(41, 'x'), 2, C::NameTooLong, C::NameTooLong},
        TCheckRow{"20 Chinese characters", Times(Ji, 20), 2, C::Ok, C::Ok},
        TCheckRow{"21 Chinese characters", Times(Ji, 21), 2, C::NameTooLong, C::NameTooLong},
        TCheckRow{"blanks only", "   ", 2, C::Ok, C::Ok}));

TEST(EquipCheck, FullListRefusesTheAddDialogButNotARename) {
    EquipList = TEquipList{};
    for (int i = 0; i < MaxEquipCount; ++i)
        ASSERT_TRUE(AppendEquip({0, uint8_t(i % 200 + 1), "UPS"}));
    EXPECT_EQ(CheckNewEquip("UPS", 230), TEquipCheck::ListFull);
    EXPECT_EQ(CheckEquipName("UPS"), TEquipCheck::Ok);
}

} // namespace
