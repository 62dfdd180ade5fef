// Presence tests, interop flags and the reconciliation, on the sibling sample
// machines: every transition is handled once, and a second run changes nothing.
#include <string>

#include "cli/report.h"
#include "coexistence/reconcile_siblings.h"
#include "platform/sim/regfile.h"
#include "support/sim_fixture.h"
#include "support/test_package.h"

namespace veltra::coexistence {
namespace {

const std::string kAgent = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
const std::string kInterop = kAgent + "\\Common\\Interop";
const std::string kUtility = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility";
const std::string kToken = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Tokara Software Token";
const std::string kShared = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kPages = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Security Center\\Pages";
const std::string kSystem = "C:\\WINDOWS\\system32\\";

// A sibling sample machine in memory, and the whole machine as a .reg export
// with its files and their bytes.
class SiblingMachine : public testing::SimFixture {
protected:
    void Load(const std::string& name) { machine = testing::SampleMachine(name); }
    platform::Platform& p() { return sim.platform(); }
    std::string State() {
        const auto reg = sim::WriteRegFile(machine.registry, sim::RegFormat::Regedit4);
        std::string state(reg.begin(), reg.end());
        for (const auto& [path, file] : cli::TakeSnapshot(machine).files) {
            state += path + "|" + std::to_string(file.attributes) + "|" + (file.content ? *file.content : "<dir>") + "\n";
        }
        return state;
    }
};

// Each machine as it comes, then again after its siblings have gone: the
// first run handles the change, the second finds nothing to do.
TEST_F(SiblingMachine, ReconcilingTwiceChangesNothingTheSecondTime) {
    for (const char* name : {"sibling-utility", "sibling-utility-token", "sibling-webagent", "sibling-radius", "sibling-all"}) {
        Load(name);
        for (const char* phase : {"siblings present", "siblings removed"}) {
            SCOPED_TRACE(std::string(name) + ", " + phase);
            if (std::string(phase) == "siblings removed") {
                machine.registry.DeleteKeyTree(kUtility + "\\Desktop");
                machine.registry.DeleteKeyTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\VeltraKeshAgents");
                machine.session.products.clear();
            }
            const std::string before = State();
            EXPECT_EQ(InteropStateChanged(p()), 1);
            ReconcileSiblingProducts(p());
            const std::string once = State();
            EXPECT_NE(once, before);
            EXPECT_EQ(InteropStateChanged(p()), 0);
            ReconcileSiblingProducts(p());
            EXPECT_EQ(State(), once);
        }
    }
}

TEST_F(SiblingMachine, UtilityRemovalHandsItsPlacesBack) {
    for (const bool token : {false, true}) {
        Load(token ? "sibling-utility-token" : "sibling-utility");
        SCOPED_TRACE(token ? "token software stays" : "no token software");
        ReconcileSiblingProducts(p());
        EXPECT_EQ(GetDword(kInterop, "isPavoInstalled"), 1u);
        EXPECT_FALSE(KeyExists(kPages + "\\Tab1\\Welcome\\Page 5"));
        EXPECT_TRUE(KeyExists(kInterop + "\\Backup"));

        machine.registry.DeleteKeyTree(kUtility + "\\Desktop");
        ReconcileSiblingProducts(p());
        EXPECT_EQ(GetDword(kInterop, "isPavoInstalled"), 0u);
        EXPECT_EQ(GetDword(kUtility + "\\Logon", "TokaraLogin"), 1u);
        EXPECT_EQ(GetDword(kUtility + "\\Logon", "TokaraMode"), 1u);
        EXPECT_FALSE(KeyExists(kUtility + "\\Desktop"));
        EXPECT_FALSE(KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility"));
        EXPECT_EQ(KeyExists(kToken), token);
        EXPECT_FALSE(KeyExists(kInterop + "\\Backup"));
        EXPECT_FALSE(KeyExists(kPages + "\\Tab1\\Welcome"));
        EXPECT_TRUE(KeyExists(kPages + "\\Tab1\\Page z1 TKROfflineDays\\Settings"));
    }
}

TEST_F(SiblingMachine, SharedFilesFollowTheWebAgentAndRadius) {
    Load("sibling-all");
    ReconcileSiblingProducts(p());
    EXPECT_FALSE(FileExists(kSystem + "kvcontrl.cpl"));  // goes even with the web agent
    EXPECT_TRUE(FileExists(kSystem + "kvui.dll"));
    EXPECT_EQ(GetDword(kShared, kSystem + "kvui.dll"), 2u);
    EXPECT_EQ(GetDword(kShared, kSystem + "keshclnt.dll"), 2u);
    EXPECT_EQ(GetDword(kShared, kSystem + "kvmsg.dll"), 2u);

    machine.registry.DeleteKeyTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\VeltraKeshAgents");
    machine.session.products.clear();
    machine.registry.FindKey(kShared)->SetValue(kSystem + "kvmsg.dll", platform::kRegDword, {0, 0, 0, 0});
    ReconcileSiblingProducts(p());
    EXPECT_FALSE(FileExists(kSystem + "kvui.dll"));
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\help\\kvcontrl.hlp"));
    EXPECT_EQ(GetDword(kShared, kSystem + "kvui.dll"), std::nullopt);
    EXPECT_EQ(GetDword(kShared, kSystem + "keshclnt.dll"), 1u);
    EXPECT_EQ(GetDword(kShared, kSystem + "kvmsg.dll"), 0u);  // not below 0, and kept
}

TEST_F(SiblingMachine, AFlagOtherThanZeroOrOneLeavesItsProductAlone) {
    for (const bool utility : {true, false}) {
        Load("sibling-utility");
        if (!utility) machine.registry.DeleteKeyTree(kUtility + "\\Desktop");
        machine.registry.CreateKey(kInterop)->SetValue("isPavoInstalled", platform::kRegDword, {2, 0, 0, 0});
        const std::string before = State();
        ReconcileSiblingProducts(p());
        // Only the other two flags are written (both products absent: 0).
        auto after = machine.registry.FindKey(kInterop);
        after->DeleteValue("isWebAgentInstalled");
        after->DeleteValue("isRADIUSInstalled");
        EXPECT_EQ(State(), before);
    }
}

// The package runs CleanPavoData at the end of a first installation: the
// utility's leftovers go only once the utility itself is gone, and the token
// software's key stays while that software is installed.
TEST_F(SiblingMachine, InstallationRoadCleansUpAfterAGoneUtilityOnly) {
    for (const bool utilityGone : {false, true}) {
        SCOPED_TRACE(utilityGone ? "utility gone" : "utility present");
        Load("sibling-utility-token");
        if (utilityGone) machine.registry.FindKey(kUtility + "\\Desktop")->DeleteValue("ProductVersion");
        sim::engine::EngineOptions options;
        options.commandLine = {{"ADDLOCAL", "LocalAuthClient"}};
        options.uiLevel = 5;
        const auto outcome = sim::engine::RunInstallation(testing::TestPackage(), machine, options);
        EXPECT_EQ(outcome.result, 0u) << outcome.error;
        EXPECT_EQ(KeyExists(kUtility), !utilityGone);
        EXPECT_EQ(KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility"), !utilityGone);
        EXPECT_TRUE(KeyExists(kToken));
    }
}

TEST_F(SiblingMachine, RootPagesComeBackOnlyWithTheUtility) {
    const std::string welcome = kPages + "\\Tab1\\Welcome";
    const std::string backup = kInterop + "\\Backup\\Veltra Security Center\\Pages\\Tab1\\Welcome";
    SetString(kUtility, "InstallDir", "C:\\U\\");
    SetString(welcome + "\\Page y1 TKROfflineDays", "Title", "y1");
    SetString(welcome + "\\Page z1 TKROfflineDays\\Settings", "MaxDays", "14");
    SetString(backup, "PathFile", "C:\\U\\Welcome.dll");

    // Without the utility no page is touched (its leftovers: the road test).
    const sim::RegistryTree pagesBefore = machine.registry;
    EXPECT_EQ(Run("RestorePavoSecurityCenterRootPages"), 0u);
    EXPECT_EQ(machine.registry, pagesBefore);

    // With it: its welcome page comes back, and only the offline-days page
    // without subkeys goes.
    SetString(kUtility + "\\Desktop", "ProductVersion", "4.0");
    EXPECT_EQ(Run("RestorePavoSecurityCenterRootPages"), 0u);
    EXPECT_EQ(GetString(welcome, "PathFile"), "C:\\U\\Welcome.dll");
    EXPECT_FALSE(KeyExists(welcome + "\\Page y1 TKROfflineDays"));
    EXPECT_TRUE(KeyExists(welcome + "\\Page z1 TKROfflineDays"));
}

}  // namespace
}  // namespace veltra::coexistence
