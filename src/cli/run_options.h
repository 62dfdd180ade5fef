// What `run`, `road` and `sweep` share: the machine, the scripted
// administrator, the injected faults and how the report is printed.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/machine_folder.h"
#include "cli/report.h"
#include "cli/roads.h"

namespace veltra::cli {

struct RunOptions {
    std::string machine;
    std::vector<std::string> sets;     // NAME=VALUE
    std::vector<std::string> features; // FEATURE=STATE, for the session's ProductCode
    std::vector<std::string> answers;  // OK, CANCEL, ...
    std::vector<std::string> chooses;  // a path, or CANCEL
    std::vector<std::string> fails;    // OP[:SUBJECT][#N][=CODE]
    bool trace = false;
    bool json = false;
    std::string out;
};

void AddRunOptions(CLI::App& command, RunOptions& options);

// Opens the machine and applies --set, --answer, --choose, --fail and
// --trace; nullptr with a message (exit status 2) on any problem.
std::unique_ptr<LoadedMachine> PrepareMachine(const RunOptions& options, std::string& error);

// A road by name, its package (the given file, or the bench's own) and the
// prepared machine; nullopt after a message on standard error (exit status 2).
struct PreparedRoad {
    const Road* road = nullptr;
    std::filesystem::path packagePath;
    std::optional<sim::engine::Package> package;
    std::unique_ptr<LoadedMachine> loaded;
};
std::optional<PreparedRoad> PrepareRoad(const std::string& name, const std::string& package, const RunOptions& options);

// Prints the report, writes --out, and gives the exit status. The machine is
// kept until the process ends.
int FinishRun(const RunOptions& options, std::unique_ptr<LoadedMachine> loaded, const RunReport& report, bool failed);

}  // namespace veltra::cli
