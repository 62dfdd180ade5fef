// The settings capture before an upgrade and the restore after it, from the
// predecessor sample machines.
#include <span>

#include "platform/sim/regfile.h"
#include "settings/client_settings.h"
#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "settings/trace_settings.h"
#include "support/sim_fixture.h"
#include "upgrade/upgrade_settings.h"
#include "upgrade/upgrade_state.h"

namespace veltra::testing {
namespace {

using settings::SaveRule;
using settings::ValueInfo;
using settings::ValueKey;

const std::string kHklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
const std::string kUpgrade = "HKEY_CURRENT_USER\\SOFTWARE\\VeltraAgentUpgrade";
const std::string kNewRoot = kHklm + "Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\";
const std::string kClient = kHklm + "Morvane\\KESHCLIENT";
// Where GinaSettings keeps "AllowLocalAuth" while no network key was named.
const std::string kUserNetwork = "HKEY_CURRENT_USER\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\"
                                 "CurrentVersion\\Settings\\KVNETWORK";
const std::vector<std::uint8_t> kShortSecret = {'S', 'E', 'C', 'R', 'E', 'T'};
const char* kAllFeatures[] = {"LocalAuthClient", "DomainAuthClient", "DomainAuthServer", "RemoteAuthServer",
                              "RemoteAuthClient"};

// One carried key: its copy in the upgrade key, where it came from, where it
// goes back to, and the class's value table.
struct CarriedKey {
    std::string saved, old, restored;
    std::span<const ValueInfo> table;
};

std::string SubkeyOf(const ValueInfo& info) {
    return info.key == ValueKey::kEap15 ? "\\15" : info.key == ValueKey::kEap32 ? "\\32" : "";
}
bool Carried(const ValueInfo& info) {
    return info.save != SaveRule::kNever && info.save != SaveRule::kAccessorOnly && info.key != ValueKey::kNetworkKey;
}
// The new installation's own values, which the restore keeps.
bool KeptNew(const std::string& key, const std::string& name) {
    if (key.ends_with("KVNETWORK")) return name == "InstallPath" || name == "MajorVersion" || name == "MinorVersion";
    if (key.ends_with("KVRAS")) return name == "MajorVersion" || name == "MinorVersion";
    if (key.ends_with("KVRAS\\15")) return name == "IdentityPath" || name == "InteractiveUIPath" || name == "Path";
    if (key.ends_with("KVRAS\\32")) return name == "FriendlyName" || name == "IdentityPath" ||
                                            name == "InteractiveUIPath" || name == "Path";
    return false;
}

class SettingsCapture : public SimFixture {
protected:
    // A predecessor sample machine, accepted by the detection (which records it).
    void From(const std::string& name, std::initializer_list<const char*> features) {
        machine = SampleMachine(name);
        Answer(platform::kIdYes);
        Run("CheckUpgradeState");
        id = upgrade::GetPreviousAgentVersion(sim.platform(), upgrade::AgentVersionMode::Record, code);
        oldRoot = id == upgrade::UpgradeIdLegacyKey ? kHklm + "Morvane\\" : kNewRoot;
        for (const char* feature : kAllFeatures) machine.session.featureStates[code][feature] = 2;
        for (const char* feature : features) machine.session.featureStates[code][feature] = 3;
        SeedOldSettings();
        machine.dialogs.clear();
    }
    void SeedOldSettings() {
        SetDword(oldRoot + "KVNETWORK", "AuthenticationMode", 2);
        SetString(oldRoot + "KVNETWORK", "ChallengeGroup", "\\\\WS01\\Net");
        SetBinary(oldRoot + "KVNETWORK", "DomainSecret", {1, 2, 3});
        SetString(oldRoot + "KVNETWORK", "InstallPath", "C:\\Old\\");
        SetDword(oldRoot + "KVNETWORK", "AllowLocalAuth", 1);
        SetDword(oldRoot + "KVGINA", "PinAttempts", 5);
        SetDword(oldRoot + "KVGINA", "AllowLocalAuth", 7);
        SetString(oldRoot + "KVGINA", "CustomBitMap", "C:\\banner.bmp");
        SetBinary(oldRoot + "KVGINA", "ReservePassword", std::vector<std::uint8_t>(16, 0xAB));
        SetDword(oldRoot + "KVRAS", "DialMode", 2);
        SetString(oldRoot + "KVRAS", "BannerText", "Welcome");
        SetString(oldRoot + "KVRAS", "ProtocolId", "17");
        SetString(oldRoot + "KVRAS\\15", "FriendlyName", "Old EAP");
        SetString(oldRoot + "KVRAS\\15", "Path", "%SystemRoot%\\old15.dll", platform::kRegExpandSz);
        SetDword(oldRoot + "KVRAS\\15", "InvokePasswordDialog", 1);
        SetString(oldRoot + "KVRAS\\32", "FriendlyName", "Old 32");
        SetDword(kClient, "EventLogControl", 3);
        SetString(kClient, "PrimaryInterfaceIP", "10.0.0.7");
        SetDword(kClient, "TraceLevel", 2);
        SetString(kClient, "TraceFile", "C:\\trace.log");
        SetBinary(kClient, "NodeSecret", kShortSecret);
    }
    // The old product goes, the new one comes with its own versions and paths.
    void ReplaceProduct() {
        for (const std::string& key : {oldRoot + "KVNETWORK", oldRoot + "KVGINA", oldRoot + "KVRAS", kClient,
                                      kNewRoot + "KVNETWORK"}) {
            machine.registry.DeleteKeyTree(key);
        }
        SetString(kNewRoot + "KVNETWORK", "InstallPath", "C:\\New\\");
        SetDword(kNewRoot + "KVNETWORK", "MajorVersion", 6);
        SetDword(kNewRoot + "KVRAS", "MinorVersion", 2);
        SetString(kNewRoot + "KVRAS\\15", "Path", "%SystemRoot%\\new15.dll", platform::kRegExpandSz);
        SetString(kNewRoot + "KVRAS\\32", "FriendlyName", "New EAP");
        SetString(kNewRoot + "KVRAS\\32", "Path", "%SystemRoot%\\new32.dll", platform::kRegExpandSz);
        newInstallation = machine.registry;
    }
    std::vector<CarriedKey> Keys() const {
        return {{kUpgrade + "\\KVNETWORK", oldRoot + "KVNETWORK", kNewRoot + "KVNETWORK", settings::kNetworkValues},
                {kUpgrade + "\\KVGINA", oldRoot + "KVGINA", kNewRoot + "KVGINA", settings::kGinaValues},
                {kUpgrade + "\\KVRAS", oldRoot + "KVRAS", kNewRoot + "KVRAS", settings::kRasValues},
                {kUpgrade + "\\KESHCLIENT", kClient, kClient, settings::kClientValues},
                {kUpgrade + "\\KESHCLIENT", kClient, kClient, settings::kTraceValues}};
    }
    std::optional<sim::RegValue> In(const sim::RegistryTree& tree, const std::string& key, const std::string& name) {
        auto node = tree.FindKey(key);
        const sim::RegValue* value = node ? node->FindValue(name) : nullptr;
        return value ? std::optional(*value) : std::nullopt;
    }
    void Restore(upgrade::AgentComponents installed) { upgrade::RestoreUpgradeSettings(sim.platform(), installed); }

