#include "base/ProgramFolder.h"
#include "config/IniFile.h"
#include "config/UUserParaIni.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class UserParaTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(Folder.Path());
        UserPara = TUserPara{}; // as at program start: zeroed
    }
    void WriteIni(const std::string& text) { WriteBytes(UserParaPath(), text); }
    std::string ReadIni() { return ReadBytes(UserParaPath()); }

    TTempFolder Folder;
};

// Reads every field into one text, so a single comparison shows any difference.
std::string Describe(const TUserPara& u) {
    const TPortInfo& p = u.PortInfo;
    return p.ComName + " " + std::to_string(p.BaudRate) + " " + std::to_string(p.StopBits) + " " +
           std::to_string(p.AutoStart) + " " + std::to_string(p.Protocol) + " " +
           std::to_string(p.ReadIntervalTimeout) + " " + std::to_string(p.WaitTimer) + " " +
           std::to_string(p.MaxReSend) + " " + std::to_string(p.CommErrCnt) + " " +
           std::to_string(p.CommLostCnt) + " " + std::to_string(p.FastPoll) + " " +
           std::to_string(u.Language) + " " + std::to_string(u.RecInterval);
}

const std::string Defaults = "COM1 9600 1 0 0 200 15 2 5 10 0 0 600";

const std::string NewFileText = "[CommPort]\n"
                                "ComName=COM1\n"
                                "BaudRate=9600\n"
                                "StopBits=1\n"
                                "ReadIntervalTimeout=200\n"
                                "AutoStart=0\n"
                                "Protocol=0\n"
                                "[CommMast]\n"
                                "WaitTimer=15\n"
                                "MaxReSend=2\n"
                                "CommErrCnt=5\n"
                                "CommLostCnt=10\n"
                                "FastPoll=0\n"
                                "[Language]\n"
                                "Language=0\n"
                                "[DataLog]\n"
                                "RecInterval=600\n";
} // namespace

TEST_F(UserParaTest, NoFileGivesDefaultsAndFirstSaveWritesAllThirteenKeysInOrder) {
    LoadUserPara();
    EXPECT_EQ(Describe(UserPara), Defaults);
    SaveUserPara();
    EXPECT_EQ(ReadIni(), NewFileText);
}

TEST_F(UserParaTest, LoadReplacesEveryValueHeldBefore) {
    UserPara.PortInfo.ComName = "COM9";
    UserPara.PortInfo.BaudRate = 1;
    UserPara.Language = 1;
    UserPara.RecInterval = 7;
    LoadUserPara();
    EXPECT_EQ(Describe(UserPara), Defaults);
}

struct TLoadRow {
    const char* Text; // the whole file
    std::function<int64_t(const TUserPara&)> Field;
    int64_t Expected;
};

const auto RecInterval = [](const TUserPara& u) -> int64_t { return u.RecInterval; };
const auto Protocol = [](const TUserPara& u) -> int64_t { return u.PortInfo.Protocol; };
const auto BaudRate = [](const TUserPara& u) -> int64_t { return u.PortInfo.BaudRate; };
const auto StopBits = [](const TUserPara& u) -> int64_t { return u.PortInfo.StopBits; };
const auto AutoStart = [](const TUserPara& u) -> int64_t { return u.PortInfo.AutoStart; };
const auto Language = [](const TUserPara& u) -> int64_t { return u.Language; };
const auto MaxReSend = [](const TUserPara& u) -> int64_t { return u.PortInfo.MaxReSend; };
const auto FastPoll = [](const TUserPara& u) -> int64_t { return u.PortInfo.FastPoll; };

