// The domain authentication server's configuration: every way it ends, the
// paths it prepares for the applet, and the package's road that reaches it.
// Also the day-file folder and the domain secret: which key names the folder,
// its locked-down levels (and the SDDL rules behind them), the migration's failure.
#include <algorithm>

#include "cli/machine_folder.h"
#include "cli/sample_machine.h"
#include "platform/sim/engine/engine.h"
#include "platform/sim/faults.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ui.h"
#include "support/sim_fixture.h"
#include "support/test_package.h"
#include "platform/sim/sddl.h"

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


const std::string kServices = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\";
const std::string kTemp = "C:\\WINDOWS\\Temp\\";
const std::string kLocked = "O:BAG:SYD:(A;;GA;;;SY)(A;;GA;;;BA)";
const std::string kMigrationFailed =
    "The installation failed to migrate\nthe current domain secret.\n\n"
    "The installation changes will be rolled back now\nto maintain offline data integrity.";

class DayfileDirs : public SimFixture {
protected:
    DayfileDirs() {
        PutFolder("C:\\WINDOWS\\Temp");
        PutFile(kTemp + "domaininfo.dat", "secret");
    }
};

struct KeyCase {
    std::vector<std::pair<std::string, std::string>> values;  // key under the agent root, DayfileDir ("" = key only)
    std::string created;                                     // "" = nothing
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << (c.created.empty() ? "nothing" : c.created); }

class DayfileDirKeys : public DayfileDirs, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DayfileDirKeys, TheFirstServiceKeyWithAFolderDecides) {
    for (const auto& [key, folder] : GetParam().values) {
        if (folder.empty()) SetString(kServices + key, "Other", "x");
        else SetString(kServices + key, "DayfileDir", folder);
    }
    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 0u);
    const std::string& created = GetParam().created;
    if (created.empty()) {
        EXPECT_TRUE(machine.folderSecurity.empty());
        EXPECT_TRUE(FileExists(kTemp + "domaininfo.dat"));
    } else {
        EXPECT_EQ(machine.folderSecurity[created], kLocked);
        EXPECT_EQ(ReadFile(created + "\\domaininfo.dat"), "secret");
        EXPECT_FALSE(FileExists(kTemp + "domaininfo.dat"));
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, DayfileDirKeys, ::testing::Values(
    KeyCase{{}, ""},
    KeyCase{{{"Local\\OASVC", ""}, {"Domain\\OASVC", "C:\\Dom"}}, "C:\\Dom"},
    KeyCase{{{"Local\\OASVC", "C:\\Loc"}, {"Domain\\OASVC", "C:\\Dom"}}, "C:\\Loc"},
    KeyCase{{{"DomainHost\\OASVC", "C:\\Host\\"}}, "C:\\Host"},
    // A folder that does not fit the 260-byte buffer counts as absent.
    KeyCase{{{"Local\\OASVC", "C:\\" + std::string(257, 'x')}, {"Domain\\OASVC", "C:\\Dom"}}, "C:\\Dom"}));

TEST_F(DayfileDirs, MissingLevelsAreCreatedOneByOneAndExistingOnesKeepTheirSecurity) {
    PutFolder("C:\\A");
    machine.folderSecurity["C:\\A"] = "O:SYG:SYD:(A;;GA;;;WD)";
    SetString(kServices + "Local\\OASVC", "DayfileDir", "C:\\A\\B\\C");
    machine.trace.enabled = true;

    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 0u);

    std::vector<std::string> creations;
    for (const auto& line : machine.trace.lines()) {
        if (line.operation == "CreateDirectoryA") creations.push_back(line.subject);
    }
    EXPECT_EQ(creations, (std::vector<std::string>{"C:\\A\\B", "C:\\A\\B\\C"}));
    EXPECT_EQ(machine.folderSecurity, (sim::NameMap<std::string>{
                                          {"C:\\A", "O:SYG:SYD:(A;;GA;;;WD)"}, {"C:\\A\\B", kLocked}, {"C:\\A\\B\\C", kLocked}}));
    EXPECT_EQ(ReadFile("C:\\A\\B\\C\\domaininfo.dat"), "secret");
}

