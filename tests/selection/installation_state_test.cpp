// GetInstallationState: one "1"/"0" property per installed agent component.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "selection_fixture.h"

namespace veltra::testing {
namespace {

using platform::kErrorInstallFailure;
using platform::kErrorSuccess;

struct StateCase {
    const char* name;
    std::vector<const char*> installed;
    std::map<std::string, std::string> expected;
};

class InstallationStateTest : public SelectionTest,
                              public ::testing::WithParamInterface<StateCase> {};

TEST_P(InstallationStateTest, ReportsEachComponent) {
    // A previous pass of the wizard may have left other answers.
    for (const char* property : {"DOMAINCLIENT", "DOMAINSERVER", "LOCALCLIENT", "REMOTESERVER", "REMOTECLIENT"}) {
        SetProperty(property, "1");
    }
    for (const char* feature : GetParam().installed) Install({feature});

    EXPECT_EQ(Run("GetInstallationState"), kErrorSuccess);

    for (const auto& [property, value] : GetParam().expected) {
        EXPECT_EQ(Property(property), value) << property;
    }
    EXPECT_TRUE(machine.dialogs.empty());
}

const std::map<std::string, std::string> kNothing = {
    {"DOMAINCLIENT", "0"}, {"DOMAINSERVER", "0"}, {"LOCALCLIENT", "0"},
    {"REMOTESERVER", "0"}, {"REMOTECLIENT", "0"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallationStateTest,
    ::testing::Values(
        StateCase{"Nothing", {}, kNothing},
        // Registration and the service features are no components.
        StateCase{"AutoregAndServices", {"Autoreg", "OASVC_Local", "OASVC_DomainHost"}, kNothing},
        StateCase{"DomainClient", {"DomainAuthClient"},
                  {{"DOMAINCLIENT", "1"}, {"DOMAINSERVER", "0"}, {"LOCALCLIENT", "0"},
                   {"REMOTESERVER", "0"}, {"REMOTECLIENT", "0"}}},
        StateCase{"ServerAndRemote", {"DomainAuthServer", "RemoteAuthServer", "RemoteAuthClient"},
                  {{"DOMAINCLIENT", "0"}, {"DOMAINSERVER", "1"}, {"LOCALCLIENT", "0"},
                   {"REMOTESERVER", "1"}, {"REMOTECLIENT", "1"}}},
        StateCase{"Everything",
                  {"LocalAuthClient", "DomainAuthClient", "DomainAuthServer", "RemoteAuthClient",
                   "RemoteAuthServer"},
                  {{"DOMAINCLIENT", "1"}, {"DOMAINSERVER", "1"}, {"LOCALCLIENT", "1"},
                   {"REMOTESERVER", "1"}, {"REMOTECLIENT", "1"}}}),
    [](const ::testing::TestParamInfo<StateCase>& info) { return std::string(info.param.name); });

TEST_F(SelectionTest, InstallationStateWithoutProductCodeFailsAndSetsNothing) {
    SetProperty("ProductCode", "");
    Install({"LocalAuthClient"});

    EXPECT_EQ(Run("GetInstallationState"), kErrorInstallFailure);

    for (const char* property : {"DOMAINCLIENT", "DOMAINSERVER", "LOCALCLIENT", "REMOTESERVER", "REMOTECLIENT"}) {
        EXPECT_FALSE(HasProperty(property)) << property;
    }
}

}  // namespace
}  // namespace veltra::testing
