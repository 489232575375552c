#include "base/ProgramFolder.h"
#include "record/EquipList.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string Fill(std::size_t n) {
    return std::string(n, '\x0D');
}

// One 42-byte file record as raw bytes; `name` is the GBK bytes before the fill.
std::string RecordBytes(uint8_t treeIndex, uint8_t address, const std::string& name) {
    std::string bytes;
    bytes += char(treeIndex);
    bytes += char(address);
    bytes += name;
    bytes += Fill(EquipNameSize - name.size());
    return bytes;
}

std::string Bytes(const TEquipRecord& record) {
    return {record.begin(), record.end()};
}

std::vector<int> Addresses() {
    std::vector<int> out;
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        out.push_back(EquipList.At(pos).Address);
    return out;
}

void SetList(const std::vector<int>& addresses, int pollPos = 0) {
    EquipList = TEquipList{};
    for (int address : addresses)
        ASSERT_TRUE(AppendEquip({0, uint8_t(address), "UPS" + std::to_string(address)}));
    EquipList.PollPos = uint8_t(pollPos);
}

// "一号机房" in UTF-8 and in GBK.
const std::string ChineseUtf8 = "\xE4\xB8\x80\xE5\x8F\xB7\xE6\x9C\xBA\xE6\x88\xBF";
const std::string ChineseGbk = "\xD2\xBB\xBA\xC5\xBB\xFA\xB7\xBF";
const std::string MachineUtf8 = "\xE6\x9C\xBA"; // "机", two bytes in GBK

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

class TreeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(FTemp.Path());
        std::filesystem::create_directory(RecordPath());
        EquipList = TEquipList{};
    }
    void WriteTreeFile(const std::string& bytes) { WriteBytes(TreeFilePath(), bytes); }

    TTempFolder FTemp;
};

} // namespace

// --- The 42-byte record ------------------------------------------------------

struct RecordCase {
    const char* Label;
    TEquipItem Item;
    std::string Expected; // the record's bytes
};

TEST(EquipRecord, EncodesFieldsAndFillsTheNameWithCarriageReturns) {
    const std::vector<RecordCase> cases = {
        {"ascii", {6, 17, "UPS1"}, RecordBytes(6, 17, "UPS1")},
        {"chinese as gbk", {0, 3, ChineseUtf8}, RecordBytes(0, 3, ChineseGbk)},
        {"exactly 40 bytes, no fill",
         {0, 1, std::string(40, 'x')},
         RecordBytes(0, 1, std::string(40, 'x'))},
        {"cut to 40 bytes", {0, 1, std::string(45, 'y')}, RecordBytes(0, 1, std::string(40, 'y'))},
        // 'A' + 20 Chinese characters is 41 GBK bytes: the 20th character
        // does not fit whole and is dropped rather than split.
        {"no half character",
         {0, 1, "A" + Repeat(MachineUtf8, 20)},
         RecordBytes(0, 1, "A" + Repeat("\xBB\xFA", 19))},
        {"caller's fill is not doubled", {0, 1, "UPS1" + Fill(36)}, RecordBytes(0, 1, "UPS1")},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.Label);
        const TEquipRecord record = EncodeEquipRecord(c.Item);
        static_assert(sizeof(record) == 42);
        EXPECT_EQ(Bytes(record), c.Expected);
    }
}

TEST(EquipRecord, DecodeDropsOnlyTheTrailingFillAndRoundTripsByteForByte) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // record bytes, name in memory
        {RecordBytes(9, 3, ChineseGbk), ChineseUtf8},
        {RecordBytes(0, 1, "UPS1"), "UPS1"},
        {RecordBytes(255, 252, std::string(40, 'z')), std::string(40, 'z')},
        {RecordBytes(0, 1, "AB\r\rXY"), "AB\r\rXY"},
        {RecordBytes(0, 1, ""), ""},
    };
    for (const auto& [bytes, name] : cases) {
        SCOPED_TRACE(name);
        TEquipRecord record;
        std::copy(bytes.begin(), bytes.end(), record.begin());
        const TEquipItem item = DecodeEquipRecord(record);
        EXPECT_EQ(item.TreeIndex, uint8_t(bytes[0]));
        EXPECT_EQ(item.Address, uint8_t(bytes[1]));
        EXPECT_EQ(item.Name, name);
        EXPECT_EQ(Bytes(EncodeEquipRecord(item)), bytes);
    }
}

