// A failed installation rolled back by Wine's msiexec: the machine already has
// an offline service of the agent's name, so InstallLocalDAService fails in
// the script, the installation ends with 1603 and the installer undoes what
// the script did, running the package's rollback action (ProcessRollBack)
// with the data its partner packed. The simulated machine runs the same
// package the same way; both must agree on the actions, the library's log
// lines (the rollback's included) and the registry left behind.
#include <gtest/gtest.h>

#include <string>

#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

using RollbackScenarioTest = WineScenarioTest;

TEST_F(RollbackScenarioTest, AFailedServiceRegistrationRollsTheInstallationBack) {
    ASSERT_NO_FATAL_FAILURE(Begin("service-exists", "rollback", {{kOptionsFileName, kOptionsFileText}}));
    const CommandLine commandLine = {{"ADDLOCAL", kAddLocal}};
    const SimulatedRun simRun = Simulate(commandLine);
    bool failed = false;
    for (const auto& [action, result] : simRun.install.actions) failed = failed || (action == "InstallLocalDAService" && result != 0);
    EXPECT_TRUE(failed) << "the simulated installation did not fail where the scenario wants it to";

    const ProcessResult created =
        wine->Wine({"sc", "create", "OASVC_Local", "binPath=", "C:\\old\\da_svc.exe", "DisplayName=",
                    "An earlier offline service", "start=", "demand"},
                   "sc-create");
    ASSERT_EQ(created.exitCode, 0) << created.output;
    wine->WaitForServer();
    RunAndCompare(MsiexecArguments("/i", package, commandLine), "install", simRun.install,
                  ExportSeeded(simRun.install.before), "/qn", 67);
}

}  // namespace
}  // namespace veltra::e2e
