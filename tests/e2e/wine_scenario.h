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

#include "cli/machine_folder.h"
#include "msi_log.h"
#include "package_sequence.h"
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

// A folder's files: name and bytes.
using Files = std::vector<std::pair<std::string, std::string>>;

// A file's bytes ("" when it cannot be read).
std::string ReadText(const std::filesystem::path& file);

// The string data of a value, nullopt when the key or value is absent.
std::optional<std::string> StringValue(const sim::RegistryTree& tree, const std::string& key,
                                       const std::string& name);

// msiexec's arguments: the verb, the package and the command line's properties.
std::vector<std::string> MsiexecArguments(const std::string& verb, const std::filesystem::path& package,
                                          const CommandLine& commandLine = {});

// A scenario's installation on the simulated machine, and its removal when
// asked for.
struct SimulatedRun {
    SequenceRun install, remove;
};

// A phase of msiexec in Wine: its log, and the watched keys after it.
struct WinePhase {
    MsiLog log;
    sim::RegistryTree after;
};

class WineScenarioTest : public ::testing::Test {
protected:
    // Skips when Wine or the x64 package is missing.
    void SetUp() override;
    void TearDown() override;

    // The scenario's machine (a folder under machines/): the prefix seeded
    // from it in a work folder (emptied first); the package in a folder of
    // its own (under its build name unless named) beside the given files,
    // run at a user-interface level; the simulated machine with that folder
    // where Wine sees it.
    void Begin(const std::string& machine, const std::string& workName, const Files& files,
               const std::string& uiLevel = kQuietUiLevel, const std::string& packageName = "");
    // The machine on the simulated side, named as Wine names the computer
    // so that the values built from "ComputerName" compare.
    std::unique_ptr<cli::LoadedMachine> OpenSimulated() const;
    // The installer's facts for a package run from its own folder at a
    // user-interface level (Wine's system and temporary folders).
    InstallerFacts FactsFor(const std::filesystem::path& package, const std::string& uiLevel) const;
    // Runs the package on the simulated machine: an installation with the
    // command line, then a removal when asked; the keys either changed
    // become the watched keys. afterInstall looks at the machine between.
    SimulatedRun Simulate(const CommandLine& commandLine, bool remove = false,
                          const std::function<void()>& afterInstall = {});
    // A quiet run: no dialog shown, every action returned 0.
    void ExpectQuietSuccess(const SimulatedRun& run) const;

    // The prefix afresh: a copy of the run's base prefix with the machine's
    // registry imported and its drive C: files added.
    void SeedPrefix();
    // The watched keys as seeded, each value the machine folder seeds checked.
    sim::RegistryTree ExportSeeded(const sim::RegistryTree& simSeeded);
    void ExpectSeeded(const sim::RegistryTree& wineSeeded, const sim::RegistryTree& simSeeded) const;
    // The watched keys of Wine's registry, exported and read back.
    sim::RegistryTree ExportWatched(const std::string& step);
    // msiexec <arguments> at a user-interface level with a verbose log; the
    // log's parsed content. The exit status must be the one given: 1603
    // reaches the shell truncated to 8 bits, 67.
    MsiLog RunMsiexec(const std::vector<std::string>& arguments, const std::string& step,
                      const std::string& uiLevel = "/qn", int exitCode = 0);
    // msiexec's run of a phase held against the simulated run of the same
    // phase: the custom actions, the library's log lines, the properties the
    // actions decide and the installer's facts (when logged), and the
    // watched keys' changes from wineBefore.
    WinePhase RunAndCompare(const std::vector<std::string>& arguments, const std::string& step,
                            const SequenceRun& simulated, const sim::RegistryTree& wineBefore,
                            const std::string& uiLevel = "/qn", int exitCode = 0);
    // The changes of the watched keys from before to after agree.
    void ExpectSameRegistryChanges(const sim::RegistryTree& wineBefore, const sim::RegistryTree& wineAfter,
                                   const sim::RegistryTree& simBefore, const sim::RegistryTree& simAfter,
                                   const std::string& phase) const;
    // The host path of a file in the prefix, given its Windows path on drive C:.
    std::filesystem::path PrefixPath(const std::string& windowsPath) const;

    std::filesystem::path machineFolder;
    std::filesystem::path work;
    std::optional<WinePrefix> wine;
    std::vector<std::string> watched;
    std::filesystem::path package;
    std::string computerName;
    InstallerFacts facts;
    std::unique_ptr<cli::LoadedMachine> simulated;
};

}  // namespace veltra::e2e
