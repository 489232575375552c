// The Debian package, made by CPack from this build's programs the way
// `cmake --build --preset default --target package` makes it, but into a
// temporary folder: its file list and control fields, the desktop entry, the
// metainfo, the man pages and icons it carries, and the unpacked monitor
// itself, run as an installed program that cannot write beside itself.

#include "base/ProgramFolder.h"
#include "logging/uEventLogClass.h"
#include "status/StatusCodes.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/E2eRun.h"
#include "tests/support/EventLogFile.h"
#include "tests/support/TempFolder.h"
#include "tools/setup-demo/DemoSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string AppId = PELMORA_APP_ID;
constexpr uid_t Nobody = 65534;

struct TCommandResult {
    int Status = -1;
    std::string Output; // stdout and stderr together
};

TCommandResult RunCommand(const std::string& command) {
    TCommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;)
        result.Output.append(buf.data(), n);
    const int status = pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The package, made and unpacked once for all tests of this run; a failure
// to make it shows in every test.
struct TPackage {
    TTempFolder Folder;
    std::string Deb;
    std::string MakeLog;
    std::string Root = Folder.Path() + "root"; // unpacked, as dpkg would install it

    TPackage() {
        const TCommandResult made =
            RunCommand(std::string(PELMORA_CPACK) + " -G DEB --config " + PELMORA_BUILD_DIR +
                       "/CPackConfig.cmake -B " + Folder.Path() + "out");
        MakeLog = made.Output;
        std::error_code none; // no folder when CPack failed early
        for (const auto& entry : fs::directory_iterator(Folder.Path() + "out", none))
            if (entry.path().extension() == ".deb")
                Deb = entry.path().string();
        if (!Deb.empty())
            MakeLog += RunCommand("dpkg-deb -x " + Deb + " " + Root).Output;
    }
};

const TPackage& Package() {
    static const TPackage package;
    return package;
}

class PackageTest : public ::testing::Test {
protected:
    const std::string& Deb = Package().Deb;
    const std::string& Root = Package().Root;

    void SetUp() override {
        ASSERT_FALSE(Deb.empty()) << "no package was made:\n" << Package().MakeLog;
    }

    std::string Field(const std::string& name) const {
        std::string value = RunCommand("dpkg-deb -f " + Deb + " " + name).Output;
        while (!value.empty() && value.back() == '\n')
            value.pop_back();
        return value;
    }
    // The package unpacked into a fresh folder, as dpkg would install it.
    std::string Unpack(const TTempFolder& into) const {
        const TCommandResult r = RunCommand("dpkg-deb -x " + Deb + " " + into.Path() + "root");
        EXPECT_EQ(r.Status, 0) << r.Output;
        return into.Path() + "root";
    }
};

std::string Architecture() {
    std::string arch = RunCommand("dpkg --print-architecture").Output;
    return arch.substr(0, arch.find('\n'));
}

TEST_F(PackageTest, FileNameTellsNameVersionAndArchitecture) {
    EXPECT_EQ(fs::path(Deb).filename().string(),
              "pelmora-desk_" + std::string(PELMORA_VERSION) + "_" + Architecture() + ".deb");
}

