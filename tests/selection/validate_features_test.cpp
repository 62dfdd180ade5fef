// ValidateFeatures: the feature lists it extends, the flags it raises, and the
// removal markers it leaves for the clean-up after installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "selection_fixture.h"

namespace veltra::testing {
namespace {

using platform::kErrorInstallFailure;
using platform::kErrorSuccess;

class ValidateFeaturesTest : public SelectionTest {
protected:
    void FailPropertyWrite(const std::string& property, unsigned nth = 0) {
        sim::FaultRule rule;
        rule.operation = "MsiSetPropertyA";
        rule.subject = property;
        rule.nth = nth;
        machine.faults.Add(rule);
    }
};

// --- Server files and service features that follow the components added ---

struct AdditionCase {
    const char* addlocal;
    const char* expectedAddlocal;
    const char* ginaProperty;  // the one of MustEnableGina / MustDisableGina set
    std::vector<const char*> services;  // the INSTALL_OASVC_... expected
};

class AdditionTest : public ValidateFeaturesTest,
                     public ::testing::WithParamInterface<AdditionCase> {};

TEST_P(AdditionTest, ExtendsAddlocalOnAFreshMachine) {
    const AdditionCase& c = GetParam();
    if (c.addlocal != nullptr) SetProperty("ADDLOCAL", c.addlocal);

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    if (c.expectedAddlocal != nullptr) {
        EXPECT_EQ(Property("ADDLOCAL"), c.expectedAddlocal);
    } else {
        EXPECT_FALSE(HasProperty("ADDLOCAL"));
    }
    EXPECT_EQ(Property(c.ginaProperty), "1");
    const std::string other =
        std::string(c.ginaProperty) == "MustEnableGina" ? "MustDisableGina" : "MustEnableGina";
    EXPECT_FALSE(HasProperty(other));
    for (const char* service : {"INSTALL_OASVC_LOCAL", "INSTALL_OASVC_DOMAINCLIENT", "INSTALL_OASVC_DOMAINHOST"}) {
        const bool wanted = std::any_of(c.services.begin(), c.services.end(),
                                        [&](const char* s) { return std::string(s) == service; });
        EXPECT_EQ(HasProperty(service) ? Property(service) : "", wanted ? "1" : "") << service;
    }
    EXPECT_FALSE(HasProperty("REMOVE"));
    // On a fresh machine a host service means a new server.
    EXPECT_EQ(HasProperty("isNAPServer") ? Property("isNAPServer") : "",
              HasProperty("INSTALL_OASVC_DOMAINHOST") ? "1" : "");
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), kSystemFolder);
    EXPECT_EQ(Property("ISSCHEDULEREBOOT"), "1");
    EXPECT_TRUE(machine.dialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ServerFiles, AdditionTest,
    ::testing::Values(
        AdditionCase{"LocalAuthClient", "LocalAuthClient,KeshServerConfigurationRecord,OASVC_Local",
                     "MustEnableGina", {"INSTALL_OASVC_LOCAL"}},
        AdditionCase{"DomainAuthClient", "DomainAuthClient,ServerRootCertificate,OASVC_DomainClient",
                     "MustEnableGina", {"INSTALL_OASVC_DOMAINCLIENT"}},
        AdditionCase{"DomainAuthServer",
                     "DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,OASVC_DomainHost",
                     "MustEnableGina", {"INSTALL_OASVC_DOMAINHOST"}},
        // The remote-access server needs the record but is no GINA component.
        AdditionCase{"RemoteAuthServer", "RemoteAuthServer,KeshServerConfigurationRecord",
                     "MustDisableGina", {}},
        // Features that bring no server file leave the list as it came.
        AdditionCase{"RemoteAuthClient", "RemoteAuthClient", "MustDisableGina", {}},
        AdditionCase{"Autoreg,RemoteAuthClient", "Autoreg,RemoteAuthClient", "MustDisableGina", {}},
        // Each file is added once, however many components want it.
        AdditionCase{"LocalAuthClient,RemoteAuthServer",
                     "LocalAuthClient,RemoteAuthServer,KeshServerConfigurationRecord,OASVC_Local",
                     "MustEnableGina", {"INSTALL_OASVC_LOCAL"}},
        // With a domain server the host service stands in for the client one.
        AdditionCase{"DomainAuthClient,DomainAuthServer",
                     "DomainAuthClient,DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,"
                     "OASVC_DomainHost",
                     "MustEnableGina", {"INSTALL_OASVC_DOMAINHOST"}},
        // With both clients and no server both services are wanted.
        AdditionCase{"DomainAuthClient,LocalAuthClient",
                     "DomainAuthClient,LocalAuthClient,ServerRootCertificate,KeshServerConfigurationRecord,"
                     "OASVC_DomainClient,OASVC_Local",
                     "MustEnableGina", {"INSTALL_OASVC_DOMAINCLIENT", "INSTALL_OASVC_LOCAL"}},
        // Registration brings no file; the client's are appended after the list.
        AdditionCase{"DomainAuthClient,Autoreg", "DomainAuthClient,Autoreg,ServerRootCertificate,OASVC_DomainClient",
                     "MustEnableGina", {"INSTALL_OASVC_DOMAINCLIENT"}},
        // Names are found case-sensitively, as the installer spells them.
        AdditionCase{"localauthclient", "localauthclient", "MustDisableGina", {}},
        // Nothing chosen on a fresh machine: no list is written at all.
        AdditionCase{nullptr, nullptr, "MustDisableGina", {}}));

TEST_F(ValidateFeaturesTest, FirstLocalClientMarksTheDomainServicesFoldersForRemoval) {
    SetDayfileRoots();
    SetProperty("ADDLOCAL", "LocalAuthClient");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_FALSE(Marker("REMOVELACDAYFILES"));
    EXPECT_EQ(Marker("REMOVEDACDAYFILES"), ExpectedMarker("REMOVEDACDAYFILES", kDomainRoot));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
}

TEST_F(ValidateFeaturesTest, ServiceAlreadyInPlaceIsNeitherAddedNorRegisteredAgain) {
    Install({"LocalAuthClient", "OASVC_Local"});
    SetProperty("ADDLOCAL", "RemoteAuthClient");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"), "RemoteAuthClient");
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_LOCAL"));
    EXPECT_FALSE(HasProperty("REMOVE"));
    EXPECT_EQ(Property("MustEnableGina"), "1");
}

TEST_F(ValidateFeaturesTest, ServiceFeatureStartsAnEmptyAdditionListWithoutAComma) {
    // An installed client whose service feature is missing gets it back.
    Install({"DomainAuthClient"});

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"), "OASVC_DomainClient");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINCLIENT"), "1");
}