TEST_F(DayfileDirs, WithoutADomainSecretTheFolderIsStillMade) {
    sim::RemoveDriveFile(machine, kTemp + "domaininfo.dat");
    SetString(kServices + "Domain\\OASVC", "DayfileDir", "C:\\Days");
    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 0u);
    EXPECT_EQ(machine.folderSecurity["C:\\Days"], kLocked);
    EXPECT_TRUE(machine.dialogs.empty());
}

class FailedMoves : public DayfileDirs, public ::testing::WithParamInterface<std::string> {};

// The copy itself refused, or a folder that could not be made to copy into.
TEST_P(FailedMoves, KeepTheSecretAndRollBack) {
    SetString(kServices + "Local\\OASVC", "DayfileDir", "C:\\Days\\Here");
    std::string error;
    machine.faults.Add(*sim::ParseFaultRule(GetParam(), &error));

    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 1603u);
    ExpectOneMessage(kMigrationFailed, 0x00200010u);
    EXPECT_EQ(ReadFile(kTemp + "domaininfo.dat"), "secret");
    EXPECT_FALSE(FileExists("C:\\Days\\Here\\domaininfo.dat"));
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedMoves, ::testing::Values("CopyFileA=5", "CreateDirectoryA:C:\\Days=5"));

TEST_F(DayfileDirs, WithoutSourceFolderDataTheActionFails) {
    SetString(kServices + "Local\\OASVC", "DayfileDir", "C:\\Days");
    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", ""), 1603u);
    EXPECT_TRUE(machine.folderSecurity.empty());
}

// The security the simulated machine keeps: what Windows accepts, and the
// code it refuses the rest with.
TEST(FolderSecurityText, ParsesAsWindowsConvertsIt) {
    struct Case {
        std::string sddl;
        platform::Dword error;  // 0: accepted
        std::vector<std::string> described;
    };
    const Case cases[] = {
        {"O:BAG:SYD:(A;;GA;;;SY)(A;;GA;;;BA)", 0,
         {"owner Administrators (BA)", "group Local System (SY)", "allow generic all to Local System (SY)",
          "allow generic all to Administrators (BA)"}},
        {"D:P(D;OICI;GRGW;;;WD)(A;;0x1f01ff;;;S-1-5-32-544)", 0,
         {"deny generic read, generic write to Everyone (WD) (inheritance OICI)", "allow 0x1f01ff to S-1-5-32-544"}},
        {"D:", 0, {"no access for anyone"}},
        {"O:XXG:SY", 87, {}},
        {"Q:BA", 87, {}},
        {"O:BAO:SY", 87, {}},
        {"D:(A;;GA;;SY)", 1336, {}},
        {"D:(Z;;GA;;;SY)", 1336, {}},
        {"D:(A;;GA;;;SY", 1336, {}},
        {"D:(A;XX;GA;;;SY)", 1336, {}},
    };
    for (const Case& c : cases) {
        platform::Dword error = 0;
        const auto parsed = sim::ParseSddl(c.sddl, &error);
        EXPECT_EQ(parsed ? 0u : error, c.error) << c.sddl;
        if (parsed) {
            EXPECT_EQ(sim::DescribeSecurity(*parsed), c.described) << c.sddl;
        }
    }
}

TEST_F(DayfileDirs, AFolderIsNotMadeWithARefusedDescriptor) {
    EXPECT_FALSE(sim.platform().files.CreateDirectory("C:\\Bad", "D:(A;;GA;;SY)"));
    EXPECT_EQ(machine.lastError, 1336u);
    EXPECT_FALSE(FileExists("C:\\Bad"));
}

}  // namespace
}  // namespace veltra::testing
