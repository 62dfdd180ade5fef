// The GINA actions in a real installation: the x86_64 test package installed
// and removed by Wine's msiexec in a throw-away prefix, seeded from a machine
// folder. ValidateFeatures decides from the feature choice whether the GINA
// is linked or unlinked, EnableGina and DisableGina do it. Each scenario runs
// twice, in Wine and on the simulated machine seeded from the same folder
// (package_sequence.h replays the package's sequence there), and the two must
// agree: the custom actions that ran and their results, the decisions left in
// properties, and the registry changes key by key. Wine is more lenient than
// Windows (a failing action can look like success), so the verbose log's
// return value of every action is checked, and the exact end state of the
// Winlogon values.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "msi_log.h"
#include "package_sequence.h"
#include "platform/sim/regfile.h"
#include "registry_compare.h"
#include "runtime/action_table.h"
#include "simulated_install.h"
#include "wine_prefix.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// msiexec /qn runs at UI level 2; Wine resolves SystemFolder of a 64-bit
// package to its 32-bit system folder. The test checks both in the log.
const std::string kQuietUiLevel = "2";
const std::string kWineSystemFolder = "C:\\windows\\syswow64\\";
// What an installation chooses, as the wizard would.
const std::string kAddLocal = "LocalAuthClient";

const std::string kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
// Keys every scenario watches, besides the machine's own and those the
// simulated run changed.
const std::vector<std::string> kAlwaysWatched = {
    kWinlogon,
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security",
    "HKEY_CURRENT_USER\\SOFTWARE\\VeltraAgentUpgrade",
    "HKEY_CURRENT_USER\\Volatile Environment",
};

// The properties by which ValidateFeatures tells the package what to do.
const std::vector<std::string> kDecisionProperties = {
    "ADDLOCAL",
    "REMOVE",
    "INSTALLDIR_SYS32",
    "INSTALL_OASVC_LOCAL",
    "INSTALL_OASVC_DOMAINCLIENT",
    "INSTALL_OASVC_DOMAINHOST",
    "MustEnableGina",
    "MustDisableGina",
    "isNAPServer",
    "ISSCHEDULEREBOOT",
};

// A value expected after a phase: its string data, or nullopt for absent.
struct Expected {
    std::string key;
    std::string name;
    std::optional<std::string> value;
};

struct GinaScenario {
    const char* machine;  // folder under machines/, and the test's name
    std::vector<Expected> installed;
    std::vector<Expected> removed;
};

