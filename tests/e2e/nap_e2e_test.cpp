// The domain authentication server's configuration in a real installation:
// the x86_64 test package installed with the server feature at the reduced
// user-interface level (msiexec /qr, the lowest at which the configuration
// runs) by Wine's msiexec, with a stand-in for the agent's applet
// "kvcontrl.cpl" in the installation folder whose answer the test chooses.
// ConfigureNAPServer loads it on the interactive desktop and calls its
// configuration once; the simulated machine, scripted with the same answer,
// must agree on the actions, their log lines and the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "package_sequence.h"
#include "simulated_install.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kAgentFolder = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
const std::string kApplet = kAgentFolder + "kvcontrl.cpl";

class NapScenarioTest : public WineScenarioTest {
protected:
    void SetUp() override {
        WineScenarioTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        UseMachine("plain", "nap");
    }
};

TEST_F(NapScenarioTest, TheServerIsConfiguredOnceThroughTheApplet) {
    const fs::path package = PackageFolder("package", {});
    const InstallerFacts facts = FactsFor(package, "4");
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << package;
    const CommandLine commandLine = {{"ADDLOCAL", "DomainAuthServer"}};

    std::string error;
    auto simulated = OpenSimulated(error);
    ASSERT_TRUE(simulated) << error;
    simulated->PutFile(kApplet, "stand-in applet");
    simulated->machine().applets[kApplet] = {0};
    const sim::RegistryTree simSeeded = simulated->registry();
    const SequenceRun simInstall = SimulateInstallation(*simulated, facts, commandLine);
    ASSERT_FALSE(simulated->machine().unansweredDialog) << *simulated->machine().unansweredDialog;
    EXPECT_EQ(simulated->machine().appletCalls.size(), 1u);
    const sim::RegistryTree simInstalled = simulated->registry();
    watched = WatchedKeys(simSeeded, sim::DiffTrees(simSeeded, simInstalled));

    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const fs::path applet = PrefixPath(kApplet);
    fs::create_directories(applet.parent_path());
    fs::copy_file(VELTRA_E2E_APPLET, applet, fs::copy_options::overwrite_existing);
    std::ofstream(applet.parent_path() / "kvcontrl.results") << "0\n";
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");

    const MsiLog log = RunMsiexec(MsiexecArguments("/i", package, commandLine), "install", "/qr");
    ExpectSameActions(log, simInstall, "installation");
    ExpectSameLogLines(log, simInstall, facts, "installation");
    const std::string calls = ReadText(applet.parent_path() / "kvcontrl.calls");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 1) << "the applet's calls in Wine:\n" << calls;
    ExpectSameRegistryChanges(wineSeeded, ExportWatched("installed"), simSeeded, simInstalled, "installation");
}

}  // namespace
}  // namespace veltra::e2e
