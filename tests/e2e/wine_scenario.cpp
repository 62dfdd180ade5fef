#include "wine_scenario.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/sim/regfile.h"
#include "platform/sim/sim_files.h"
#include "registry_compare.h"

namespace veltra::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Keys every scenario watches, besides the machine's own and those the
// simulated run changed.
const std::vector<std::string> kAlwaysWatched = {
    kWinlogon,
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security",
    "HKEY_CURRENT_USER\\SOFTWARE\\VeltraAgentUpgrade",
    "HKEY_CURRENT_USER\\Volatile Environment",
};

// The properties by which the actions tell the package what to do, and the
// data they pack for the deferred actions.
const std::vector<std::string> kComparedProperties = {
    // ValidateFeatures
    "ADDLOCAL", "REMOVE", "INSTALLDIR_SYS32", "INSTALL_OASVC_LOCAL", "INSTALL_OASVC_DOMAINCLIENT",
    "INSTALL_OASVC_DOMAINHOST", "MustEnableGina", "MustDisableGina", "isNAPServer", "ISSCHEDULEREBOOT",
    // the GINA actions' data
    "EnableGina", "DisableGina",
    // the server files: checks, copy states, destinations and the copies' data
    "KVCONF_OKFILE", "KVROOT_OKFILE", "COPYKVCONFREC", "COPYKVROOTCRT", "KVCONF_SOURCE", "KVROOT_SOURCE",
    "KVCONF_DEST", "KVROOT_DEST", "CopyKvconfRec", "CopyKvrootCrt",
};

std::string LoggedProperty(const MsiLog& log, const std::string& name) {
    const auto found = log.properties.find(name);
    return found == log.properties.end() ? std::string() : found->second;
}

}  // namespace

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

namespace {

// The keys a scenario reads back from Wine: those every scenario watches,
// every key the machine folder seeds and every key the simulated run changed,
// without the keys below another one.
std::vector<std::string> WatchedKeys(const sim::RegistryTree& seeded,
                                     const std::vector<sim::RegChange>& simulatedChanges) {
    std::vector<std::string> keys = kAlwaysWatched;
    for (const auto& change : sim::DiffTrees(sim::RegistryTree{}, seeded)) {
        if (change.kind == sim::RegChange::ValueAdded) keys.push_back(change.key);
    }
    for (const auto& change : simulatedChanges) keys.push_back(change.key);
    return OutermostKeys(keys);
}

std::string Replaced(const std::string& value, const std::string& wine, const std::string& simulated) {
    if (wine.empty()) return value;
    std::string mapped;
    std::size_t from = 0;
    for (std::size_t at = value.find(wine); at != std::string::npos; at = value.find(wine, from)) {
        mapped += value.substr(from, at - from) + simulated;
        from = at + wine.size();
    }
    return mapped + value.substr(from);
}

// A value Wine logged, with Wine's own folders replaced by the simulated
// machine's: the Start menu's programs lie below the roaming profile, the
// temporary folder beside it; the others are the same.
std::string MappedFromWine(const std::string& value, const MsiLog& log,
                           const InstallerFacts& facts) {
    const std::string menu = Replaced(value, LoggedProperty(log, "ProgramMenuFolder"), kSimProgramMenuFolder);
    return Replaced(menu, LoggedProperty(log, "TempFolder"), facts.tempFolder);
}

}  // namespace

std::vector<std::string> MsiexecArguments(const std::string& verb, const fs::path& package,
                                          const CommandLine& commandLine) {
    std::vector<std::string> arguments = {verb, WinePrefix::WindowsPath(package)};
    for (const auto& [name, value] : commandLine) arguments.push_back(name + "=" + value);
    return arguments;
}

void WineScenarioTest::SetUp() {
    if (std::string(VELTRA_WINE).empty() || std::string(VELTRA_WINESERVER).empty()) {
        GTEST_SKIP() << "wine not found (Debian packages wine, wine64)";
    }
    if (!VELTRA_E2E_PACKAGE_BUILT) {
        GTEST_SKIP() << "the x64 test package is not built in this tree (needs the MinGW-w64 "
                        "compilers, wixl and msitools)";
    }
    ASSERT_TRUE(fs::exists(VELTRA_E2E_PACKAGE))
        << VELTRA_E2E_PACKAGE << " is missing: build the tree before testing";
}

