// The bench on the hand-written machine folders of tests/machines: what a
// support engineer would run to see an action on a customer's chain.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace veltra::cli {
namespace {

struct MachineCase {
    const char* name;
    const char* folder;
    std::vector<std::string> arguments;
    int status;
    // Expected registry changes: key suffix, value name, value after ("" = deleted).
    std::vector<std::tuple<std::string, std::string, std::string>> changes;
    std::size_t dialogs;
};

const char* const kAgent = "C:\\Program Files\\Veltra\\Authentication Agent\\KeshGina.dll";

class MachineFolders : public ::testing::TestWithParam<MachineCase> {};

TEST_P(MachineFolders, ShowWhatTheActionChanges) {
    const MachineCase& c = GetParam();
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.begin() + 2, {"--machine", std::string(VELTRA_TESTS_DIR) + "/machines/" + c.folder});
    arguments.push_back("--json");
    const Outcome outcome = Agentca(arguments);
    ASSERT_EQ(outcome.status, c.status) << outcome.out;
    const auto report = nlohmann::json::parse(outcome.out);
    ASSERT_EQ(report["registry"].size(), c.changes.size()) << report["registry"].dump(2);
    for (std::size_t i = 0; i < c.changes.size(); ++i) {
        const auto& [key, name, after] = c.changes[i];
        const auto& change = report["registry"][i];
        EXPECT_TRUE(change["key"].get<std::string>().ends_with(key)) << change.dump();
        EXPECT_EQ(change["name"], name);
        if (after.empty()) {
            EXPECT_TRUE(change["after"].is_null()) << change.dump();
        } else {
            EXPECT_EQ(change["after"], after);
        }
    }
    EXPECT_EQ(report["dialogs"].size(), c.dialogs);
}

INSTANTIATE_TEST_SUITE_P(
    Gina, MachineFolders,
    ::testing::Values(
        MachineCase{"SixProductsLinkBehindTheLast", "gina-six-products",
                    {"run", "EnableGina", "--data", std::string(kAgent) + ";5"}, 0,
                    {{"Contivity\\Client", "NextGinaToChain", kAgent}}, 0},
        MachineCase{"OtherProductAcceptedIsRemembered", "gina-other-product",
                    {"run", "EnableGina", "--data", std::string(kAgent) + ";5", "--answer", "OK"}, 0,
                    {{"Winlogon", "GinaDLL", kAgent}, {"Winlogon", "KVSupercededGina", "othergina.dll"}}, 1},
        MachineCase{"ALoopBecomesALine", "gina-loop",
                    {"run", "EnableGina", "--data", std::string(kAgent) + ";2"}, 0,
                    {{"Contivity\\Client", "NextGinaToChain", kAgent}}, 0},
        MachineCase{"LoadedAgentUnlinkedAfterTryAgain", "gina-agent-loaded",
                    {"run", "DisableGina", "--data", "5", "--answer", "TRYAGAIN"}, 0,
                    {{"Winlogon", "GinaDLL", ""}}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltra::cli
