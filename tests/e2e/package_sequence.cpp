#include "package_sequence.h"

#include <sstream>

namespace veltra::e2e {
namespace {

// The files the package lays down with the local client.
const std::vector<std::string> kPackageFiles = {
    kAgentGina,
    kInstallDir + "VeltraKeshAgentRepository\\LocalClientKEY.txt",
    kInstallDir + "VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt",
};

std::string Property(const sim::Machine& machine, const std::string& name) {
    const auto found = machine.session.properties.find(name);
    return found == machine.session.properties.end() ? "" : found->second;
}

// A fresh session: the installer's own properties and those of the command line.
void StartSession(sim::Machine& machine, const InstallerFacts& facts,
                  const std::map<std::string, std::string>& commandLine) {
    machine.session.properties = {
        {"ProductCode", facts.productCode},
        {"SystemFolder", facts.systemFolder},
        {"UILevel", facts.uiLevel},
        {"INSTALLDIR", kInstallDir},
    };
    for (const auto& [name, value] : commandLine) machine.session.properties[name] = value;
}

void Run(SimulatedInstall& machine, SequenceRun& run, const std::string& action) {
    run.actions.emplace_back(action, machine.RunImmediate(action));
}

void RunDeferred(SimulatedInstall& machine, SequenceRun& run, const std::string& action,
                 const std::string& data) {
    // The property assignment (Set<Action>Data) runs first and always succeeds.
    run.actions.emplace_back("Set" + action + "Data", platform::kErrorSuccess);
    run.actions.emplace_back(action, machine.RunDeferred(action, data));
}

}  // namespace

SequenceRun SimulateInstallation(SimulatedInstall& machine, const InstallerFacts& facts,
                                 const std::string& addLocal) {
    SequenceRun run;
    StartSession(machine.machine(), facts, {{"ADDLOCAL", addLocal}});
    Run(machine, run, "ValidateFeatures");           // 990
    for (const std::string& file : kPackageFiles) {  // InstallFiles 4000
        machine.PutFile(file, "test package file\n");
    }
    if (Property(machine.machine(), "MustEnableGina") == "1") {  // 4010, 4020
        RunDeferred(machine, run, "EnableGina", kAgentGina + ";" + facts.uiLevel);
    }
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
    StartSession(machine.machine(), facts, {{"REMOVE", "ALL"}});
    Run(machine, run, "ValidateFeatures");                        // 990
    if (Property(machine.machine(), "MustDisableGina") == "1") {  // 3410, 3420
        RunDeferred(machine, run, "DisableGina", facts.uiLevel);
    }
    for (const std::string& file : kPackageFiles) machine.DeleteFile(file);  // RemoveFiles 3500
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
