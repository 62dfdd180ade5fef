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

#include "platform/sim/sim_files.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kApplet = kInstallDir + "kvcontrl.cpl";

using NapScenarioTest = WineScenarioTest;

TEST_F(NapScenarioTest, TheServerIsConfiguredOnceThroughTheApplet) {
    ASSERT_NO_FATAL_FAILURE(Begin("plain", "nap", {}, "4"));
    const CommandLine commandLine = {{"ADDLOCAL", "DomainAuthServer"}};
    sim::PutDriveFile(simulated->machine(), kApplet, "stand-in applet");
    simulated->machine().applets[kApplet] = {0};
    const SimulatedRun simRun = Simulate(commandLine);
    ExpectQuietSuccess(simRun);
    EXPECT_EQ(simulated->machine().appletCalls.size(), 1u);

    const fs::path applet = PrefixPath(kApplet);
    fs::create_directories(applet.parent_path());
    fs::copy_file(VELTRA_E2E_APPLET, applet, fs::copy_options::overwrite_existing);
    std::ofstream(applet.parent_path() / "kvcontrl.results") << "0\n";
    RunAndCompare(MsiexecArguments("/i", package, commandLine), "install", simRun.install,
                  ExportSeeded(simRun.install.before), "/qr");
    const std::string calls = ReadText(applet.parent_path() / "kvcontrl.calls");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 1) << "the applet's calls in Wine:\n" << calls;
}

}  // namespace
}  // namespace veltra::e2e
