// The GINA actions in a real installation and removal, in Wine and on the
// simulated machine seeded from the same folder, and the exact end state of
// the Winlogon values on both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

// A value expected after a phase: its string data, or nullopt for absent.
struct Expected {
    std::string key;
    std::string name;
    std::optional<std::string> value;
};

const std::string kGinaSettings =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";

struct GinaScenario {
    const char* machine;  // folder under machines/, and the test's name
    std::vector<Expected> installed;
    std::vector<Expected> removed;
    CommandLine more = {};  // properties given besides ADDLOCAL
};

// Test names show the machine, not the bytes of the parameter.
void PrintTo(const GinaScenario& scenario, std::ostream* out) {
    *out << scenario.machine;
}

void ExpectValues(const sim::RegistryTree& tree, const std::vector<Expected>& expected,
                  const char* side) {
    for (const Expected& value : expected) {
        EXPECT_EQ(StringValue(tree, value.key, value.name), value.value)
            << side << ": " << value.key << " \"" << value.name << "\"";
    }
}

class GinaScenarioTest : public WineScenarioTest,
                         public ::testing::WithParamInterface<GinaScenario> {};

TEST_P(GinaScenarioTest, InstallAndRemoveChangeWhatTheSimulatedMachinePredicts) {
    const GinaScenario& scenario = GetParam();
    ASSERT_NO_FATAL_FAILURE(Begin(scenario.machine, scenario.machine, {{kOptionsFileName, kOptionsFileText}}));
    CommandLine commandLine = scenario.more;
    commandLine["ADDLOCAL"] = kAddLocal;
    // The simulated machine first: it is quick, and the keys it changes are
    // the keys to read back from Wine.
    const SimulatedRun simRun = Simulate(commandLine, true);
    ExpectQuietSuccess(simRun);

    const WinePhase install =
        RunAndCompare(MsiexecArguments("/i", package, commandLine), "install", simRun.install, ExportSeeded(simRun.install.before));
    const WinePhase remove = RunAndCompare(MsiexecArguments("/x", package), "remove", simRun.remove, install.after);
    // And the end states the chain logic promises, whatever both sides did.
    ExpectValues(install.after, scenario.installed, "Wine after installation");
    ExpectValues(simRun.install.after, scenario.installed, "simulated machine after installation");
    ExpectValues(remove.after, scenario.removed, "Wine after removal");
    ExpectValues(simRun.remove.after, scenario.removed, "simulated machine after removal");
}

INSTANTIATE_TEST_SUITE_P(
    Wine, GinaScenarioTest,
    ::testing::Values(
        // No GINA named: Winlogon loads Microsoft's; the agent becomes the
        // first GINA and is taken out again without a trace.
        GinaScenario{
            "plain",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", std::nullopt}},
            {{kWinlogon, "GinaDLL", std::nullopt}, {kWinlogon, "KVSupercededGina", std::nullopt}}},
        // A chaining GINA in front of Microsoft's: the agent takes the end
        // of the chain behind it, and the product's own default comes back.
        GinaScenario{
            "ctxgina",
            {{kWinlogon, "GinaDLL", "ctxgina.dll"}, {kWinlogon, "CtxGinaDLL", kAgentGina}},
            {{kWinlogon, "GinaDLL", "ctxgina.dll"}, {kWinlogon, "CtxGinaDLL", "MSGina.dll"}}},
        // Another product's GINA at the end of the chain: a quiet
        // installation displaces it without asking and remembers it; the
        // removal puts it back.
        GinaScenario{
            "unknown-gina",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", "othergina.dll"}},
            {{kWinlogon, "GinaDLL", "othergina.dll"},
             {kWinlogon, "KVSupercededGina", std::nullopt}}},
        // The legacy agent's GINA is replaced without asking; once the
        // installation is finished the record of it goes too (the legacy
        // agent was upgraded), so the removal leaves Winlogon's default.
        GinaScenario{
            "legacy-kvgina",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", std::nullopt}},
            {{kWinlogon, "GinaDLL", std::nullopt}, {kWinlogon, "KVSupercededGina", std::nullopt}}},
        // A previous agent: detected and recorded quietly, then cleaned up.
        GinaScenario{
            "prev-agent",
            {{kWinlogon, "GinaDLL", kAgentGina}},
            {{kWinlogon, "GinaDLL", std::nullopt}}},
        // "Challenge all users": the exclude group is set up and the GINA
        // settings key that exists points at it (\\<computer>\ExcludeGroup,
        // compared with the simulated run's value key by key).
        GinaScenario{
            "challenge",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kGinaSettings, "ReserveOption", "0"}},
            {{kWinlogon, "GinaDLL", std::nullopt}},
            {{"AUTHCONFIGSELECTED", "2"}}}),
    [](const ::testing::TestParamInfo<GinaScenario>& info) {
        std::string name = info.param.machine;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

}  // namespace
}  // namespace veltra::e2e
