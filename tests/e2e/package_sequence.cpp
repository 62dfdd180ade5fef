#include "package_sequence.h"

#include <set>
#include <sstream>

#include "runtime/action_table.h"

namespace veltra::e2e {
namespace {

// The files the package lays down with the local client.
const std::vector<std::string> kPackageFiles = {
    kAgentGina,
    kRepositoryFolder + "LocalClientKEY.txt",
    kRepositoryFolder + "VeltraKeshAgentInstalled.txt",
};

// The package's Property table, as far as the actions read it.
const std::map<std::string, std::string> kPackageProperties = {
    {"COPYKVCONFREC", "0"},
    {"COPYKVROOTCRT", "0"},
};

// The package's property assignments (type 51) besides the Set<Action>Data
// rows that give a deferred action its data: those that empty the server
// files' source properties once their data is packed.
const std::set<std::string> kSourceClearingRows = {"ClearKvconfSource", "ClearKvrootSource"};

std::string Property(const sim::Machine& machine, const std::string& name) {
    const auto found = machine.session.properties.find(name);
    return found == machine.session.properties.end() ? "" : found->second;
}

// A fresh session: the installer's own properties and folders, the package's
// Property table and the command line.
void StartSession(SimulatedInstall& machine, const InstallerFacts& facts,
                  const CommandLine& commandLine) {
    sim::SessionState& session = machine.machine().session;
    session.properties = {
        {"ProductCode", facts.productCode},
        {"SystemFolder", facts.systemFolder},
        {"UILevel", facts.uiLevel},
        {"SourceDir", facts.sourceDir},
        {"TempFolder", facts.tempFolder},
        {"INSTALLDIR", kInstallDir},
    };
    session.sourcePaths = {{"SourceDir", facts.sourceDir}};
    for (const auto& [name, value] : kPackageProperties) session.properties[name] = value;
    for (const auto& [name, value] : commandLine) session.properties[name] = value;
    // The installer's folders exist on the machine it runs on.
    machine.MakeFolder(facts.systemFolder);
    machine.MakeFolder(facts.tempFolder);
}

void Run(SimulatedInstall& machine, SequenceRun& run, const std::string& action) {
    run.actions.emplace_back(action, machine.RunImmediate(action));
}

// A property assignment row: an empty value removes the property.
void Assign(SimulatedInstall& machine, SequenceRun& run, const std::string& row,
            const std::string& property, const std::string& value) {
    auto& properties = machine.machine().session.properties;
    if (value.empty()) {
        properties.erase(property);
    } else {
        properties[property] = value;
    }
    run.actions.emplace_back(row, platform::kErrorSuccess);
}

// A deferred action, run from the script with the data its partner left in
// the property named after it.
void RunDeferred(SimulatedInstall& machine, SequenceRun& run, const std::string& action) {
    run.actions.emplace_back(action,
                             machine.RunDeferred(action, Property(machine.machine(), action)));
}

bool NotRemove(SimulatedInstall& machine) {
    return Property(machine.machine(), "REMOVE").empty();
}

// 1410 to 1490: check the server files given, mark those that passed, take
// local copies and pack the copy actions' data.
void PrepareServerFileCopies(SimulatedInstall& machine, SequenceRun& run) {
    if (!NotRemove(machine)) return;
    Run(machine, run, "SetKvconfSourcePropNoMess");
    if (Property(machine.machine(), "KVCONF_OKFILE") == "1") {
        Run(machine, run, "SetKvconfCopyState");
    }
    Run(machine, run, "SetKvrootSourcePropNoMess");
    if (Property(machine.machine(), "KVROOT_OKFILE") == "1") {
        Run(machine, run, "SetKvrootCopyState");
    }
    Run(machine, run, "RepositionDataForCopy");
    Run(machine, run, "SetDeferredKvconfData");
    Run(machine, run, "SetDeferredKvrootData");
    Assign(machine, run, "ClearKvconfSource", "KVCONF_SOURCE", "");
    Assign(machine, run, "ClearKvrootSource", "KVROOT_SOURCE", "");
}

// 4030, 4040: the copies, in the script after InstallFiles.
void CopyServerFiles(SimulatedInstall& machine, SequenceRun& run) {
    if (!NotRemove(machine)) return;
    RunDeferred(machine, run, "CopyKvconfRec");
    RunDeferred(machine, run, "CopyKvrootCrt");
}

}  // namespace

bool IsPackageCustomAction(const std::string& name) {
    if (runtime::FindAction(name) != nullptr || kSourceClearingRows.count(name) != 0) return true;
    const std::string prefix = "Set";
    const std::string suffix = "Data";
    if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string action =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    return runtime::FindAction(action) != nullptr;
}

SequenceRun SimulateInstallation(SimulatedInstall& machine, const InstallerFacts& facts,
                                 const CommandLine& commandLine) {
    SequenceRun run;
    StartSession(machine, facts, commandLine);
    Run(machine, run, "ValidateFeatures");  // 990
    PrepareServerFileCopies(machine, run);  // 1410 to 1490
    for (const std::string& file : kPackageFiles) {  // InstallFiles 4000
        machine.PutFile(file, "test package file\n");
    }
    if (Property(machine.machine(), "MustEnableGina") == "1") {  // 4010, 4020
        Assign(machine, run, "SetEnableGinaData", "EnableGina",
               Property(machine.machine(), "INSTALLDIR") + "KeshGina.dll;" +
                   Property(machine.machine(), "UILevel"));
        RunDeferred(machine, run, "EnableGina");
    }
    CopyServerFiles(machine, run);  // 4030, 4040
    run.properties = machine.machine().session.properties;
    return run;
}

SequenceRun SimulateRemoval(SimulatedInstall& machine, const InstallerFacts& facts,
                            const std::vector<std::string>& installedFeatures) {
    SequenceRun run;
    auto& states = machine.machine().session.featureStates[facts.productCode];
    states.clear();
    for (const std::string& feature : installedFeatures)
        states[feature] = platform::kInstallStateLocal;
    StartSession(machine, facts, {{"REMOVE", "ALL"}});
    Run(machine, run, "ValidateFeatures");  // 990
    PrepareServerFileCopies(machine, run);  // 1410 to 1490: not on a removal
    if (Property(machine.machine(), "MustDisableGina") == "1") {  // 3410, 3420
        Assign(machine, run, "SetDisableGinaData", "DisableGina",
               Property(machine.machine(), "UILevel"));
        RunDeferred(machine, run, "DisableGina");
    }
    for (const std::string& file : kPackageFiles) machine.DeleteFile(file);  // RemoveFiles 3500
    CopyServerFiles(machine, run);  // 4030, 4040: not on a removal
    run.properties = machine.machine().session.properties;
    states.clear();
    return run;
}

std::vector<std::string> InstalledFeatures(const SequenceRun& installation) {
    std::vector<std::string> features;
    const auto found = installation.properties.find("ADDLOCAL");
    if (found == installation.properties.end()) return features;
    std::istringstream list(found->second);
    std::string feature;
    while (std::getline(list, feature, ',')) {
        if (!feature.empty()) features.push_back(feature);
    }
    return features;
}

}  // namespace veltra::e2e