TEST_F(UserParaTest, StoredValuesLoadByTheRules) {
    const TLoadRow rows[] = {
        // RecInterval: 0 means logging off and stays; 1..49 and negatives rise to 50.
        {"[DataLog]\nRecInterval=0\n", RecInterval, 0},
        {"[DataLog]\nRecInterval=-5\n", RecInterval, 50},
        {"[DataLog]\nRecInterval=1\n", RecInterval, 50},
        {"[DataLog]\nRecInterval=49\n", RecInterval, 50},
        {"[DataLog]\nRecInterval=50\n", RecInterval, 50},
        {"[DataLog]\nRecInterval=3000\n", RecInterval, 3000},
        {"[DataLog]\nRecInterval=ten\n", RecInterval, 600},
        {"[DataLog]\nRecInterval=\n", RecInterval, 600},
        // 8-bit fields keep the low byte; out-of-range values are not rejected.
        {"[CommPort]\nProtocol=258\n", Protocol, 2},
        {"[CommPort]\nProtocol=7\n", Protocol, 7},
        {"[CommPort]\nProtocol=-1\n", Protocol, 255},
        {"[CommPort]\nStopBits=300\n", StopBits, 44},
        {"[CommPort]\nStopBits=3\n", StopBits, 3}, // opening the port makes it 1
        {"[CommMast]\nMaxReSend=4\n", MaxReSend, 4},
        // FastPoll: only 1 turns it on; any other value keeps the fixed waits.
        {"[CommMast]\nFastPoll=1\n", FastPoll, 1},
        {"[CommMast]\nFastPoll=0\n", FastPoll, 0},
        {"[CommMast]\nFastPoll=2\n", FastPoll, 0},
        {"[CommMast]\nFastPoll=on\n", FastPoll, 0},
        {"[CommPort]\nFastPoll=1\n", FastPoll, 0},
        {"[Language]\nLanguage=2\n", Language, 2},
        {"[Language]\nLanguage=1\n", Language, 1},
        {"[CommPort]\nAutoStart=5\n", AutoStart, 1},
        {"[CommPort]\nAutoStart=0\n", AutoStart, 0},
        {"[CommPort]\nAutoStart=yes\n", AutoStart, 0},
        // Integers: whole decimal numbers in the 32-bit range, else the default.
        {"[CommPort]\nBaudRate=19200\n", BaudRate, 19200},
        {"[CommPort]\nBaudRate=+4800\n", BaudRate, 4800},
        {"[CommPort]\nBaudRate=19200abc\n", BaudRate, 9600},
        {"[CommPort]\nBaudRate=2147483648\n", BaudRate, 9600},
        {"[CommPort]\nBaudRate=0x2580\n", BaudRate, 9600},
        {"[CommPort]\nBaudRate=1.5\n", BaudRate, 9600},
        // Names match regardless of case; blanks around names, '=' and values are ignored.
        {"[commport]\nbaudrate=4800\n", BaudRate, 4800},
        {"  [ CommPort ]  \n  BaudRate  =  4800  \n", BaudRate, 4800},
        {"[CommPort]\r\nBaudRate=4800\r\n", BaudRate, 4800},
        {"[CommPort]\n\tBaudRate\t=\t4800\n", BaudRate, 4800},
        // The key belongs to its own section only; the first of duplicates wins.
        {"[DataLog]\nBaudRate=4800\n", BaudRate, 9600},
        {"[CommPort]\nBaudRate=4800\nBaudRate=1200\n", BaudRate, 4800},
        {"[CommPort]\nBaudRate=4800\n[CommPort]\nBaudRate=1200\n", BaudRate, 4800},
        {"[CommPort]\n;BaudRate=4800\n", BaudRate, 9600},
        // Truncated files.
        {"[CommPort]\nBaudRate=48", BaudRate, 48},
        {"[CommPort]\nBaudRa", BaudRate, 9600},
        {"[CommPo", BaudRate, 9600},
    };
    for (const TLoadRow& row : rows) {
        WriteIni(row.Text);
        LoadUserPara();
        EXPECT_EQ(row.Field(UserPara), row.Expected) << row.Text;
    }
}

TEST_F(UserParaTest, ComNameTakesTheTextOrItsDefault) {
    const std::pair<const char*, const char*> rows[] = {
        {"[CommPort]\nComName=COM12\n", "COM12"},
        {"[CommPort]\nComName = COM3 \n", "COM3"},
        {"[CommPort]\nComName=\"COM4\"\n", "COM4"},
        {"[CommPort]\nComName=\n", ""}, // no port, on purpose
        {"[CommPort]\nComName= \n", ""},
        {"[CommPort]\n", "COM1"},
    };
    for (const auto& [text, expected] : rows) {
        WriteIni(text);
        LoadUserPara();
        EXPECT_EQ(UserPara.PortInfo.ComName, expected) << text;
    }
}

TEST_F(UserParaTest, EmptyComNameIsWrittenBackEmpty) {
    WriteIni("[CommPort]\nComName=\n");
    LoadUserPara();
    SaveUserPara();
    LoadUserPara();
    EXPECT_EQ(UserPara.PortInfo.ComName, "");
}

TEST_F(UserParaTest, AutoStartFiveLoadsTrueAndIsWrittenBackAsOne) {
    WriteIni("[CommPort]\nAutoStart=5\n");
    LoadUserPara();
    EXPECT_TRUE(UserPara.PortInfo.AutoStart);
    SaveUserPara();
    EXPECT_NE(ReadIni().find("\nAutoStart=1\n"), std::string::npos) << ReadIni();
}