TEST(EquipName, LengthFitAndShownTextFollowTheGbkBytes) {
    EXPECT_EQ(EquipNameLength(ChineseUtf8), 8u);
    EXPECT_EQ(EquipNameLength(Repeat(MachineUtf8, 20)), 40u);
    EXPECT_EQ(EquipNameLength(Repeat(MachineUtf8, 21)), 42u);

    EXPECT_EQ(FitEquipName(Repeat(MachineUtf8, 21)), Repeat(MachineUtf8, 20));
    EXPECT_EQ(FitEquipName("UPS1" + Fill(36)), "UPS1");
    EXPECT_EQ(FitEquipName(std::string(41, 'a')), std::string(40, 'a'));

    EXPECT_EQ(ShownEquipName("AB\r\rXY"), "AB");
    EXPECT_EQ(ShownEquipName(ChineseUtf8), ChineseUtf8);
}

// --- Loading "TreeNode.dat" --------------------------------------------------

TEST_F(TreeFileTest, MissingFileIsCreatedEmpty) {
    EquipList.PollPos = 2;
    EquipList.PollAddress = 5;
    ASSERT_TRUE(LoadTreeFile());
    EXPECT_EQ(EquipList.Count, 0);
    EXPECT_EQ(EquipList.PollPos, 0);
    EXPECT_EQ(EquipList.PollAddress, 0);
    ASSERT_TRUE(FileExists(TreeFilePath()));
    EXPECT_EQ(ReadBytes(TreeFilePath()), "");
}

TEST_F(TreeFileTest, FileThatCannotBeOpenedLeavesTheListUnchanged) {
    SetList({4, 5});
    std::filesystem::remove_all(RecordPath());
    EXPECT_FALSE(LoadTreeFile());
    EXPECT_EQ(Addresses(), (std::vector<int>{4, 5}));
}

