// A registry that refuses one value: that value keeps what it had (in the
// object on a load, in the registry on a save) and nothing else is affected.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "settings_fixture.h"
#include "value_tables.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

class FaultInjectionTest : public SettingsFixture {};

TEST_F(FaultInjectionTest, AValueThatCannotBeReadKeepsItsPreviousContentAndTheRestLoads) {
    Populate(machine.registry, kNetworkValues, kNetworkKey, kNetworkKey);
    for (std::size_t row = 0; row < kNetworkValues.size(); ++row) {
        const ValueInfo& info = kNetworkValues[row];
        SCOPED_TRACE(info.name);
        NetworkSettings network(context);
        network.Load(kNetworkSettingsKey, false);  // every value as populated
        // The registry moves on; one value can no longer be read.
        for (std::size_t other = 0; other < kNetworkValues.size(); ++other) {
            const sim::RegValue next = Distinct(kNetworkValues[other], other + 50);
            machine.registry.CreateKey(kNetworkKey)->SetValue(kNetworkValues[other].name, next.type, next.data);
        }
        machine.faults = sim::Faults();
        Fail("RegQueryValueExA:" + kNetworkKey + "\\" + info.name);
        network.Load(kNetworkSettingsKey, false);
        for (std::size_t other = 0; other < kNetworkValues.size(); ++other) {
            EXPECT_TRUE(FieldHolds(network, other, Distinct(kNetworkValues[other], other == row ? other : other + 50)))
                << kNetworkValues[other].name;
        }
        EXPECT_EQ(network.values().lastRead(row), kRegResultRegistryError);
        EXPECT_EQ(OpenHandles(), 0u);
        machine.registry.DeleteKeyTree(kNetworkKey);
        Populate(machine.registry, kNetworkValues, kNetworkKey, kNetworkKey);
    }
}

TEST_F(FaultInjectionTest, AValueThatCannotBeWrittenStaysAsItWasAndTheRestIsWritten) {
    // Numbers and binary values are written over in place; a refused write
    // leaves them untouched.
    for (std::size_t row = 0; row < kNetworkValues.size(); ++row) {
        const ValueInfo& info = kNetworkValues[row];
        if (info.stored == StoredAs::kString) continue;
        SCOPED_TRACE(info.name);
        machine.registry.DeleteKeyTree(kNetworkKey);
        Populate(machine.registry, kNetworkValues, kNetworkKey, kNetworkKey);
        NetworkSettings network(context);
        network.Load(kNetworkSettingsKey, false);
        for (std::size_t other = 0; other < kNetworkValues.size(); ++other) {
            ChangeField(network, static_cast<NetworkValue>(other), kNetworkValues[other]);
        }
        machine.faults = sim::Faults();
        Fail("RegSetValueExA:" + kNetworkKey + "\\" + info.name);
        Mark();
        network.SaveAll();
        std::vector<std::string> expected;
        for (const ValueInfo& other : kNetworkValues) {
            if (&other != &info) expected.push_back(kNetworkKey + "\\" + other.name);
        }
        // Rewritten strings move to the end of the key's value order; compare as sets.
        auto changed = ChangedValues();
        std::sort(changed.begin(), changed.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(changed, expected);
        EXPECT_EQ(GetValue(kNetworkKey, info.name), Distinct(info, row));
        EXPECT_EQ(OpenHandles(), 0u);
    }
}

TEST_F(FaultInjectionTest, ARefusedSubkeyLeavesTheMainKeyLoading) {
    SetDword(kRasKey, "EapMode", 6);
    SetDword(kRasKey + "\\15", "RequireConfigUI", 1);
    Fail("RegOpenKeyExA:" + kRasKey + "\\15");
    RasSettings ras(context);
    ras.Load(kRasSettingsKey, false);
    EXPECT_EQ(ras.Number(RasValue::EapMode), 6u);
    EXPECT_EQ(ras.Number(RasValue::RequireConfigUI15), 0u);
    EXPECT_EQ(OpenHandles(), 0u);
}

}  // namespace
}  // namespace veltra::testing
