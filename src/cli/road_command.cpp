// agentca road NAME: a whole installation road on a machine, step by step,
// with one report of everything the road changed.
#include <iostream>

#include "cli/commands.h"
#include "cli/roads.h"
#include "cli/run_options.h"

namespace veltra::cli {

namespace {

struct RoadCommand {
    std::string road;
    RunOptions options;
};

int RunRoad(const RoadCommand& command) {
    const Road* road = FindRoad(command.road);
    if (road == nullptr) {
        std::cerr << "agentca: there is no road \"" << command.road << "\"; the roads are:\n";
        for (const Road& known : Roads()) std::cerr << "  " << known.name << "  " << known.description << "\n";
        return kExitUsage;
    }
    std::string error;
    auto loaded = PrepareMachine(command.options, error);
    if (!loaded) {
        std::cerr << "agentca: " << error << "\n";
        return kExitUsage;
    }
    sim::Machine& machine = loaded->machine();
    RunReport report;
    report.title = "road " + std::string(road->name) + ": " + std::string(road->description);
    const MachineSnapshot before = TakeSnapshot(machine);
    const bool succeeded = RunRoadSteps(*road, machine, report.steps);
    CompareWithMachine(before, machine, report);
    TakeRecords(machine, report);
    return FinishRun(command.options, *loaded, report, !succeeded);
}

}  // namespace

void RegisterRoadCommand(CLI::App& app, int& exitStatus) {
    auto command = std::make_shared<RoadCommand>();
    CLI::App* sub = app.add_subcommand("road", "Run a whole installation road on a machine and report what it changed");
    sub->add_option("road", command->road, "install, remove or package")->required();
    AddRunOptions(*sub, command->options);
    sub->callback([command, &exitStatus] { exitStatus = RunRoad(*command); });
}

}  // namespace veltra::cli
