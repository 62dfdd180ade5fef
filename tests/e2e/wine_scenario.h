// What every end-to-end scenario does: a throw-away Wine prefix copied from
// the run's base prefix and seeded from a machine folder, the test package
// run by Wine's msiexec with a verbose log, the watched keys read back, and
// the checks that hold Wine's run against the simulated machine's replay of
// the same package (package_sequence.h). Wine is more lenient than Windows
// (a failing action can look like success), so the log's return value of
// every custom action is checked, not only the end state.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "msi_log.h"
#include "package_sequence.h"
#include "simulated_install.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_tree.h"
#include "wine_prefix.h"

namespace veltra::e2e {

// msiexec /qn runs at UI level 2; Wine resolves SystemFolder of a 64-bit
// package to its 32-bit system folder. The scenarios check both in the log.
inline const std::string kQuietUiLevel = "2";
inline const std::string kWineSystemFolder = "C:\\windows\\syswow64\\";
// The installing user's temporary folder on the simulated machine. Wine's
// lies under its user's profile; its paths are mapped to this one before
// values are compared.
inline const std::string kSimTempFolder = "C:\\users\\installer\\Temp\\";
// What an installation chooses, as the wizard would.
inline const std::string kAddLocal = "LocalAuthClient";
// A quiet installation is a silent installation from a package folder, whose
// options file (as package creation writes it, lines ending CR LF) chooses
// the same component.
inline const std::string kOptionsFileName = "packageOptionsFile.txt";
inline const std::string kOptionsFileText = "InstallSilentLAC=1\r\n";

inline const std::string kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// A file's bytes ("" when it cannot be read).
std::string ReadText(const std::filesystem::path& file);

// The string data of a value, nullopt when the key or value is absent.
std::optional<std::string> StringValue(const sim::RegistryTree& tree, const std::string& key,
                                       const std::string& name);

// The keys a scenario reads back from Wine: those every scenario watches,
// every key the machine folder seeds and every key the simulated run changed,
// without the keys below another one.
std::vector<std::string> WatchedKeys(const sim::RegistryTree& seeded,
                                     const std::vector<sim::RegChange>& simulatedChanges);

// A value Wine logged, with Wine's own folders replaced by the simulated
// machine's (today the temporary folder; the others are the same).
std::string MappedFromWine(const std::string& value, const MsiLog& log,
                           const InstallerFacts& facts);

// msiexec's arguments: the verb, the package and the command line's properties.
std::vector<std::string> MsiexecArguments(const std::string& verb, const std::filesystem::path& package,
                                          const CommandLine& commandLine = {});

// A scenario's installation and removal on the simulated machine, with the
// registry before, between and after.
struct SimulatedRoundTrip {
    SequenceRun install, remove;
    sim::RegistryTree seeded, installed, removed;
};

class WineScenarioTest : public ::testing::Test {
protected:
    // Skips when Wine, msitools or the x64 package is missing.
    void SetUp() override;
    void TearDown() override;

    // The scenario's machine (a folder under machines/) and its work folder
    // (under the run's work folder; emptied first).
    void UseMachine(const std::string& machine, const std::string& workName);
    // The scenario's machine on the simulated side, named as Wine names the
    // computer (the base prefix takes the host's name), so that the values
    // built from "ComputerName" compare.
    std::unique_ptr<SimulatedInstall> OpenSimulated(std::string& error) const;

    // A folder of the work folder holding the package (under its build name
    // unless named) and the given files; the package's host path.
    std::filesystem::path PackageFolder(const std::string& folder,
                                        const std::vector<std::pair<std::string, std::string>>& files,
                                        const std::string& packageName = "") const;
    // The installer's facts for a package run from its own folder at a
    // user-interface level (Wine's system and temporary folders).
    InstallerFacts FactsFor(const std::filesystem::path& package, const std::string& uiLevel) const;
    // Installs and removes on the simulated machine, each action returning 0
    // and no dialog shown; the keys it changed become the watched keys.
    // afterInstall looks at the machine between the two.
    SimulatedRoundTrip SimulateRoundTrip(SimulatedInstall& simulated, const InstallerFacts& facts,
                                         const CommandLine& commandLine,
                                         const std::function<void()>& afterInstall = {});

    // The prefix: a copy of the run's base prefix with the machine's
    // registry imported and its drive C: files added.
    void SeedPrefix();
    // Checks that every value the machine folder seeds reached the prefix.
    void ExpectSeeded(const sim::RegistryTree& wineSeeded,
                      const sim::RegistryTree& simSeeded) const;
    // The watched keys of Wine's registry, exported and read back.
    sim::RegistryTree ExportWatched(const std::string& step);
    // msiexec <arguments> at a user-interface level (/qn unless given) with a
    // verbose log; the log's parsed content. The exit status must be the one
    // given (0 unless an installation ends by design with 1603, which
    // msiexec reports truncated to 8 bits: 67).
    MsiLog RunMsiexec(const std::vector<std::string>& arguments, const std::string& step,
                      const std::string& uiLevel = "/qn", int exitCode = 0);
    // The host path of a file in the prefix, given its Windows path on
    // drive C: (names matched ignoring case, as Windows does).
    std::filesystem::path PrefixPath(const std::string& windowsPath) const;

    // msiexec's run of a phase held against the simulated run of the same
    // phase: the actions, the library's log lines, the properties, and the
    // installer's facts when checkFacts.
    MsiLog RunAndCompare(const std::vector<std::string>& arguments, const std::string& step,
                         const SequenceRun& simulated, const InstallerFacts& facts, const char* phase,
                         bool checkFacts = true);

    // The package's product code, read from its Property table.
    std::string ProductCodeOf(const std::string& package) const;

    // The same custom actions ran in Wine as in the simulated run of the
    // package's sequence, and each ended the same way. A deferred action must
    // also have run from the script, not only been scheduled.
    static void ExpectSameActions(const MsiLog& log, const SequenceRun& simulated,
                                  const char* phase);
    // The properties the actions decide or pack, as Wine's log shows them at
    // the end (Wine's paths mapped) and as the simulated session holds them.
    static void ExpectSameProperties(const MsiLog& log, const SequenceRun& simulated,
                                     const InstallerFacts& facts, const char* phase);
    // The installer's own facts that the simulated run took as given.
    static void ExpectFacts(const MsiLog& log, const InstallerFacts& facts);
    // Every line the library wrote on the simulated machine is in Wine's
    // verbose log too, in the same order (Wine's temporary folder read as
    // the simulated one).
    static void ExpectSameLogLines(const MsiLog& log, const SequenceRun& simulated,
                                   const InstallerFacts& facts, const char* phase);
    // Every service the simulated run registered is in Wine's Service Control
    // Manager with the same parameters, as its key under
    // HKLM\SYSTEM\CurrentControlSet\Services records them.
    void ExpectSameServices(const sim::NameMap<sim::ServiceRecord>& simulated, const std::string& step);
    // The changes of the watched keys from before to after agree, key by key.
    void ExpectSameRegistryChanges(const sim::RegistryTree& wineBefore, const sim::RegistryTree& wineAfter,
                                   const sim::RegistryTree& simBefore, const sim::RegistryTree& simAfter,
                                   const char* phase) const;

    std::filesystem::path machineFolder;
    std::filesystem::path work;
    std::optional<WinePrefix> wine;
    std::vector<std::string> watched;
};

}  // namespace veltra::e2e
