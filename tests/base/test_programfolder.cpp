#include "base/ProgramFolder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <pwd.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
protected:
    // The executable's folder and the data home of the user, side by side.
    TTempFolder Temp;
    std::string Exe = Temp.Path() + "opt/pelmora/";
    std::string Xdg = Temp.Path() + "xdg";
    std::string Home = Temp.Path() + "home";
    std::string XdgFolder = Xdg + "/pelmora-desk/";
    std::string HomeFolder = Home + "/.local/share/pelmora-desk/";

    void SetUp() override { fs::create_directories(Exe); }
};

// A copy in a folder of its own keeps its files beside itself; when it cannot
// make Record/ there (here: a plain file is in the way, which stops even root)
// the files go to the user's data folder.
TEST_F(ProgramFolderTest, BesideTheExecutableWhenRecordCanBeKeptThere) {
    struct Row {
        const char* name;
        std::function<void()> prepare;
        bool besideExecutable;
    };
    const Row rows[] = {
        {"empty folder", [] {}, true},
        {"Record/ already there", [&] { fs::create_directory(Exe + "Record"); }, true},
        {"Record is a plain file", [&] { WriteBytes(Exe + "Record", "x"); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(Exe);
        fs::create_directories(Exe);
        row.prepare();
        EXPECT_EQ(DataFolderFor(Exe, {Xdg.c_str(), Home.c_str()}),
                  row.besideExecutable ? Exe : XdgFolder);
        EXPECT_EQ(fs::is_directory(Exe + "Record"), row.besideExecutable);
    }
}

// A folder that holds the user's files they cannot be written to is named,
// so that the user decides; a fresh folder with nothing there is not.
TEST_F(ProgramFolderTest, AFolderHoldingTheUsersFilesIsNeverLeftSilently) {
    struct Row {
        const char* name;
        std::function<void()> prepare;
        bool stranded;
    };
    const Row rows[] = {
        {"fresh folder", [] {}, false},
        {"settings and Record/",
         [&] {
             WriteBytes(Exe + "UserParaIni.ini", "[CommPort]\n");
             fs::create_directory(Exe + "Record");
         },
         false},
        {"Record in the way, nothing of the user's", [&] { WriteBytes(Exe + "Record", "x"); },
         false},
        // A plain file where Record/ belongs stops even root from keeping it there.
        {"settings, Record/ cannot be made",
         [&] {
             WriteBytes(Exe + "UserParaIni.ini", "[CommPort]\n");
             WriteBytes(Exe + "Record", "x");
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(Exe);
        fs::create_directories(Exe);
        row.prepare();
        EXPECT_EQ(StrandedFolderFor(Exe), row.stranded ? Exe : "");
    }
    EXPECT_EQ(StrandedFolderFor("/usr/bin/"), "");

    // Read-only, as the user may have made it (root writes there all the same).
    fs::remove_all(Exe);
    fs::create_directories(Exe + "Record");
    WriteBytes(Exe + "Record/TreeNode.dat", std::string(42, '\x01'));
    fs::permissions(Exe + "Record", fs::perms::owner_read | fs::perms::owner_exec);
    const bool rootRights = ::access((Exe + "Record").c_str(), W_OK) == 0;
    if (!rootRights) {
        EXPECT_EQ(StrandedFolderFor(Exe), Exe);
        EXPECT_EQ(DataFolderFor(Exe, {Xdg.c_str(), Home.c_str()}), XdgFolder);
    }
    fs::permissions(Exe + "Record", fs::perms::owner_all);
}

TEST_F(ProgramFolderTest, UserDataFolderFollowsTheXdgRules) {
    const std::string relative = "relative/share";
    const std::string slashed = Xdg + "/";
    struct Row {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Row rows[] = {
        {Xdg.c_str(), Home.c_str(), XdgFolder},
        {slashed.c_str(), Home.c_str(), XdgFolder},
        {nullptr, Home.c_str(), HomeFolder},
        {"", Home.c_str(), HomeFolder},
        {relative.c_str(), Home.c_str(), HomeFolder},
        {nullptr, nullptr, std::string(getpwuid(getuid())->pw_dir) + "/.local/share/pelmora-desk/"},
    };
    WriteBytes(Exe + "Record", "x");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.xdg ? row.xdg : "(unset)") + " " +
                     (row.home ? row.home : "(unset)"));
        EXPECT_EQ(DataFolderFor(Exe, {row.xdg, row.home}), row.expected);
    }
}

// Installed for the whole system, the program keeps its files with the user,
// even when it runs as root and could write beside itself.
TEST_F(ProgramFolderTest, SystemProgramFoldersAreNeverUsedForData) {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin", "/bin/", "/sbin"}) {
        SCOPED_TRACE(folder);
        const bool hadRecord = fs::exists(std::string(folder) + "/Record");
        EXPECT_EQ(DataFolderFor(folder, {Xdg.c_str(), Home.c_str()}), XdgFolder);
        EXPECT_EQ(fs::exists(std::string(folder) + "/Record"), hadRecord);
    }
}

TEST_F(ProgramFolderTest, SetFolderGetsATrailingSlashAndGivesThePaths) {
    SetProgramFolder(Exe.substr(0, Exe.size() - 1));
    EXPECT_EQ(ProgramFolder(), Exe);
    EXPECT_EQ(StrandedProgramFolder(), ""); // a folder set is a folder chosen
    EXPECT_EQ(RecordPath(), Exe + "Record/");
    EXPECT_EQ(BackupPath(), Exe + "Backup/");
}

TEST(ExecutableFolder, IsTheFolderOfThisTest) {
    const std::string folder = ExecutableFolder();
    ASSERT_TRUE(folder.ends_with('/'));
    EXPECT_TRUE(fs::exists(folder + "test_programfolder"));
}
} // namespace
