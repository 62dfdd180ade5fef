// Network, client, trace and component settings: their own rules, buffers,
// places and fallbacks.
// Also the class-wide places: shared by the objects of a class on one context,
// moved by Load, Save and SetRoot, never shared between two contexts.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/client_settings.h"
#include "settings/component_settings.h"
#include "settings/network_settings.h"
#include "settings/trace_settings.h"
#include "settings_fixture.h"
#include "settings/gina_settings.h"
#include "settings/ras_settings.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

const std::string kUpgradeNetwork = kUpgradePath + "\\KVNETWORK";
const std::string kUpgradeClient = kUpgradePath + "\\KESHCLIENT";

class NetworkSettingsTest : public SettingsFixture {};
class ClientTraceTest : public SettingsFixture {};
class ComponentSettingsTest : public SettingsFixture {};

TEST_F(NetworkSettingsTest, AnAbsentBinaryValueIsForcedOutAs1024ZeroBytes) {
    SetBinary(kNetworkKey, "DCKey", {1, 2, 3});
    NetworkSettings network(context);
    network.Load(kNetworkSettingsKey, false);
    EXPECT_EQ(network.Buffer(NetworkValue::DomainSecret).size(), 1024u);
    EXPECT_EQ(network.Buffer(NetworkValue::DCKey).size(), 3u);
    network.Save(kUpgradeNetwork, true, true);
    const std::string saved = kHkcu + kUpgradeNetwork;
    EXPECT_EQ(GetValue(saved, "DomainSecret")->data, std::vector<std::uint8_t>(1024, 0));
    EXPECT_EQ(GetValue(saved, "DCCert")->data, std::vector<std::uint8_t>(1024, 0));
    EXPECT_EQ(GetValue(saved, "DCKey")->data, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(NetworkSettingsTest, ABinaryValueOverItsCapacityIsNeitherLoadedNorWritten) {
    SetBinary(kNetworkKey, "DomainSecret", std::vector<std::uint8_t>(1025, 7));
    NetworkSettings network(context);
    network.Load(kNetworkSettingsKey, false);
    const auto data = network.Buffer(NetworkValue::DomainSecret).Data();
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()), std::vector<std::uint8_t>(1024, 0));
    network.Buffer(NetworkValue::DomainSecret).set_size(1025);
    Mark();
    network.SaveAll();
    EXPECT_EQ(GetValue(kNetworkKey, "DomainSecret")->data.size(), 1025u);
    for (const auto& name : Calls("RegSetValueExA")) EXPECT_EQ(name.find("DomainSecret"), std::string::npos);
}

TEST_F(NetworkSettingsTest, ABinaryValueIsChangedOnlyOverItsCurrentLength) {
    SetBinary(kNetworkKey, "DCCert", {1, 2, 3, 4});
    NetworkSettings network(context);
    network.Load(kNetworkSettingsKey, false);
    network.Buffer(NetworkValue::DCCert).set_size(2);  // same first two bytes
    Mark();
    network.SaveChanged();
    EXPECT_TRUE(Changes().empty());
    network.Buffer(NetworkValue::DCCert).bytes()[1] = 9;
    network.SaveChanged();
    EXPECT_EQ(GetValue(kNetworkKey, "DCCert")->data, (std::vector<std::uint8_t>{1, 9}));
}

TEST_F(NetworkSettingsTest, TheCorrectlySpelledNetBiosValueIsNeitherReadNorWritten) {
    SetDword(kNetworkKey, "DisableNetBIOSLookup", 1);
    NetworkSettings network(context);
    network.Load(kNetworkSettingsKey, false);
    EXPECT_EQ(network.Number(NetworkValue::DisbaleNetBIOSLookup), 0u);
    network.Number(NetworkValue::DisbaleNetBIOSLookup) = 5;
    network.SaveAll();
    EXPECT_EQ(GetDword(kNetworkKey, "DisableNetBIOSLookup"), 1u);
    EXPECT_EQ(GetDword(kNetworkKey, "DisbaleNetBIOSLookup"), 5u);
}