// --- Removals -----------------------------------------------------------

TEST_F(ValidateFeaturesTest, RemovingOneClientTakesItsServiceAlong) {
    Install({"LocalAuthClient", "DomainAuthClient", "OASVC_Local", "OASVC_DomainClient"});
    SetDayfileRoots();
    SetProperty("REMOVE", "LocalAuthClient");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("REMOVE"), "LocalAuthClient,OASVC_Local");
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_FALSE(HasProperty("MustDisableGina"));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
}

TEST_F(ValidateFeaturesTest, RemoveAllTakesEveryInstalledServiceAndDisablesTheGina) {
    Install({"DomainAuthServer", "DomainAuthClient", "OASVC_DomainHost", "OASVC_Local"});
    SetDayfileRoots();
    SetProperty("REMOVE", "ALL");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("REMOVE"), "ALL,OASVC_DomainHost,OASVC_Local");
    EXPECT_EQ(Property("MustDisableGina"), "1");
    EXPECT_FALSE(HasProperty("MustEnableGina"));
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
    EXPECT_FALSE(HasProperty("isNAPServer"));
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_EQ(Marker("REMOVEDACDAYFILES"), ExpectedMarker("REMOVEDACDAYFILES", kDomainRoot));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", kHostRoot));
}

TEST_F(ValidateFeaturesTest, ReplacingTheServerByALocalClientSwapsTheServices) {
    Install({"DomainAuthServer", "OASVC_DomainHost"});
    SetProperty("ADDLOCAL", "LocalAuthClient");
    SetProperty("REMOVE", "DomainAuthServer");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient,KeshServerConfigurationRecord,OASVC_Local");
    EXPECT_EQ(Property("REMOVE"), "DomainAuthServer,OASVC_DomainHost");
    EXPECT_EQ(Property("INSTALL_OASVC_LOCAL"), "1");
    EXPECT_FALSE(HasProperty("isNAPServer"));
    EXPECT_EQ(Property("MustEnableGina"), "1");
}

