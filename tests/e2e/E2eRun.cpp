#include "tests/e2e/E2eRun.h"

#include "base/ProgramFolder.h"
#include "config/IniFile.h"
#include "config/UUserParaIni.h"
#include "tools/setup-demo/DemoSetup.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr auto StartTimeout = std::chrono::seconds(10);
constexpr int StopTimeoutMs = 15000;
const char* const PortLink = "ttyUPS";

template <std::size_t Size, typename TRec, typename TDecode>
std::vector<TRec> DecodeRecords(const std::string& bytes, TDecode decode) {
    std::vector<TRec> records;
    for (std::size_t at = 0; at + Size <= bytes.size(); at += Size) {
        std::array<uint8_t, Size> raw;
        std::copy_n(reinterpret_cast<const uint8_t*>(bytes.data()) + at, Size, raw.begin());
        records.push_back(decode(raw));
    }
    return records;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

TE2eRun::TE2eRun(const TE2eConfig& config) {
    WriteProgramFolder(config);
    StartSimulator(config.Protocol);
    StartMonitor(config.SessionBus);
}

// The settings and device list the monitor finds at its start, written with
// the same code as the demonstration run command uses.
void TE2eRun::WriteProgramFolder(const TE2eConfig& config) {
    WriteBytes(Path("scenario.txt"), config.Scenario);
    SetProgramFolder(FFolder.Path());
    const bool settings = WriteSettingsIfMissing(
        {Path(PortLink), static_cast<uint8_t>(config.Protocol), config.RecInterval});
    const bool devices = WriteDeviceListIfMissing(config.Devices);
    if (!settings || !devices)
        throw std::runtime_error("the fresh program folder already held files");
    if (config.FastPoll || !config.Settings.empty()) {
        TIniFile ini;
        if (ini.Load(UserParaPath()) != TIniFile::TLoadResult::Read)
            throw std::runtime_error("the settings just written cannot be read");
        if (config.FastPoll)
            ini.WriteInteger("CommMast", "FastPoll", 1);
        for (const auto& [section, key, value] : config.Settings)
            ini.WriteString(section, key, value);
        WriteBytes(UserParaPath(), ini.Text());
    }
    fs::copy_file(PELMORA_DESK_PATH, Path("pelmora-desk"));
    fs::create_directory(Path("runtime"));
    fs::permissions(Path("runtime"), fs::perms::owner_all); // Qt wants 0700
}

void TE2eRun::StartSimulator(int protocol) {
    ++FSimRuns;
    FSim = std::make_unique<TChildProcess>(TChildProcess::TOptions{
        .Program = PELMORA_SIM_PATH,
        .Args = {"--protocol", std::to_string(protocol), "--scenario", Path("scenario.txt"),
                 "--link", Path(PortLink)},
        .StdoutPath = Path("sim.out"),
        .StderrPath = SimLogPath(),
    });
    if (!WaitUntil([&] { return fs::is_symlink(Path(PortLink)) || !FSim->Running(); },
                   StartTimeout) ||
        !FSim->Running()) {
        throw std::runtime_error("pelmora-sim did not come up:\n" + SimLog());
    }
}

// Offscreen, with its own temporary folder so that its single-instance socket
// meets no other monitor running on this machine.
void TE2eRun::StartMonitor(const std::string& sessionBus) {
    FMonitor = std::make_unique<TChildProcess>(TChildProcess::TOptions{
        .Program = Path("pelmora-desk"),
        .WorkDir = FFolder.Path(),
        .Env = {{"QT_QPA_PLATFORM", "offscreen"},
                {"TMPDIR", FFolder.Path()},
                {"XDG_RUNTIME_DIR", Path("runtime")},
                {"DBUS_SESSION_BUS_ADDRESS",
                 sessionBus.empty() ? "unix:path=" + Path("no-bus") : sessionBus}},
        .StdoutPath = Path("desk.out"),
        .StderrPath = Path("desk.log"),
    });
}

std::vector<TEventRec> TE2eRun::Events() const {
    return DecodeRecords<EventRecSize, TEventRec>(ReadBytes(Path("Record/EventLog.dat")),
                                                  DecodeEventRec);
}

std::vector<TDataRec> TE2eRun::DataRecords() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Path("Record"))) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("DataLog") && name.ends_with(".dat"))
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end()); // months in order
    std::vector<TDataRec> records;
    for (const std::string& file : files) {
        auto month = DecodeRecords<DataRecSize, TDataRec>(ReadBytes(file), DecodeDataRec);
        records.insert(records.end(), month.begin(), month.end());
    }
    return records;
}

std::vector<TSimFrame> TE2eRun::SimFrames() const {
    return ParseSimTraffic(SimLog());
}

std::string TE2eRun::SimLogPath() const {
    return FSimRuns <= 1 ? Path("sim.log") : Path("sim-" + std::to_string(FSimRuns) + ".log");
}

std::string TE2eRun::SimLog() const {
    return ReadBytes(SimLogPath());
}

bool TE2eRun::KillSimulator() {
    return FSim->StopWith(SIGKILL, StopTimeoutMs);
}

void TE2eRun::RestartSimulator(int protocol) {
    // The killed simulator left its link behind; without it the wait below
    // knows when the new one is up.
    fs::remove(Path(PortLink));
    StartSimulator(protocol);
}

std::string TE2eRun::MonitorLog() const {
    return ReadBytes(Path("desk.out")) + ReadBytes(Path("desk.log"));
}

bool TE2eRun::StopMonitor() {
    return FMonitor->StopWith(SIGTERM, StopTimeoutMs);
}