TEST_F(NetworkSettingsTest, ABinaryAccessorWritesExactlyTheGivenBytes) {
    NetworkSettings network(context);
    const std::uint8_t secret[] = {0, 1, 2, 0};
    EXPECT_EQ(network.SetBytes(NetworkValue::DomainSecret, secret, 4), 0u);
    EXPECT_EQ(GetValue(kNetworkKey, "DomainSecret")->data, (std::vector<std::uint8_t>{0, 1, 2, 0}));
    EXPECT_EQ(network.SetBytes(NetworkValue::InstallPath, secret, 4), 5002u);
    std::uint8_t back[1024] = {};
    Dword size = sizeof back;
    EXPECT_EQ(network.Get(NetworkValue::DomainSecret, back, &size), 0u);
    EXPECT_EQ(size, 4u);
}

TEST_F(ClientTraceTest, AnAbsentAddressLoadsAsZerosAndIsWrittenOnlyWhenForced) {
    ClientSettings client(context);
    client.Load(kClientSettingsKey, false);
    EXPECT_EQ(client.Buffer(ClientValue::PrimaryInterfaceIP).Text(), "0.0.0.0");
    Mark();
    client.SaveChanged();
    EXPECT_TRUE(Changes().empty());
    client.SaveAll();
    EXPECT_EQ(GetString(kClientKey, "PrimaryInterfaceIP"), "0.0.0.0");
    EXPECT_EQ(GetDword(kClientKey, "EventLogControl"), 0u);
}

TEST_F(ClientTraceTest, AChangedEventLogControlIsWrittenOnceAChangedTraceNumberEveryTime) {
    ClientSettings client(context);
    TraceSettings trace(context);
    client.Load(kClientSettingsKey, false);
    trace.Load(kTraceSettingsKey, false);
    client.Number(ClientValue::EventLogControl) = 1;
    trace.Number(TraceValue::TraceLevel) = 4;
    Mark();
    client.SaveChanged();
    client.SaveChanged();
    trace.SaveChanged();
    trace.SaveChanged();
    EXPECT_EQ(Calls("RegSetValueExA"),
              (std::vector<std::string>{kClientKey + "\\EventLogControl", kClientKey + "\\TraceLevel",
                                        kClientKey + "\\TraceLevel"}));
}

TEST_F(ClientTraceTest, GetPrimaryInterfaceIpWantsSixteenBytesAndFallsBackToZeros) {
    ClientSettings client(context);
    char buffer[20];
    std::memset(buffer, 'x', sizeof buffer);
    Dword size = 15;
    EXPECT_EQ(client.Get(ClientValue::PrimaryInterfaceIP, buffer, &size), 5002u);
    EXPECT_EQ(buffer[0], 'x');
    size = 16;
    EXPECT_EQ(client.Get(ClientValue::PrimaryInterfaceIP, buffer, &size), 0u);
    EXPECT_EQ(std::string(buffer, 16), std::string("0.0.0.0") + std::string(9, '\0'));
    EXPECT_EQ(buffer[16], 'x');

    SetString(kClientKey, "PrimaryInterfaceIP", "192.168.0.1");
    size = 20;
    EXPECT_EQ(client.Get(ClientValue::PrimaryInterfaceIP, buffer, &size), 0u);
    EXPECT_STREQ(buffer, "192.168.0.1");
    EXPECT_EQ(size, 12u);
}

TEST_F(ClientTraceTest, TraceLoadsTheFileFirstAndSavesItLast) {
    SetString(kClientKey, "TraceFile", "C:\\trace.log");
    SetDword(kClientKey, "EnableTrace", 1);
    TraceSettings trace(context);
    Mark();
    trace.Load(kTraceSettingsKey, false);
    EXPECT_EQ(Calls("RegQueryValueExA"),
              (std::vector<std::string>{kClientKey + "\\TraceFile", kClientKey + "\\EnableTrace",
                                        kClientKey + "\\TraceLevel", kClientKey + "\\TraceDest"}));
    EXPECT_EQ(trace.Buffer(TraceValue::TraceFile).Text(), "C:\\trace.log");
    Mark();
    trace.Save(kUpgradeClient, true, true);
    const std::string saved = kHkcu + kUpgradeClient;
    EXPECT_EQ(Calls("RegSetValueExA"),
              (std::vector<std::string>{saved + "\\EnableTrace", saved + "\\TraceLevel", saved + "\\TraceDest",
                                        saved + "\\TraceFile"}));
}