// --- Reinstall -----------------------------------------------------------

TEST_F(ValidateFeaturesTest, ReinstallWithAnInstalledComponentRegistersItsServiceAgain) {
    Install({"DomainAuthServer", "OASVC_DomainHost"});
    SetProperty("REINSTALL", "ALL");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINHOST"), "1");
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
    EXPECT_FALSE(HasProperty("REMOVE"));
    // Reinstalling an existing server is not a new server.
    EXPECT_FALSE(HasProperty("isNAPServer"));
}

TEST_F(ValidateFeaturesTest, ReinstallWithoutComponentsDisablesTheGina) {
    Install({"RemoteAuthClient", "Autoreg"});
    SetProperty("REINSTALL", "ALL");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("MustDisableGina"), "1");
    EXPECT_FALSE(HasProperty("MustEnableGina"));
    for (const char* service : {"INSTALL_OASVC_LOCAL", "INSTALL_OASVC_DOMAINCLIENT", "INSTALL_OASVC_DOMAINHOST"}) {
        EXPECT_FALSE(HasProperty(service)) << service;
    }
}

// Which GINA flag: a reinstall with an installed component enables first and
// wins; otherwise "ALL" found anywhere in REMOVE (case-sensitively) disables.
TEST_F(ValidateFeaturesTest, GinaFlagFollowsReinstallThenRemoveAll) {
    struct Case {
        const char* reinstall;
        const char* remove;
        const char* flag;
    };
    for (const Case& c : {Case{"", "Autoreg,ALL", "MustDisableGina"}, Case{"", "All", "MustEnableGina"},
                          Case{"ALL", "ALL", "MustEnableGina"}}) {
        SCOPED_TRACE(std::string(c.reinstall) + "/" + c.remove);
        machine.session.properties.clear();
        SetProperty("ProductCode", kProduct);
        SetProperty("SystemFolder", kSystemFolder);
        Install({"LocalAuthClient"});
        if (*c.reinstall != '\0') SetProperty("REINSTALL", c.reinstall);
        SetProperty("REMOVE", c.remove);

        EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

        EXPECT_EQ(Property(c.flag), "1");
        EXPECT_FALSE(HasProperty(std::string(c.flag) == "MustEnableGina" ? "MustDisableGina" : "MustEnableGina"));
    }
}

TEST_F(ValidateFeaturesTest, OnlyLocallyInstalledFeaturesCount) {
    // Advertised or run-from-source components are not installed components.
    Install({"LocalAuthClient"}, platform::kInstallStateSource);
    Install({"DomainAuthClient"}, platform::kInstallStateAbsent);
    machine.session.featureStates[kOtherProduct]["DomainAuthServer"] = platform::kInstallStateLocal;
    SetProperty("REINSTALL", "ALL");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("MustDisableGina"), "1");
    EXPECT_FALSE(HasProperty("ADDLOCAL"));
}

// --- A new domain authentication server ------------------------------------

struct ServerCase {
    const char* name;
    bool serverInstalled;
    const char* addlocal;
    const char* remove;
    bool isNapServer;
};

