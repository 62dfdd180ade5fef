// The GINA actions in a real installation: the x86_64 test package installed
// and removed by Wine's msiexec in a throw-away prefix, seeded from a machine
// folder. ValidateFeatures decides from the feature choice whether the GINA
// is linked or unlinked, EnableGina and DisableGina do it. Each scenario runs
// twice, in Wine and on the simulated machine seeded from the same folder
// (package_sequence.h replays the package's sequence there), and the two must
// agree: the custom actions that ran and their results, the decisions left in
// properties, and the registry changes key by key. Wine is more lenient than
// Windows (a failing action can look like success), so the verbose log's
// return value of every action is checked, and the exact end state of the
// Winlogon values.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "package_sequence.h"
#include "simulated_install.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;

// A value expected after a phase: its string data, or nullopt for absent.
struct Expected {
    std::string key;
    std::string name;
    std::optional<std::string> value;
};

const std::string kGinaSettings =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";

struct GinaScenario {
    const char* machine;  // folder under machines/, and the test's name
    std::vector<Expected> installed;
    std::vector<Expected> removed;
    CommandLine more = {};  // properties given besides ADDLOCAL
};

// Test names show the machine, not the bytes of the parameter.
void PrintTo(const GinaScenario& scenario, std::ostream* out) {
    *out << scenario.machine;
}

void ExpectValues(const sim::RegistryTree& tree, const std::vector<Expected>& expected,
                  const char* side) {
    for (const Expected& value : expected) {
        EXPECT_EQ(StringValue(tree, value.key, value.name), value.value)
            << side << ": " << value.key << " \"" << value.name << "\"";
    }
}

class GinaScenarioTest : public WineScenarioTest,
                         public ::testing::WithParamInterface<GinaScenario> {
protected:
    void SetUp() override {
        WineScenarioTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        UseMachine(GetParam().machine, GetParam().machine);
    }
};

