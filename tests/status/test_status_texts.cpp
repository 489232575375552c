#include "record/UpsInfoRec.h"
#include "status/StatusCodes.h"
#include "status/StatusRules.h"
#include "status/StatusTexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

enum class Kind { Event, State, Alarm };

struct TextCase {
    Kind kind;
    int32_t code;
    uint8_t language;
    std::string expected;
};

std::string Lookup(Kind kind, int32_t code, uint8_t language) {
    switch (kind) {
    case Kind::Event:
        return EventText(code, language);
    case Kind::State:
        return StateText(code, language);
    case Kind::Alarm:
        return AlarmText(code, language);
    }
    return {};
}

class CodeTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(CodeTexts, GivesTheTextOfTheChosenLanguage) {
    const TextCase& c = GetParam();
    EXPECT_EQ(Lookup(c.kind, c.code, c.language), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Representative, CodeTexts,
    ::testing::Values(
        // Language 1 is Chinese; every other value is English.
        TextCase{Kind::State, 4, 1, "市电状态"}, TextCase{Kind::State, 4, 0, "Online"},
        TextCase{Kind::State, 4, 2, "Online"}, TextCase{Kind::State, 4, 255, "Online"},
        TextCase{Kind::State, 1, 1, "待机状态"}, TextCase{Kind::State, 9, 0, "EPO Status"},
        TextCase{Kind::State, 9, 1, "EPO状态"}, TextCase{Kind::State, 11, 0, "Fault Status"},
        TextCase{Kind::State, 18, 1, "通讯中断"},
        TextCase{Kind::State, 18, 0, "Communication lost"},
        TextCase{Kind::Event, 18, 0, "Communication lost"},
        TextCase{Kind::Event, 19, 1, "通讯异常"},
        TextCase{Kind::Event, 19, 0, "Communication Error"},
        TextCase{Kind::Event, 20, 1, "监控软件开启"},
        TextCase{Kind::Event, 21, 0, "Monitor software is closed"},
        TextCase{Kind::Event, 22, 0, "Communication upbuilt"},
        TextCase{Kind::Event, 23, 1, "通讯恢复"}, TextCase{Kind::Alarm, 0, 1, "整流器故障"},
        TextCase{Kind::Alarm, 0, 0, "Rectifier fault"},
        TextCase{Kind::Alarm, 25, 0, "Mains volt. abnormal"},
        TextCase{Kind::Alarm, 56, 1, "BUS电压异常"}, TextCase{Kind::Alarm, 69, 0, "Fog Alarm"},
        TextCase{Kind::Alarm, 70, 1, "机型错误"}, TextCase{Kind::Alarm, 71, 1, "预防性维护时间到"},
        TextCase{Kind::Alarm, 135, 0, "LBS fault"}, TextCase{Kind::Alarm, 148, 1, "BCB未接入"},
        TextCase{Kind::Alarm, 160, 0, "BCB Break"}, TextCase{Kind::Alarm, 210, 1, "电池接反"},
        TextCase{Kind::Alarm, 210, 0, "Battery Reverse"}));

// Codes with no text in the chosen language give an empty text.
INSTANTIATE_TEST_SUITE_P(
    WithoutText, CodeTexts,
    ::testing::Values(TextCase{Kind::State, -1, 0, ""}, TextCase{Kind::State, -1, 1, ""},
                      TextCase{Kind::State, 0, 1, ""}, TextCase{Kind::State, 12, 0, ""},
                      TextCase{Kind::State, 19, 1, ""}, TextCase{Kind::Event, 17, 1, ""},
                      TextCase{Kind::Event, 24, 0, ""}, TextCase{Kind::Event, 4, 0, ""},
                      TextCase{Kind::Alarm, 70, 0, ""}, TextCase{Kind::Alarm, 71, 2, ""},
                      TextCase{Kind::Alarm, 149, 0, ""}, TextCase{Kind::Alarm, 149, 1, ""},
                      TextCase{Kind::Alarm, 152, 1, ""}, TextCase{Kind::Alarm, 26, 0, ""},
                      TextCase{Kind::Alarm, 72, 1, ""}, TextCase{Kind::Alarm, 99, 0, ""},
                      TextCase{Kind::Alarm, 161, 1, ""}, TextCase{Kind::Alarm, 200, 0, ""},
                      TextCase{Kind::Alarm, 211, 1, ""}, TextCase{Kind::Alarm, -1, 0, ""}));

std::set<int32_t> CodesOf(std::span<const TCodeText> table) {
    std::set<int32_t> codes;
    for (const TCodeText& row : table)
        codes.insert(row.Code);
    return codes;
}

void ExpectAscendingWithChineseText(std::span<const TCodeText> table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_FALSE(table[i].Chinese.empty()) << "code " << table[i].Code;
        if (i > 0) {
            EXPECT_LT(table[i - 1].Code, table[i].Code) << "row " << i;
        }
    }
}

TEST(CodeTables, HoldExactlyTheDefinedCodes) {
    ExpectAscendingWithChineseText(EventTextTable());
    ExpectAscendingWithChineseText(StateTextTable());
    ExpectAscendingWithChineseText(AlarmTextTable());
    EXPECT_EQ(CodesOf(EventTextTable()), (std::set<int32_t>{18, 19, 20, 21, 22, 23}));
    EXPECT_EQ(CodesOf(StateTextTable()),
              (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 18}));
    EXPECT_EQ(AlarmTextTable().size(), 124u);
    for (const TCodeText& row : AlarmTextTable())
        EXPECT_EQ(row.English.empty(), row.Code == 70 || row.Code == 71) << "code " << row.Code;
}

// Every alarm a status word can raise has a text row, and the word-bit family
// of the text table holds nothing a status word cannot raise.
TEST(CodeTables, StatusWordAlarmsMatchTheirTextRows) {
    TUpsInfoRec rec;
    rec.StatusWord.fill(0xFFFF);
    BuildAlarmList(rec);
    const std::set<int32_t> raised(rec.AlarmCodes.begin(), rec.AlarmCodes.begin() + rec.AlarmCount);
    std::set<int32_t> wordRows;
    for (const TCodeText& row : AlarmTextTable())
        if (row.Code < AlarmThreePhaseByteBase)
            wordRows.insert(row.Code);
    EXPECT_EQ(raised, wordRows);
}

} // namespace