TEST_F(TreeFileTest, LoadTakesOnlyWholeRecordsWithValidAddresses) {
    struct Case {
        const char* Label;
        std::string Bytes;
        std::vector<int> Expected;
        int Skipped;
    };
    std::string many;    // 260 records, addresses 1..252 then 1..8
    std::string manyBad; // 10 bad addresses first, then 260 good ones
    for (int i = 0; i < 260; ++i)
        many += RecordBytes(0, uint8_t(i % 252 + 1), "U");
    for (int i = 0; i < 10; ++i)
        manyBad += RecordBytes(0, 253, "bad");
    manyBad += many;
    std::vector<int> first252;
    for (int a = 1; a <= 252; ++a)
        first252.push_back(a);
    // Random bytes, as a damaged or foreign file holds: each address once at most.
    std::mt19937 random(26);
    std::string garbage(4096, '\0');
    for (char& c : garbage)
        c = char(random());

    const std::vector<Case> cases = {
        {"empty", "", {}, 0},
        {"two records (84 bytes)", RecordBytes(0, 1, "A") + RecordBytes(3, 2, "B"), {1, 2}, 0},
        {"partial last record (100 bytes)",
         RecordBytes(0, 1, "A") + RecordBytes(3, 2, "B") + std::string(16, 'C'),
         {1, 2},
         0},
        {"shorter than one record", std::string(41, 'x'), {}, 0},
        {"addresses outside 1..252 skipped",
         RecordBytes(0, 7, "A") + RecordBytes(0, 253, "B") + RecordBytes(0, 255, "C") +
             RecordBytes(0, 0, "D") + RecordBytes(0, 252, "E"),
         {7, 252},
         3},
        {"an address taken already skipped",
         RecordBytes(0, 7, "A") + RecordBytes(3, 9, "B") + RecordBytes(6, 7, "again"),
         {7, 9},
         1},
        {"more than 252 records", many, first252, 8},
        {"252 valid after skipped ones", manyBad, first252, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        WriteTreeFile(c.Bytes);
        int skipped = -1;
        ASSERT_TRUE(LoadTreeFile(&skipped));
        EXPECT_EQ(Addresses(), c.Expected);
        EXPECT_EQ(skipped, c.Skipped);
        EXPECT_EQ(ReadBytes(TreeFilePath()), c.Bytes); // left as it is
    }

    WriteTreeFile(garbage);
    int skipped = -1;
    ASSERT_TRUE(LoadTreeFile(&skipped));
    std::vector<int> addresses = Addresses();
    EXPECT_EQ(int(addresses.size()) + skipped, 4096 / 42);
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(std::adjacent_find(addresses.begin(), addresses.end()), addresses.end());
    EXPECT_TRUE(addresses.empty() || (addresses.front() >= 1 && addresses.back() <= 252));
}

TEST_F(TreeFileTest, SaveAfterLoadGivesTheSameBytes) {
    const std::string bytes = RecordBytes(0, 1, ChineseGbk) + RecordBytes(3, 2, "UPS2") +
                              RecordBytes(6, 252, std::string(40, 'n')) +
                              RecordBytes(9, 3, "AB\r\rXY");
    WriteTreeFile(bytes);
    ASSERT_TRUE(LoadTreeFile());
    ASSERT_EQ(EquipList.Count, 4);
    EXPECT_EQ(EquipList.At(1).Name, ChineseUtf8);
    SaveTreeFile();
    EXPECT_EQ(ReadBytes(TreeFilePath()), bytes);
}

// Names that are not valid GBK come from other programs or damaged files;
// the list keeps their bytes, including across an edit of another entry.
TEST_F(TreeFileTest, NamesThatAreNotValidGbkAreWrittenBackByteForByte) {
    const std::string bytes = RecordBytes(0, 1, "\xFF\xFE") +
                              RecordBytes(3, 2, std::string(39, 'a') + "\x81") +
                              RecordBytes(6, 3, "A\rB\xFF") + RecordBytes(9, 4, "gone");
    WriteTreeFile(bytes);
    ASSERT_TRUE(LoadTreeFile());
    SaveTreeFile();
    EXPECT_EQ(ReadBytes(TreeFilePath()), bytes);

    ASSERT_EQ(DeleteEquipAddress(4), 1);
    ASSERT_TRUE(RenameEquipAt(3, "C"));
    SaveTreeFile();
    EXPECT_EQ(ReadBytes(TreeFilePath()), RecordBytes(0, 1, "\xFF\xFE") +
                                             RecordBytes(3, 2, std::string(39, 'a') + "\x81") +
                                             RecordBytes(6, 3, "C"));
}

TEST_F(TreeFileTest, SaveRewritesTheWholeFileInListOrder) {
    WriteTreeFile(RecordBytes(0, 1, "A") + RecordBytes(3, 2, "B") + RecordBytes(6, 3, "C"));
    ASSERT_TRUE(LoadTreeFile());
    DeleteEquipAddress(2);
    SaveTreeFile();
    EXPECT_EQ(ReadBytes(TreeFilePath()), RecordBytes(0, 1, "A") + RecordBytes(6, 3, "C"));
    DeleteEquipAddress(1);
    DeleteEquipAddress(3);
    SaveTreeFile();
    EXPECT_EQ(ReadBytes(TreeFilePath()), "");
}

TEST_F(TreeFileTest, SaveFailureThrowsWithThePathAndKeepsTheList) {
    SetList({1, 2});
    std::filesystem::remove_all(RecordPath());
    try {
        SaveTreeFile();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + TreeFilePath());
    }
    EXPECT_EQ(Addresses(), (std::vector<int>{1, 2}));
}

// --- Changing the list -------------------------------------------------------

TEST(EquipListEdit, AppendStopsAt252DevicesAndRefusesAddressesWithoutRecord) {
    EquipList = TEquipList{};
    EXPECT_FALSE(AppendEquip({0, 253, "x"}));
    EXPECT_FALSE(AppendEquip({0, 255, "x"}));
    for (int i = 0; i < MaxEquipCount; ++i)
        ASSERT_TRUE(AppendEquip({0, uint8_t(i % 252 + 1), "x"}));
    EXPECT_FALSE(AppendEquip({0, 9, "one too many"}));
    EXPECT_EQ(EquipList.Count, 252);
    EXPECT_EQ(EquipList.At(252).Name, "x");
}

TEST(EquipListEdit, AppendAndRenameStoreTheFittedName) {
    EquipList = TEquipList{};
    ASSERT_TRUE(AppendEquip({77, 5, Repeat(MachineUtf8, 21)}));
    EXPECT_EQ(EquipList.At(1).Name, Repeat(MachineUtf8, 20));
    EXPECT_TRUE(RenameEquipAt(1, "UPS1" + Fill(36)));
    EXPECT_EQ(EquipList.At(1).Name, "UPS1");
    EXPECT_FALSE(RenameEquipAt(0, "x"));
    EXPECT_FALSE(RenameEquipAt(2, "x"));
    EXPECT_EQ(EquipList.At(1).Name, "UPS1");
}

