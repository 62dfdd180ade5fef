// The feature choices along the package's own roads: the lists ValidateFeatures
// extends decide what the installer lays down.
#include <gtest/gtest.h>

#include <map>

#include "support/test_package.h"
#include "platform/sim/engine/engine.h"
#include "selection_fixture.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const std::string kPackageProduct = "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}";
constexpr int kLocal = platform::kInstallStateLocal;
constexpr int kAbsent = platform::kInstallStateAbsent;

struct RoadCase {
    std::string label;
    std::vector<std::string> installed;
    std::vector<std::pair<std::string, std::string>> commandLine;
    int uiLevel;
    std::map<std::string, std::string> properties;  // "": absent
    std::map<std::string, int> featuresAfter;
    std::vector<std::string> markers;  // the removal markers left, of LAC, DAC, DAH
    platform::Dword result = 0;
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.label; }

const std::vector<RoadCase> kRoads = {
    {"first installation of both clients", {}, {{"ADDLOCAL", "LocalAuthClient,DomainAuthClient"}}, 5,
     {{"NUM_INSTALLED_AGENTS", "0"}, {"OK_AGENTS", "0"}},
     {{"LocalAuthClient", kLocal}, {"DomainAuthClient", kLocal}, {"ServerRootCertificate", kLocal},
      {"KeshServerConfigurationRecord", kLocal}, {"OASVC_Local", kLocal}, {"OASVC_DomainClient", kLocal},
      {"OASVC_DomainHost", kAbsent}, {"DomainAuthServer", kAbsent}},
     {"DAH"}},
    // No wizard (basic user interface): the tally is never started. A silent
    // installation would take its features from a package's options file.
    // The server's configuration needs the applet's dialogs, so without them
    // the installation is rolled back.
    {"first installation of a domain server without the wizard", {}, {{"ADDLOCAL", "DomainAuthServer"}}, 3,
     {{"isNAPServer", "1"}, {"NUM_INSTALLED_AGENTS", ""}},
     {},
     {"LAC", "DAC"}, 1603},
    {"a change that removes one of two clients takes its service along",
     {"LocalAuthClient", "DomainAuthClient", "OASVC_Local", "OASVC_DomainClient"},
     {{"REMOVE", "LocalAuthClient"}}, 5,
     {{"LOCALCLIENT", "1"}, {"DOMAINCLIENT", "1"}, {"DOMAINSERVER", "0"}},
     {{"LocalAuthClient", kAbsent}, {"OASVC_Local", kAbsent}, {"DomainAuthClient", kLocal},
      {"OASVC_DomainClient", kLocal}},
     {"LAC", "DAH"}},
    {"removal takes every installed service and unlinks the GINA",
     {"DomainAuthServer", "DomainAuthClient", "OASVC_DomainHost", "OASVC_Local"}, {{"REMOVE", "ALL"}}, 5,
     {{"MustDisableGina", "1"}},
     {},
     {"LAC", "DAC", "DAH"}},
};

class SelectionRoads : public SimFixture, public ::testing::WithParamInterface<RoadCase> {
protected:
    SelectionRoads() {
        machine.environment = {{"windir", "C:\\WINDOWS"}, {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
        machine.registry.CreateKey(kVolatile);
        machine.registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
        SetString(kLocalKey, "DayfileDirRoot", kLocalRoot);
        SetString(kDomainKey, "DayfileDirRoot", kDomainRoot);
        SetString(kHostKey, "DayfileDirRoot", kHostRoot);
    }
};

TEST_P(SelectionRoads, TheFeatureChoicesDecideWhatTheInstallationDoes) {
    const RoadCase& c = GetParam();
    if (!c.installed.empty()) {
        machine.session.products[kPackageProduct]["InstallLocation"] =
            "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
        for (const std::string& feature : c.installed) machine.session.featureStates[kPackageProduct][feature] = kLocal;
        // The installed agent's repository folder, which a maintenance run needs.
        PutFolder("C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\VeltraKeshAgentRepository");
    }
    engine::EngineOptions options;
    options.commandLine = c.commandLine;
    options.uiLevel = c.uiLevel;

    const engine::InstallOutcome outcome = engine::RunInstallation(TestPackage(), machine, options);

    EXPECT_EQ(outcome.result, c.result) << outcome.error;
    for (const auto& [name, value] : c.properties) {
        const auto it = outcome.properties.find(name);
        EXPECT_EQ(it == outcome.properties.end() ? "" : it->second, value) << name;
    }
    auto& states = machine.session.featureStates[kPackageProduct];
    for (const auto& [feature, state] : c.featuresAfter) {
        EXPECT_EQ(states.count(feature) != 0 ? states[feature] : kAbsent, state) << feature;
    }
    EXPECT_EQ(machine.session.products.count(kPackageProduct), c.featuresAfter.empty() ? 0u : 1u);
    for (const auto& [marker, root] : {std::pair{"LAC", kLocalRoot}, std::pair{"DAC", kDomainRoot},
                                       std::pair{"DAH", kHostRoot}}) {
        const bool left = std::find(c.markers.begin(), c.markers.end(), marker) != c.markers.end();
        const auto value = GetValue(kVolatile, std::string("REMOVE") + marker + "DAYFILES" + kPackageProduct);
        EXPECT_EQ(value.has_value(), left) << marker;
        if (value && left) {
            EXPECT_EQ(GetString(kVolatile, value->name)->substr(0, std::string(root).size()), root);
        }
    }
    EXPECT_TRUE(machine.dialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(Package, SelectionRoads, ::testing::ValuesIn(kRoads), kNameByLabel);

}  // namespace
}  // namespace veltra::testing
