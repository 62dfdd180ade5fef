// GetInstallationState: one "1"/"0" property per installed agent component.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "selection_fixture.h"

namespace veltra::testing {
namespace {

const char* const kComponents[] = {"DOMAINCLIENT", "DOMAINSERVER", "LOCALCLIENT", "REMOTESERVER", "REMOTECLIENT"};

TEST_F(SelectionTest, InstallationStateReportsEachComponent) {
    struct Case {
        const char* name;
        std::vector<const char*> installed;
        std::set<std::string> on;  // the properties that read "1"; the others "0"
        bool productCode = true;   // without one the action fails and sets nothing
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        // Registration and the service features are no components.
        {"registration and services", {"Autoreg", "OASVC_Local", "OASVC_DomainHost"}, {}},
        {"server and remote access", {"DomainAuthServer", "RemoteAuthServer", "RemoteAuthClient"},
         {"DOMAINSERVER", "REMOTESERVER", "REMOTECLIENT"}},
        {"everything",
         {"LocalAuthClient", "DomainAuthClient", "DomainAuthServer", "RemoteAuthClient", "RemoteAuthServer"},
         {"DOMAINCLIENT", "DOMAINSERVER", "LOCALCLIENT", "REMOTESERVER", "REMOTECLIENT"}},
        {"no product code", {"LocalAuthClient"}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.session.featureStates.clear();
        // A previous pass of the wizard may have left other answers.
        for (const char* property : kComponents) SetProperty(property, "1");
        for (const char* feature : c.installed) Install({feature});
        SetProperty("ProductCode", c.productCode ? kProduct : "");

        EXPECT_EQ(Run("GetInstallationState"),
                  c.productCode ? platform::kErrorSuccess : platform::kErrorInstallFailure);

        for (const char* property : kComponents) {
            EXPECT_EQ(Property(property), c.productCode ? (c.on.count(property) ? "1" : "0") : "1") << property;
        }
    }
    EXPECT_TRUE(machine.dialogs.empty());
}

}  // namespace
}  // namespace veltra::testing
