#include "cli/run_options.h"

#include <charconv>
#include <iostream>

#include "cli/commands.h"
#include "platform/sim/faults.h"

namespace veltra::cli {

namespace fs = std::filesystem;

namespace {

// --fail's help: the form, then every operation the simulated machine knows,
// one line per port, each with the codes it usually fails with.
std::string FailHelp() {
    std::string help =
        "Make a platform call fail: OP[:SUBJECT][#N][=CODE], e.g. RegSetValueExA:HKEY_LOCAL_MACHINE\\X\\Name=5.\n"
        "Operations (with the codes each usually fails with):";
    std::string_view port;
    for (const sim::Operation& operation : sim::KnownOperations()) {
        if (operation.port != port) {
            port = operation.port;
            help += "\n  ";
            help += port;
            help += ":";
        }
        help += " ";
        help += operation.name;
        const char* separator = "(";
        for (const sim::Dword code : operation.codes) {
            help += separator + std::to_string(code);
            separator = ",";
        }
        if (!operation.codes.empty()) help += ")";
    }
    return help;
}

std::string UnknownOperation(const std::string& text, const std::string& operation) {
    std::string message = "--fail \"" + text + "\": no operation is called \"" + operation + "\"; nearest:";
    const char* separator = " ";
    for (const std::string_view nearest : sim::NearestOperations(operation)) {
        message += separator;
        message += nearest;
        separator = ", ";
    }
    return message + " (agentca run --help lists them all)";
}

}  // namespace

void AddRunOptions(CLI::App& command, RunOptions& options) {
    command.add_option("--machine", options.machine, "The machine folder (see 'agentca init')")->required();
    command.add_option("--set", options.sets, "Set an installer property before the run: NAME=VALUE (empty VALUE removes it)");
    command.add_option("--feature", options.features,
                       "Set a feature's installed state for the session's ProductCode: FEATURE=STATE (3 installed, 2 absent)");
    command.add_option("--answer", options.answers,
                       "Answer the next message box: OK, CANCEL, ABORT, RETRY, IGNORE, YES, NO, TRYAGAIN, CONTINUE");
    command.add_option("--choose", options.chooses, "Answer the next file-open dialog with a path, or CANCEL");
    command.add_option("--fail", options.fails, FailHelp());
    command.add_flag("--trace", options.trace, "List every platform call with its result");
    command.add_flag("--json", options.json, "Print the report as one JSON object");
    command.add_option("--out", options.out, "Write the machine as it stands after the run to this folder");
}

std::optional<PreparedRoad> PrepareRoad(const std::string& name, const std::string& package, const RunOptions& options) {
    PreparedRoad prepared;
    prepared.road = FindRoad(name);
    if (prepared.road == nullptr) {
        std::cerr << "agentca: there is no road \"" << name << "\"; the roads are:\n";
        for (const Road& known : Roads()) std::cerr << "  " << known.name << "  " << known.description << "\n";
        return std::nullopt;
    }
    std::string error;
    prepared.packagePath = package.empty() ? BenchPackage() : std::filesystem::path(package);
    prepared.package = sim::engine::ReadPackage(prepared.packagePath, error);
    if (prepared.package) prepared.loaded = PrepareMachine(options, error);
    if (!prepared.loaded) {
        std::cerr << "agentca: " << error << "\n";
        return std::nullopt;
    }
    return prepared;
}

std::unique_ptr<LoadedMachine> PrepareMachine(const RunOptions& options, std::string& error) {
    if (!options.out.empty()) {
        std::error_code ec;
        if (fs::exists(options.out, ec) && fs::equivalent(options.out, options.machine, ec)) {
            error = "--out must not be the machine folder itself: the input folder is never changed";
            return nullptr;
        }
    }
    auto loaded = LoadedMachine::Open(options.machine, error);
    if (!loaded) return nullptr;
    sim::Machine& machine = loaded->machine();
    for (const std::string& assignment : options.sets) {
        const auto eq = assignment.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "--set takes NAME=VALUE, not \"" + assignment + "\"";
            return nullptr;
        }
        const std::string name = assignment.substr(0, eq);
        const std::string value = assignment.substr(eq + 1);
        if (value.empty()) {
            machine.session.properties.erase(name);
        } else {
            machine.session.properties[name] = value;
        }
    }
    for (const std::string& assignment : options.features) {
        const auto eq = assignment.find('=');
        int state = 0;
        const std::string number = eq == std::string::npos ? std::string() : assignment.substr(eq + 1);
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), state);
        if (eq == std::string::npos || eq == 0 || ec != std::errc() || end != number.data() + number.size()) {
            error = "--feature takes FEATURE=STATE with a number (3 installed locally, 2 absent), not \"" + assignment + "\"";
            return nullptr;
        }
        const auto product = machine.session.properties.find("ProductCode");
        if (product == machine.session.properties.end()) {
            error = "--feature needs the session property ProductCode (machine.json session.properties)";
            return nullptr;
        }
        machine.session.featureStates[product->second][assignment.substr(0, eq)] = state;
    }
    for (const std::string& answer : options.answers) {
        const auto button = sim::ButtonFromName(answer);
        if (!button) {
            error = "--answer takes OK, CANCEL, ABORT, RETRY, IGNORE, YES, NO, TRYAGAIN or CONTINUE, not \"" + answer + "\"";
            return nullptr;
        }
        machine.messageBoxAnswers.push_back(*button);
    }
    for (const std::string& choice : options.chooses) {
        if (sim::FoldCase(choice) == "CANCEL") {
            machine.fileChoices.emplace_back(std::nullopt);
        } else {
            machine.fileChoices.emplace_back(choice);
        }
    }
    for (const std::string& text : options.fails) {
        std::string problem;
        auto rule = sim::ParseFaultRule(text, &problem);
        if (!rule) {
            error = "--fail \"" + text + "\": " + problem;
            return nullptr;
        }
        if (sim::FindOperation(rule->operation) == nullptr) {
            error = UnknownOperation(text, rule->operation);
            return nullptr;
        }
        machine.faults.Add(std::move(*rule));
    }
    machine.trace.enabled = options.trace;
    return loaded;
}

