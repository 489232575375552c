// What the software parameter dialog selects and saves, the port list it
// offers, and the desktop autostart entry, on real files in a temporary folder.

#include "config/AutoStartEntry.h"
#include "config/SerialPortList.h"
#include "config/SoftwareParaChoices.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> ComPorts =
    SerialPortList("COM1", {"/nonexistent/", "/nonexistent/"});

struct TShowCase {
    std::string ComName;
    int32_t BaudRate;
    uint8_t Protocol;
    int PortIndex;
    int BaudIndex;
    uint8_t ProtocolAfter;
};

class ChoicesOnShowTest : public ::testing::TestWithParam<TShowCase> {};

TEST_P(ChoicesOnShowTest, SelectsTheEntriesOfTheSettings) {
    const TShowCase& c = GetParam();
    TPortInfo info;
    info.ComName = c.ComName;
    info.BaudRate = c.BaudRate;
    info.Protocol = c.Protocol;
    const TSoftwareParaChoices choices = ChoicesOnShow(info, ComPorts);
    EXPECT_EQ(choices.PortIndex, c.PortIndex);
    EXPECT_EQ(ComPorts[std::size_t(choices.PortIndex)], c.PortIndex == 0 ? "COM1" : c.ComName);
    EXPECT_EQ(choices.BaudIndex, c.BaudIndex);
    EXPECT_EQ(choices.ProtocolIndex, c.ProtocolAfter);
    EXPECT_EQ(info.Protocol, c.ProtocolAfter) << "the settings in memory follow at once";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChoicesOnShowTest,
    ::testing::Values(TShowCase{"COM12", 9600, 0, 11, 2, 0},
                      TShowCase{"COM200", 4800, 3, 199, 1, 3},
                      TShowCase{"COM256", 2400, 2, 255, 0, 2},
                      TShowCase{"", 19200, 9, 0, 0, 0}, // unknown name, odd rate
                      TShowCase{"com5", 0, 4, 0, 0, 0}, // names compare exactly
                      TShowCase{"COM257", 115200, 255, 0, 0, 0}));

TEST(TakeChoicesTest, SaveTakesTheTextsAndIndexIntoTheSettings) {
    TPortInfo info;
    info.StopBits = 2;
    info.ReadIntervalTimeout = 77;
    TakeChoices(info, "/dev/ttyUSB0", "4800", 3, true);
    EXPECT_EQ(info.ComName, "/dev/ttyUSB0");
    EXPECT_EQ(info.BaudRate, 4800);
    EXPECT_EQ(info.Protocol, 3);
    EXPECT_TRUE(info.AutoStart);
    EXPECT_EQ(info.StopBits, 2) << "settings the dialog does not show keep their values";
    EXPECT_EQ(info.ReadIntervalTimeout, 77);

    TakeChoices(info, "COM1", "fast", -1, false);
    EXPECT_EQ(info.BaudRate, 2400) << "a baud text that is no number";
    EXPECT_EQ(info.Protocol, 0) << "no protocol selected";
    EXPECT_FALSE(info.AutoStart);
}

TEST(TakeChoicesTest, AnUnknownRateIsStoredAs2400WhenSavedUntouched) {
    TPortInfo info;
    info.ComName = "COM3";
    info.BaudRate = 19200;
    const auto choices = ChoicesOnShow(info, ComPorts);
    TakeChoices(info, ComPorts[std::size_t(choices.PortIndex)], BaudRateTexts[choices.BaudIndex],
                choices.ProtocolIndex, false);
    EXPECT_EQ(info.BaudRate, 2400);
    EXPECT_EQ(info.ComName, "COM3");
}

// A /dev and a /sys/class/tty of our own.
class SerialPortListTest : public ::testing::Test {
protected:
    void SetUp() override {
        Roots = {Folder.Path() + "dev/", Folder.Path() + "sys/"};
        fs::create_directories(Roots.Dev + "serial/by-id");
        fs::create_directories(Roots.SysTty);
    }
    void Device(const std::string& name) { WriteBytes(Roots.Dev + name, ""); }
    void Uart(const std::string& name, const std::string& type) {
        Device(name);
        fs::create_directories(Roots.SysTty + name);
        WriteBytes(Roots.SysTty + name + "/type", type + "\n");
    }
    // The names before COM1 to COM256, which close every list.
    std::vector<std::string> Devices(const std::string& comName) {
        const auto list = SerialPortList(comName, Roots);
        if (list.size() < std::size_t(ComPortCount))
            return {"(too short)"};
        const auto coms = list.end() - ComPortCount;
        for (int n = 1; n <= ComPortCount; ++n) {
            if (coms[n - 1] != "COM" + std::to_string(n))
                return {"(no COM" + std::to_string(n) + " in its place)"};
        }
        return {list.begin(), coms};
    }

    TTempFolder Folder;
    TSerialRoots Roots;
};

