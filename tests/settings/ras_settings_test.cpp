// RasSettings: load with snapshot, save of what changed or of everything, the
// EAP subkeys, the dial-mode registration, and the object without buffers.
#include <gtest/gtest.h>

#include <optional>

#include "settings/ras_settings.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

const std::string kUpgradeRas = kUpgradePath + "\\KVRAS";
const std::string kSecurityHost = kHklm + "SOFTWARE\\Microsoft\\Ras\\SecurityHost";

class RasSettingsTest : public SettingsFixture {
protected:
    void PopulateRas() { Populate(machine.registry, kRasValues, kRasKey, kNetworkKey); }
};

TEST_F(RasSettingsTest, ForcedSaveCreatesMissingNumbersAsZeroAndSkipsEmptyStrings) {
    SetString(kRasKey, "BannerText", "Welcome");
    RasSettings ras(context);
    ras.Load(kRasSettingsKey, false);
    Mark();
    ras.Save(kUpgradeRas, true, true);
    const std::string saved = kHkcu + kUpgradeRas;
    EXPECT_EQ(GetString(saved, "BannerText"), "Welcome");
    EXPECT_EQ(GetValue(saved, "BannerEnabled")->type, platform::kRegSz);
    EXPECT_EQ(GetString(saved, "BannerEnabled"), "0");
    EXPECT_EQ(GetDword(saved, "EapMode"), 0u);
    EXPECT_EQ(GetDword(saved + "\\15", "RequireConfigUI"), 0u);
    EXPECT_FALSE(GetValue(saved, "ChallengeGroup"));
    EXPECT_FALSE(GetValue(saved + "\\32", "Path"));
}

TEST_F(RasSettingsTest, AFreshObjectSavesNonZeroNumbersNonEmptyStringsAndNasAgentCheckUnlessOne) {
    RasSettings ras(context);
    ras.Number(RasValue::EapMode) = 3;
    ras.Buffer(RasValue::FriendlyName32).SetText("Kesh");
    Mark();
    ras.SaveChanged();
    EXPECT_EQ(ChangedValues(), (std::vector<std::string>{kRasKey + "\\EapMode", kRasKey + "\\NASAgentCheck",
                                                         kRasKey + "\\32\\FriendlyName"}));
    EXPECT_EQ(GetString(kRasKey, "NASAgentCheck"), "0");

    RasSettings second(context);
    second.Number(RasValue::NASAgentCheck) = 1;
    machine.registry.DeleteKeyTree(kRasKey);
    Mark();
    second.SaveChanged();
    EXPECT_TRUE(Changes().empty());
}