// Every file the package installs, with its mode; nothing else may be in it
// but the folders that hold them.
TEST_F(PackageTest, InstallsExactlyTheseFilesUnderUsr) {
    const std::string icons = "./usr/share/icons/hicolor/";
    std::map<std::string, std::string> expected = {
        {"./usr/bin/pelmora-desk", "-rwxr-xr-x"},
        {"./usr/bin/pelmora-sim", "-rwxr-xr-x"},
        {"./usr/bin/pelmora-agent", "-rwxr-xr-x"},
        {"./usr/lib/systemd/system/pelmora-agent@.service", "-rw-r--r--"},
        {"./usr/share/man/man1/pelmora-agent.1.gz", "-rw-r--r--"},
        {"./usr/share/applications/" + AppId + ".desktop", "-rw-r--r--"},
        {"./usr/share/metainfo/" + AppId + ".metainfo.xml", "-rw-r--r--"},
        {icons + "scalable/apps/" + AppId + ".svg", "-rw-r--r--"},
        {"./usr/share/man/man1/pelmora-desk.1.gz", "-rw-r--r--"},
        {"./usr/share/man/man1/pelmora-sim.1.gz", "-rw-r--r--"},
        {"./usr/share/doc/pelmora-desk/copyright", "-rw-r--r--"},
        {"./usr/share/doc/pelmora-desk/README.md", "-rw-r--r--"},
        {"./usr/share/doc/pelmora-desk/examples/default.txt", "-rw-r--r--"},
    };
    for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
        expected[icons + size + "x" + size + "/apps/" + AppId + ".png"] = "-rw-r--r--";

    const TCommandResult listing = RunCommand("dpkg-deb -c " + Deb);
    ASSERT_EQ(listing.Status, 0) << listing.Output;
    std::map<std::string, std::string> found;
    for (const std::string& line : Lines(listing.Output)) {
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, path;
        fields >> mode >> owner >> size >> date >> time >> path;
        SCOPED_TRACE(line);
        EXPECT_EQ(owner, "root/root");
        if (mode.starts_with('d'))
            EXPECT_EQ(mode, "drwxr-xr-x");
        else
            found[path] = mode;
    }
    EXPECT_EQ(found, expected);
}

TEST_F(PackageTest, ControlFields) {
    const std::map<std::string, std::string> fields = {
        {"Package", "pelmora-desk"},      {"Version", PELMORA_VERSION},
        {"Architecture", Architecture()}, {"Section", "admin"},
        {"Priority", "optional"},         {"Maintainer", "Pelmora Desk developers"},
    };
    for (const auto& [name, value] : fields)
        EXPECT_EQ(Field(name), value) << name;

    const std::vector<std::string> description = Lines(Field("Description"));
    ASSERT_GE(description.size(), 2U);
    EXPECT_EQ(description[0], "desktop monitor for UPS units on an RS-485 line");
    EXPECT_TRUE(description[1].starts_with(" Pelmora Desk polls")) << description[1];
    for (const std::string& line : description)
        EXPECT_LE(line.size(), 80U) << line;
}

// The libraries come from the programs themselves; the font and Qt's own
// translations are added by name.
TEST_F(PackageTest, DependsOnTheLibrariesTheFontAndTheTranslations) {
    const std::string depends = Field("Depends");
    for (const char* package :
         {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6network6",
          "libqt6svg6", "fonts-noto-cjk", "qt6-translations-l10n"}) {
        EXPECT_NE(depends.find(package), std::string::npos) << package << " in " << depends;
    }
}

TEST_F(PackageTest, DesktopEntryIsValidAndNamesTheInstalledIconAndProgram) {
    const std::string entry = Root + "/usr/share/applications/" + AppId + ".desktop";
    const TCommandResult valid = RunCommand("desktop-file-validate " + entry);
    EXPECT_EQ(valid.Status, 0) << valid.Output;
    EXPECT_EQ(valid.Output, "");

    std::map<std::string, std::string> keys;
    for (const std::string& line : Lines(ReadBytes(entry)))
        if (const auto eq = line.find('='); eq != std::string::npos)
            keys[line.substr(0, eq)] = line.substr(eq + 1);
    EXPECT_EQ(keys["Name"], "Pelmora Desk");
    EXPECT_EQ(keys["Name[zh_CN]"], "Pelmora监控");
    EXPECT_EQ(keys["Exec"], "pelmora-desk");
    EXPECT_EQ(keys["Icon"], AppId);
    // Qt names the window class after the application, so the desktop finds
    // the entry of a running window by it.
    EXPECT_EQ(keys["StartupWMClass"], "Pelmora Desk");
    for (const char* key :
         {"Comment", "Comment[zh_CN]", "Categories", "Keywords", "Keywords[zh_CN]"})
        EXPECT_FALSE(keys[key].empty()) << key;
    EXPECT_TRUE(fs::exists(Root + "/usr/bin/" + keys["Exec"]));
    EXPECT_TRUE(
        fs::exists(Root + "/usr/share/icons/hicolor/scalable/apps/" + keys["Icon"] + ".svg"));
}