TEST_P(GinaScenarioTest, InstallAndRemoveChangeWhatTheSimulatedMachinePredicts) {
    const GinaScenario& scenario = GetParam();
    // The package runs from a folder of its own, beside its options file.
    const fs::path packageFolder = work / "package";
    fs::create_directories(packageFolder);
    const fs::path package = packageFolder / fs::path(VELTRA_E2E_PACKAGE).filename();
    fs::copy_file(VELTRA_E2E_PACKAGE, package, fs::copy_options::overwrite_existing);
    std::ofstream(packageFolder / kOptionsFileName, std::ios::binary) << kOptionsFileText;
    const std::string sourceDir = WinePrefix::WindowsPath(packageFolder) + "\\";
    const InstallerFacts facts{ProductCodeOf(package.string()), kWineSystemFolder, kQuietUiLevel, sourceDir,
                               kSimTempFolder};
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << package;

    // The simulated machine first: it is quick, and the keys it changes are
    // the keys to read back from Wine.
    std::string error;
    auto simulated = OpenSimulated(error);
    ASSERT_TRUE(simulated) << error;
    simulated->PutFile(sourceDir + kOptionsFileName, kOptionsFileText);
    const sim::RegistryTree simSeeded = simulated->registry();
    CommandLine commandLine = scenario.more;
    commandLine["ADDLOCAL"] = kAddLocal;
    const SequenceRun simInstall = SimulateInstallation(*simulated, facts, commandLine);
    const auto simServices = simulated->machine().services;
    const sim::RegistryTree simInstalled = simulated->registry();
    const SequenceRun simRemove = SimulateRemoval(*simulated, facts);
    const sim::RegistryTree simRemoved = simulated->registry();
    ASSERT_FALSE(simulated->machine().unansweredDialog)
        << "a quiet run showed a dialog: " << *simulated->machine().unansweredDialog;

    const auto simInstallChanges = sim::DiffTrees(simSeeded, simInstalled);
    const auto simRemoveChanges = sim::DiffTrees(simInstalled, simRemoved);
    std::vector<sim::RegChange> simChanges = simInstallChanges;
    simChanges.insert(simChanges.end(), simRemoveChanges.begin(), simRemoveChanges.end());
    watched = WatchedKeys(simSeeded, simChanges);

    // Wine: the same machine, the real package.
    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");
    ExpectSeeded(wineSeeded, simSeeded);

    std::vector<std::string> install = {"/i", WinePrefix::WindowsPath(package)};
    for (const auto& [name, value] : commandLine) install.push_back(name + "=" + value);
    const MsiLog installLog = RunMsiexec(install, "install");
    ExpectFacts(installLog, facts);
    ExpectSameActions(installLog, simInstall, "installation");
    ExpectSameLogLines(installLog, simInstall, facts, "installation");
    ExpectSameProperties(installLog, simInstall, facts, "installation");
    EXPECT_EQ(
        installLog.properties.count("EnableGina") ? installLog.properties.at("EnableGina") : "",
        kAgentGina + ";" + kQuietUiLevel)
        << "the package gave EnableGina other data than the simulated run";
    const sim::RegistryTree wineInstalled = ExportWatched("installed");
    ExpectSameServices(simServices, "installed");

    const MsiLog removeLog =
        RunMsiexec({"/x", WinePrefix::WindowsPath(package)}, "remove");
    ExpectSameActions(removeLog, simRemove, "removal");
    ExpectSameLogLines(removeLog, simRemove, facts, "removal");
    ExpectSameProperties(removeLog, simRemove, facts, "removal");
    const sim::RegistryTree wineRemoved = ExportWatched("removed");

    // The same registry changes on both sides, key by key.
    ExpectSameRegistryChanges(sim::DiffTrees(wineSeeded, wineInstalled), simInstallChanges,
                              "installation");
    ExpectSameRegistryChanges(sim::DiffTrees(wineInstalled, wineRemoved), simRemoveChanges,
                              "removal");

    // And the end states the chain logic promises, whatever both sides did.
    ExpectValues(wineInstalled, scenario.installed, "Wine after installation");
    ExpectValues(simInstalled, scenario.installed, "simulated machine after installation");
    ExpectValues(wineRemoved, scenario.removed, "Wine after removal");
    ExpectValues(simRemoved, scenario.removed, "simulated machine after removal");
    for (const auto& run : {simInstall, simRemove}) {
        for (const auto& [action, result] : run.actions) EXPECT_EQ(result, 0u) << action;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, GinaScenarioTest,
    ::testing::Values(
        // No GINA named: Winlogon loads Microsoft's; the agent becomes the
        // first GINA and is taken out again without a trace.
        GinaScenario{
            "plain",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", std::nullopt}},
            {{kWinlogon, "GinaDLL", std::nullopt}, {kWinlogon, "KVSupercededGina", std::nullopt}}},
        // A chaining GINA in front of Microsoft's: the agent takes the end
        // of the chain behind it, and the product's own default comes back.
        GinaScenario{
            "ctxgina",
            {{kWinlogon, "GinaDLL", "ctxgina.dll"}, {kWinlogon, "CtxGinaDLL", kAgentGina}},
            {{kWinlogon, "GinaDLL", "ctxgina.dll"}, {kWinlogon, "CtxGinaDLL", "MSGina.dll"}}},
        // Another product's GINA at the end of the chain: a quiet
        // installation displaces it without asking and remembers it; the
        // removal puts it back.
        GinaScenario{
            "unknown-gina",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", "othergina.dll"}},
            {{kWinlogon, "GinaDLL", "othergina.dll"},
             {kWinlogon, "KVSupercededGina", std::nullopt}}},
        // The legacy agent's GINA is replaced without asking and restored.
        GinaScenario{
            "legacy-kvgina",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", "kvgina.dll"}},
            {{kWinlogon, "GinaDLL", "kvgina.dll"}, {kWinlogon, "KVSupercededGina", std::nullopt}}},
        // "Challenge all users": the exclude group is set up and the GINA
        // settings key that exists points at it (\\<computer>\ExcludeGroup,
        // compared with the simulated run's value key by key).
        GinaScenario{
            "challenge",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kGinaSettings, "ReserveOption", "0"}},
            {{kWinlogon, "GinaDLL", std::nullopt}},
            {{"AUTHCONFIGSELECTED", "2"}}}),
    [](const ::testing::TestParamInfo<GinaScenario>& info) {
        std::string name = info.param.machine;
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

}  // namespace
}  // namespace veltra::e2e
