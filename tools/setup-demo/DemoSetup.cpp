#include "tools/setup-demo/DemoSetup.h"

#include "base/ProgramFolder.h"
#include "config/UUserParaIni.h"

#include <filesystem>

std::vector<TEquipItem> ScenarioDevices(const TScenario& scenario) {
    std::vector<TEquipItem> devices;
    for (const TScenarioUnit& unit : scenario.Units) {
        const std::string model = unit.Setup.Model.value_or(DefaultModel);
        devices.push_back({0, unit.Address, "UPS " + std::to_string(unit.Address) + " " + model});
    }
    return devices;
}

bool WriteSettingsIfMissing(const TDemoSettings& settings) {
    if (std::filesystem::exists(UserParaPath()))
        return false;
    LoadUserPara(); // no file: every value takes its default
    UserPara.PortInfo.ComName = settings.ComName;
    UserPara.PortInfo.Protocol = settings.Protocol;
    if (settings.RecInterval > 0)
        UserPara.RecInterval = settings.RecInterval;
    SaveUserPara();
    return true;
}

bool WriteDeviceListIfMissing(const std::vector<TEquipItem>& devices) {
    if (std::filesystem::exists(TreeFilePath()))
        return false;
    std::filesystem::create_directories(RecordPath());
    EquipList = TEquipList{};
    for (const TEquipItem& device : devices) {
        if (!AppendEquip(device))
            break; // a full list: the rest cannot be monitored anyway
    }
    SaveTreeFile();
    return true;
}