void WineScenarioTest::TearDown() {
    if (!wine) return;
    wine->KillServer();
    // A prefix costs 700 MB: keep it only to look into a failure.
    if (!HasFailure()) fs::remove_all(wine->prefix());
}

namespace {

// The custom action type's bits: msidbCustomActionTypeInScript, ...Rollback.
bool HasTypeBit(const std::string& action, int bit) { return (CustomActionType(action).value_or(0) & bit) != 0; }
bool IsScripted(const std::string& action) { return HasTypeBit(action, 0x400); }
bool IsRollback(const std::string& action) { return HasTypeBit(action, 0x100); }

// The same custom actions ran in Wine as in the simulated run of the
// package's sequence, and each ended the same way. A deferred action must
// also have run from the script, not only been scheduled.
void ExpectSameActions(const MsiLog& log, const SequenceRun& simulated, const std::string& phase) {
    std::set<std::string> ranInWine;
    for (const auto& [action, values] : log.returns) {
        // Wine logs a script action when it is scheduled as well: one that
        // shows only that once never ran (the script stopped before it), and
        // rollback actions are compared by their log lines.
        if (!CustomActionType(action) || IsRollback(action)) continue;
        if (IsScripted(action) && values.size() < 2) continue;
        ranInWine.insert(action);
    }
    std::set<std::string> ranSimulated;
    for (const auto& [action, result] : simulated.actions) {
        if (IsRollback(action)) continue;  // compared by their log lines
        ranSimulated.insert(action);
        const auto found = log.returns.find(action);
        if (found == log.returns.end()) continue;
        const bool deferred = IsScripted(action);
        EXPECT_EQ(found->second.size(), deferred ? 2u : 1u)
            << phase << ": " << action
            << (deferred ? " was not both scheduled and run" : " did not run exactly once");
        const bool succeeded = !found->second.empty() && found->second.back() == kActionSucceeded;
        EXPECT_EQ(succeeded, result == 0) << phase << ": " << action << " returned " << result
                                          << " on the simulated machine, " << found->second.back() << " in Wine";
    }
    EXPECT_EQ(ranInWine, ranSimulated)
        << phase << ": other custom actions ran in Wine than the package's sequence predicts";
}

// The properties the actions decide or pack, as Wine's log shows them at
// the end (Wine's paths mapped) and as the simulated session holds them.
void ExpectSameProperties(const MsiLog& log, const SequenceRun& simulated, const InstallerFacts& facts,
                          const std::string& phase) {
    for (const std::string& name : kComparedProperties) {
        const auto simValue = simulated.properties.find(name);
        EXPECT_EQ(MappedFromWine(LoggedProperty(log, name), log, facts),
                  simValue == simulated.properties.end() ? "" : simValue->second)
            << phase << ": property " << name << " (Wine's value with "
            << LoggedProperty(log, "TempFolder") << " read as " << facts.tempFolder << ")";
    }
}

// Every line the library wrote on the simulated machine is in Wine's
// verbose log too, in the same order (Wine's folders mapped).
void ExpectSameLogLines(const MsiLog& log, const SequenceRun& simulated, const InstallerFacts& facts,
                        const std::string& phase) {
    std::vector<std::string> wine;
    for (const std::string& line : log.libraryLines) wine.push_back(MappedFromWine(line, log, facts));
    EXPECT_FALSE(simulated.log.empty()) << phase << ": the simulated run wrote no log line";
    std::size_t same = 0;
    while (same < wine.size() && same < simulated.log.size() && wine[same] == simulated.log[same]) ++same;
    if (same == wine.size() && same == simulated.log.size()) return;
    ADD_FAILURE() << phase << ": the library's lines differ from line " << same + 1 << " on\n  Wine:      "
                  << (same < wine.size() ? wine[same] : "(no more lines)") << "\n  simulated: "
                  << (same < simulated.log.size() ? simulated.log[same] : "(no more lines)")
                  << "\n  (Wine " << wine.size() << " lines, simulated " << simulated.log.size() << ")";
}

// The installer's own facts that the simulated run took as given.
void ExpectFacts(const MsiLog& log, const InstallerFacts& facts) {
    EXPECT_EQ(LoggedProperty(log, "ProductCode"), facts.productCode);
    EXPECT_EQ(LoggedProperty(log, "SystemFolder"), facts.systemFolder);
    EXPECT_EQ(LoggedProperty(log, "UILevel"), facts.uiLevel);
    EXPECT_EQ(LoggedProperty(log, "SourceDir"), facts.sourceDir);
    // Only its place differs: a folder of its own, ending with a backslash.
    const std::string wineTemp = LoggedProperty(log, "TempFolder");
    EXPECT_TRUE(wineTemp.size() > 3 && wineTemp.back() == '\\')
        << "TempFolder is \"" << wineTemp << "\"";
}

}  // namespace