TEST_F(SerialPortListTest, PresentDevicesFirstStableNamesFirstThenTheComNames) {
    Device("serial/by-id/usb-FTDI_FT232R-if00-port0");
    Device("ttyUSB10");
    Device("ttyUSB2");
    Device("ttyACM0");
    Device("tty1");
    Uart("ttyS0", "4");
    Uart("ttyS1", "0"); // a node without a UART behind it
    Device("ttyS2");    // no type known

    const std::vector<std::string> expected{Roots.Dev + "serial/by-id/usb-FTDI_FT232R-if00-port0",
                                            Roots.Dev + "ttyUSB2", Roots.Dev + "ttyUSB10",
                                            Roots.Dev + "ttyACM0", Roots.Dev + "ttyS0"};
    EXPECT_EQ(Devices("COM1"), expected);
}

TEST_F(SerialPortListTest, TheCurrentPortIsNeverLostFromTheList) {
    Device("ttyUSB0");
    const std::string gone = "/dev/serial/by-id/usb-unplugged";
    EXPECT_EQ(Devices(gone), (std::vector<std::string>{Roots.Dev + "ttyUSB0", gone}));
    EXPECT_EQ(Devices(Roots.Dev + "ttyUSB0"), std::vector<std::string>{Roots.Dev + "ttyUSB0"})
        << "listed once";
    EXPECT_EQ(Devices("COM7"), std::vector<std::string>{Roots.Dev + "ttyUSB0"});
    EXPECT_EQ(Devices("not-a-path"), std::vector<std::string>{Roots.Dev + "ttyUSB0"});
}

TEST_F(SerialPortListTest, AMachineWithoutSerialFoldersListsTheComNames) {
    EXPECT_EQ(SerialPortList("COM1", {Folder.Path() + "none/", Folder.Path() + "none/"}).size(),
              std::size_t(ComPortCount));
}

// Both autostart folders inside a temporary folder.
class AutoStartTest : public ::testing::Test {
protected:
    std::string MachinePath() const { return Folders.Machine + "Pelmora Desk.desktop"; }
    std::string UserPath() const { return Folders.User + "Pelmora Desk.desktop"; }
    TAutoStartEntry Entry(const std::string& program = "/opt/pelmora/pelmora-desk") const {
        return {Folders, "Pelmora Desk", program};
    }
    // A folder below a plain file can be made by nobody, root included.
    void MachineFolderUnwritable() {
        WriteBytes(Folder.Path() + "blocked", "");
        Folders.Machine = Folder.Path() + "blocked/autostart/";
    }

    TTempFolder Folder;
    TAutoStartFolders Folders{Folder.Path() + "etc/xdg/autostart/",
                              Folder.Path() + "home/.config/autostart/"};
};

TEST_F(AutoStartTest, CreatedOnceInTheMachineFolderAndRemoved) {
    EXPECT_FALSE(Entry().Exists());
    Entry().Apply(true);
    ASSERT_TRUE(FileExists(MachinePath()));
    EXPECT_FALSE(FileExists(UserPath()));
    EXPECT_EQ(ReadBytes(MachinePath()), "[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Pelmora Desk\n"
                                        "Exec=\"/opt/pelmora/pelmora-desk\"\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(Entry().Exists());

    // A second tick, even from a copy elsewhere, leaves the entry as it is.
    Entry("/elsewhere/pelmora-desk").Apply(true);
    EXPECT_NE(ReadBytes(MachinePath()).find("/opt/pelmora/"), std::string::npos);
    EXPECT_FALSE(FileExists(UserPath()));

    Entry().Apply(false);
    EXPECT_FALSE(FileExists(MachinePath()));
    EXPECT_FALSE(Entry().Exists());
    Entry().Apply(false); // nothing there: nothing to do
}

TEST_F(AutoStartTest, WithoutRightsOnTheMachineFolderTheUsersFolderIsUsed) {
    MachineFolderUnwritable();
    Entry().Apply(true);
    EXPECT_TRUE(FileExists(UserPath()));
    EXPECT_TRUE(Entry().Exists());
    Entry().Apply(false);
    EXPECT_FALSE(Entry().Exists());
}

TEST_F(AutoStartTest, AnEntryInEitherFolderCountsAndUntickingRemovesBoth) {
    fs::create_directories(Folders.Machine);
    fs::create_directories(Folders.User);
    WriteBytes(UserPath(), "[Desktop Entry]\nExec=/mine\n");
    EXPECT_TRUE(Entry().Exists());
    Entry().Apply(true);
    EXPECT_FALSE(FileExists(MachinePath())) << "an entry in the user's folder is enough";
    EXPECT_EQ(ReadBytes(UserPath()), "[Desktop Entry]\nExec=/mine\n");
    WriteBytes(MachinePath(), "x");
    Entry().Apply(false);
    EXPECT_FALSE(FileExists(MachinePath()));
    EXPECT_FALSE(FileExists(UserPath()));
}

TEST_F(AutoStartTest, AFailureIsReportedAndLeavesNothingBehind) {
    MachineFolderUnwritable();
    WriteBytes(Folder.Path() + "nohome", "");
    Folders.User = Folder.Path() + "nohome/autostart/";
    try {
        Entry().Apply(true);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + UserPath());
    }
    EXPECT_FALSE(Entry().Exists());
}

