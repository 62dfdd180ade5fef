// The registry configuration file from one machine to another: package
// creation records machine A's agent settings, and a silent installation of
// the test package on a fresh machine B, run by the simulated installer,
// applies the local client's chosen values.
#include <map>
#include <memory>

#include "cli/roads.h"
#include "platform/sim/engine/engine.h"
#include "platform/sim/sim_files.h"
#include "silentpackage/registry_config_file.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const std::string kGina =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";
const std::string kRas =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVRAS";
const std::string kPackage = "D:\\Package\\";
const std::string kTemp = "C:\\Temp\\";

using Values = std::map<std::string, sim::RegValue>;

// Machine A's settings: every type the file carries, and values the silent
// installation must leave behind.
const Values& AgentSettings() {
    static const Values values = {
        {"ChallengeGroup", {"ChallengeGroup", platform::kRegSz, {'T', 'o', 'k', 'a', 'r', 'a', 0}}},
        {"Enabled", {"Enabled", platform::kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}}},
        {"ReserveOption", {"ReserveOption", platform::kRegSz, {'1', 0}}},
        {"ReservePassword", {"ReservePassword", platform::kRegBinary, {0x0A, 0xFF, 0x00, 0x7F}}},
        {"CustomBitMap", {"CustomBitMap", platform::kRegExpandSz, {'%', 'W', '%', 0}}},
        {"PinAttempts", {"PinAttempts", platform::kRegDword, {3, 0, 0, 0}}},
    };
    return values;
}

std::string RecordOnMachineA() {
    TempDir dir;
    sim::Machine a(dir.path());
    sim::SimPlatform sim(a);
    a.session.sourcePaths["SourceDir"] = "E:\\Builder\\";
    std::filesystem::create_directories(*sim::HostPathForCreate(a, "E:\\Builder\\SilentInstallPackage"));
    for (const auto& [name, value] : AgentSettings()) a.registry.CreateKey(kGina)->SetValue(name, value.type, value.data);
    a.registry.CreateKey(kRas)->SetValue("Enabled", platform::kRegDword, {1, 0, 0, 0});

    EXPECT_EQ(silentpackage::RecordRegistryConfiguration(sim.platform(), true, true), 1603u);

    EXPECT_FALSE(sim.platform().files.Open("E:\\Builder\\SilentInstallPackage\\registryConfigFile.txt",
                                          platform::OpenMode::Read));
    const auto file =
        sim.platform().files.Open("E:\\Builder\\SilentInstallPackage\\registryConfigFile.bin", platform::OpenMode::Read);
    std::string bytes;
    char chunk[256];
    while (file) {
        const std::size_t count = file->Read(chunk, sizeof chunk);
        if (count == 0) break;
        bytes.append(chunk, count);
    }
    return bytes;
}

const engine::Package& ThePackage() {
    static const engine::Package package = [] {
        std::string error;
        std::optional<engine::Package> read = engine::ReadPackage(cli::BenchPackage(), error);
        EXPECT_TRUE(read) << error;
        return read.value_or(engine::Package{});
    }();
    return package;
}

class RegistryConfigRoad : public SimFixture {
protected:
    RegistryConfigRoad() {
        machine.environment = {{"windir", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS"},
                               {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
        SetProperty("SourceDir", kPackage);
        machine.session.sourcePaths["SourceDir"] = kPackage;
        for (const std::string& folder : {kTemp, std::string("C:\\WINDOWS\\system32\\"), kPackage}) PutFolder(folder);
        machine.registry.CreateKey(
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
        // The product's own registry rows lay the settings key down; the
        // test package has none.
        machine.registry.CreateKey(kGina);
    }
};

struct RoadCase {
    std::string label;
    std::vector<std::pair<std::string, std::string>> options;  // as the options file sets them
    std::vector<std::string> applied;
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.label; }

const std::string& Recorded() {
    static const std::string recorded = RecordOnMachineA();
    return recorded;
}

class RegistryConfigRoads : public RegistryConfigRoad, public ::testing::WithParamInterface<RoadCase> {};

TEST_P(RegistryConfigRoads, TheChosenValuesArriveExactly) {
    const RoadCase& c = GetParam();
    ASSERT_FALSE(Recorded().empty());
    EXPECT_EQ(Recorded().find("ChallengeGroup"), std::string::npos);  // not clear text
    EXPECT_EQ(Recorded().find("Tokara"), std::string::npos);
    // A package made without settings carries no file.
    if (!c.applied.empty()) PutFile(kPackage + "registryConfigFile.bin", Recorded());
    engine::EngineOptions options;
    options.commandLine = c.options;
    options.commandLine.emplace_back("ADDLOCAL", "LocalAuthClient");
    options.uiLevel = 2;

    const engine::InstallOutcome outcome = engine::RunInstallation(ThePackage(), machine, options);

    EXPECT_EQ(outcome.result, 0u) << outcome.error;
    Values arrived;
    for (const sim::RegValue& value : machine.registry.FindKey(kGina)->values()) arrived[value.name] = value;
    ASSERT_EQ(arrived.size(), c.applied.size());
    for (const std::string& name : c.applied) {
        EXPECT_EQ(arrived[name].type, AgentSettings().at(name).type) << name;
        EXPECT_EQ(arrived[name].data, AgentSettings().at(name).data) << name;
    }
    EXPECT_FALSE(FileExists(kTemp + "registryConfigFile.txt"));
    EXPECT_FALSE(FileExists(kTemp + "registryConfigFile.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Silent, RegistryConfigRoads,
    ::testing::Values(
        RoadCase{"NoSettingsInThePackage", {{"REGISTRY_CONFIG_STATE", "False"}}, {}},
        RoadCase{"TheGroupOnly",
                 {{"REGISTRY_CONFIG_STATE", "True"}, {"REGISTRY_CONFIG_GROUP", "True"},
                  {"REGISTRY_CONFIG_PASSWD", "False"}},
                 {"ChallengeGroup", "Enabled"}},
        RoadCase{"GroupAndPassword",
                 {{"REGISTRY_CONFIG_STATE", "True"}, {"REGISTRY_CONFIG_GROUP", "True"},
                  {"REGISTRY_CONFIG_PASSWD", "True"}},
                 {"ChallengeGroup", "Enabled", "ReserveOption", "ReservePassword"}}),
    [](const ::testing::TestParamInfo<RoadCase>& info) { return info.param.label; });

}  // namespace
}  // namespace veltra::testing
