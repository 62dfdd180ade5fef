// agentca road NAME: a whole installation road on a machine, step by step,
// with one report of everything the road changed.
#include <fstream>
#include <iostream>

#include "cli/commands.h"
#include "cli/roads.h"
#include "cli/run_options.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace veltra::cli {

namespace {

struct RoadCommand {
    std::string road;
    RunOptions options;
};

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
        const auto host = sim::HostPathForCreate(machine, path);
        if (!host) continue;
        std::error_code ec;
        std::filesystem::create_directories(host->parent_path(), ec);
        if (!std::filesystem::exists(*host, ec)) {
            std::ofstream(*host, std::ios::binary) << "laid down by the package\n";
        }
        ++laid;
    }
    result.note = std::to_string(laid) + " files in place";
}

// Runs the steps until one fails; returns whether every step that ran succeeded.
bool RunSteps(const Road& road, sim::Machine& machine, RunReport& report) {
    for (const auto& [name, value] : road.presets) machine.session.properties[name] = value;
    bool stopped = false;
    for (const RoadStep& step : road.steps) {
        StepResult result{step.name, "", "", std::nullopt};
        if (stopped) {
            result.kind = "-";
            result.note = "not reached";
            report.steps.push_back(result);
            continue;
        }
        if (step.kind == RoadStep::Kind::SetProperty) {
            result.kind = "property";
            machine.session.properties[step.name] = FormatTemplate(step.data, machine.session.properties);
            report.steps.push_back(result);
            continue;
        }
        if (step.kind == RoadStep::Kind::LayFiles) {
            result.kind = "installer";
            LayFiles(machine, step, result);
            report.steps.push_back(result);
            continue;
        }
        const runtime::ActionEntry* entry = runtime::FindAction(step.name);
        const bool deferred = entry != nullptr && entry->kind != runtime::ActionKind::Immediate && !step.immediateRun;
        result.kind = entry == nullptr ? "?" : std::string(runtime::KindName(deferred ? entry->kind : runtime::ActionKind::Immediate));
        if (entry == nullptr || entry->function == nullptr) {
            result.note = "not built yet: skipped";
            report.steps.push_back(result);
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
        report.steps.push_back(result);
    }
    return !stopped;
}

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
    const bool succeeded = RunSteps(*road, machine, report);
    const MachineSnapshot after = TakeSnapshot(machine);
    CompareSnapshots(before, after, report);
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
