// What every settings class shares, over each value table (the rows no
// unforced save writes are spelled out), and a value the registry refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "settings/client_settings.h"
#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "settings/settings_context.h"
#include "settings/trace_settings.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;

struct Ras {
    using Settings = RasSettings;
    using Row = RasValue;
    static constexpr const auto& kTable = kRasValues;
    static constexpr const char* kKeyPath = kRasSettingsKey;
    static std::string Key() { return kRasKey; }
    static std::vector<std::string> NotSavedWhenChanged() { return {}; }
    static constexpr std::size_t kForcedWrites = 36;
};
struct Gina {
    using Settings = GinaSettings;
    using Row = GinaValue;
    static constexpr const auto& kTable = kGinaValues;
    static constexpr const char* kKeyPath = kGinaSettingsKey;
    static std::string Key() { return kGinaKey; }
    // The forced-only rows ("IsDac" twice, "CustomBitMap") and the loaded-only ones.
    static std::vector<std::string> NotSavedWhenChanged() {
        return {"IsDac", "IsDac", "CustomBitMap", "InstallPath", "MajorVersion", "MinorVersion", "UseKeshProxy"};
    }
    static constexpr std::size_t kForcedWrites = 14;
};
struct Network {
    using Settings = NetworkSettings;
    using Row = NetworkValue;
    static constexpr const auto& kTable = kNetworkValues;
    static constexpr const char* kKeyPath = kNetworkSettingsKey;
    static std::string Key() { return kNetworkKey; }
    static std::vector<std::string> NotSavedWhenChanged() {
        return {"InstallPath", "CACertPath", "Client", "MajorVersion", "MinorVersion", "Server", "TestMode"};
    }
    static constexpr std::size_t kForcedWrites = 41;
};
struct Client {
    using Settings = ClientSettings;
    using Row = ClientValue;
    static constexpr const auto& kTable = kClientValues;
    static constexpr const char* kKeyPath = kClientSettingsKey;
    static std::string Key() { return kClientKey; }
    static std::vector<std::string> NotSavedWhenChanged() { return {}; }
    static constexpr std::size_t kForcedWrites = 2;
};
struct Trace {
    using Settings = TraceSettings;
    using Row = TraceValue;
    static constexpr const auto& kTable = kTraceValues;
    static constexpr const char* kKeyPath = kTraceSettingsKey;
    static std::string Key() { return kClientKey; }
    static std::vector<std::string> NotSavedWhenChanged() { return {}; }
    static constexpr std::size_t kForcedWrites = 4;
};

template <class Class>
class SettingsRowsTest : public SettingsFixture {
protected:
    using Settings = typename Class::Settings;
    void Fill() { Populate(machine.registry, Class::kTable, Class::Key(), kNetworkKey); }
    std::string KeyOf(const ValueInfo& info, const std::string& classKey) const {
        return RowKey(info, classKey, classKey == Class::Key() ? kNetworkKey : "");
    }
};

using Classes = ::testing::Types<Ras, Gina, Network, Client, Trace>;
TYPED_TEST_SUITE(SettingsRowsTest, Classes);

TYPED_TEST(SettingsRowsTest, ALoadThenAnUnforcedSaveWritesNothing) {
    this->Fill();
    typename TestFixture::Settings settings(this->context);
    settings.Load(TypeParam::kKeyPath, false);
    this->Mark();
    settings.SaveChanged();
    EXPECT_TRUE(this->Changes().empty());
    EXPECT_TRUE(this->Calls("RegSetValueExA").empty());
}

