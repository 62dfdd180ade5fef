// ComponentSettings: component flags that count only a REG_DWORD 1, the
// install path, and the day-file folder of the local client.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/component_settings.h"
#include "settings_fixture.h"

namespace veltra::testing {
namespace {

using namespace veltra::settings;
using platform::Dword;

class ComponentSettingsTest : public SettingsFixture {};

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

}  // namespace
}  // namespace veltra::testing