TEST_F(PackageTest, MetainfoIsValidAndLaunchesTheDesktopEntry) {
    const std::string metainfo = Root + "/usr/share/metainfo/" + AppId + ".metainfo.xml";
    const TCommandResult valid = RunCommand("appstreamcli validate --no-net " + metainfo);
    EXPECT_EQ(valid.Status, 0) << valid.Output;
    const std::string text = ReadBytes(metainfo);
    EXPECT_NE(text.find("<id>" + AppId + "</id>"), std::string::npos);
    EXPECT_NE(text.find(">" + AppId + ".desktop</launchable>"), std::string::npos);
    EXPECT_NE(text.find("<release version=\"" + std::string(PELMORA_VERSION) + "\""),
              std::string::npos);
}

// groff warns about every mistake in a page; a clean page renders silently.
TEST_F(PackageTest, ManPagesRenderWithoutWarnings) {
    for (const char* program : {"pelmora-desk", "pelmora-sim", "pelmora-agent"}) {
        SCOPED_TRACE(program);
        const std::string page = Root + "/usr/share/man/man1/" + program + ".1.gz";
        const TCommandResult warnings =
            RunCommand("zcat " + page + " | groff -man -ww -z -Tutf8 -K utf8");
        EXPECT_EQ(warnings.Status, 0);
        EXPECT_EQ(warnings.Output, "");
        const TCommandResult text = RunCommand("zcat " + page + " | groff -man -Tutf8 -K utf8");
        EXPECT_NE(text.Output.find(program), std::string::npos);
        EXPECT_NE(text.Output.find(PELMORA_VERSION), std::string::npos);
    }
}

// A PNG states its size in its header: width and height, big-endian, at 16.
TEST_F(PackageTest, IconPngsHaveTheSizeOfTheirFolder) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const std::string name = std::to_string(size);
        const std::string png = ReadBytes(Root + "/usr/share/icons/hicolor/" + name + "x" + name +
                                          "/apps/" + AppId + ".png");
        ASSERT_GE(png.size(), 24U);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        const auto be32 = [&](std::size_t at) {
            uint32_t v = 0;
            for (std::size_t i = 0; i < 4; ++i)
                v = (v << 8) | uint8_t(png[at + i]);
            return v;
        };
        EXPECT_EQ(be32(16), uint32_t(size));
        EXPECT_EQ(be32(20), uint32_t(size));
    }
}