TEST_F(UserParaTest, SavedValuesComeBackUnchanged) {
    TPortInfo& p = UserPara.PortInfo;
    p = {"COM17", 19200, 2, true, 3, 150, 20, 3, 6, 12};
    UserPara.Language = 1;
    UserPara.RecInterval = 0; // logging switched off in the settings dialog
    const std::string saved = Describe(UserPara);
    SaveUserPara();
    UserPara = TUserPara{};
    LoadUserPara();
    EXPECT_EQ(Describe(UserPara), saved);
}

TEST_F(UserParaTest, SaveKeepsWhatItDoesNotKnowAndRewritesOnlyItsKeys) {
    const std::string original = "; written by hand\n"
                                 "[Extra]\n"
                                 "Colour=blue\n"
                                 "\n"
                                 "[commport]\n"
                                 "baudrate = 4800\n"
                                 "Parity=Even\n"
                                 "this line is no key\n"
                                 "\n"
                                 "[Other]\n"
                                 "Key=\n";
    WriteIni(original);
    LoadUserPara();
    UserPara.PortInfo.BaudRate = 38400;
    SaveUserPara();
    EXPECT_EQ(ReadIni(), "; written by hand\n"
                         "[Extra]\n"
                         "Colour=blue\n"
                         "\n"
                         "[commport]\n"
                         "BaudRate=38400\n"
                         "Parity=Even\n"
                         "this line is no key\n"
                         "ComName=COM1\n"
                         "StopBits=1\n"
                         "ReadIntervalTimeout=200\n"
                         "AutoStart=0\n"
                         "Protocol=0\n"
                         "\n"
                         "[Other]\n"
                         "Key=\n"
                         "[CommMast]\n"
                         "WaitTimer=15\n"
                         "MaxReSend=2\n"
                         "CommErrCnt=5\n"
                         "CommLostCnt=10\n"
                         "FastPoll=0\n"
                         "[Language]\n"
                         "Language=0\n"
                         "[DataLog]\n"
                         "RecInterval=600\n");
}

// A file the program wrote before, loaded and saved without a change, comes
// back byte for byte: the keys are found where they stand, in any order and
// any line ending, and nothing is added, moved or reworded.
TEST_F(UserParaTest, AFileSavedUnchangedKeepsEveryByte) {
    const std::string files[] = {
        "[CommPort]\nComName=/dev/ttyUSB0\nBaudRate=19200\nStopBits=2\n"
        "ReadIntervalTimeout=150\nAutoStart=1\nProtocol=3\n[CommMast]\nWaitTimer=20\n"
        "MaxReSend=3\nCommErrCnt=6\nCommLostCnt=12\nFastPoll=1\n[Language]\nLanguage=1\n"
        "[DataLog]\nRecInterval=0\n",
        "; kept by hand\r\n[DataLog]\r\nRecInterval=3000\r\n[Language]\r\nLanguage=0\r\n"
        "[MainWindow]\r\nSplitter=240\r\n[CommMast]\r\nFastPoll=0\r\nCommLostCnt=10\r\n"
        "CommErrCnt=5\r\nMaxReSend=2\r\nWaitTimer=15\r\n[CommPort]\r\nProtocol=1\r\n"
        "AutoStart=0\r\nReadIntervalTimeout=200\r\nStopBits=1\r\nBaudRate=2400\r\n"
        "ComName=\r\n[Metrics]\r\nListen=127.0.0.1:9757\r\n",
    };
    for (const std::string& file : files) {
        WriteIni(file);
        LoadUserPara();
        SaveUserPara();
        EXPECT_EQ(ReadIni(), file);
    }
}

TEST_F(UserParaTest, WindowsLineEndsStayWindowsLineEnds) {
    WriteIni("[CommPort]\r\nBaudRate=4800\r\nParity=Even\r\n");
    LoadUserPara();
    SaveUserPara();
    const std::string text = ReadIni();
    EXPECT_EQ(text.rfind("[CommPort]\r\nBaudRate=4800\r\nParity=Even\r\n", 0), 0u) << text;
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        EXPECT_EQ(text[i - 1], '\r') << text.substr(0, i);
}