    upgrade::UpgradeId id = upgrade::UpgradeIdNone;
    std::string code, oldRoot;
    sim::RegistryTree oldMachine, newInstallation;
};

// The settings that survive: after the old product is replaced, every value
// the old agent had is back, except the new installation's versions and paths.
TEST_F(SettingsCapture, EveryOldValueSurvivesTheReplacement) {
    for (const char* name : {"upgrade-prev-legacykey", "upgrade-prev-currentkey"}) {
        SCOPED_TRACE(name);
        From(name, {"LocalAuthClient", "DomainAuthClient", "RemoteAuthServer"});
        oldMachine = machine.registry;
        ASSERT_EQ(Run("PrepForPossiblePost5_Upgrade"), 0u);
        ReplaceProduct();
        Restore({true, true, false, false, true});
        for (const CarriedKey& key : Keys()) {
            for (const ValueInfo& info : key.table) {
                if (!Carried(info)) continue;
                const std::string restored = key.restored + SubkeyOf(info);
                std::string from = key.old + SubkeyOf(info);
                if (id == upgrade::UpgradeIdLegacyKey && info.key == ValueKey::kEap32) from = key.old + "\\15";
                const auto expected = KeptNew(restored, info.name) ? In(newInstallation, restored, info.name)
                                                                   : In(oldMachine, from, info.name);
                if (!expected) continue;
                EXPECT_EQ(GetValue(restored, info.name), expected) << restored << " " << info.name;
            }
        }
        EXPECT_EQ(GetValue(kClient, "NodeSecret")->data.size(), 512u);
        EXPECT_EQ(GetDword(kClient, "EnableTrace"), 1u);  // the saved trace level is 2
        upgrade::DeleteUpgradeState(sim.platform());
    }
}

// "AllowLocalAuth" of the logon settings follows the network class's key
// path: once the network settings were carried on the one shared path it
// lands in the GINA copy; before that it goes to the network key's path
// under the per-user root, outside the upgrade key.
TEST_F(SettingsCapture, AllowLocalAuthGoesWhereTheNetworkPathPoints) {
    struct Case {
        const char* machine;
        bool domainClient;
        std::optional<platform::Dword> savedGina, savedNetwork, userNetwork, restoredNetwork, restoredGina;
    };
    const Case cases[] = {
        {"upgrade-prev-legacykey", false, {}, {}, 0, 0, {}},   // the legacy network value is not reached
        {"upgrade-prev-currentkey", false, {}, {}, 1, 1, {}},  // read where the old agent keeps it
        {"upgrade-prev-legacykey", true, 7, 1, {}, 1, 7},
        {"upgrade-prev-currentkey", true, 7, 1, {}, 1, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + (c.domainClient ? " with the domain client" : ""));
        machine = sim::Machine();
        if (c.domainClient) From(c.machine, {"LocalAuthClient", "DomainAuthClient"});
        else From(c.machine, {"LocalAuthClient"});
        ASSERT_EQ(Run("PrepForPossiblePost5_Upgrade"), 0u);
        EXPECT_EQ(GetDword(kUpgrade + "\\KVGINA", "AllowLocalAuth"), c.savedGina);
        EXPECT_EQ(GetDword(kUpgrade + "\\KVNETWORK", "AllowLocalAuth"), c.savedNetwork);
        EXPECT_EQ(GetDword(kUserNetwork, "AllowLocalAuth"), c.userNetwork);
        ReplaceProduct();
        Restore({true, c.domainClient, false, false, false});
        EXPECT_EQ(GetDword(kNewRoot + "KVNETWORK", "AllowLocalAuth"), c.restoredNetwork);
        EXPECT_EQ(GetDword(kNewRoot + "KVGINA", "AllowLocalAuth"), c.restoredGina);
    }
}

TEST_F(SettingsCapture, NodeSecretIsCarriedAsExactly512Bytes) {
    for (const std::size_t size : {6u, 512u, 513u}) {
        SCOPED_TRACE(size);
        machine = sim::Machine();
        From("upgrade-prev-currentkey", {"LocalAuthClient"});
        std::vector<std::uint8_t> secret(size, 'S');
        SetBinary(kClient, "NodeSecret", secret);
        ASSERT_EQ(Run("PrepForPossiblePost5_Upgrade"), 0u);
        secret.resize(512, 0);
        const auto saved = GetValue(kUpgrade + "\\KESHCLIENT", "NodeSecret");
        ReplaceProduct();
        Restore({true, false, false, false, false});
        if (size > 512) {  // does not fit: not carried at all
            EXPECT_FALSE(saved);
            EXPECT_FALSE(GetValue(kClient, "NodeSecret"));
            continue;
        }
        EXPECT_EQ(saved, (sim::RegValue{"NodeSecret", 3, secret}));
        EXPECT_EQ(GetValue(kClient, "NodeSecret"), (sim::RegValue{"NodeSecret", 3, secret}));
    }
}

// A component is restored only when both installations have it; the domain
// part also needs the domain server in both or in neither.
TEST_F(SettingsCapture, OnlyComponentsOfBothInstallationsAreRestored) {
    struct Case {
        const char* label;
        std::initializer_list<const char*> old;
        upgrade::AgentComponents installed;
        bool gina, network, ras;
    };
    const Case cases[] = {
        {"new local client only", {"LocalAuthClient", "DomainAuthClient", "RemoteAuthServer"},
         {true, false, false, false, false}, true, false, false},
        {"new remote server only", {"LocalAuthClient", "RemoteAuthServer"}, {false, false, false, false, true},
         false, false, true},
        {"domain client gains the server", {"DomainAuthClient"}, {false, true, true, false, false}, false, false,
         false},
        {"domain client and server kept", {"DomainAuthClient", "DomainAuthServer"}, {false, true, true, false, false},
         true, true, false},
        {"old had no remote server", {"LocalAuthClient"}, {false, false, false, false, true}, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine = sim::Machine();
        From("upgrade-prev-currentkey", c.old);
        ASSERT_EQ(Run("PrepForPossiblePost5_Upgrade"), 0u);
        ReplaceProduct();
        Restore(c.installed);
        EXPECT_EQ(GetDword(kNewRoot + "KVGINA", "PinAttempts").has_value(), c.gina);
        EXPECT_EQ(GetDword(kNewRoot + "KVNETWORK", "AuthenticationMode").has_value(), c.network);
        EXPECT_EQ(GetString(kNewRoot + "KVRAS", "BannerText").has_value(), c.ras);
        EXPECT_EQ(GetDword(kClient, "EventLogControl").has_value(), c.gina || c.ras);
        EXPECT_EQ(GetString(kNewRoot + "KVNETWORK", "InstallPath"), "C:\\New\\");
    }
}

TEST_F(SettingsCapture, WithoutARecordedPredecessorNothingChanges) {
    for (const char* name : {"upgrade-orphan", "upgrade-kesh55"}) {
        machine = sim::Machine();
        From(name, {});
        const sim::RegistryTree before = machine.registry;
        EXPECT_EQ(Run("PrepForPossiblePost5_Upgrade"), 0u) << name;
        EXPECT_TRUE(sim::DiffTrees(before, machine.registry).empty()) << name;
        Restore({true, true, true, true, true});
        EXPECT_TRUE(sim::DiffTrees(before, machine.registry).empty()) << name;
    }
}

// Registry steps that fail are skipped, logged, and the capture goes on; only
// the domain secret's hand-over stops it, with its message, before the
// later components.
TEST_F(SettingsCapture, FailuresAndTheirHandling) {
    const std::string dayfiles = "C:\\Dayfiles\\";
    const std::string hostKey = kHklm + "Morvane\\Veltra Authentication Agent\\CurrentVersion\\DomainHost\\OASVC";
    struct Case {
        const char* label;
        sim::FaultRule fault;
        bool dayfileDir;
        platform::Dword result;
        bool marked, gina, secret, copied;
        std::string logged;
    };
    const Case cases[] = {
        {"domain secret handed on", {"none", "", 0, 0}, true, 0, true, true, true, true, ""},
        {"no day-file folder", {"RegQueryValueExA", hostKey + "\\DayfileDir", 0, 2}, true, 0, true, true, true, false,
         "RegQueryValueExA " + hostKey + "\\DayfileDir failed: 2"},
        {"copy fails", {"CopyFileA", "", 0, 5}, true, 1603, false, false, false, false,
         "CopyFileA " + dayfiles + "domaininfo.dat failed: 5"},
        {"marks cannot be written", {"RegCreateKeyExA", kUpgrade, 0, 5}, false, 0, false, true, true, false,
         "RegCreateKeyExA " + kUpgrade + " failed: 5"},
        {"secret cannot be read", {"RegQueryValueExA", kClient + "\\NodeSecret", 0, 5}, false, 0, true, true, false,
         false, "RegQueryValueExA " + kClient + "\\NodeSecret failed: 5"},
        {"secret cannot be saved", {"RegSetValueExA", kUpgrade + "\\KESHCLIENT\\NodeSecret", 0, 5}, false, 0, true,
         true, false, false, "RegSetValueExA " + kUpgrade + "\\KESHCLIENT\\NodeSecret failed: 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine = sim::Machine();
        From("upgrade-prev-currentkey", {"DomainAuthServer", "LocalAuthClient"});
        if (c.dayfileDir) {
            SetString(hostKey, "DayfileDir", dayfiles);
            PutFile(dayfiles + "domaininfo.dat", "domain secret");
            PutFile("C:\\WINDOWS\\Temp\\domaininfo.dat", "stale");
        }
        machine.faults.Add(c.fault);
        if (c.result != 0) Answer(platform::kIdOk);
        EXPECT_EQ(Run("PrepForPossiblePost5_Upgrade"), c.result);
        EXPECT_EQ(GetDword(kUpgrade, "Local Authentication Client").has_value(), c.marked);
        EXPECT_EQ(GetDword(kUpgrade + "\\KVGINA", "PinAttempts").has_value(), c.gina);
        EXPECT_EQ(GetValue(kUpgrade + "\\KESHCLIENT", "NodeSecret").has_value(), c.secret);
        if (c.dayfileDir) {
            EXPECT_EQ(ReadFile("C:\\WINDOWS\\Temp\\domaininfo.dat"), c.copied ? "domain secret" : "stale");
        }
        if (c.result != 0) {
            ExpectOneMessage("The installation failed to migrate\nthe current domain secret.\n\nThe installation "
                             "changes will be rolled back now\nto maintain offline data integrity.", 0x00200010u);
        } else {
            ExpectNoDialog();
        }
        if (!c.logged.empty()) {
            EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
        }
    }
}

TEST_F(SettingsCapture, ASavedTraceLevelTurnsTracingOn) {
    for (const platform::Dword level : {0u, 3u}) {
        machine = sim::Machine();
        From("upgrade-prev-currentkey", {"LocalAuthClient"});
        SetDword(kClient, "TraceLevel", level);
        SetDword(kClient, "EnableTrace", 0);
        ASSERT_EQ(Run("PrepForPossiblePost5_Upgrade"), 0u);
        ReplaceProduct();
        Restore({true, false, false, false, false});
        EXPECT_EQ(GetDword(kClient, "EnableTrace"), level != 0 ? 1u : 0u) << level;
    }
}

}  // namespace
}  // namespace veltra::testing
