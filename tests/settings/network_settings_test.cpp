// NetworkSettings: the rules "changed", "bounded" and "forced", binary values
// with their length words, and the misspelled value name.
#include <gtest/gtest.h>

#include "settings/network_settings.h"
#include "settings_fixture.h"
#include "value_tables.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

const std::string kUpgradeNetwork = kUpgradePath + "\\KVNETWORK";

class NetworkSettingsTest : public SettingsFixture {};

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

}  // namespace
}  // namespace veltra::testing
