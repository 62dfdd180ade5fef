// The test package that Wine installs, run on the simulated machine by the
// simulated installer: the same package file, so the same custom actions in
// the same order under the same conditions with the same data; only the
// installer's facts (its folders, the user-interface level) are given as
// Wine's installer takes them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/registry_tree.h"
#include "platform/types.h"

namespace veltra::e2e {

// Where the package puts the agent (ProgramFiles64Folder in the x64 package).
inline const std::string kInstallDir =
    "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
inline const std::string kAgentGina = kInstallDir + "KeshGina.dll";
inline const std::string kRepositoryFolder = kInstallDir + "VeltraKeshAgentRepository\\";

// The installing user's Start menu programs (the package installs per user),
// mapped from Wine's the same way.
inline const std::string kSimProgramMenuFolder =
    "C:\\users\\installer\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\";

// What the installer knows that the machine folder does not: the package's
// product code, its folders and the user-interface level.
struct InstallerFacts {
    std::string productCode;
    std::string systemFolder;  // "SystemFolder" as the installer resolves it
    std::string uiLevel;       // "2" for msiexec /qn
    std::string sourceDir;     // the folder the package is run from, with '\'
    std::string tempFolder;    // "TempFolder" of the installing user, with '\'
};

// Properties given on msiexec's command line.
using CommandLine = std::map<std::string, std::string>;

// The custom actions that ran, in order, with what each returned (a property
// assignment always returns 0).
struct SequenceRun {
    std::vector<std::pair<std::string, platform::Dword>> actions;
    // The session's properties once the sequence ended.
    std::map<std::string, std::string> properties;
    // The lines the library wrote into the installer's log.
    std::vector<std::string> log;
    // The machine's registry before and after.
    sim::RegistryTree before, after;
};

// The package's product code, from its Property table.
std::string PackageProductCode();

// The type of the package's custom action of this name (msidbCustomActionType
// bits: 0x400 runs in the installation script, where the log shows it twice,
// scheduled and run; 0x100 only when it rolls back); nullopt when there is none.
std::optional<int> CustomActionType(const std::string& name);

// The package's execution on the machine as msiexec would run it with this
// command line: REMOVE=ALL for msiexec /x.
SequenceRun SimulateSequence(sim::Machine& machine, const InstallerFacts& facts,
                             const CommandLine& commandLine);

}  // namespace veltra::e2e