TEST_F(ClientTraceTest, ClientAndTraceKeepSeparatePlaces) {
    ClientSettings client(context);
    TraceSettings trace(context);
    client.SetRoot(kUpgradeClient, true);
    EXPECT_EQ(context.trace.root, platform::kHkeyLocalMachine);
    EXPECT_EQ(context.trace.keyPath, kTraceSettingsKey);
    EXPECT_EQ(trace.Set(TraceValue::EnableTrace, 1), 0u);
    EXPECT_EQ(client.Set(ClientValue::EventLogControl, 2), 0u);
    EXPECT_EQ(GetDword(kClientKey, "EnableTrace"), 1u);
    EXPECT_EQ(GetDword(kHkcu + kUpgradeClient, "EventLogControl"), 2u);
}

TEST_F(ComponentSettingsTest, OnlyADwordOneMarksAComponent) {
    SetDword(kComponentKey, "Local Authentication Client", 1);
    SetDword(kComponentKey, "Domain Authentication Client", 2);
    SetString(kComponentKey, "Domain Authentication Server", "1");
    SetBinary(kComponentKey, "Veltra Security EAP Client", {1, 0, 0, 0});
    SetDword(kComponentKey, "Remote Authentication Server", 1);
    SetString(kHklm + kAuthenticatorUtilityKey, "InstallDir", "C:\\Utility\\");
    SetString(kCommonKey, "InstallPath", "C:\\Agent\\");
    ComponentSettings components(context);
    EXPECT_EQ(components.Load(kComponentSettingsKey, false), 0u);
    std::vector<bool> installed;
    for (const Component c : {Component::LocalAuthenticationClient, Component::DomainAuthenticationClient,
                              Component::DomainAuthenticationServer, Component::EapClient,
                              Component::RemoteAuthenticationServer, Component::AuthenticatorUtility}) {
        installed.push_back(components.IsInstalled(c));
    }
    EXPECT_EQ(installed, (std::vector<bool>{true, false, false, false, true, true}));
    EXPECT_EQ(components.installPath().Text(), "C:\\Agent\\");
}

TEST_F(ComponentSettingsTest, LoadReturnsTheInstallPathReadEvenWhenTheFlagsRead) {
    SetDword(kComponentKey, "Local Authentication Client", 1);
    ComponentSettings components(context);
    EXPECT_EQ(components.Load(kComponentSettingsKey, false), 5001u);
    EXPECT_TRUE(components.IsInstalled(Component::LocalAuthenticationClient));
    EXPECT_EQ(components.installPath().Text(), "");
}

