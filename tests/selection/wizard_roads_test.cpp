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
    EXPECT_FALSE(HasProperty("REMOVE"));
    EXPECT_EQ(Property("INSTALL_OASVC_LOCAL"), "1");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINCLIENT"), "1");
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_DOMAINHOST"));
    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_FALSE(HasProperty("MustDisableGina"));
    EXPECT_FALSE(HasProperty("isNAPServer"));
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), kSystemFolder);
    EXPECT_EQ(Property("ISSCHEDULEREBOOT"), "1");
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
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
    EXPECT_EQ(Property("MustEnableGina"), "1");
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

TEST_F(WizardRoadTest, LocalClientWithDomainServerIsRejected) {
    Install({"LocalAuthClient"});
    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Run("OverrideTallyCompatibleAgents"), kErrorSuccess);

    Answer(platform::kIdOk);
    EXPECT_EQ(Run("SetInCompatibleAgents1"), kErrorSuccess);

    EXPECT_EQ(Property("OK_AGENTS"), "0");
    ASSERT_EQ(machine.dialogs.size(), 1u);
    EXPECT_EQ(machine.dialogs[0].style, 0x00010030u);
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
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
    EXPECT_FALSE(HasProperty("REMOVE"));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
}

TEST_F(WizardRoadTest, RemovalOfEverything) {
    Install({"LocalAuthClient", "DomainAuthClient", "RemoteAuthClient", "Autoreg", "OASVC_Local",
             "OASVC_DomainClient"});
    SetProperty("REMOVE", "ALL");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("REMOVE"), "ALL,OASVC_DomainClient,OASVC_Local");
    EXPECT_EQ(Property("MustDisableGina"), "1");
    EXPECT_FALSE(HasProperty("MustEnableGina"));
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_EQ(Marker("REMOVEDACDAYFILES"), ExpectedMarker("REMOVEDACDAYFILES", kDomainRoot));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
    EXPECT_EQ(Property("ISSCHEDULEREBOOT"), "1");
    EXPECT_TRUE(machine.dialogs.empty());
}

TEST_F(WizardRoadTest, DomainServerAddedOverAnInstalledClient) {
    Install({"DomainAuthClient", "OASVC_DomainClient"});

    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);
    EXPECT_EQ(Run("OverrideTallyCompatibleAgents"), kErrorSuccess);
    SetProperty("ADDLOCAL", "DomainAuthServer");
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"),
              "DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,OASVC_DomainHost");
    EXPECT_EQ(Property("REMOVE"), "OASVC_DomainClient");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINHOST"), "1");
    EXPECT_EQ(Property("isNAPServer"), "1");
    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_EQ(Marker("REMOVEDACDAYFILES"), ExpectedMarker("REMOVEDACDAYFILES", kDomainRoot));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_FALSE(Marker("REMOVEDAHDAYFILES"));
}

TEST_F(WizardRoadTest, PackageCreationRecordsTheBuildersChoice) {
    SetProperty("PACKAGE_CREATE", "1");
    SetProperty("_DAC", "1");
    SetProperty("_AUTOREG", "1");

    EXPECT_EQ(Run("CheckSilentInstallAgentSelection"), kErrorSuccess);
    EXPECT_EQ(Property("AGENT_SELECTION_OK"), "1");
    EXPECT_EQ(Property("InstallSilentDAC"), "1");
    EXPECT_EQ(Property("InstallSilentAUTOREG"), "1");
    EXPECT_EQ(Property("InstallSilentLAC"), "0");
    EXPECT_TRUE(machine.dialogs.empty());

    // The builder goes back and clears the agent: registration alone is refused.
    SetProperty("_DAC", "0");
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("CheckSilentInstallAgentSelection"), kErrorSuccess);
    EXPECT_EQ(Property("AGENT_SELECTION_OK"), "0");
    EXPECT_EQ(Property("InstallSilentDAC"), "0");
    EXPECT_EQ(Property("InstallSilentAUTOREG"), "1");
    EXPECT_EQ(machine.dialogs.size(), 1u);
    // Building a package installs nothing on this machine.
    EXPECT_TRUE(machine.registry.FindKey(kVolatile)->values().empty());
}

TEST_F(WizardRoadTest, SilentInstallationFromThePackageOptions) {
    // The options file has already turned the package's choice into ADDLOCAL.
    SetProperty("UILevel", "2");
    SetProperty("ADDLOCAL", "DomainAuthClient,Autoreg");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"), "DomainAuthClient,Autoreg,ServerRootCertificate,OASVC_DomainClient");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINCLIENT"), "1");
    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
    EXPECT_TRUE(machine.dialogs.empty());
}

}  // namespace
}  // namespace veltra::testing
