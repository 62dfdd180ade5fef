#include "cli/roads.h"

#include <map>

namespace veltra::cli {

namespace {

RoadStep Action(std::string name, std::string data = "") {
    return RoadStep{RoadStep::Kind::Action, std::move(name), std::move(data), {}, false};
}

RoadStep ImmediateRun(std::string name) {
    return RoadStep{RoadStep::Kind::Action, std::move(name), "", {}, true};
}

RoadStep Set(std::string name, std::string value) {
    return RoadStep{RoadStep::Kind::SetProperty, std::move(name), std::move(value), {}, false};
}

RoadStep LayFiles(std::vector<std::string> files) {
    return RoadStep{RoadStep::Kind::LayFiles, "InstallFiles", "", std::move(files), false};
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
            Action("SetDeferredPostProcessData"),
            Action("DisableGina", "[UILevel]"),
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
    (void)Set;
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
