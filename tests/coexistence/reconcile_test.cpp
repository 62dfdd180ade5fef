// Presence tests, interop flags and the reconciliation, on the sibling sample
// machines: every transition is handled once, and a second run changes nothing.
#include <algorithm>
#include <string>

#include "cli/machine_folder.h"
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

// A sibling sample machine, loaded into memory.
class SiblingMachine {
public:
    explicit SiblingMachine(const std::string& name) {
        std::string error;
        loaded_ = cli::LoadedMachine::Open(std::string(VELTRA_TESTS_DIR) + "/machines/" + name, error);
        EXPECT_TRUE(loaded_) << error;
        sim_ = std::make_unique<sim::SimPlatform>(loaded_->machine());
    }
    sim::Machine& machine() { return loaded_->machine(); }
    platform::Platform& p() { return sim_->platform(); }
    std::optional<platform::Dword> Dword(const std::string& key, const std::string& name) {
        auto node = machine().registry.FindKey(key);
        const sim::RegValue* value = node ? node->FindValue(name) : nullptr;
        if (value == nullptr || value->data.size() != 4) return std::nullopt;
        return value->data[0] | (value->data[1] << 8) | (value->data[2] << 16) | (value->data[3] << 24);
    }
    bool Exists(const std::string& key) { return machine().registry.FindKey(key) != nullptr; }
    bool FileExists(const std::string& path) { return cli::TakeSnapshot(machine()).files.contains(path); }

    // The whole machine as a .reg export and its files with their bytes.
    std::string State() {
        const auto reg = sim::WriteRegFile(machine().registry, sim::RegFormat::Regedit4);
        std::string state(reg.begin(), reg.end());
        for (const auto& [path, file] : cli::TakeSnapshot(machine()).files) {
            state += path + "|" + std::to_string(file.attributes) + "|" + (file.content ? *file.content : "<dir>") + "\n";
        }
        return state;
    }

private:
    std::unique_ptr<cli::LoadedMachine> loaded_;
    std::unique_ptr<sim::SimPlatform> sim_;
};

// Each machine as it comes, then again after its siblings have gone: the
// first run handles the change, the second finds nothing to do.
TEST(SiblingMachines, ReconcilingTwiceChangesNothingTheSecondTime) {
    for (const char* name : {"sibling-utility", "sibling-utility-token", "sibling-webagent", "sibling-radius", "sibling-all"}) {
        SiblingMachine m(name);
        for (const char* phase : {"siblings present", "siblings removed"}) {
            SCOPED_TRACE(std::string(name) + ", " + phase);
            if (std::string(phase) == "siblings removed") {
                m.machine().registry.DeleteKeyTree(kUtility + "\\Desktop");
                m.machine().registry.DeleteKeyTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\VeltraKeshAgents");
                m.machine().session.products.clear();
            }
            const std::string before = m.State();
            EXPECT_EQ(InteropStateChanged(m.p()), 1);
            ReconcileSiblingProducts(m.p());
            const std::string once = m.State();
            EXPECT_NE(once, before);
            EXPECT_EQ(InteropStateChanged(m.p()), 0);
            ReconcileSiblingProducts(m.p());
            EXPECT_EQ(m.State(), once);
        }
    }
}

TEST(SiblingMachines, UtilityRemovalHandsItsPlacesBack) {
    for (const bool token : {false, true}) {
        SiblingMachine m(token ? "sibling-utility-token" : "sibling-utility");
        SCOPED_TRACE(token ? "token software stays" : "no token software");
        ReconcileSiblingProducts(m.p());
        EXPECT_EQ(m.Dword(kInterop, "isPavoInstalled"), 1u);
        EXPECT_FALSE(m.Exists(kPages + "\\Tab1\\Welcome\\Page 5"));
        EXPECT_TRUE(m.Exists(kInterop + "\\Backup"));

        m.machine().registry.DeleteKeyTree(kUtility + "\\Desktop");
        ReconcileSiblingProducts(m.p());
        EXPECT_EQ(m.Dword(kInterop, "isPavoInstalled"), 0u);
        EXPECT_EQ(m.Dword(kUtility + "\\Logon", "TokaraLogin"), 1u);
        EXPECT_EQ(m.Dword(kUtility + "\\Logon", "TokaraMode"), 1u);
        EXPECT_FALSE(m.Exists(kUtility + "\\Desktop"));
        EXPECT_FALSE(m.Exists("HKEY_CURRENT_USER\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility"));
        EXPECT_EQ(m.Exists(kToken), token);
        EXPECT_FALSE(m.Exists(kInterop + "\\Backup"));
        EXPECT_FALSE(m.Exists(kPages + "\\Tab1\\Welcome"));
        EXPECT_TRUE(m.Exists(kPages + "\\Tab1\\Page z1 TKROfflineDays\\Settings"));
    }
}

