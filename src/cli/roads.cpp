#include "cli/roads.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace veltra::cli {

namespace {

RoadStep Action(std::string name, std::string data = "") {
    return RoadStep{RoadStep::Kind::Action, std::move(name), std::move(data), {}, false};
}

RoadStep ImmediateRun(std::string name) {
    return RoadStep{RoadStep::Kind::Action, std::move(name), "", {}, true};
}

RoadStep LayFiles(std::vector<std::string> files) {
    return RoadStep{RoadStep::Kind::LayFiles, "InstallFiles", "", std::move(files), false};
}

RoadStep RemoveFiles(std::vector<std::string> files) {
    return RoadStep{RoadStep::Kind::RemoveFiles, "RemoveFiles", "", std::move(files), false};
}

std::vector<Road> MakeRoads() {
    std::vector<Road> roads;
    roads.push_back(Road{
        "install",
        "Interactive first installation of the local logon client: the wizard's checks, the server files, the GINA",
        {{"ADDLOCAL", "LocalAuthClient"}, {"UILevel", "5"}},
        {
            Action("CheckUpgradeState"),
            Action("ValidateFeatures"),
            Action("SetKvconfSourceProp"),
            Action("SetKvconfCopyState"),
            Action("SetKvrootSourceProp"),
            Action("SetKvrootCopyState"),
            Action("ValidateCustomBitmapFile"),
            Action("ConfirmTokaraChallenge"),
            Action("ValidateNumericTextFields"),
            Action("RepositionDataForCopy"),
            Action("SetDeferredKvconfData"),
            Action("SetDeferredKvrootData"),
            Action("SetDeferredPreProcessData"),
            Action("SetDeferredTokaraChallenge"),
            Action("SetDeferredInstallOptions"),
            Action("SetDeferredPostProcessData"),
            Action("SetDeferredRollBackData"),
            Action("PreProcessAgentInstall", "="),
            LayFiles({"[INSTALLDIR]KeshGina.dll",
                      "[INSTALLDIR]VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt",
                      "[INSTALLDIR]VeltraKeshAgentRepository\\LocalClientKEY.txt"}),
            Action("CopyKvconfRec", "="),
            Action("CopyKvrootCrt", "="),
            Action("EnableGina", "[INSTALLDIR]KeshGina.dll;[UILevel]"),
            Action("InstallLocalDAService", "[INSTALLDIR]"),
            Action("ProcessInstallOptions", "="),
            Action("ConfigUsersTokaraChallenge", "=ConfigTokaraChallenge"),
            Action("PostProcessAgentInstall", "="),
        }});
    roads.push_back(Road{
        "remove",
        "Removal of everything: the GINA taken out, the agent's files and keys cleaned up",
        {{"REMOVE", "ALL"}, {"Installed", "1"}, {"UILevel", "5"}},
        {
            Action("ValidateFeatures"),
            Action("SetKvconfSourcePropNoMess"),
            Action("SetKvrootSourcePropNoMess"),
            Action("RepositionDataForCopy"),
            Action("SetDeferredKvconfData"),
            Action("SetDeferredKvrootData"),
            Action("SetDeferredPostProcessData"),
            Action("SetDeferredRollBackData"),
            Action("DisableGina", "[UILevel]"),
            RemoveFiles({"[INSTALLDIR]KeshGina.dll",
                         "[INSTALLDIR]VeltraKeshAgentRepository\\LocalClientKEY.txt",
                         "[INSTALLDIR]VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt"}),
            Action("CopyKvconfRec", "="),
            Action("CopyKvrootCrt", "="),
            Action("PostProcessAgentInstall", "="),
        }});
    roads.push_back(Road{
        "package",
        "Creation of a silent installation package beside the package (PACKAGE_CREATE=1)",
        {{"PACKAGE_CREATE", "1"}, {"ADDLOCAL", "LocalAuthClient"}, {"UILevel", "5"}},
        {
            Action("ValidateFeatures"),
            Action("SetKvconfSourceProp"),
            Action("SetKvconfCopyState"),
            Action("SetKvrootSourceProp"),
            Action("SetKvrootCopyState"),
            Action("CreatePackageFolder"),
            Action("SetDeferredKvconfData"),
            Action("SetDeferredKvrootData"),
            ImmediateRun("CopyKvconfRec"),
            ImmediateRun("CopyKvrootCrt"),
            Action("CopyCustomBitmapFile"),
            Action("CopyServerCertPackage"),
            Action("RecordInstallOptions"),
        }});
    return roads;
}

}  // namespace

