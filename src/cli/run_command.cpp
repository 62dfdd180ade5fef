// agentca run ACTION: one action on a machine, with the report of what changed.
#include <iostream>

#include "cli/commands.h"
#include "cli/run_options.h"
#include "platform/sim/engine/engine.h"
#include "runtime/action_table.h"

namespace veltra::cli {

namespace {

struct RunCommand {
    std::string action;
    std::string data;
    bool dataGiven = false;
    bool immediate = false;
    RunOptions options;
};

int Run(const RunCommand& command) {
    const runtime::ActionEntry* entry = runtime::FindAction(command.action);
    if (entry == nullptr) {
        std::cerr << "agentca: there is no action \"" << command.action << "\" (names are case-sensitive; 'agentca actions' lists them)\n";
        return kExitUsage;
    }
    if (entry->function == nullptr) {
        std::cerr << "agentca: " << entry->name << " is exported by the library but not built yet; it would fail with 1603\n";
        return kExitUsage;
    }
    const bool deferred = entry->kind != runtime::ActionKind::Immediate && !command.immediate;
    if (command.dataGiven && !deferred) {
        std::cerr << "agentca: --data is the CustomActionData of a deferred action; " << entry->name
                  << (command.immediate ? " runs immediate here (--immediate)\n" : " is immediate\n");
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
    report.title = std::string(entry->name) + " (" + std::string(runtime::KindName(deferred ? entry->kind : runtime::ActionKind::Immediate)) + ")";
    const MachineSnapshot before = TakeSnapshot(machine);
    // A deferred action sees its data and nothing else of the session.
    report.result = sim::engine::RunLibraryAction(
        *entry, machine, deferred ? std::optional<std::string>(command.data) : std::nullopt);
    CompareWithMachine(before, machine, report);
    TakeRecords(machine, report);
    return FinishRun(command.options, std::move(loaded), report, *report.result != 0);
}

}  // namespace

void RegisterRunCommand(CLI::App& app, int& exitStatus) {
    auto command = std::make_shared<RunCommand>();
    CLI::App* sub = app.add_subcommand("run", "Run one action on a machine and report what it changed");
    sub->add_option("action", command->action, "The exported action name, e.g. EnableGina")->required();
    sub->add_option("--data", command->data, "The CustomActionData of a deferred action")
        ->each([command](const std::string&) { command->dataGiven = true; });
    sub->add_flag("--immediate", command->immediate,
                  "Run a deferred action as an immediate one (package creation runs the copy actions so)");
    AddRunOptions(*sub, command->options);
    sub->callback([command, &exitStatus] { exitStatus = Run(*command); });
}

}  // namespace veltra::cli