// Dial mode 1 registers the security host (install path + "kvras40.dll",
// below 260 characters) before the mode is written, through a save or the
// accessor; other modes, or no usable path, write the mode alone.
TEST_F(RasSettingsTest, DialModeOneRegistersTheSecurityHostFirst) {
    const std::string fits(248, 'p');
    struct Case {
        const char* label;
        std::optional<std::string> installPath;
        Dword mode;
        bool viaSave;
        std::string host;  // DLLPath afterwards
    };
    const Case cases[] = {
        {"mode 1 saved", "C:\\Program Files\\Veltra\\", 1, true, "C:\\Program Files\\Veltra\\kvras40.dll"},
        {"mode 1 set", fits, 1, false, fits + "kvras40.dll"},
        {"mode 2", "C:\\Agent\\", 2, true, "C:\\Other\\host.dll"},
        {"no install path", std::nullopt, 1, false, "C:\\Other\\host.dll"},
        {"path too long", fits + "q", 1, false, "C:\\Other\\host.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry = sim::RegistryTree();
        if (c.installPath) SetString(kCommonKey, "InstallPath", *c.installPath);
        SetString(kSecurityHost, "DLLPath", "C:\\Other\\host.dll");
        RasSettings ras(context);
        ras.Load(kRasSettingsKey, false);
        Mark();
        if (c.viaSave) {
            ras.Number(RasValue::DialMode) = c.mode;
            ras.SaveChanged();
        } else {
            EXPECT_EQ(ras.Set(RasValue::DialMode, c.mode), 0u);
        }
        EXPECT_EQ(GetString(kSecurityHost, "DLLPath"), c.host);
        EXPECT_EQ(GetDword(kRasKey, "DialMode"), c.mode);
        std::vector<std::string> calls = {kRasKey + "\\DialMode"};
        if (c.host != "C:\\Other\\host.dll") calls.insert(calls.begin(), kSecurityHost + "\\DLLPath");
        EXPECT_EQ(Calls("RegSetValueExA"), calls);
    }
}

TEST_F(RasSettingsTest, TheSecurityHostGoesUnderTheRasRootWithTheComponentRootsInstallPath) {
    SetString(kCommonKey, "InstallPath", "C:\\Machine\\");
    SetString(kHkcu + kAgentCommonKey, "InstallPath", "C:\\User\\");
    RasSettings ras(context);
    ras.SetRoot(kUpgradeRas, true);
    ras.Set(RasValue::DialMode, 1);
    EXPECT_EQ(GetString(kHkcu + "SOFTWARE\\Microsoft\\Ras\\SecurityHost", "DLLPath"), "C:\\Machine\\kvras40.dll");
    EXPECT_EQ(GetDword(kHkcu + kUpgradeRas, "DialMode"), 1u);
}

TEST_F(RasSettingsTest, LoadingFromTheUserAndSavingChangedWritesToTheMachine) {
    SetDword(kHkcu + kUpgradeRas, "Enabled", 1);
    SetString(kHkcu + kUpgradeRas + "\\15", "FriendlyName", "User EAP");
    RasSettings ras(context);
    ras.Load(kUpgradeRas, true);
    EXPECT_EQ(ras.Number(RasValue::Enabled), 1u);
    EXPECT_EQ(context.ras.root, platform::kHkeyCurrentUser);
    ras.Number(RasValue::Enabled) = 2;
    Mark();
    ras.SaveChanged();
    EXPECT_EQ(ChangedValues(), std::vector<std::string>{kHklm + kUpgradeRas + "\\Enabled"});
    EXPECT_EQ(context.ras.root, platform::kHkeyLocalMachine);
}

TEST_F(RasSettingsTest, AccessorsReachTheEapSubkeysAndDoNotTouchTheObject) {
    RasSettings ras(context);
    EXPECT_EQ(ras.SetText(RasValue::Path15, "%SystemRoot%\\eap.dll"), 0u);
    EXPECT_EQ(ras.Set(RasValue::InvokeUsernameDialog32, 1), 0u);
    EXPECT_EQ(GetValue(kRasKey + "\\15", "Path")->type, platform::kRegExpandSz);
    EXPECT_EQ(GetDword(kRasKey + "\\32", "InvokeUsernameDialog"), 1u);

    Dword flag = 0;
    EXPECT_EQ(ras.Get(RasValue::InvokeUsernameDialog32, &flag), 0u);
    EXPECT_EQ(flag, 1u);
    EXPECT_EQ(ras.Number(RasValue::InvokeUsernameDialog32), 0u);
    EXPECT_EQ(ras.Buffer(RasValue::Path15).Text(), "");
    // A number accessor on a string row, and the other way round.
    EXPECT_EQ(ras.Get(RasValue::Path15, &flag), 5002u);
    EXPECT_EQ(ras.SetText(RasValue::EapMode, "1"), 5002u);
}

TEST_F(RasSettingsTest, UseInnerNameIsDecimalTextThatLoadAndSaveLeaveAlone) {
    SetString(kRasKey, "UseInnerName", "1");
    RasSettings ras(context);
    Dword value = 0;
    EXPECT_EQ(ras.Get(RasValue::UseInnerName, &value), 0u);
    EXPECT_EQ(value, 1u);
    ras.Load(kRasSettingsKey, false);
    Mark();
    ras.SaveAll();
    EXPECT_EQ(Calls("RegQueryValueExA").size(), 0u);
    for (const auto& name : ChangedValues()) EXPECT_EQ(name.find("UseInnerName"), std::string::npos);
    EXPECT_EQ(ras.Set(RasValue::UseInnerName, 0), 0u);
    EXPECT_EQ(GetString(kRasKey, "UseInnerName"), "0");
}

TEST_F(RasSettingsTest, WithoutBuffersLoadRefusesAndSaveWritesNumbersOnly) {
    PopulateRas();
    context.ras = {platform::kHkeyCurrentUser, "SOFTWARE\\Elsewhere"};
    RasSettings ras(context, false);
    Mark();
    EXPECT_EQ(ras.Load(kRasSettingsKey, false), 5003u);
    EXPECT_TRUE(machine.trace.lines().empty());
    EXPECT_EQ(context.ras.root, platform::kHkeyCurrentUser);
    EXPECT_EQ(context.ras.keyPath, "SOFTWARE\\Elsewhere");

    ras.Number(RasValue::EapMode) = 5;
    ras.Save(kUpgradeRas, true, true);
    const std::string saved = kHkcu + kUpgradeRas;
    EXPECT_EQ(GetDword(saved, "EapMode"), 5u);
    EXPECT_EQ(GetString(saved, "NASAgentCheck"), "0");
    EXPECT_FALSE(GetValue(saved, "BannerText"));
    EXPECT_FALSE(GetValue(saved + "\\15", "FriendlyName"));
}

}  // namespace
}  // namespace veltra::testing