// The Exec line runs exactly the program path, whatever characters it holds.
TEST(AutoStartExecTest, ThePathIsQuotedAndEscaped) {
    const struct {
        const char* Path;
        const char* Exec;
    } cases[] = {
        {"/opt/Pelmora Desk/pelmora-desk", "Exec=\"/opt/Pelmora Desk/pelmora-desk\""},
        {"/opt/100%/x", "Exec=env \"/opt/100%%/x\""},
        {"/opt/a\tb/x", "Exec=\"/opt/a\\tb/x\""},
        {"/opt/a\"b/x", "Exec=\"/opt/a\\\\\"b/x\""},
        {"/opt/$HOME/`x`", "Exec=\"/opt/\\\\$HOME/\\\\`x\\\\`\""},
        {"/opt/back\\slash", "Exec=\"/opt/back\\\\\\\\slash\""},
        {"/opt/line\nbreak", "Exec=\"/opt/line\\nbreak\""},
    };
    for (const auto& c : cases) {
        const std::string text =
            TAutoStartEntry({"/m/", "/u/"}, "Pelmora Desk", c.Path).EntryText();
        EXPECT_NE(text.find(std::string(c.Exec) + "\n"), std::string::npos)
            << "path " << c.Path << "\n"
            << text;
    }
}

// Runs argv with its output in `log`; the exit status, or -1.
int RunTool(const std::vector<std::string>& args, const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// The entry the box writes for a program in a folder with awkward characters
// passes desktop-file-validate, and a desktop's launcher (GLib's, through gio)
// starts exactly that program.
TEST(AutoStartExecTest, EntriesValidateAndLaunchTheProgram) {
    for (const char* folderName : {"Pelmora Desk", "100%", "tab\there", "a\"b$c`d\\e"}) {
        SCOPED_TRACE(folderName);
        TTempFolder temp;
        const std::string folder = temp.Path() + folderName + "/";
        fs::create_directories(folder);
        const std::string marker = temp.Path() + "started";
        const std::string program = folder + "pelmora-desk";
        WriteBytes(program, "#!/bin/sh\nprintf '%s' \"$0\" > '" + marker + "'\n");
        fs::permissions(program, fs::perms::owner_all);
        const TAutoStartEntry entry({temp.Path() + "machine/", temp.Path() + "user/"},
                                    "Pelmora Desk", program);
        entry.Apply(true);
        const std::string desktop = temp.Path() + "machine/Pelmora Desk.desktop";
        const std::string log = temp.Path() + "log";
        EXPECT_EQ(RunTool({"desktop-file-validate", desktop}, log), 0) << ReadBytes(log);
        EXPECT_EQ(ReadBytes(log), "");
        ASSERT_EQ(RunTool({"gio", "launch", desktop}, log), 0) << ReadBytes(log);
        // The launcher does not wait for the program it started.
        for (int i = 0; i < 500 && ReadBytes(marker).empty(); ++i)
            ::usleep(10000);
        EXPECT_EQ(ReadBytes(marker), program);
    }
}

} // namespace

namespace {

// The folders follow the XDG variables, so a test or a packaged desktop can
// move them.
TEST(AutoStartFoldersTest, FollowTheXdgVariables) {
    const auto keep = [](const char* name) {
        const char* v = std::getenv(name);
        return std::pair<std::string, bool>{v ? v : "", v != nullptr};
    };
    const auto home = keep("HOME"), dirs = keep("XDG_CONFIG_DIRS"),
               config = keep("XDG_CONFIG_HOME");
    setenv("HOME", "/home/ups", 1);
    setenv("XDG_CONFIG_DIRS", "/opt/xdg:/etc/xdg", 1);
    setenv("XDG_CONFIG_HOME", "/home/ups/cfg", 1);
    EXPECT_EQ(DefaultAutoStartFolders().Machine, "/opt/xdg/autostart/");
    EXPECT_EQ(DefaultAutoStartFolders().User, "/home/ups/cfg/autostart/");
    unsetenv("XDG_CONFIG_DIRS");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultAutoStartFolders().Machine, "/etc/xdg/autostart/");
    EXPECT_EQ(DefaultAutoStartFolders().User, "/home/ups/.config/autostart/");
    for (const auto& [name, value] : {std::pair{"HOME", home}, std::pair{"XDG_CONFIG_DIRS", dirs},
                                      std::pair{"XDG_CONFIG_HOME", config}}) {
        if (value.second)
            setenv(name, value.first.c_str(), 1);
        else
            unsetenv(name);
    }
}

} // namespace