const std::vector<Road>& Roads() {
    static const std::vector<Road> roads = MakeRoads();
    return roads;
}

const Road* FindRoad(std::string_view name) {
    for (const Road& road : Roads()) {
        if (road.name == name) return &road;
    }
    return nullptr;
}

namespace {

std::string DeferredData(const RoadStep& step, const std::map<std::string, std::string>& properties) {
    if (step.data.starts_with("=")) {
        const std::string property = step.data.size() > 1 ? step.data.substr(1) : step.name;
        const auto it = properties.find(property);
        return it != properties.end() ? it->second : std::string();
    }
    return FormatTemplate(step.data, properties);
}

void LayFiles(sim::Machine& machine, const RoadStep& step, StepResult& result) {
    int laid = 0;
    for (const std::string& pattern : step.files) {
        const std::string path = FormatTemplate(pattern, machine.session.properties);
        if (!sim::NormalizeWindowsPath(path)) continue;
        if (!sim::DriveFileExists(machine, path)) sim::PutDriveFile(machine, path, "laid down by the package\n");
        ++laid;
    }
    result.note = std::to_string(laid) + " files in place";
}

void RemoveFiles(sim::Machine& machine, const RoadStep& step, StepResult& result) {
    int removed = 0;
    for (const std::string& pattern : step.files) {
        if (sim::RemoveDriveFile(machine, FormatTemplate(pattern, machine.session.properties))) ++removed;
    }
    result.note = std::to_string(removed) + " files removed";
}

}  // namespace

bool RunRoadSteps(const Road& road, sim::Machine& machine, std::vector<StepResult>& steps) {
    for (const auto& [name, value] : road.presets) machine.session.properties[name] = value;
    bool stopped = false;
    for (const RoadStep& step : road.steps) {
        StepResult result{step.name, "", "", std::nullopt};
        if (stopped) {
            result.kind = "-";
            result.note = "not reached";
            steps.push_back(result);
            continue;
        }
        if (step.kind == RoadStep::Kind::SetProperty) {
            result.kind = "property";
            machine.session.properties[step.name] = FormatTemplate(step.data, machine.session.properties);
            steps.push_back(result);
            continue;
        }
        if (step.kind == RoadStep::Kind::LayFiles || step.kind == RoadStep::Kind::RemoveFiles) {
            result.kind = "installer";
            if (step.kind == RoadStep::Kind::LayFiles) {
                LayFiles(machine, step, result);
            } else {
                RemoveFiles(machine, step, result);
            }
            steps.push_back(result);
            continue;
        }
        const runtime::ActionEntry* entry = runtime::FindAction(step.name);
        const bool deferred = entry != nullptr && entry->kind != runtime::ActionKind::Immediate && !step.immediateRun;
        result.kind = entry == nullptr ? "?" : std::string(runtime::KindName(deferred ? entry->kind : runtime::ActionKind::Immediate));
        if (entry == nullptr || entry->function == nullptr) {
            result.note = "not built yet: skipped";
            steps.push_back(result);
            continue;
        }
        if (deferred) {
            const std::string data = DeferredData(step, machine.session.properties);
            machine.session.deferred = true;
            machine.session.properties["CustomActionData"] = data;
        }
        {
            sim::SimPlatform sim(machine);
            result.result = runtime::RunAction(*entry, sim.platform());
        }
        machine.session.deferred = false;
        machine.session.properties.erase("CustomActionData");
        if (*result.result != 0) {
            result.note = deferred ? "failed: the installer rolls back" : "failed: the installer stops";
            stopped = true;
        } else if (machine.unansweredDialog) {
            stopped = true;
        }
        steps.push_back(result);
    }
    return !stopped;
}

std::string FormatTemplate(std::string_view text, const std::map<std::string, std::string>& properties) {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('[', i);
        const std::size_t close = open == std::string_view::npos ? open : text.find(']', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            result += text.substr(i);
            break;
        }
        result += text.substr(i, open - i);
        const auto it = properties.find(std::string(text.substr(open + 1, close - open - 1)));
        if (it != properties.end()) result += it->second;
        i = close + 1;
    }
    return result;
}

}  // namespace veltra::cli