TEST_F(UserParaTest, DamagedFilesNeverBreakLoadOrSave) {
    std::mt19937 random(20081231);
    std::string binary(64 * 1024, '\0');
    for (char& c : binary)
        c = char(random());
    const std::string binaryWithKeys = binary + "\n[CommPort]\nBaudRate=4800\n" + binary;

    const std::pair<std::string, int32_t> rows[] = {
        {binary, 9600},
        {binaryWithKeys, 4800},
        {std::string("[CommPort]\nBaud\0Rate=4800\n", 26), 9600},
        {std::string(300000, '\n'), 9600},
        {std::string(300000, '['), 9600},
        {std::string(300000, '='), 9600},
        {"[CommPort]\nBaudRate=" + std::string(500000, '9') + "\n", 9600},
    };
    for (const auto& [text, baud] : rows) {
        WriteIni(text);
        LoadUserPara();
        EXPECT_EQ(UserPara.PortInfo.BaudRate, baud) << text.substr(0, 40);
        UserPara.PortInfo.BaudRate = 1200;
        SaveUserPara();
        LoadUserPara();
        EXPECT_EQ(UserPara.PortInfo.BaudRate, 1200) << text.substr(0, 40);
    }
}

TEST_F(UserParaTest, ControlCharactersInATextCannotBreakTheFile) {
    UserPara.PortInfo.ComName = "COM2\n[DataLog]\nRecInterval=7";
    UserPara.RecInterval = 600;
    SaveUserPara();
    LoadUserPara();
    EXPECT_EQ(UserPara.RecInterval, 600);
    EXPECT_EQ(UserPara.PortInfo.ComName, "COM2[DataLog]RecInterval=7");
}

TEST_F(UserParaTest, FolderThatCannotHoldFilesFailsWithThePath) {
    // A program folder that is a plain file: no one, root included, can write in it.
    WriteBytes(Folder.Path() + "plain", "x");
    SetProgramFolder(Folder.Path() + "plain/");
    try {
        SaveUserPara();
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Unable to write to " + Folder.Path() + "plain/UserParaIni.ini");
    }
}

TEST_F(UserParaTest, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    WriteIni("[CommPort]\nBaudRate=4800\n");
    LoadUserPara();
    UserPara.PortInfo.BaudRate = 1200;
    ASSERT_EQ(::chmod(Folder.Path().c_str(), 0555), 0);
    if (::access(Folder.Path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore a read-only folder";
    EXPECT_THROW(
        {
            try {
                SaveUserPara();
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()), "Unable to write to " + UserParaPath());
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(ReadIni(), "[CommPort]\nBaudRate=4800\n");
}

TEST_F(UserParaTest, AFileThatCannotBeReadIsNeitherUsedNorReplaced) {
    const std::string huge = std::string(TIniFile::MaxFileSize + 1, 'x') +
                             "\n[CommPort]\nComName=/dev/ttyUSB3\nFastPoll=1\n";
    struct TCase {
        const char* What;
        std::function<void()> Make; // puts the unreadable file in place
        const char* Reason;
    };
    const TCase cases[] = {
        {"too large", [&] { WriteIni(huge); }, "(larger than 1 MiB)"},
        // A folder in the file's place cannot be read, not even by root.
        {"a folder", [] { ASSERT_EQ(::mkdir(UserParaPath().c_str(), 0755), 0); },
         "(it could not be opened or read)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::filesystem::remove_all(UserParaPath());
        c.Make();
        LoadUserPara();
        EXPECT_EQ(Describe(UserPara), Defaults);
        const std::string problem = UserParaLoadProblem();
        EXPECT_NE(problem.find("The settings file " + UserParaPath() + " cannot be read " +
                               c.Reason),
                  std::string::npos)
            << problem;
        try {
            SaveUserPara();
            ADD_FAILURE() << "saved over it";
        } catch (const TUserParaKept& e) {
            EXPECT_EQ(std::string(e.what()), problem);
        }
        if (std::string(c.What) == "too large")
            EXPECT_EQ(ReadIni(), huge); // byte for byte
        else
            EXPECT_TRUE(std::filesystem::is_directory(UserParaPath()));
        EXPECT_EQ(UserParaLoadProblem(), problem);
    }
    // Once the file is readable again, a save is a save and the problem is gone.
    std::filesystem::remove_all(UserParaPath());
    WriteIni("[CommPort]\nBaudRate=4800\n");
    SaveUserPara();
    EXPECT_EQ(UserParaLoadProblem(), "");
    WriteIni(huge);
    LoadUserPara();
    UserPara.Language = 1; // the message follows a language chosen later
    EXPECT_NE(UserParaLoadProblem().find("设置文件 " + UserParaPath() + " 无法读取（大于 1 MiB）"),
              std::string::npos);
}

TEST_F(UserParaTest, SaveLeavesNoTemporaryFiles) {
    SaveUserPara();
    SaveUserPara();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder.Path())) {
        EXPECT_EQ(entry.path().filename(), "UserParaIni.ini");
        ++files;
    }
    EXPECT_EQ(files, 1);
}