TEST_F(PackageTest, SimulatorInThePackageShowsItsHelp) {
    const TCommandResult help = RunCommand(Root + "/usr/bin/pelmora-sim --help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Output.find("usage: pelmora-sim"), std::string::npos) << help.Output;
}

// The unpacked monitor in a folder it may not write to, as /usr/bin is to a
// user, with the simulator from the package on a pseudo-terminal. Run as
// root, the test starts both as the user nobody, for whom the folder is
// really read-only. The monitor must keep everything in the user's data
// folder, poll the simulator and log its end on SIGTERM.
class InstalledMonitorTest : public PackageTest {
protected:
    TTempFolder Folder;
    std::string Installed, Data, Port;

    void SetUp() override {
        PackageTest::SetUp();
        Installed = Unpack(Folder);
        Data = Folder.Path() + "home/.local/share/pelmora-desk/";
        Port = Folder.Path() + "ttyUPS";
        fs::create_directories(Folder.Path() + "runtime");
        WriteBytes(Folder.Path() + "scenario.txt", "unit 1 model \"VEX610\" state online\n");
        // The operator's settings and device list, in the folder the
        // installed monitor will choose.
        fs::create_directories(Data);
        SetProgramFolder(Data);
        ASSERT_TRUE(WriteSettingsIfMissing({Port, 2, 0}));
        ASSERT_TRUE(WriteDeviceListIfMissing({TEquipItem{1, 1, "UPS 1"}}));
        if (geteuid() == 0) {
            ASSERT_EQ(RunCommand("chown -R nobody: " + Folder.Path()).Status, 0);
        }
        fs::permissions(Installed + "/usr/bin", fs::perms::owner_write | fs::perms::group_write,
                        fs::perm_options::remove);
    }
    // Writable again, so that the folder can be removed by any user.
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(Installed + "/usr/bin", fs::perms::owner_write, fs::perm_options::add,
                        ignored);
    }

    // The program, started as nobody when the test runs as root.
    TChildProcess::TOptions As(const std::string& program, std::vector<std::string> args) const {
        TChildProcess::TOptions options{.Program = program, .Args = std::move(args)};
        if (geteuid() == 0) {
            options.Args.insert(options.Args.begin(),
                                {"--reuid=" + std::to_string(Nobody),
                                 "--regid=" + std::to_string(Nobody), "--clear-groups", program});
            options.Program = "/usr/bin/setpriv";
        }
        return options;
    }

    std::vector<TEventRec> Events() const { return ReadEventRecords(Data + "Record/EventLog.dat"); }
};

TEST_F(InstalledMonitorTest, KeepsItsFilesInTheUserDataFolderAndPollsTheSimulator) {
    auto simOptions =
        As(Installed + "/usr/bin/pelmora-sim",
           {"--protocol", "2", "--scenario", Folder.Path() + "scenario.txt", "--link", Port});
    simOptions.StderrPath = Folder.Path() + "sim.log";
    TChildProcess sim(simOptions);
    ASSERT_TRUE(WaitUntil([&] { return fs::is_symlink(Port); }, 10s))
        << ReadBytes(Folder.Path() + "sim.log");

    auto deskOptions = As(Installed + "/usr/bin/pelmora-desk", {});
    deskOptions.WorkDir = Folder.Path();
    deskOptions.Env = {{"QT_QPA_PLATFORM", "offscreen"},
                       {"HOME", Folder.Path() + "home"},
                       {"XDG_DATA_HOME", ""},
                       {"TMPDIR", Folder.Path()},
                       {"XDG_RUNTIME_DIR", Folder.Path() + "runtime"}};
    deskOptions.StderrPath = Folder.Path() + "desk.log";
    TChildProcess desk(deskOptions);

    const auto stateRead = [&] {
        const auto events = Events();
        return std::any_of(events.begin(), events.end(), [](const TEventRec& e) {
            return e.Address == 1 && e.Kind == EventKindState;
        });
    };
    EXPECT_TRUE(WaitUntil(stateRead, 40s)) << ReadBytes(Folder.Path() + "desk.log");
    ASSERT_TRUE(desk.StopWith(SIGTERM, 15000));
    EXPECT_TRUE(WIFEXITED(desk.ExitStatus()) && WEXITSTATUS(desk.ExitStatus()) == 0)
        << ReadBytes(Folder.Path() + "desk.log");

    const auto events = Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().Code, EventSoftwareOpen);
    EXPECT_EQ(events.back().Kind, EventKindProgram);
    EXPECT_EQ(events.back().Code, EventSoftwareClosed);
    EXPECT_TRUE(fs::is_directory(Data + "Backup")); // made by the monitor

    std::vector<std::string> besideTheProgram;
    for (const auto& entry : fs::directory_iterator(Installed + "/usr/bin"))
        besideTheProgram.push_back(entry.path().filename().string());
    std::sort(besideTheProgram.begin(), besideTheProgram.end());
    EXPECT_EQ(besideTheProgram,
              (std::vector<std::string>{"pelmora-agent", "pelmora-desk", "pelmora-sim"}));
}
} // namespace
