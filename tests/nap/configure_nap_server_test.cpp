// The domain authentication server's configuration: every way it ends, the
// paths it prepares for the applet, and the package's road that reaches it.
#include <algorithm>

#include "cli/machine_folder.h"
#include "cli/sample_machine.h"
#include "platform/sim/engine/engine.h"
#include "platform/sim/faults.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ui.h"
#include "support/sim_fixture.h"
#include "support/test_package.h"

namespace veltra::testing {
namespace {

const std::string kAgentDir = "C:\\Program Files\\Agent\\";
const std::string kApplet = kAgentDir + "kvcontrl.cpl";
const std::string kData = kAgentDir + ";{P};C:\\Shared\\AF\\;C:\\Shared\\BE\\;5";
const std::string kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kMaker = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security";

const std::string kRetry =
    "owner window|21|Incomplete configuration of the Domain Authentication Server.\n"
    "You can retry this configuration step or cancel the installation\n"
    "of the Domain Authentication Server.\nDo you want to retry?";
const std::string kFailed =
    "none|2097168|Failed configuration of the Domain Authentication Server.\n"
    "The installation changes will be rolled back now\nto prevent your domain controller from becoming locked.";

struct NapCase {
    std::string label{};
    std::string data = kData;
    std::string fault{};                  // as agentca --fail takes it
    std::optional<std::deque<int>> applet = std::deque<int>{0};  // nullopt: the file has no such export
    bool appletFile = true;
    std::deque<int> answers{};
    platform::Dword result = 0;
    std::vector<std::string> dialogs{};   // owner|style|text
    std::size_t appletCalls = 0;
};

void PrintTo(const NapCase& c, std::ostream* out) { *out << c.label; }

class ConfigureNap : public SimFixture, public ::testing::WithParamInterface<NapCase> {};

TEST_P(ConfigureNap, EndsWithItsCode) {
    const NapCase& c = GetParam();
    PutFile(kAgentDir + "KeshGina.dll");
    SetString(kWinlogon, "GinaDLL", kAgentDir + "KeshGina.dll");
    if (c.appletFile) PutFile(kApplet);
    if (c.applet) machine.applets[kApplet] = *c.applet;
    machine.messageBoxAnswers = c.answers;
    std::string error;
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, &error));

    EXPECT_EQ(RunDeferred("ConfigureNAPServer", c.data), c.result);

    std::vector<std::string> dialogs;
    for (const auto& d : machine.dialogs) dialogs.push_back(d.owner + "|" + std::to_string(d.style) + "|" + d.text);
    EXPECT_EQ(dialogs, c.dialogs);
    EXPECT_EQ(machine.appletCalls.size(), c.appletCalls);
    // A failed configuration leaves the chain without the agent GINA; any
    // other ending leaves it linked.
    const bool failed = c.result != 0 && c.result != 1603;
    EXPECT_EQ(GetString(kWinlogon, "GinaDLL").has_value(), !failed);
    // The owner window is gone and the service's own station and desktop are back.
    auto& ui = dynamic_cast<sim::SimUi&>(sim.platform().windows);
    EXPECT_EQ(ui.OpenWindowCount(), 0u);
    EXPECT_EQ(ui.GetProcessWindowStation().value, 0x1u);
    EXPECT_EQ(ui.GetThreadDesktop().value, 0x2u);
}

INSTANTIATE_TEST_SUITE_P(Endings, ConfigureNap, ::testing::Values(
    NapCase{.label = "configured at once", .appletCalls = 1},
    NapCase{.label = "retried once, then configured", .applet = std::deque<int>{1, 0},
            .answers = {platform::kIdRetry}, .dialogs = {kRetry}, .appletCalls = 2},
    NapCase{.label = "cancelled after the applet's failure", .applet = std::deque<int>{7, 0},
            .answers = {platform::kIdCancel}, .result = 7, .dialogs = {kRetry, kFailed}, .appletCalls = 1},
    NapCase{.label = "no data", .data = "", .result = 1603},
    NapCase{.label = "no user interface", .data = kAgentDir + ";{P};F;B;2", .result = 1603},
    NapCase{.label = "basic user interface", .data = kAgentDir + ";{P};F;B;3", .result = 1603},
    NapCase{.label = "WinSta0 refused", .fault = "OpenWindowStationA=5", .result = 5, .dialogs = {kFailed}},
    NapCase{.label = "input desktop refused", .fault = "OpenInputDesktop=170", .result = 170, .dialogs = {kFailed}},
    // Only the opens count: a switch that is refused leaves the applet to try.
    NapCase{.label = "station switch refused", .fault = "SetProcessWindowStation#1=5", .appletCalls = 1},
    NapCase{.label = "applet missing", .appletFile = false, .result = 126, .dialogs = {kFailed}},
    NapCase{.label = "export missing", .applet = std::nullopt, .result = 127, .dialogs = {kFailed}}),
    kNameByLabel);

class NapPaths : public SimFixture {};

// The search-path list itself is the shared registrations' own; here only
// that the applet finds the agent on it and on PATH before it runs.
TEST_F(NapPaths, TheAppletFindsTheAgentOnThePathsBeforeItRuns) {
    PutFile(kApplet);
    PutFile(kAgentDir + "VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt");
    machine.environment["PATH"] = "C:\\WINDOWS";
    SetString(kMaker, "LibrarySearchPaths", "", platform::kRegMultiSz);
    for (int run = 0; run < 2; ++run) {
        machine.applets[kApplet] = {0};
        EXPECT_EQ(RunDeferred("ConfigureNAPServer", kData), 0u);
    }
    // The second run puts the agent's folder last again, behind the shared ones.
    const std::string list = std::string("C:\\Shared\\AF\\") + '\0' + "C:\\Shared\\BE\\" + '\0' + kAgentDir + '\0' + '\0';
    EXPECT_EQ(GetValue(kMaker, "LibrarySearchPaths"), (sim::RegValue{"LibrarySearchPaths", platform::kRegMultiSz,
                                                                     {list.begin(), list.end()}}));
    // Each run appends the folder again: the process keeps its environment.
    EXPECT_EQ(machine.environment["PATH"], "C:\\WINDOWS;" + kAgentDir + ";" + kAgentDir);
}

TEST(NapRoad, TheDomainServerInstallationRunsTheApplet) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(cli::WriteSampleMachine(dir.path() / "m", cli::SampleKind::Plain, error)) << error;
    auto loaded = cli::LoadedMachine::Open(dir.path() / "m", error);
    ASSERT_NE(loaded, nullptr) << error;
    sim::Machine& machine = loaded->machine();
    const std::string applet = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\kvcontrl.cpl";
    sim::PutDriveFile(machine, applet, "x");
    machine.applets[applet] = {0};
    sim::engine::EngineOptions options;
    options.commandLine = {{"ADDLOCAL", "DomainAuthServer"}};
    options.uiLevel = 5;

    const auto outcome = sim::engine::RunInstallation(TestPackage(), machine, options);

    EXPECT_EQ(outcome.result, 0u);
    const auto step = std::find_if(outcome.steps.begin(), outcome.steps.end(), [](const auto& s) {
        return s.action == "ConfigureNAPServer" && s.kind == "deferred" && s.result;
    });
    ASSERT_NE(step, outcome.steps.end());
    EXPECT_EQ(*step->result, 0u);
    EXPECT_EQ(machine.appletCalls.size(), 1u);
}

}  // namespace
}  // namespace veltra::testing
