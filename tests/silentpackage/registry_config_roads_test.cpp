// From one machine to another: package creation records machine A's agent
// settings, then a silent installation from the package folder on a fresh
// machine B, run by the simulated installer with the test package, applies
// the local client's chosen values.
#include "cli/roads.h"
#include "platform/sim/engine/engine.h"
#include "silentpackage/registry_config_file.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const std::string kGina =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";
const std::string kPackageFolder = "D:\\Package\\SilentInstallPackage\\";

// Every type the file carries, and values the installation must leave behind.
const std::vector<sim::RegValue> kAgentSettings = {
    {"ChallengeGroup", platform::kRegSz, {'T', 'o', 'k', 'a', 'r', 'a', 0}},
    {"Enabled", platform::kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
    {"ReserveOption", platform::kRegSz, {'1', 0}},
    {"ReservePassword", platform::kRegBinary, {0x0A, 0xFF, 0x00, 0x7F}},
    {"CustomBitMap", platform::kRegExpandSz, {'%', 'W', '%', 0}},
    {"PinAttempts", platform::kRegDword, {3, 0, 0, 0}},
};

struct RoadCase {
    std::string label;
    std::vector<std::pair<std::string, std::string>> options;  // as the package's options file sets them
    std::ptrdiff_t applied;  // the first values of kAgentSettings
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.label; }

class RegistryConfigRoads : public SimFixture, public ::testing::WithParamInterface<RoadCase> {};

TEST_P(RegistryConfigRoads, TheChosenValuesArriveExactly) {
    machine.session.sourcePaths["SourceDir"] = "D:\\Package\\";
    PutFolder(kPackageFolder);
    for (const sim::RegValue& value : kAgentSettings) machine.registry.CreateKey(kGina)->SetValue(value.name, value.type, value.data);
    ASSERT_EQ(silentpackage::RecordRegistryConfiguration(sim.platform(), true, true), 1603u);
    const std::string recorded = ReadFile(kPackageFolder + "registryConfigFile.bin");
    EXPECT_EQ(recorded.find("Tokara"), std::string::npos);
    EXPECT_FALSE(FileExists(kPackageFolder + "registryConfigFile.txt"));
    // A package made without settings carries no file.
    if (GetParam().applied == 0) sim.platform().files.DeleteFile((kPackageFolder + "registryConfigFile.bin").c_str());

    // Machine B: only the settings key, which the product's registry rows lay down.
    machine.registry = sim::RegistryTree();
    machine.registry.CreateKey(kGina);
    machine.registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
    machine.environment = {{"windir", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS"},
                           {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
    for (const std::string folder : {"C:\\Temp\\", "C:\\WINDOWS\\system32\\"}) PutFolder(folder);
    SetProperty("SourceDir", kPackageFolder);
    machine.session.sourcePaths["SourceDir"] = kPackageFolder;
    // The package's options file, as package creation wrote it.
    std::string optionsFile = "InstallSilentLAC=1\r\n";
    for (const auto& [name, value] : GetParam().options) optionsFile += name + "=" + value + "\r\n";
    PutFile(kPackageFolder + "packageOptionsFile.txt", optionsFile);
    engine::EngineOptions options;
    options.uiLevel = 2;
    std::string error;
    const auto package = engine::ReadPackage(cli::BenchPackage(), error);
    ASSERT_TRUE(package) << error;

    const engine::InstallOutcome outcome = engine::RunInstallation(*package, machine, options);

    EXPECT_EQ(outcome.result, 0u) << outcome.error;
    // The four values the file may carry arrive exactly, or not at all; the
    // install options write other values of the key on their own.
    const auto gina = machine.registry.FindKey(kGina);
    for (std::ptrdiff_t i = 0; i < 4; ++i) {
        const sim::RegValue& value = kAgentSettings[static_cast<std::size_t>(i)];
        const sim::RegValue* arrived = gina->FindValue(value.name);
        if (i < GetParam().applied) {
            ASSERT_NE(arrived, nullptr) << value.name;
            EXPECT_EQ(*arrived, value);
        } else {
            EXPECT_EQ(arrived, nullptr) << value.name;
        }
    }
    EXPECT_FALSE(FileExists("C:\\Temp\\registryConfigFile.txt"));
    EXPECT_FALSE(FileExists("C:\\Temp\\registryConfigFile.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Silent, RegistryConfigRoads,
    ::testing::Values(
        // Without settings the apply step is not run: it would fail without data.
        RoadCase{"NoSettingsInThePackage", {{"REGISTRY_CONFIG_STATE", "False"}}, 0},
        RoadCase{"TheGroupOnly",
                 {{"REGISTRY_CONFIG_STATE", "True"}, {"REGISTRY_CONFIG_GROUP", "True"}, {"REGISTRY_CONFIG_PASSWD", "False"}},
                 2},
        RoadCase{"GroupAndPassword",
                 {{"REGISTRY_CONFIG_STATE", "True"}, {"REGISTRY_CONFIG_GROUP", "True"}, {"REGISTRY_CONFIG_PASSWD", "True"}},
                 4}),
    [](const ::testing::TestParamInfo<RoadCase>& info) { return info.param.label; });

}  // namespace
}  // namespace veltra::testing
