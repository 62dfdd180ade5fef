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

struct ListCase {
    const char* name;
    std::vector<const char*> installed;
    const char* addlocal;  // nullptr: not set
    const char* remove;
    const char* expectedAddlocal;  // nullptr: absent
    const char* expectedRemove;
    const char* ginaFlag;              // the one of MustEnableGina / MustDisableGina set
    std::vector<const char*> services;  // the INSTALL_OASVC_... set to "1"
    bool napServer;
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }

class ListTest : public ValidateFeaturesTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListTest, ExtendsTheListsAndRaisesTheFlags) {
    const ListCase& c = GetParam();
    for (const char* feature : c.installed) Install({feature});
    if (c.addlocal != nullptr) SetProperty("ADDLOCAL", c.addlocal);
    if (c.remove != nullptr) SetProperty("REMOVE", c.remove);

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    const auto valueOf = [&](const char* property) {
        return HasProperty(property) ? std::optional(Property(property)) : std::nullopt;
    };
    const auto expected = [](const char* text) { return text ? std::optional<std::string>(text) : std::nullopt; };
    EXPECT_EQ(valueOf("ADDLOCAL"), expected(c.expectedAddlocal));
    EXPECT_EQ(valueOf("REMOVE"), expected(c.expectedRemove));
    EXPECT_EQ(Property(c.ginaFlag), "1");
    EXPECT_FALSE(HasProperty(std::string(c.ginaFlag) == "MustEnableGina" ? "MustDisableGina" : "MustEnableGina"));
    for (const char* service : {"INSTALL_OASVC_LOCAL", "INSTALL_OASVC_DOMAINCLIENT", "INSTALL_OASVC_DOMAINHOST"}) {
        const bool wanted = std::any_of(c.services.begin(), c.services.end(),
                                        [&](const char* s) { return std::string(s) == service; });
        EXPECT_EQ(valueOf(service), wanted ? std::optional<std::string>("1") : std::nullopt) << service;
    }
    EXPECT_EQ(valueOf("isNAPServer"), c.napServer ? std::optional<std::string>("1") : std::nullopt);
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), kSystemFolder);
    EXPECT_EQ(Property("ISSCHEDULEREBOOT"), "1");
    EXPECT_TRUE(machine.dialogs.empty());
}

const char* const kServerAndFiles = "DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord";

