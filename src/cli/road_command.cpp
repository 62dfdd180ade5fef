// agentca road NAME: a whole installation of a package on a machine, run by
// the simulated installer step by step, with one report of everything the
// road changed.
#include <iostream>
#include <map>
#include <utility>

#include "cli/commands.h"
#include "cli/roads.h"
#include "cli/run_options.h"

namespace veltra::cli {

namespace {

struct RoadCommand {
    std::string road;
    std::string package;
    RunOptions options;
};

int RunRoadCommand(const RoadCommand& command) {
    auto prepared = PrepareRoad(command.road, command.package, command.options);
    if (!prepared) return kExitUsage;
    const Road* road = prepared->road;
    const std::filesystem::path& packagePath = prepared->packagePath;
    const sim::engine::Package& package = *prepared->package;
    std::unique_ptr<LoadedMachine> loaded = std::move(prepared->loaded);
    sim::Machine& machine = loaded->machine();
    RunReport report;
    report.title = "road " + std::string(road->name) + ": " + std::string(road->description);
    if (!command.package.empty()) report.title += "\npackage " + packagePath.string();
    MachineSnapshot before = TakeSnapshot(machine);
    const sim::engine::InstallOutcome outcome = RunRoad(*road, package, machine);
    CompareRoadWithMachine(outcome, std::move(before), machine, report);
    TakeRecords(machine, report);
    if (!outcome.error.empty()) std::cerr << "agentca: " << outcome.error << "\n";
    return FinishRun(command.options, std::move(loaded), report, outcome.result != 0);
}

}  // namespace

void RegisterRoadCommand(CLI::App& app, int& exitStatus) {
    auto command = std::make_shared<RoadCommand>();
    CLI::App* sub = app.add_subcommand(
        "road", "Install a package on a machine with the simulated installer and report what it changed");
    sub->add_option("road", command->road, "install, remove, package or silent")->required();
    sub->add_option("--package", command->package,
                    "The .msi to run (default: the test package built with this bench)");
    AddRunOptions(*sub, command->options);
    sub->callback([command, &exitStatus] { exitStatus = RunRoadCommand(*command); });
}

}  // namespace veltra::cli