TYPED_TEST(SettingsRowsTest, AChangedValueIsWrittenAloneIfItsRuleSavesChanges) {
    const auto& table = TypeParam::kTable;
    std::vector<std::string> notSaved;
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ValueInfo& info = table[row];
        if (!HasField(info)) continue;
        SCOPED_TRACE(info.name + std::string(" row ") + std::to_string(row));
        this->Fill();
        typename TestFixture::Settings settings(this->context);
        settings.Load(TypeParam::kKeyPath, false);
        const sim::RegValue expected = ChangeField(settings, static_cast<typename TypeParam::Row>(row), info);
        this->Mark();
        settings.SaveChanged();
        if (this->Changes().empty()) {
            notSaved.push_back(info.name);
            continue;
        }
        const std::string key = RowKey(info, TypeParam::Key(), kNetworkKey);
        EXPECT_EQ(this->ChangedValues(), std::vector<std::string>{key + "\\" + info.name});
        EXPECT_EQ(this->GetValue(key, info.name), expected);
        typename TestFixture::Settings reloaded(this->context);
        reloaded.Load(TypeParam::kKeyPath, false);
        EXPECT_TRUE(FieldHolds(reloaded, row, expected));
    }
    EXPECT_EQ(notSaved, TypeParam::NotSavedWhenChanged());
}

TYPED_TEST(SettingsRowsTest, AForcedSaveCarriesEverySavedRowToAnotherKey) {
    const auto& table = TypeParam::kTable;
    const std::string elsewhere = "SOFTWARE\\VeltraAgentUpgrade\\Copy";
    this->Fill();
    typename TestFixture::Settings settings(this->context);
    settings.Load(TypeParam::kKeyPath, false);
    this->Mark();
    settings.Save(elsewhere, true, true);
    const std::string saved = kHkcu + elsewhere;
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ValueInfo& info = table[row];
        const std::string key = info.key == ValueKey::kNetworkKey ? kHkcu + kNetworkSettingsKey
                                                                  : RowKey(info, saved, "");
        if (!SavedWhenForced(info)) {
            EXPECT_FALSE(this->GetValue(key, info.name)) << info.name;
            continue;
        }
        const auto value = this->GetValue(key, info.name);
        ASSERT_TRUE(value) << info.name;
        EXPECT_EQ(*value, Distinct(info, StoredRow(table, row))) << info.name;
        EXPECT_EQ(value->type, WrittenType(info)) << info.name;
    }
    EXPECT_EQ(this->Calls("RegSetValueExA").size(), TypeParam::kForcedWrites);
    EXPECT_EQ(this->OpenHandles(), 0u);
}


// A text as long as its capacity: a changed one is not written; a forced save
// writes it unless the row must always fit. One character less is written.
template <class Settings, class Row>
std::function<void(SettingsContext&, const std::string&, bool)> TextSave(const char* keyPath, Row row) {
    return [keyPath, row](SettingsContext& context, const std::string& text, bool force) {
        Settings settings(context);
        settings.Load(keyPath, false);
        settings.Buffer(row).SetText(text);
        force ? settings.SaveAll() : settings.SaveChanged();
    };
}

class TextLimitTest : public SettingsFixture {};

TEST_F(TextLimitTest, AChangedTextIsWrittenOnlyWhileShorterThanItsCapacity) {
    struct Case {
        std::string key;
        const char* name;
        std::size_t capacity;
        bool forcedWritesFull;
        std::function<void(SettingsContext&, const std::string&, bool)> save;
    };
    const Case cases[] = {
        {kRasKey, "DefaultDomain", 254, true, TextSave<RasSettings>(kRasSettingsKey, RasValue::DefaultDomain)},
        {kClientKey, "PrimaryInterfaceIP", 16, true,
         TextSave<ClientSettings>(kClientSettingsKey, ClientValue::PrimaryInterfaceIP)},
        {kClientKey, "TraceFile", 260, true, TextSave<TraceSettings>(kTraceSettingsKey, TraceValue::TraceFile)},
        {kNetworkKey, "MultiuserDelimiter", 8, false,
         TextSave<NetworkSettings>(kNetworkSettingsKey, NetworkValue::MultiuserDelimiter)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.registry = sim::RegistryTree();
        SetString(c.key, c.name, "old");
        const std::string full(c.capacity, 'f');
        c.save(context, full, false);
        EXPECT_EQ(GetString(c.key, c.name), "old");
        c.save(context, full, true);
        EXPECT_EQ(GetString(c.key, c.name), c.forcedWritesFull ? full : "old");
        c.save(context, std::string(c.capacity - 1, 's'), false);
        EXPECT_EQ(GetString(c.key, c.name), std::string(c.capacity - 1, 's'));
    }
}


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
