// A failed installation rolled back by Wine's msiexec: the machine already has
// an offline service of the agent's name, so InstallLocalDAService fails in
// the script, the installation ends with 1603 and the installer undoes what
// the script did, running the package's rollback action (ProcessRollBack)
// with the data its partner packed. The simulated machine runs the same
// package the same way; both must agree on the actions, the library's log
// lines (the rollback's included) and the registry left behind.
#include <gtest/gtest.h>

#include <string>

#include "package_sequence.h"
#include "simulated_install.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

class RollbackScenarioTest : public WineScenarioTest {
protected:
    void SetUp() override {
        WineScenarioTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        UseMachine("service-exists", "rollback");
    }
};

TEST_F(RollbackScenarioTest, AFailedServiceRegistrationRollsTheInstallationBack) {
    const auto package = PackageFolder("package", {{kOptionsFileName, kOptionsFileText}});
    const InstallerFacts facts = FactsFor(package, kQuietUiLevel);
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << package;
    const CommandLine commandLine = {{"ADDLOCAL", kAddLocal}};

    std::string error;
    auto simulated = OpenSimulated(error);
    ASSERT_TRUE(simulated) << error;
    simulated->PutFile(facts.sourceDir + kOptionsFileName, kOptionsFileText);
    const sim::RegistryTree simSeeded = simulated->registry();
    const SequenceRun simInstall = SimulateInstallation(*simulated, facts, commandLine);
    const sim::RegistryTree simAfter = simulated->registry();
    bool failed = false;
    for (const auto& [action, result] : simInstall.actions) failed = failed || (action == "InstallLocalDAService" && result != 0);
    EXPECT_TRUE(failed) << "the simulated installation did not fail where the scenario wants it to";
    watched = WatchedKeys(simSeeded, sim::DiffTrees(simSeeded, simAfter));
    watched.push_back("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security");
    watched.push_back(kWinlogon);

    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const ProcessResult created =
        wine->Wine({"sc", "create", "OASVC_Local", "binPath=", "C:\\old\\da_svc.exe", "DisplayName=",
                    "An earlier offline service", "start=", "demand"},
                   "sc-create");
    ASSERT_EQ(created.exitCode, 0) << created.output;
    wine->WaitForServer();
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");
    // msiexec reports 1603 in the 8 bits of an exit status: 67.
    const MsiLog log = RunMsiexec(MsiexecArguments("/i", package, commandLine), "install", "/qn", 67);
    ExpectSameActions(log, simInstall, "installation");
    ExpectSameLogLines(log, simInstall, facts, "installation");
    ExpectSameRegistryChanges(wineSeeded, ExportWatched("rolled-back"), simSeeded, simAfter, "rollback");
}

}  // namespace
}  // namespace veltra::e2e