namespace {

// The machine is not taken apart after a run: the process ends right after it,
// and the system takes the memory back at once, where freeing a large hive key
// by key costs a sizeable part of a run. It stays reachable from here, so a
// leak checker does not count it.
void KeepUntilExit(std::unique_ptr<LoadedMachine> loaded) {
    static std::unique_ptr<LoadedMachine>* kept = new std::unique_ptr<LoadedMachine>();
    *kept = std::move(loaded);
}

int Finish(const RunOptions& options, const LoadedMachine& loaded, const RunReport& report, bool failed) {
    if (options.json) {
        std::cout << RenderJson(report).dump(2) << "\n";
    } else {
        std::cout << RenderText(report);
    }
    if (report.unansweredDialog) {
        std::cerr << "agentca: stopped: " << *report.unansweredDialog
                  << "\n  (script the answer with --answer or --choose, in the order the dialogs come)\n";
        if (!options.out.empty()) std::cerr << "agentca: --out not written: the run did not finish as scripted\n";
        return kExitUnansweredDialog;
    }
    if (!options.out.empty()) {
        std::string error;
        if (!loaded.SaveTo(options.out, error)) {
            std::cerr << "agentca: " << error << "\n";
            return kExitUsage;
        }
    }
    return failed ? kExitActionFailed : kExitSuccess;
}

}  // namespace

int FinishRun(const RunOptions& options, std::unique_ptr<LoadedMachine> loaded, const RunReport& report, bool failed) {
    const int status = Finish(options, *loaded, report, failed);
    KeepUntilExit(std::move(loaded));
    return status;
}

}  // namespace veltra::cli