std::unique_ptr<cli::LoadedMachine> WineScenarioTest::OpenSimulated() const {
    std::string error;
    auto opened = cli::LoadedMachine::Open(machineFolder, error);
    EXPECT_TRUE(opened) << error;
    if (opened) opened->machine().computerName = computerName;
    return opened;
}

void WineScenarioTest::Begin(const std::string& machine, const std::string& workName, const Files& files,
                             const std::string& uiLevel, const std::string& packageName) {
    machineFolder = fs::path(VELTRA_E2E_MACHINES) / machine;
    work = fs::path(VELTRA_E2E_WORK) / workName;
    fs::remove_all(work);
    fs::create_directories(work / "package");
    wine.emplace(work / "prefix", work / "output");
    package = work / "package" / (packageName.empty() ? fs::path(VELTRA_E2E_PACKAGE).filename() : fs::path(packageName));
    fs::copy_file(VELTRA_E2E_PACKAGE, package, fs::copy_options::overwrite_existing);
    for (const auto& [name, content] : files) std::ofstream(work / "package" / name, std::ios::binary) << content;
    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    // The base prefix takes the host's name, the simulated machine Wine's.
    const std::string computer = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
    sim::RegistryTree names;
    ASSERT_FALSE(sim::ApplyRegFile(names, wine->ExportKey(computer, "computer-name")));
    computerName = StringValue(names, computer, "ComputerName").value_or("");
    ASSERT_FALSE(computerName.empty()) << "Wine names no computer";
    facts = FactsFor(package, uiLevel);
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << package;
    simulated = OpenSimulated();
    ASSERT_TRUE(simulated);
    sim::PutDriveFile(simulated->machine(), facts.sourceDir + package.filename().string(), ReadText(package));
    for (const auto& [name, content] : files) sim::PutDriveFile(simulated->machine(), facts.sourceDir + name, content);
}

InstallerFacts WineScenarioTest::FactsFor(const fs::path& package, const std::string& uiLevel) const {
    return {PackageProductCode(), kWineSystemFolder, uiLevel,
            WinePrefix::WindowsPath(package.parent_path()) + "\\", kSimTempFolder};
}

SimulatedRun WineScenarioTest::Simulate(const CommandLine& commandLine, bool remove,
                                        const std::function<void()>& afterInstall) {
    SimulatedRun run;
    run.install = SimulateSequence(simulated->machine(), facts, commandLine);
    std::vector<sim::RegChange> changes = sim::DiffTrees(run.install.before, run.install.after);
    if (afterInstall) afterInstall();
    if (remove) {
        run.remove = SimulateSequence(simulated->machine(), facts, {{"REMOVE", "ALL"}});
        const auto removal = sim::DiffTrees(run.remove.before, run.remove.after);
        changes.insert(changes.end(), removal.begin(), removal.end());
    }
    watched = WatchedKeys(run.install.before, changes);
    return run;
}

void WineScenarioTest::ExpectQuietSuccess(const SimulatedRun& run) const {
    EXPECT_FALSE(simulated->machine().unansweredDialog)
        << "a quiet run showed a dialog: " << *simulated->machine().unansweredDialog;
    for (const SequenceRun* phase : {&run.install, &run.remove}) {
        for (const auto& [action, result] : phase->actions) EXPECT_EQ(result, 0u) << action;
    }
}