class NewServerTest : public ValidateFeaturesTest,
                      public ::testing::WithParamInterface<ServerCase> {};

TEST_P(NewServerTest, IsNapServerOnlyForAServerNewToThisMachine) {
    const ServerCase& c = GetParam();
    if (c.serverInstalled) Install({"DomainAuthServer", "OASVC_DomainHost"});
    if (*c.addlocal != '\0') SetProperty("ADDLOCAL", c.addlocal);
    if (*c.remove != '\0') SetProperty("REMOVE", c.remove);

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    if (c.isNapServer) {
        EXPECT_EQ(Property("isNAPServer"), "1");
    } else {
        EXPECT_FALSE(HasProperty("isNAPServer"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewServerTest,
    ::testing::Values(ServerCase{"Added", false, "DomainAuthServer", "", true},
                      ServerCase{"AddedAgain", true, "DomainAuthServer", "", false},
                      ServerCase{"AddedWhileOnRemoveList", true, "DomainAuthServer", "DomainAuthServer", true},
                      ServerCase{"AddedWhileRemovingAll", true, "DomainAuthServer", "ALL", true},
                      ServerCase{"NotAdded", false, "DomainAuthClient", "", false},
                      ServerCase{"InstalledNotAdded", true, "", "", false}),
    [](const ::testing::TestParamInfo<ServerCase>& info) { return std::string(info.param.name); });

TEST_F(ValidateFeaturesTest, ServerAddedOverClientServicesReplacesThem) {
    Install({"DomainAuthClient", "LocalAuthClient", "OASVC_DomainClient", "OASVC_Local"});
    SetDayfileRoots();
    SetProperty("ADDLOCAL", "DomainAuthServer");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Property("ADDLOCAL"),
              "DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,OASVC_DomainHost");
    EXPECT_EQ(Property("REMOVE"), "OASVC_DomainClient,OASVC_Local");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINHOST"), "1");
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_DOMAINCLIENT"));
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_LOCAL"));
    EXPECT_EQ(Property("isNAPServer"), "1");
    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", kLocalRoot));
    EXPECT_EQ(Marker("REMOVEDACDAYFILES"), ExpectedMarker("REMOVEDACDAYFILES", kDomainRoot));
    EXPECT_FALSE(Marker("REMOVEDAHDAYFILES"));
}

// --- Removal markers --------------------------------------------------------

TEST_F(ValidateFeaturesTest, MarkerIsTheWholePathBufferAsRegSz) {
    SetDayfileRoots();
    SetProperty("ADDLOCAL", "DomainAuthServer");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    const auto marker = Marker("REMOVELACDAYFILES");
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->type, platform::kRegSz);
    ASSERT_EQ(marker->data.size(), 260u);
    const auto length = static_cast<std::ptrdiff_t>(std::strlen(kLocalRoot));
    EXPECT_EQ(std::string(marker->data.begin(), marker->data.begin() + length), kLocalRoot);
    EXPECT_EQ(std::count(marker->data.begin() + length, marker->data.end(), 0), 260 - length);
}

TEST_F(ValidateFeaturesTest, StaleMarkersOfThisProductGoOthersStay) {
    SetString(kVolatile, std::string("REMOVELACDAYFILES") + kProduct, "C:\\Old\\");
    SetString(kVolatile, std::string("REMOVEDACDAYFILES") + kProduct, "C:\\Old\\");
    SetString(kVolatile, std::string("REMOVEDAHDAYFILES") + kProduct, "C:\\Old\\");
    SetString(kVolatile, std::string("REMOVELACDAYFILES") + kOtherProduct, "C:\\Other\\");
    SetString(kVolatile, "TEMP", "C:\\Temp");
    // No day-file roots: no new markers either.
    SetProperty("ADDLOCAL", "LocalAuthClient");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_FALSE(Marker("REMOVELACDAYFILES"));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_FALSE(Marker("REMOVEDAHDAYFILES"));
    EXPECT_EQ(GetString(kVolatile, std::string("REMOVELACDAYFILES") + kOtherProduct), "C:\\Other\\");
    EXPECT_EQ(GetString(kVolatile, "TEMP"), "C:\\Temp");
}

TEST_F(ValidateFeaturesTest, WantedServiceKeepsItsFolderEvenWhenAMarkerWasLeft) {
    SetDayfileRoots();
    SetString(kVolatile, std::string("REMOVELACDAYFILES") + kProduct, kLocalRoot);
    Install({"LocalAuthClient", "OASVC_Local"});

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_FALSE(Marker("REMOVELACDAYFILES"));
}

TEST_F(ValidateFeaturesTest, NoVolatileEnvironmentMeansNoMarkersAndNoFailure) {
    machine.registry.DeleteKeyTree(kVolatile);
    SetDayfileRoots();

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_FALSE(KeyExists(kVolatile));
    EXPECT_EQ(Property("MustDisableGina"), "1");
    EXPECT_EQ(Property("ISSCHEDULEREBOOT"), "1");
}

TEST_F(ValidateFeaturesTest, UnreadableDayfileRootLeavesOnlyThatMarkerOut) {
    SetDayfileRoots();
    sim::FaultRule rule;
    rule.operation = "RegQueryValueExA";
    rule.subject = std::string(kDomainKey) + "\\DayfileDirRoot";
    machine.faults.Add(rule);

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_TRUE(Marker("REMOVELACDAYFILES"));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_TRUE(Marker("REMOVEDAHDAYFILES"));
}

TEST_F(ValidateFeaturesTest, DayfileRootThatFillsThePathBufferIsKeptLongerIsNot) {
    const std::string fits = "C:\\" + std::string(256, 'd');      // 259 + terminator = 260
    const std::string tooLong = "C:\\" + std::string(257, 'd');   // 261 bytes
    SetString(kLocalKey, "DayfileDirRoot", fits);
    SetString(kDomainKey, "DayfileDirRoot", tooLong);

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", fits));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
}

TEST_F(ValidateFeaturesTest, EmptyDayfileRootStillReadsAndIsRecorded) {
    SetString(kHostKey, "DayfileDirRoot", "");
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", ""));
}

// --- Results ------------------------------------------------------------------

TEST_F(ValidateFeaturesTest, EmptyProductCodeFailsAfterTheSystemFolderOnly) {
    SetProperty("ProductCode", "");
    SetProperty("ADDLOCAL", "LocalAuthClient");
    SetDayfileRoots();

    EXPECT_EQ(Run("ValidateFeatures"), kErrorInstallFailure);

    EXPECT_EQ(Property("INSTALLDIR_SYS32"), kSystemFolder);
    EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient");
    EXPECT_FALSE(HasProperty("MustEnableGina"));
    EXPECT_FALSE(HasProperty("ISSCHEDULEREBOOT"));
    EXPECT_TRUE(machine.registry.FindKey(kVolatile)->values().empty());
}

TEST_F(ValidateFeaturesTest, SystemFolderIsReadIntoThePathBuffer) {
    // 259 characters and the terminator fill the 260 bytes; a longer folder is
    // read cut to 259.
    const std::string fits = "C:\\" + std::string(255, 's') + "\\";
    ASSERT_EQ(fits.size(), 259u);
    SetProperty("SystemFolder", fits);
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), fits);

    SetProperty("SystemFolder", "C:\\" + std::string(256, 's') + "\\");
    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), "C:\\" + std::string(256, 's'));
    EXPECT_EQ(Property("ISSCHEDULEREBOOT"), "1");
}