INSTANTIATE_TEST_SUITE_P(
    Cases, ListTest,
    ::testing::Values(
        // The remote-access server needs the record but is no GINA component.
        ListCase{"RemoteServer", {}, "RemoteAuthServer", nullptr, "RemoteAuthServer,KeshServerConfigurationRecord",
                 nullptr, "MustDisableGina", {}, false},
        // Each file is added once, however many components want it.
        ListCase{"FileWantedTwice", {}, "LocalAuthClient,RemoteAuthServer", nullptr,
                 "LocalAuthClient,RemoteAuthServer,KeshServerConfigurationRecord,OASVC_Local", nullptr,
                 "MustEnableGina", {"INSTALL_OASVC_LOCAL"}, false},
        // With a domain server the host service stands in for the client one.
        ListCase{"ClientAndServer", {}, "DomainAuthClient,DomainAuthServer", nullptr,
                 "DomainAuthClient,DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,"
                 "OASVC_DomainHost",
                 nullptr, "MustEnableGina", {"INSTALL_OASVC_DOMAINHOST"}, true},
        // Registration brings no file; the client's are appended after the list.
        ListCase{"ClientThenRegistration", {}, "DomainAuthClient,Autoreg", nullptr,
                 "DomainAuthClient,Autoreg,ServerRootCertificate,OASVC_DomainClient", nullptr, "MustEnableGina",
                 {"INSTALL_OASVC_DOMAINCLIENT"}, false},
        // Names are found case-sensitively, as the installer spells them.
        ListCase{"OtherCase", {}, "localauthclient", nullptr, "localauthclient", nullptr, "MustDisableGina", {}, false},
        // Nothing chosen on a fresh machine: no list is written at all.
        ListCase{"NothingChosen", {}, nullptr, nullptr, nullptr, nullptr, "MustDisableGina", {}, false},
        // An installed client whose service is missing gets it back, without a comma.
        ListCase{"MissingServiceRestored", {"DomainAuthClient"}, nullptr, nullptr, "OASVC_DomainClient", nullptr,
                 "MustEnableGina", {"INSTALL_OASVC_DOMAINCLIENT"}, false},
        ListCase{"ServiceAlreadyInPlace", {"LocalAuthClient", "OASVC_Local"}, "RemoteAuthClient", nullptr,
                 "RemoteAuthClient", nullptr, "MustEnableGina", {}, false},
        ListCase{"ServerReplacedByLocalClient", {"DomainAuthServer", "OASVC_DomainHost"}, "LocalAuthClient",
                 "DomainAuthServer", "LocalAuthClient,KeshServerConfigurationRecord,OASVC_Local",
                 "DomainAuthServer,OASVC_DomainHost", "MustEnableGina", {"INSTALL_OASVC_LOCAL"}, false},
        ListCase{"ServerAddedOverClientServices",
                 {"DomainAuthClient", "LocalAuthClient", "OASVC_DomainClient", "OASVC_Local"}, "DomainAuthServer",
                 nullptr, "DomainAuthServer,ServerRootCertificate,KeshServerConfigurationRecord,OASVC_DomainHost",
                 "OASVC_DomainClient,OASVC_Local", "MustEnableGina", {"INSTALL_OASVC_DOMAINHOST"}, true},
        // A new server only for a machine that does not keep one.
        ListCase{"ServerAddedAgain", {"DomainAuthServer", "OASVC_DomainHost"}, "DomainAuthServer", nullptr,
                 kServerAndFiles, nullptr, "MustEnableGina", {}, false},
        ListCase{"ServerAddedWhileOnRemoveList", {"DomainAuthServer", "OASVC_DomainHost"}, "DomainAuthServer",
                 "DomainAuthServer", kServerAndFiles, "DomainAuthServer,OASVC_DomainHost", "MustDisableGina", {},
                 true},
        ListCase{"ServerAddedWhileRemovingAll", {"DomainAuthServer", "OASVC_DomainHost"}, "DomainAuthServer", "ALL",
                 kServerAndFiles, "ALL,OASVC_DomainHost", "MustDisableGina", {}, true}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

// Which GINA flag: a reinstall with a locally installed component enables
// first and wins; otherwise "ALL" found anywhere in REMOVE (case-sensitively)
// disables. Advertised, absent or another product's features do not count.
TEST_F(ValidateFeaturesTest, GinaFlagFollowsReinstallThenRemoveAll) {
    struct Case {
        const char* installed;
        int state;
        const char* reinstall;
        const char* remove;
        const char* flag;
    };
    const Case cases[] = {
        {"LocalAuthClient", platform::kInstallStateLocal, "", "Autoreg,ALL", "MustDisableGina"},
        {"LocalAuthClient", platform::kInstallStateLocal, "", "All", "MustEnableGina"},
        {"LocalAuthClient", platform::kInstallStateLocal, "ALL", "ALL", "MustEnableGina"},
        {"RemoteAuthClient", platform::kInstallStateLocal, "ALL", "", "MustDisableGina"},
        {"LocalAuthClient", platform::kInstallStateSource, "ALL", "", "MustDisableGina"},
        {"DomainAuthClient", platform::kInstallStateAbsent, "ALL", "", "MustDisableGina"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.installed) + "/" + c.reinstall + "/" + c.remove);
        machine.session.properties.clear();
        machine.session.featureStates.clear();
        SetProperty("ProductCode", kProduct);
        SetProperty("SystemFolder", kSystemFolder);
        Install({c.installed}, c.state);
        machine.session.featureStates[kOtherProduct]["DomainAuthServer"] = platform::kInstallStateLocal;
        if (*c.reinstall != '\0') SetProperty("REINSTALL", c.reinstall);
        if (*c.remove != '\0') SetProperty("REMOVE", c.remove);

        EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

        EXPECT_EQ(Property(c.flag), "1");
        EXPECT_FALSE(HasProperty(std::string(c.flag) == "MustEnableGina" ? "MustDisableGina" : "MustEnableGina"));
    }
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
    SetString(kHostKey, "DayfileDirRoot", "");

    EXPECT_EQ(Run("ValidateFeatures"), kErrorSuccess);

    // A marker is the whole path buffer as REG_SZ; an empty root is recorded too.
    EXPECT_EQ(Marker("REMOVELACDAYFILES"), ExpectedMarker("REMOVELACDAYFILES", fits));
    EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    EXPECT_EQ(Marker("REMOVEDAHDAYFILES"), ExpectedMarker("REMOVEDAHDAYFILES", ""));
}

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

// Only some writes are checked. The lists, markers and service requests are
// settled before the GINA flag, the GINA flag before the new-server flag, and
// the reboot flag comes last: a failed checked write leaves what came before it
// and nothing after it.
struct WriteFailureCase {
    const char* name;
    const char* addlocal;
    const char* remove;
    const char* failing;
    unsigned nth;
    platform::Dword result;
    std::vector<const char*> set;    // properties set all the same
    std::vector<const char*> unset;  // properties never set
};

void PrintTo(const WriteFailureCase& c, std::ostream* out) { *out << c.name; }

class WriteFailureTest : public ValidateFeaturesTest,
                         public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(WriteFailureTest, OnlyTheCheckedWritesFailTheActionAndStopIt) {
    const WriteFailureCase& c = GetParam();
    Install({"LocalAuthClient", "OASVC_Local"});
    SetDayfileRoots();
    if (*c.addlocal != '\0') SetProperty("ADDLOCAL", c.addlocal);
    if (*c.remove != '\0') SetProperty("REMOVE", c.remove);
    FailPropertyWrite(c.failing, c.nth);

    EXPECT_EQ(Run("ValidateFeatures"), c.result);

    for (const char* property : c.set) EXPECT_TRUE(HasProperty(property)) << property;
    for (const char* property : c.unset) EXPECT_FALSE(HasProperty(property)) << property;
    if (std::string(c.failing) == "ADDLOCAL" && c.nth == 1) {
        EXPECT_EQ(Property("ADDLOCAL"), "DomainAuthServer");
        EXPECT_FALSE(Marker("REMOVEDACDAYFILES"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteFailureTest,
    ::testing::Values(
        WriteFailureCase{"ServerFilesAddlocal", "DomainAuthServer", "", "ADDLOCAL", 1, kErrorInstallFailure, {},
                         {"INSTALL_OASVC_DOMAINHOST", "MustEnableGina", "ISSCHEDULEREBOOT"}},
        WriteFailureCase{"ServiceAddlocal", "DomainAuthServer", "", "ADDLOCAL", 2, kErrorSuccess, {"ISSCHEDULEREBOOT"}, {}},
        WriteFailureCase{"ServiceRemove", "DomainAuthServer", "", "REMOVE", 0, kErrorSuccess, {"ISSCHEDULEREBOOT"}, {}},
        WriteFailureCase{"SystemFolder", "", "", "INSTALLDIR_SYS32", 0, kErrorSuccess, {"ISSCHEDULEREBOOT"}, {}},
        WriteFailureCase{"MustEnableGina", "DomainAuthServer", "", "MustEnableGina", 0, kErrorInstallFailure,
                         {"INSTALL_OASVC_DOMAINHOST"},
                         {"MustEnableGina", "MustDisableGina", "isNAPServer", "ISSCHEDULEREBOOT"}},
        WriteFailureCase{"MustDisableGina", "", "ALL", "MustDisableGina", 0, kErrorInstallFailure, {},
                         {"ISSCHEDULEREBOOT"}},
        WriteFailureCase{"IsNapServer", "DomainAuthServer", "", "isNAPServer", 0, kErrorInstallFailure,
                         {"MustEnableGina"}, {"isNAPServer", "ISSCHEDULEREBOOT"}},
        WriteFailureCase{"ScheduleReboot", "", "", "ISSCHEDULEREBOOT", 0, kErrorInstallFailure, {}, {}}),
    [](const ::testing::TestParamInfo<WriteFailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltra::testing
