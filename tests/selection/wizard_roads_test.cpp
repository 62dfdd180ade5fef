// The selection actions along the roads through an installation, in the
// order the package calls them, checking properties, markers and dialogs
// together.
#include <gtest/gtest.h>

#include "platform/ui.h"
#include "selection_fixture.h"

namespace veltra::testing {
namespace {

using platform::kErrorSuccess;

class WizardRoadTest : public SelectionTest {
protected:
    WizardRoadTest() {
        SetProperty("UILevel", "5");
        SetDayfileRoots();
    }
};

TEST_F(WizardRoadTest, FirstInstallationOfBothClients) {
    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Run("GetInstallationState"), kErrorSuccess);
    EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), "0");
    EXPECT_EQ(Property("LOCALCLIENT"), "0");
    EXPECT_EQ(Property("DOMAINCLIENT"), "0");

    // Nothing installed, so the tally cannot move; the dialog accepts the
    // new components by overriding it.
    EXPECT_EQ(Run("TallyCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Property("OK_AGENTS"), "0");
    EXPECT_EQ(Run("OverrideTallyCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);
    EXPECT_EQ(Property("OK_AGENTS"), "1");

    SetProperty("ADDLOCAL", "LocalAuthClient,DomainAuthClient");
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"),
              "LocalAuthClient,DomainAuthClient,ServerRootCertificate,KeshServerConfigurationRecord,"
              "OASVC_DomainClient,OASVC_Local");
    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_FALSE(Marker("REMOVELACDAYFILES"));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
    EXPECT_TRUE(machine.dialogs.empty());
}

TEST_F(WizardRoadTest, FirstInstallationWithNothingChosenIsStopped) {
    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Run("TallyCompatibleAgents"), kErrorSuccess);
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);

    EXPECT_EQ(Property("OK_AGENTS"), "0");
    ASSERT_EQ(machine.dialogs.size(), 1u);
    EXPECT_EQ(machine.dialogs[0].text.rfind("No agents have been selected for Install or Change.\n", 0), 0u);
    EXPECT_EQ(machine.dialogs[0].answer, "OK");
}

TEST_F(WizardRoadTest, ChangeThatDeselectsOneOfTwoClients) {
    Install({"LocalAuthClient", "DomainAuthClient", "OASVC_Local", "OASVC_DomainClient"});

    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), "2");
    EXPECT_EQ(Run("DecrementInstalledAgentsCount"), kErrorSuccess);
    EXPECT_EQ(Run("TallyCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), "1");
    EXPECT_EQ(Property("OK_AGENTS"), "1");
    EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);

    SetProperty("REMOVE", "LocalAuthClient");
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("REMOVE"), "LocalAuthClient,OASVC_Local");
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_DOMAINCLIENT"));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_TRUE(machine.dialogs.empty());
}

TEST_F(WizardRoadTest, ChangeThatDeselectsEverythingIsStopped) {
    Install({"LocalAuthClient", "DomainAuthClient"});

    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Run("DecrementInstalledAgentsCount"), kErrorSuccess);
    EXPECT_EQ(Run("DecrementInstalledAgentsCount"), kErrorSuccess);
    EXPECT_EQ(Run("TallyCompatibleAgents"), kErrorSuccess);
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);

    EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), "0");
    EXPECT_EQ(Property("OK_AGENTS"), "0");
    EXPECT_EQ(machine.dialogs.size(), 1u);
}

TEST_F(WizardRoadTest, RepairKeepsTheGinaAndRegistersTheServiceAgain) {
    Install({"DomainAuthClient", "OASVC_DomainClient"});
    SetProperty("REINSTALL", "ALL");

    EXPECT_EQ(Run("GetInstallationState"), kErrorSuccess);
    EXPECT_EQ(Property("DOMAINCLIENT"), "1");
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINCLIENT"), "1");
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_LOCAL"));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
}

}  // namespace
}  // namespace veltra::testing
