// The test package (packaging/VeltraAgentCA.wxs) as the installer runs it,
// replayed on the simulated machine: the same custom actions, in the same
// order, under the same conditions, with the same data, and the package's
// files laid down or taken away where InstallFiles and RemoveFiles run.
// When the package's sequence changes, this changes with it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/types.h"
#include "simulated_install.h"

namespace veltra::e2e {

// Where the package puts the agent (ProgramFiles64Folder in the x64 package).
inline const std::string kInstallDir =
    "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
inline const std::string kAgentGina = kInstallDir + "KeshGina.dll";

// What the installer knows that the machine folder does not: the package's
// product code, its folders and the user-interface level.
struct InstallerFacts {
    std::string productCode;
    std::string systemFolder;  // "SystemFolder" as the installer resolves it
    std::string uiLevel;       // "2" for msiexec /qn
};

// The custom actions that ran, in order, with what each returned.
struct SequenceRun {
    std::vector<std::pair<std::string, platform::Dword>> actions;
    // The session's properties once the sequence ended.
    std::map<std::string, std::string> properties;
};

// A first installation with ADDLOCAL as given on the command line.
SequenceRun SimulateInstallation(SimulatedInstall& machine, const InstallerFacts& facts,
                                 const std::string& addLocal);

// msiexec /x: REMOVE=ALL, with the features a previous run installed.
SequenceRun SimulateRemoval(SimulatedInstall& machine, const InstallerFacts& facts,
                            const std::vector<std::string>& installedFeatures);

// The features a finished installation left installed: its final ADDLOCAL.
std::vector<std::string> InstalledFeatures(const SequenceRun& installation);

}  // namespace veltra::e2e