WinePhase WineScenarioTest::RunAndCompare(const std::vector<std::string>& arguments, const std::string& step,
                                          const SequenceRun& simulatedRun, const sim::RegistryTree& wineBefore,
                                          const std::string& uiLevel, int exitCode) {
    WinePhase phase{RunMsiexec(arguments, step, uiLevel, exitCode), {}};
    ExpectSameActions(phase.log, simulatedRun, step);
    ExpectSameLogLines(phase.log, simulatedRun, facts, step);
    // Wine logs the properties once the execute sequence ends: a run that
    // fails before it has none. A removal's folders are the installed
    // product's, not the package's.
    if (exitCode == 0 || !phase.log.properties.empty()) {
        if (arguments[0] == "/i") ExpectFacts(phase.log, facts);
        ExpectSameProperties(phase.log, simulatedRun, facts, step);
    }
    phase.after = ExportWatched(step);
    ExpectSameRegistryChanges(wineBefore, phase.after, simulatedRun.before, simulatedRun.after, step);
    return phase;
}

void WineScenarioTest::SeedPrefix() {
    std::string error;
    ASSERT_TRUE(wine->CopyFrom(VELTRA_E2E_BASE_PREFIX, error)) << error;
    fs::copy(machineFolder / "drives" / "C", wine->DriveC(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_TRUE(wine->ImportRegFile(machineFolder / "registry.reg", error)) << error;
}

sim::RegistryTree WineScenarioTest::ExportSeeded(const sim::RegistryTree& simSeeded) {
    sim::RegistryTree seeded = ExportWatched("seeded");
    ExpectSeeded(seeded, simSeeded);
    return seeded;
}

void WineScenarioTest::ExpectSeeded(const sim::RegistryTree& wineSeeded,
                                    const sim::RegistryTree& simSeeded) const {
    for (const auto& change : sim::DiffTrees(sim::RegistryTree{}, simSeeded)) {
        if (change.kind != sim::RegChange::ValueAdded || !IsWatched(change.key, watched)) continue;
        const auto node = wineSeeded.FindKey(change.key);
        const sim::RegValue* value = node ? node->FindValue(change.name) : nullptr;
        EXPECT_TRUE(value != nullptr && value->data == change.after->data)
            << "the prefix was not seeded with " << change.key << " \"" << change.name << "\"";
    }
}

sim::RegistryTree WineScenarioTest::ExportWatched(const std::string& step) {
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

MsiLog WineScenarioTest::RunMsiexec(const std::vector<std::string>& arguments, const std::string& step,
                                    const std::string& uiLevel, int exitCode) {
    const fs::path log = work / (step + ".log");
    std::vector<std::string> command = {"msiexec"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.insert(command.end(), {uiLevel, "/l*v", WinePrefix::WindowsPath(log)});
    const ProcessResult result = wine->Wine(command, step, 180s);
    EXPECT_EQ(result.exitCode, exitCode) << "msiexec " << arguments[0] << " ended otherwise:\n" << result.output;
    wine->WaitForServer();
    return ParseMsiLog(ReadText(log));
}

fs::path WineScenarioTest::PrefixPath(const std::string& windowsPath) const {
    EXPECT_EQ(windowsPath.substr(0, 3), "C:\\") << windowsPath << " is not on drive C:";
    std::string relative = windowsPath.substr(3);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return wine->DriveC() / relative;
}

void WineScenarioTest::ExpectSameRegistryChanges(const sim::RegistryTree& wineBefore,
                                                 const sim::RegistryTree& wineAfter,
                                                 const sim::RegistryTree& simBefore,
                                                 const sim::RegistryTree& simAfter, const std::string& phase) const {
    const std::string difference = CompareChanges(Comparable(sim::DiffTrees(wineBefore, wineAfter), watched),
                                                  Comparable(sim::DiffTrees(simBefore, simAfter), watched));
    EXPECT_TRUE(difference.empty())
        << phase << ": Wine and the simulated machine changed the registry differently\n"
        << difference;
}

}  // namespace veltra::e2e
