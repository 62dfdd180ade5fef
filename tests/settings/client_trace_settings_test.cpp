// ClientSettings and TraceSettings: the address fallback, the event-log
// control's moving snapshot, and the two classes' separate places.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/client_settings.h"
#include "settings/trace_settings.h"
#include "settings_fixture.h"
#include "value_tables.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

const std::string kUpgradeClient = kUpgradePath + "\\KESHCLIENT";

class ClientTraceTest : public SettingsFixture {};

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

}  // namespace
}  // namespace veltra::testing