struct WriteFailureCase {
    const char* name;
    const char* addlocal;
    const char* remove;
    const char* failing;
    unsigned nth;
    platform::Dword result;
};

class WriteFailureTest : public ValidateFeaturesTest,
                         public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(WriteFailureTest, OnlyTheCheckedWritesFailTheAction) {
    const WriteFailureCase& c = GetParam();
    Install({"LocalAuthClient", "OASVC_Local"});
    if (*c.addlocal != '\0') SetProperty("ADDLOCAL", c.addlocal);
    if (*c.remove != '\0') SetProperty("REMOVE", c.remove);
    FailPropertyWrite(c.failing, c.nth);

    EXPECT_EQ(Run("ValidateFeatures"), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteFailureTest,
    ::testing::Values(
        WriteFailureCase{"ServerFilesAddlocal", "DomainAuthServer", "", "ADDLOCAL", 1, kErrorInstallFailure},
        WriteFailureCase{"ServiceAddlocal", "DomainAuthServer", "", "ADDLOCAL", 2, kErrorSuccess},
        WriteFailureCase{"ServiceRemove", "DomainAuthServer", "", "REMOVE", 0, kErrorSuccess},
        WriteFailureCase{"InstallService", "DomainAuthServer", "", "INSTALL_OASVC_DOMAINHOST", 0, kErrorSuccess},
        WriteFailureCase{"SystemFolder", "", "", "INSTALLDIR_SYS32", 0, kErrorSuccess},
        WriteFailureCase{"MustEnableGina", "", "", "MustEnableGina", 0, kErrorInstallFailure},
        WriteFailureCase{"MustDisableGina", "", "ALL", "MustDisableGina", 0, kErrorInstallFailure},
        WriteFailureCase{"IsNapServer", "DomainAuthServer", "", "isNAPServer", 0, kErrorInstallFailure},
        WriteFailureCase{"ScheduleReboot", "", "", "ISSCHEDULEREBOOT", 0, kErrorInstallFailure}),
    [](const ::testing::TestParamInfo<WriteFailureCase>& info) { return std::string(info.param.name); });

TEST_F(ValidateFeaturesTest, FailedServerFilesWriteStopsBeforeAnythingElse) {
    SetDayfileRoots();
    SetProperty("ADDLOCAL", "LocalAuthClient");
    FailPropertyWrite("ADDLOCAL");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorInstallFailure);

    EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient");
    EXPECT_FALSE(HasProperty("INSTALL_OASVC_LOCAL"));
    EXPECT_FALSE(HasProperty("MustEnableGina"));
    EXPECT_FALSE(HasProperty("ISSCHEDULEREBOOT"));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
}

