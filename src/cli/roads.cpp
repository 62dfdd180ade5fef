#include "cli/roads.h"

namespace veltra::cli {

const std::vector<Road>& Roads() {
    static const std::vector<Road> roads = {
        {"install", "Interactive first installation of the local logon client (ADDLOCAL=LocalAuthClient, full UI)",
         {{"ADDLOCAL", "LocalAuthClient"}}, 5},
        {"remove", "Removal of everything (msiexec /x: REMOVE=ALL, full UI)", {{"REMOVE", "ALL"}}, 5},
        {"package", "Creation of a silent installation package for the local logon client (PACKAGE_CREATE=1, _LAC=1)",
         {{"PACKAGE_CREATE", "1"}, {"ADDLOCAL", "LocalAuthClient"}, {"_LAC", "1"}}, 5},
        {"silent", "Silent installation (msiexec /qn, ADDLOCAL=LocalAuthClient)", {{"ADDLOCAL", "LocalAuthClient"}}, 2},
    };
    return roads;
}

const Road* FindRoad(std::string_view name) {
    for (const Road& road : Roads()) {
        if (road.name == name) return &road;
    }
    return nullptr;
}

std::filesystem::path BenchPackage() { return VELTRA_BENCH_PACKAGE; }

sim::engine::InstallOutcome RunRoad(const Road& road, const sim::engine::Package& package, sim::Machine& machine) {
    sim::engine::EngineOptions options;
    options.commandLine = road.commandLine;
    options.uiLevel = road.uiLevel;
    return sim::engine::RunInstallation(package, machine, options);
}

}  // namespace veltra::cli
