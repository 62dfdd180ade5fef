// Detecting earlier agents: which versions block, which are upgraded, what
// the administrator is asked, and what the upgrade key holds afterwards.
#include "platform/sim/engine/engine.h"
#include "support/sim_fixture.h"
#include "upgrade/upgrade_state.h"

namespace veltra::testing {
namespace {

const std::string kHklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
const std::string kDizoDo = kHklm + "Veltra Security\\Veltra Dizo-Do Darorav\\Desktop";
const std::string kLegacyKesh = kHklm + "Morvane\\Veltra Kesh/Agent for Windows\\";
const std::string kUninstall = kHklm + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kLegacyAgent = kHklm + "Morvane\\Veltra Authentication Agent\\CurrentVersion";
const std::string kCurrentAgent = kHklm + "Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
const std::string kUpgradeKey = "HKEY_CURRENT_USER\\SOFTWARE\\VeltraAgentUpgrade";
const std::string kLegacyCode = "{3C7E1A52-8B04-4F6D-9E21-5A0C6D4B7F13}";
const std::string kCode = "{6A1F3D2E-9C47-4B85-A0D3-1E5B7C9F2A64}";

const std::string kNotUpgradable =
    "The installation program has detected a previous\nversion of Veltra Kesh/Agent for Windows that cannot be\n"
    "upgraded to Veltra Authentication for Windows, version 6.1.\n\nTo install Veltra Authentication Agent for "
    "Windows 6.1, you\nyou must, first, uninstall or remove the previous version of\nVeltra Kesh/Agent for "
    "Windows, and, then, rerun this\n6.1 installation.\n";
const std::string kQuestionTail =
    "postpone all Agent configuration until after installing,\nthe chosen components will be upgraded and will "
    "retain\ntheir previous configuration settings.  Previous-version\ncomponents that you do not select during "
    "this installation\nwill be removed.\n\nIf you want to continue with the installation, click Yes.\nIf you "
    "want to exit the installation, click No.\n";
const std::string kLegacyQuestion =
    "The installation program has detected a previous\nversion of Veltra Kesh/Agent for Windows.  If, during\n"
    "this installation, you select the same components as\nin the previous installation, and if you choose to\n" +
    kQuestionTail;
const std::string kAgentQuestion =
    "The installation program has detected a previous\nversion of Veltra Authentication Agent for Windows.  If,\n"
    "during this installation, you select the same components\nas in the previous installation, and if you choose "
    "to\n" + kQuestionTail;
const std::string kDizoDoMessage =
    "The installation program has detected an installation\nof the Veltra Dizo-Do Darorav that duplicates the "
    "functionality\nof Veltra Authentication Agent for Windows.  This installation\nof Veltra Authentication Agent "
    "for Windows cannot continue unless\nthe Veltra Dizo-Do Darorav installation is removed.\n";

class Detection : public SimFixture {
protected:
    void PreviousAgent(const std::string& key, bool registered, const std::string& code = kCode) {
        SetDword(key, "MajorVersion", 6);
        SetDword(key, "MinorVersion", 1);
        if (key == kCurrentAgent) SetString(key, "ProductID", code);
        if (registered) SetString(kUninstall + code, "DisplayName", "Veltra Authentication Agent for Windows");
    }
    platform::Platform& P() { return sim.platform(); }
};

TEST_F(Detection, DizoDoDaroravFromVersionFourFiveBlocksEvenQuietly) {
    const std::pair<std::string, bool> versions[] = {
        {"4.5", true}, {"4.7", true}, {"6.5", true}, {"4.4", false}, {"5.0", false}, {"6.2", false}, {"", false},
    };
    for (const auto& [version, blocks] : versions) {
        for (const char* uiLevel : {"5", "2"}) {
            machine.dialogs.clear();
            SetString(kDizoDo, "ProductVersion", version);
            SetProperty("UILevel", uiLevel);
            PreviousAgent(kCurrentAgent, true);
            if (blocks) Answer(platform::kIdOk);
            if (!blocks && std::string(uiLevel) == "5") Answer(platform::kIdYes);
            EXPECT_EQ(Run("CheckUpgradeState"), blocks ? 1603u : 0u) << version;
            EXPECT_EQ(Dialogs(), blocks ? "65584:" + kDizoDoMessage + "|"
                                        : (std::string(uiLevel) == "5" ? "65572:" + kAgentQuestion + "|" : ""))
                << version << " at UI level " << uiLevel;
            EXPECT_EQ(KeyExists(kUpgradeKey), !blocks) << version;
            upgrade::DeleteUpgradeState(P());
        }
    }
}

TEST_F(Detection, LegacyKeshAgentByVersionSubkeyAndUninstallEntry) {
    struct Case {
        std::vector<std::string> subkeys;
        bool uninstallEntry;
        upgrade::LegacyKeshAgent expected;
    };
    const Case cases[] = {
        {{"5.5"}, true, upgrade::kUpgradableLegacyKeshAgent},
        {{"5.6 [build 12]"}, true, upgrade::kUpgradableLegacyKeshAgent},
        {{"5.6[12]"}, true, upgrade::kUpgradableLegacyKeshAgent},
        {{"5.7"}, true, upgrade::kOldLegacyKeshAgent},
        {{"5.4"}, false, upgrade::kOldLegacyKeshAgent},
        {{"4.3"}, false, upgrade::kOldLegacyKeshAgent},
        {{"5"}, false, upgrade::kOldLegacyKeshAgent},
        {{}, true, upgrade::kOldLegacyKeshAgent},
        {{"6.0"}, false, upgrade::kNoLegacyKeshAgent},
        {{"5.5"}, false, upgrade::kNoLegacyKeshAgent},
        // Subkeys come in upper-case order: an old one seen first counts.
        {{"4.3", "5.5"}, false, upgrade::kOldLegacyKeshAgent},
        // The scan stops at the upgradable one; an old one after it is not seen.
        {{"5.5", "5.4 b"}, true, upgrade::kUpgradableLegacyKeshAgent},
        {{std::string(260, '5')}, false, upgrade::kNoLegacyKeshAgent},  // too long to enumerate: the scan ends
    };
    for (const Case& c : cases) {
        machine.registry.DeleteKeyTree(kHklm + "Morvane");
        machine.registry.DeleteKeyTree(kUninstall + "Kesh/Agent for Windows NT");
        for (const std::string& name : c.subkeys) SetString(kLegacyKesh + name, "InstallPath", "C:\\Kesh\\");
        if (c.uninstallEntry) SetString(kUninstall + "Kesh/Agent for Windows NT", "DisplayName", "Kesh");
        EXPECT_EQ(upgrade::DetectLegacyKeshAgent(P()), c.expected)
            << (c.subkeys.empty() ? "(none)" : c.subkeys[0]) << " / " << c.uninstallEntry;
    }
}

TEST_F(Detection, WhatIsAskedAndWhatTheUpgradeKeyHolds) {
    struct Case {
        std::string label;
        std::function<void()> setUp;
        std::string uiLevel;
        int answer;  // 0: no question expected
        platform::Dword result;
        std::string dialogs;
        std::optional<std::pair<platform::Dword, std::string>> recorded;
    };
    auto legacyKesh = [this](const char* version) {
        return [this, version] {
            SetString(kLegacyKesh + version, "InstallPath", "C:\\Kesh\\");
            SetString(kUninstall + "Kesh/Agent for Windows NT", "DisplayName", "Kesh");
        };
    };
    auto previous = [this](std::string key, bool registered) {
        return [this, key, registered] { PreviousAgent(key, registered, key == kCurrentAgent ? kCode : kLegacyCode); };
    };
    const std::string legacyAsked = "65572:" + kLegacyQuestion + "|", agentAsked = "65572:" + kAgentQuestion + "|";
    const Case cases[] = {
        {"old legacy agent, quiet", legacyKesh("5.4"), "2", platform::kIdOk, 1603, "2097168:" + kNotUpgradable + "|", {}},
        {"upgradable legacy agent, Yes", legacyKesh("5.5"), "5", platform::kIdYes, 0, legacyAsked, {}},
        {"upgradable legacy agent, No", legacyKesh("5.5"), "5", platform::kIdNo, 1603, legacyAsked, {}},
        {"upgradable legacy agent, quiet", legacyKesh("5.5"), "2", 0, 0, "", {}},
        {"current key, Yes", previous(kCurrentAgent, true), "5", platform::kIdYes, 0, agentAsked, {{12, kCode}}},
        {"current key, No", previous(kCurrentAgent, true), "5", platform::kIdNo, 1603, agentAsked, {}},
        {"current key, quiet", previous(kCurrentAgent, true), "2", 0, 0, "", {{12, kCode}}},
        {"legacy key", previous(kLegacyAgent, true), "4", platform::kIdYes, 0, agentAsked, {{11, kLegacyCode}}},
        {"legacy key wins over the current one",
         [this] {
             PreviousAgent(kLegacyAgent, true, kLegacyCode);
             PreviousAgent(kCurrentAgent, true);
         },
         "2", 0, 0, "", {{11, kLegacyCode}}},
        {"orphan: the Uninstall entry is gone", previous(kCurrentAgent, false), "5", 0, 0, "", {}},
        {"no MinorVersion",
         [this] {
             PreviousAgent(kCurrentAgent, true);
             machine.registry.FindKey(kCurrentAgent)->DeleteValue("MinorVersion");
         },
         "5", 0, 0, "", {}},
        {"a ProductID too long for its buffer",
         [this] { PreviousAgent(kCurrentAgent, false, "{" + std::string(259, 'A') + "}"); }, "5", 0, 0, "", {}},
        {"legacy Kesh/Agent first: the previous agent is not recorded",
         [this, legacyKesh] {
             legacyKesh("5.6")();
             PreviousAgent(kCurrentAgent, true);
         },
         "2", 0, 0, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine = sim::Machine();
        c.setUp();
        const auto before = machine.registry;
        SetProperty("UILevel", c.uiLevel);
        if (c.answer != 0) Answer(c.answer);
        EXPECT_EQ(Run("CheckUpgradeState"), c.result);
        EXPECT_EQ(Dialogs(), c.dialogs);
        std::string code = "stale";
        const auto id = upgrade::GetPreviousAgentVersion(P(), upgrade::AgentVersionMode::Record, code);
        EXPECT_EQ(std::make_pair(id, code), c.recorded.value_or(std::make_pair(upgrade::UpgradeIdNone, std::string())));
        if (!c.recorded) {
            EXPECT_TRUE(before == machine.registry) << "nothing is written";
        }
    }
}

TEST_F(Detection, RecordedStateRoundTripAndDeletion) {
    EXPECT_EQ(upgrade::SaveUpgradeState(P(), upgrade::UpgradeIdCurrentKey, kCode), 0u);
    SetString(kUpgradeKey + "\\KVGINA", "Enabled", "1");  // a saved settings subkey goes with it
    std::string code;
    EXPECT_EQ(upgrade::GetPreviousAgentVersion(P(), upgrade::AgentVersionMode::Record, code), 12u);
    EXPECT_EQ(code, kCode);
    EXPECT_EQ(GetValue(kUpgradeKey, "ProductID")->data.size(), kCode.size() + 1) << "stored with its zero";

    SetString(kUpgradeKey, "ProductID", std::string(260, 'x'));
    EXPECT_EQ(upgrade::GetPreviousAgentVersion(P(), upgrade::AgentVersionMode::Record, code), 10u);
    EXPECT_EQ(code, "");

    upgrade::DeleteUpgradeState(P());
    EXPECT_FALSE(KeyExists(kUpgradeKey));
    upgrade::DeleteUpgradeState(P());  // nothing left to delete is no error
    EXPECT_EQ(upgrade::GetPreviousAgentVersion(P(), upgrade::AgentVersionMode::Record, code), 10u);

    machine.faults.Add({"RegCreateKeyExA", "", 0, 5});
    EXPECT_EQ(upgrade::SaveUpgradeState(P(), upgrade::UpgradeIdLegacyKey, kLegacyCode), 5u);
}

// The sample machines are what their READMEs say, for the work that reuses them.
TEST(UpgradeMachines, EachSampleIsDetectedAsDescribed) {
    const std::tuple<const char*, int, platform::Dword, platform::Dword> cases[] = {
        {"upgrade-kesh55", platform::kIdYes, 0, 10},        {"upgrade-kesh54", platform::kIdOk, 1603, 10},
        {"upgrade-prev-legacykey", platform::kIdYes, 0, 11}, {"upgrade-prev-currentkey", platform::kIdYes, 0, 12},
        {"upgrade-orphan", 0, 0, 10},                        {"upgrade-dizodo", platform::kIdOk, 1603, 10},
    };
    for (const auto& [name, answer, result, recorded] : cases) {
        sim::Machine m = SampleMachine(name);
        if (answer != 0) m.messageBoxAnswers.push_back(answer);
        EXPECT_EQ(sim::engine::RunLibraryAction(*runtime::FindAction("CheckUpgradeState"), m, std::nullopt), result) << name;
        EXPECT_EQ(m.dialogs.size(), answer != 0 ? 1u : 0u) << name;
        sim::SimPlatform sim(m);
        std::string code;
        EXPECT_EQ(upgrade::GetPreviousAgentVersion(sim.platform(), upgrade::AgentVersionMode::Record, code), recorded) << name;
    }
}

}  // namespace
}  // namespace veltra::testing