// Test names show the machine, not the bytes of the parameter.
void PrintTo(const GinaScenario& scenario, std::ostream* out) {
    *out << scenario.machine;
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> StringValue(const sim::RegistryTree& tree, const std::string& key,
                                       const std::string& name) {
    const auto node = tree.FindKey(key);
    if (!node) return std::nullopt;
    const sim::RegValue* value = node->FindValue(name);
    if (value == nullptr) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    if (const auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
}

// Every key of a tree that holds values, by full path.
void CollectKeysWithValues(const sim::RegNode& node, const std::string& path,
                           std::vector<std::string>& keys) {
    if (!node.values().empty()) keys.push_back(path);
    for (const auto& [folded, child] : node.subkeys()) {
        CollectKeysWithValues(*child, path + "\\" + child->name(), keys);
    }
}

std::vector<std::string> KeysWithValues(const sim::RegistryTree& tree) {
    std::vector<std::string> keys;
    for (const std::string& root : sim::RegistryTree::RootNames()) {
        if (const auto node = tree.Root(root)) {
            for (const auto& [folded, child] : node->subkeys()) {
                CollectKeysWithValues(*child, root + "\\" + child->name(), keys);
            }
        }
    }
    return keys;
}

std::string LogSummary(const MsiLog& log) {
    std::ostringstream out;
    for (const auto& [action, values] : log.returns) {
        out << "  " << action << ":";
        for (int value : values) out << " " << value;
        out << "\n";
    }
    return out.str();
}

class GinaScenarioTest : public ::testing::TestWithParam<GinaScenario> {
protected:
    void SetUp() override {
        if (std::string(VELTRA_WINE).empty() || std::string(VELTRA_WINESERVER).empty()) {
            GTEST_SKIP()
                << "wine not found (Debian packages wine, wine64): the end-to-end tests need it";
        }
        if (std::string(VELTRA_MSIINFO).empty()) {
            GTEST_SKIP() << "msiinfo not found (Debian package msitools)";
        }
        if (!VELTRA_E2E_PACKAGE_BUILT) {
            GTEST_SKIP() << "the x64 test package is not built in this tree (needs the MinGW-w64 "
                            "compilers, wixl and msitools)";
        }
        ASSERT_TRUE(fs::exists(VELTRA_E2E_PACKAGE))
            << VELTRA_E2E_PACKAGE << " is missing: build the tree before testing";
        machineFolder = fs::path(VELTRA_E2E_MACHINES) / GetParam().machine;
        work = fs::path(VELTRA_E2E_WORK) / GetParam().machine;
        fs::remove_all(work);
        fs::create_directories(work);
        wine.emplace(WineTools{VELTRA_WINE, VELTRA_WINESERVER}, work / "prefix", work / "output");
    }

    void TearDown() override {
        if (!wine) return;
        wine->KillServer();
        // A prefix costs 700 MB: keep it only to look into a failure.
        if (!HasFailure()) fs::remove_all(wine->prefix());
    }

    // The prefix: a copy of the run's base prefix with the machine's
    // registry imported and its drive C: files added.
    void SeedPrefix() {
        std::string error;
        ASSERT_TRUE(wine->CopyFrom(VELTRA_E2E_BASE_PREFIX, error)) << error;
        for (const auto& drive : fs::directory_iterator(machineFolder / "drives")) {
            ASSERT_EQ(drive.path().filename(), "C") << "a Wine prefix has only drive C: to seed";
        }
        fs::copy(machineFolder / "drives" / "C", wine->DriveC(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        ASSERT_TRUE(wine->ImportRegFile(machineFolder / "registry.reg", error)) << error;
    }

    // The watched keys of Wine's registry, exported and read back.
    sim::RegistryTree ExportWatched(const std::string& step) {
        sim::RegistryTree tree;
        int index = 0;
        for (const std::string& key : watched) {
            const auto bytes = wine->ExportKey(key, step + "-" + std::to_string(index++));
            if (bytes.empty()) continue;
            const auto problem = sim::ApplyRegFile(tree, bytes);
            EXPECT_FALSE(problem) << "Wine's export of " << key << " does not read back: line "
                                  << problem->line << ": " << problem->message;
        }
        return tree;
    }

    // msiexec with a verbose log; the log's parsed content.
    MsiLog RunMsiexec(const std::vector<std::string>& arguments, const std::string& step) {
        const fs::path log = work / (step + ".log");
        std::vector<std::string> command = {"msiexec"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        command.insert(command.end(), {"/qn", "/l*v", WinePrefix::WindowsPath(log)});
        const ProcessResult result = wine->Wine(command, step, 180s);
        EXPECT_FALSE(result.timedOut) << "msiexec " << arguments[0] << " did not finish in time";
        EXPECT_EQ(result.exitCode, 0) << "msiexec " << arguments[0] << " failed:\n"
                                      << result.output;
        wine->WaitForServer();
        return ParseMsiLog(ReadText(log));
    }

    // The package's product code, read from its Property table.
    static std::string ProductCodeOf(const std::string& package, const fs::path& output) {
        ProcessOptions options;
        options.outputFile = output;
        const ProcessResult result =
            RunProcess({VELTRA_MSIINFO, "export", package, "Property"}, options);
        std::istringstream lines(result.output);
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("ProductCode\t", 0) == 0) return line.substr(12);
        }
        return {};
    }

    // The same custom actions ran in Wine as in the simulated run of the
    // package's sequence, and each ended the same way. A deferred action must
    // also have run from the script, not only been scheduled.
    static void ExpectSameActions(const MsiLog& log, const SequenceRun& simulated,
                                  const char* phase) {
        std::set<std::string> ranInWine;
        for (const auto& [action, values] : log.returns) {
            const bool ours = runtime::FindAction(action) != nullptr ||
                              (action.rfind("Set", 0) == 0 && action.size() > 7 &&
                               action.compare(action.size() - 4, 4, "Data") == 0);
            if (ours) ranInWine.insert(action);
        }
        std::set<std::string> ranSimulated;
        for (const auto& [action, result] : simulated.actions) {
            ranSimulated.insert(action);
            const auto found = log.returns.find(action);
            if (found == log.returns.end()) continue;
            const runtime::ActionEntry* entry = runtime::FindAction(action);
            const bool deferred = entry != nullptr && entry->kind != runtime::ActionKind::Immediate;
            EXPECT_EQ(found->second.size(), deferred ? 2u : 1u)
                << phase << ": " << action
                << (deferred ? " was not both scheduled and run" : " did not run exactly once");
            const bool succeeded =
                !found->second.empty() && found->second.back() == kActionSucceeded;
            EXPECT_EQ(succeeded, result == 0) << phase << ": " << action << " returned " << result
                                              << " on the simulated machine; Wine's log:\n"
                                              << LogSummary(log);
        }
        EXPECT_EQ(ranInWine, ranSimulated)
            << phase << ": other custom actions ran in Wine than the package's sequence predicts";
    }

    // The decisions the actions left in properties, as Wine's log shows them
    // at the end and as the simulated session holds them.
    static void ExpectSameDecisions(const MsiLog& log, const SequenceRun& simulated,
                                    const char* phase) {
        for (const std::string& name : kDecisionProperties) {
            const auto wineValue = log.properties.find(name);
            const auto simValue = simulated.properties.find(name);
            EXPECT_EQ(wineValue == log.properties.end() ? "" : wineValue->second,
                      simValue == simulated.properties.end() ? "" : simValue->second)
                << phase << ": property " << name;
        }
    }

    // The installer's own facts that the simulated run took as given.
    static void ExpectFacts(const MsiLog& log, const InstallerFacts& facts) {
        const auto value = [&](const char* name) {
            const auto found = log.properties.find(name);
            return found == log.properties.end() ? std::string() : found->second;
        };
        EXPECT_EQ(value("ProductCode"), facts.productCode);
        EXPECT_EQ(value("SystemFolder"), facts.systemFolder);
        EXPECT_EQ(value("UILevel"), facts.uiLevel);
    }

    static void ExpectValues(const sim::RegistryTree& tree, const std::vector<Expected>& expected,
                             const char* side) {
        for (const Expected& value : expected) {
            EXPECT_EQ(StringValue(tree, value.key, value.name), value.value)
                << side << ": " << value.key << " \"" << value.name << "\"";
        }
    }

    fs::path machineFolder;
    fs::path work;
    std::optional<WinePrefix> wine;
    std::vector<std::string> watched;
};

TEST_P(GinaScenarioTest, InstallAndRemoveChangeWhatTheSimulatedMachinePredicts) {
    const GinaScenario& scenario = GetParam();
    const InstallerFacts facts{ProductCodeOf(VELTRA_E2E_PACKAGE, work / "product-code.out"),
                               kWineSystemFolder, kQuietUiLevel};
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << VELTRA_E2E_PACKAGE;

    // The simulated machine first: it is quick, and the keys it changes are
    // the keys to read back from Wine.
    std::string error;
    auto simulated = SimulatedInstall::Open(machineFolder, error);
    ASSERT_TRUE(simulated) << error;
    const sim::RegistryTree simSeeded = simulated->registry();
    const SequenceRun simInstall = SimulateInstallation(*simulated, facts, kAddLocal);
    const sim::RegistryTree simInstalled = simulated->registry();
    const SequenceRun simRemove = SimulateRemoval(*simulated, facts, InstalledFeatures(simInstall));
    const sim::RegistryTree simRemoved = simulated->registry();
    ASSERT_FALSE(simulated->machine().unansweredDialog)
        << "a quiet run showed a dialog: " << *simulated->machine().unansweredDialog;

    const auto simInstallChanges = sim::DiffTrees(simSeeded, simInstalled);
    const auto simRemoveChanges = sim::DiffTrees(simInstalled, simRemoved);
    std::vector<std::string> keys = kAlwaysWatched;
    for (const std::string& key : KeysWithValues(simSeeded)) keys.push_back(key);
    for (const auto& change : simInstallChanges) keys.push_back(change.key);
    for (const auto& change : simRemoveChanges) keys.push_back(change.key);
    watched = OutermostKeys(keys);

    // Wine: the same machine, the real package.
    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");
    for (const auto& change : sim::DiffTrees(sim::RegistryTree{}, simSeeded)) {
        if (change.kind != sim::RegChange::ValueAdded || !IsWatched(change.key, watched)) continue;
        const auto node = wineSeeded.FindKey(change.key);
        const sim::RegValue* value = node ? node->FindValue(change.name) : nullptr;
        EXPECT_TRUE(value != nullptr && value->data == change.after->data)
            << "the prefix was not seeded with " << change.key << " \"" << change.name << "\"";
    }

    const MsiLog installLog = RunMsiexec(
        {"/i", WinePrefix::WindowsPath(VELTRA_E2E_PACKAGE), "ADDLOCAL=" + kAddLocal}, "install");
    ExpectFacts(installLog, facts);
    ExpectSameActions(installLog, simInstall, "installation");
    ExpectSameDecisions(installLog, simInstall, "installation");
    EXPECT_EQ(
        installLog.properties.count("EnableGina") ? installLog.properties.at("EnableGina") : "",
        kAgentGina + ";" + kQuietUiLevel)
        << "the package gave EnableGina other data than the simulated run";
    const sim::RegistryTree wineInstalled = ExportWatched("installed");

    const MsiLog removeLog =
        RunMsiexec({"/x", WinePrefix::WindowsPath(VELTRA_E2E_PACKAGE)}, "remove");
    ExpectSameActions(removeLog, simRemove, "removal");
    ExpectSameDecisions(removeLog, simRemove, "removal");
    const sim::RegistryTree wineRemoved = ExportWatched("removed");

    // The same registry changes on both sides, key by key.
    const std::string installDifference =
        CompareChanges(Comparable(sim::DiffTrees(wineSeeded, wineInstalled), watched),
                       Comparable(simInstallChanges, watched));
    EXPECT_TRUE(installDifference.empty())
        << "installation: Wine and the simulated machine changed the registry differently\n"
        << installDifference;
    const std::string removeDifference =
        CompareChanges(Comparable(sim::DiffTrees(wineInstalled, wineRemoved), watched),
                       Comparable(simRemoveChanges, watched));
    EXPECT_TRUE(removeDifference.empty())
        << "removal: Wine and the simulated machine changed the registry differently\n"
        << removeDifference;

    // And the end states the chain logic promises, whatever both sides did.
    ExpectValues(wineInstalled, scenario.installed, "Wine after installation");
    ExpectValues(simInstalled, scenario.installed, "simulated machine after installation");
    ExpectValues(wineRemoved, scenario.removed, "Wine after removal");
    ExpectValues(simRemoved, scenario.removed, "simulated machine after removal");
    for (const auto& run : {simInstall, simRemove}) {
        for (const auto& [action, result] : run.actions) EXPECT_EQ(result, 0u) << action;
    }
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
        // The legacy agent's GINA is replaced without asking and restored.
        GinaScenario{
            "legacy-kvgina",
            {{kWinlogon, "GinaDLL", kAgentGina}, {kWinlogon, "KVSupercededGina", "kvgina.dll"}},
            {{kWinlogon, "GinaDLL", "kvgina.dll"}, {kWinlogon, "KVSupercededGina", std::nullopt}}}),
    [](const ::testing::TestParamInfo<GinaScenario>& info) {
        std::string name = info.param.machine;
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

}  // namespace
}  // namespace veltra::e2e