TEST(EquipListEdit, DeleteRemovesEveryEntryWithTheAddressKeepingTheOrder) {
    SetList({5, 7, 5, 9, 5});
    EXPECT_EQ(DeleteEquipAddress(5), 3);
    EXPECT_EQ(Addresses(), (std::vector<int>{7, 9}));
    EXPECT_EQ(EquipList.At(2).Name, "UPS9");
    EXPECT_EQ(DeleteEquipAddress(42), 0);
    EXPECT_EQ(Addresses(), (std::vector<int>{7, 9}));
    // Entries before the first removed one stay where they are, names intact.
    SetList({7, 5, 9});
    DeleteEquipAddress(5);
    EXPECT_EQ(EquipList.At(1).Name, "UPS7");
    EXPECT_EQ(EquipList.At(2).Name, "UPS9");
    EXPECT_EQ(EquipList.At(3).Name, "");
}

// Polling goes on with the device that would have come next after the one
// polled last, and PollPos stays within 0..Count.
TEST(EquipListEdit, PollPosAfterDeleteContinuesWithTheNextDevice) {
    struct Case {
        std::vector<int> List;
        int PollPos;
        int Deleted;
        int ExpectedPollPos;
        int NextAddress; // polled by the next NextPollDevice; 0 on an empty list
    };
    const std::vector<Case> cases = {
        {{5, 7, 5, 9}, 2, 5, 1, 9}, // 7 polled last, the second 5 was next
        {{5, 7, 5, 9}, 3, 5, 1, 9}, // the polled device itself goes
        {{5, 7, 5, 9}, 4, 9, 3, 5}, // the last goes while polled: wrap
        {{5, 7, 5, 9}, 4, 5, 2, 7}, // every 5 goes, 9 was polled: wrap
        {{5, 7, 5, 9}, 1, 7, 1, 5}, // the next device goes: skip it
        {{5, 7, 5, 9}, 0, 7, 0, 5}, // not polled yet
        {{5, 5}, 2, 5, 0, 0},       // list emptied
        {{3}, 1, 4, 1, 3},          // nothing removed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pollPos " << c.PollPos << " delete " << c.Deleted);
        SetList(c.List, c.PollPos);
        DeleteEquipAddress(uint8_t(c.Deleted));
        EXPECT_EQ(EquipList.PollPos, c.ExpectedPollPos);
        EXPECT_LE(EquipList.PollPos, EquipList.Count);
        NextPollDevice();
        EXPECT_EQ(EquipList.PollAddress, c.NextAddress);
    }
}

// --- Poll order --------------------------------------------------------------

TEST(PollOrder, WalksTheListInOrderAndWraps) {
    SetList({10, 20, 30});
    std::vector<int> positions, addresses;
    for (int i = 0; i < 7; ++i) {
        NextPollDevice();
        positions.push_back(EquipList.PollPos);
        addresses.push_back(EquipList.PollAddress);
    }
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(addresses, (std::vector<int>{10, 20, 30, 10, 20, 30, 10}));
}

TEST(PollOrder, EmptyListPollsNothingAndAnAddedDeviceIsReachedInTurn) {
    SetList({}, 0);
    EquipList.PollAddress = 9;
    NextPollDevice();
    EXPECT_EQ(EquipList.PollPos, 0);
    EXPECT_EQ(EquipList.PollAddress, 0);

    SetList({10, 20});
    NextPollDevice();
    NextPollDevice(); // 20, the last
    ASSERT_TRUE(AppendEquip({0, 99, "new"}));
    NextPollDevice();
    EXPECT_EQ(EquipList.PollAddress, 99);
    NextPollDevice();
    EXPECT_EQ(EquipList.PollAddress, 10);
}

TEST(PollOrder, FullListOf252WrapsFromTheLastToTheFirst) {
    EquipList = TEquipList{};
    for (int a = 1; a <= 252; ++a)
        ASSERT_TRUE(AppendEquip({0, uint8_t(a), "x"}));
    EquipList.PollPos = 251;
    NextPollDevice();
    EXPECT_EQ(EquipList.PollAddress, 252);
    NextPollDevice();
    EXPECT_EQ(EquipList.PollPos, 1);
    EXPECT_EQ(EquipList.PollAddress, 1);
}