TEST_F(ComponentSettingsTest, TheDayfileFolderNeedsTheLocalClient) {
    SetString(kHklm + kLocalOfflineServiceKey, "DayfileDir", "C:\\Days\\");
    ComponentSettings components(context);
    char buffer[260];
    std::memset(buffer, 'x', sizeof buffer);
    Dword size = sizeof buffer;
    EXPECT_EQ(components.GetDayfileDir(buffer, &size), 0u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(size, 260u);

    SetDword(kComponentKey, "Local Authentication Client", 1);
    EXPECT_EQ(components.GetDayfileDir(buffer, &size), 0u);
    EXPECT_STREQ(buffer, "C:\\Days\\");

    machine.registry.DeleteKeyTree(kHklm + kLocalOfflineServiceKey);
    size = sizeof buffer;
    EXPECT_EQ(components.GetDayfileDir(buffer, &size), 5001u);
}

TEST_F(ComponentSettingsTest, TheUserRootReadsEverythingFromTheUser) {
    SetDword(kHkcu + kComponentSettingsKey, "Domain Authentication Server", 1);
    SetString(kHkcu + kAgentCommonKey, "InstallPath", "C:\\UserAgent\\");
    ComponentSettings components(context);
    EXPECT_EQ(components.Load(kComponentSettingsKey, true), 0u);
    EXPECT_TRUE(components.IsInstalled(Component::DomainAuthenticationServer));
    EXPECT_EQ(components.installPath().Text(), "C:\\UserAgent\\");
    char buffer[260] = {};
    Dword size = sizeof buffer;
    EXPECT_EQ(components.GetInstallPath(buffer, &size), 0u);
    EXPECT_STREQ(buffer, "C:\\UserAgent\\");
}



class SettingsContextTest : public SettingsFixture {};

TEST_F(SettingsContextTest, TheLastLoadOrSaveOfAnyObjectDecidesWhereTheClassAccessorsGo) {
    RasSettings first(context);
    RasSettings second(context);
    first.Load(kUpgradePath + "\\KVRAS", true);
    EXPECT_EQ(second.Set(RasValue::EapMode, 2), 0u);
    EXPECT_EQ(GetDword(kHkcu + kUpgradePath + "\\KVRAS", "EapMode"), 2u);

    second.Save(kRasSettingsKey, false, false);
    EXPECT_EQ(first.Set(RasValue::EapMode, 3), 0u);
    EXPECT_EQ(GetDword(kRasKey, "EapMode"), 3u);
}

TEST_F(SettingsContextTest, TwoContextsNeverShareAPlace) {
    SettingsContext other(registry());
    RasSettings mine(context);
    RasSettings theirs(other);
    mine.SetRoot("SOFTWARE\\Mine", true);
    EXPECT_EQ(other.ras.root, platform::kHkeyLocalMachine);
    EXPECT_EQ(other.ras.keyPath, kRasSettingsKey);
    theirs.Set(RasValue::EapMode, 1);
    EXPECT_EQ(GetDword(kRasKey, "EapMode"), 1u);
}

TEST_F(SettingsContextTest, LoadCurrentAndSaveChangedUseTheCurrentKeyOnTheMachine) {
    SetDword(kHklm + "SOFTWARE\\Moved", "EapMode", 4);
    SetDword(kHkcu + "SOFTWARE\\Moved", "EapMode", 9);
    RasSettings ras(context);
    ras.SetRoot("SOFTWARE\\Moved", true);
    EXPECT_EQ(ras.LoadCurrent(), 0u);
    EXPECT_EQ(ras.Number(RasValue::EapMode), 4u);
    EXPECT_EQ(context.ras.root, platform::kHkeyLocalMachine);
}

// A path handed over shared is followed, not copied: rewriting it moves the
// class, and GinaSettings' "AllowLocalAuth" goes wherever the path the
// NetworkSettings class last got names at that moment.
TEST_F(SettingsContextTest, ASharedPathIsFollowedAsItsOwnerRewritesIt) {
    SetDword(kNetworkKey, "AllowLocalAuth", 1);
    const std::string upgrade = kHkcu + kUpgradePath;
    struct Case {
        bool shared;
        std::string ginaAllowLocalAuth;  // where the GINA's copy lands
        std::optional<Dword> networkAllowLocalAuth;
        std::string rasAccessorKey;
    };
    for (const Case& c : {Case{true, upgrade + "\\KVGINA", 1, upgrade + "\\KVRAS"},
                          Case{false, upgrade + "\\KVNETWORK", 0, upgrade + "\\KVGINA"}}) {
        SettingsContext fresh(registry());
        SharedKeyPath path;
        const auto given = [&](std::string_view first, std::string_view second = {}) {
            path.Assign(first, second);
            return c.shared ? KeyPathRef(path) : KeyPathRef(path.text());
        };
        NetworkSettings network(fresh);
        GinaSettings gina(fresh);
        RasSettings ras(fresh);
        network.Load(given(kNetworkSettingsKey), false);
        network.Save(given(kUpgradePath, "\\KVNETWORK"), true, true);
        gina.Load(given(kGinaSettingsKey), false);
        gina.Save(given(kUpgradePath, "\\KVGINA"), true, true);
        EXPECT_EQ(GetDword(c.ginaAllowLocalAuth, "AllowLocalAuth"), 0u) << c.shared;
        EXPECT_EQ(GetDword(upgrade + "\\KVNETWORK", "AllowLocalAuth"), c.networkAllowLocalAuth) << c.shared;

        ras.SetRoot(given(kUpgradePath, "\\KVGINA"), true);
        path.Assign(kUpgradePath, "\\KVRAS");
        EXPECT_EQ(ras.Set(RasValue::EapMode, 7), 0u);
        EXPECT_EQ(GetDword(c.rasAccessorKey, "EapMode"), 7u) << c.shared;
        registry().DeleteTree(platform::kHkeyCurrentUser, kUpgradePath.c_str());
    }
}

}  // namespace
}  // namespace veltra::testing