TEST(SiblingMachines, SharedFilesFollowTheWebAgentAndRadius) {
    SiblingMachine m("sibling-all");
    ReconcileSiblingProducts(m.p());
    EXPECT_FALSE(m.FileExists(kSystem + "kvcontrl.cpl"));  // goes even with the web agent
    EXPECT_TRUE(m.FileExists(kSystem + "kvui.dll"));
    EXPECT_EQ(m.Dword(kShared, kSystem + "kvui.dll"), 2u);
    EXPECT_EQ(m.Dword(kShared, kSystem + "keshclnt.dll"), 2u);
    EXPECT_EQ(m.Dword(kShared, kSystem + "kvmsg.dll"), 2u);

    m.machine().registry.DeleteKeyTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\VeltraKeshAgents");
    m.machine().session.products.clear();
    m.machine().registry.FindKey(kShared)->SetValue(kSystem + "kvmsg.dll", platform::kRegDword, {0, 0, 0, 0});
    ReconcileSiblingProducts(m.p());
    EXPECT_FALSE(m.FileExists(kSystem + "kvui.dll"));
    EXPECT_FALSE(m.FileExists("C:\\WINDOWS\\help\\kvcontrl.hlp"));
    EXPECT_EQ(m.Dword(kShared, kSystem + "kvui.dll"), std::nullopt);
    EXPECT_EQ(m.Dword(kShared, kSystem + "keshclnt.dll"), 1u);
    EXPECT_EQ(m.Dword(kShared, kSystem + "kvmsg.dll"), 0u);  // not below 0, and kept
}

TEST(SiblingMachines, AFlagOtherThanZeroOrOneLeavesItsProductAlone) {
    for (const bool utility : {true, false}) {
        SiblingMachine m("sibling-utility");
        if (!utility) m.machine().registry.DeleteKeyTree(kUtility + "\\Desktop");
        m.machine().registry.CreateKey(kInterop)->SetValue("isPavoInstalled", platform::kRegDword, {2, 0, 0, 0});
        const std::string before = m.State();
        ReconcileSiblingProducts(m.p());
        // Only the other two flags are written (both products absent: 0).
        auto after = m.machine().registry.FindKey(kInterop);
        after->DeleteValue("isWebAgentInstalled");
        after->DeleteValue("isRADIUSInstalled");
        EXPECT_EQ(m.State(), before);
    }
}

// The package runs CleanPavoData at the end of a first installation: the
// utility's leftovers go only once the utility itself is gone, and the token
// software's key stays while that software is installed.
TEST(SiblingMachines, InstallationRoadCleansUpAfterAGoneUtilityOnly) {
    for (const bool utilityGone : {false, true}) {
        SCOPED_TRACE(utilityGone ? "utility gone" : "utility present");
        SiblingMachine m("sibling-utility-token");
        if (utilityGone) m.machine().registry.FindKey(kUtility + "\\Desktop")->DeleteValue("ProductVersion");
        sim::engine::EngineOptions options;
        options.commandLine = {{"ADDLOCAL", "LocalAuthClient"}};
        options.uiLevel = 5;
        const auto outcome = sim::engine::RunInstallation(testing::TestPackage(), m.machine(), options);
        EXPECT_EQ(outcome.result, 0u) << outcome.error;
        const auto step = std::find_if(outcome.steps.begin(), outcome.steps.end(),
                                       [](const sim::engine::Step& s) { return s.action == "CleanPavoData"; });
        ASSERT_NE(step, outcome.steps.end());
        EXPECT_EQ(step->result, 0u);
        EXPECT_EQ(m.Exists(kUtility), !utilityGone);
        EXPECT_EQ(m.Exists("HKEY_CURRENT_USER\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility"), !utilityGone);
        EXPECT_TRUE(m.Exists(kToken));
    }
}

class SiblingActionsTest : public testing::SimFixture {};

TEST_F(SiblingActionsTest, RootPagesComeBackOnlyWithTheUtility) {
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