// The lists, markers and service requests are settled before the GINA flag,
// the GINA flag before the new-server flag, and the reboot flag comes last:
// a failed write leaves what came before it and nothing after it.
TEST_F(ValidateFeaturesTest, AFailedGinaWriteStopsBeforeTheServerAndRebootFlags) {
    SetDayfileRoots();
    SetProperty("ADDLOCAL", "DomainAuthServer");
    FailPropertyWrite("MustEnableGina");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorInstallFailure);

    EXPECT_EQ(Property("ADDLOCAL"),
              "DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,OASVC_DomainHost");
    EXPECT_EQ(Property("INSTALL_OASVC_DOMAINHOST"), "1");
    EXPECT_TRUE(Marker("REMOVELACDAYFILES"));
    EXPECT_TRUE(Marker("REMOVEDACDAYFILES"));
    EXPECT_FALSE(HasProperty("MustEnableGina"));
    EXPECT_FALSE(HasProperty("MustDisableGina"));
    EXPECT_FALSE(HasProperty("isNAPServer"));
    EXPECT_FALSE(HasProperty("ISSCHEDULEREBOOT"));
}

TEST_F(ValidateFeaturesTest, AFailedServerFlagWriteStopsBeforeTheRebootFlag) {
    SetProperty("ADDLOCAL", "DomainAuthServer");
    FailPropertyWrite("isNAPServer");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorInstallFailure);

    EXPECT_EQ(Property("MustEnableGina"), "1");
    EXPECT_FALSE(HasProperty("isNAPServer"));
    EXPECT_FALSE(HasProperty("ISSCHEDULEREBOOT"));
}

}  // namespace
}  // namespace veltra::testing
