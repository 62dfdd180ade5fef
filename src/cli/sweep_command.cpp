// agentca sweep ROAD: the road under every single fault of its platform
// calls, one run per call and usual failure code, with a table of the runs
// that break a rule of a failing installation (see sweep.h).
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <iostream>

#include "cli/commands.h"
#include "cli/run_options.h"
#include "cli/sweep.h"

namespace veltra::cli {

namespace {

struct SweepCommand {
    std::string road;
    std::string package;
    RunOptions options;
};

// The run under way, for a crash to name: written before each run, read
// only by the signal handler.
char g_currentRun[1024] = "the reference run";
struct sigaction g_previous[32];

void OnCrash(int signal) {
    static const char kPrefix[] = "agentca sweep: crashed during ";
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, kPrefix, sizeof kPrefix - 1);
    written = ::write(STDERR_FILENO, g_currentRun, std::strlen(g_currentRun));
    written = ::write(STDERR_FILENO, "\n", 1);
    // The handler that was there (the sanitizers' report, or the default
    // action) takes over.
    ::sigaction(signal, &g_previous[signal], nullptr);
    ::raise(signal);
}

void NameTheRun(const SweepFault* fault) {
    const std::string text = fault == nullptr ? "the reference run" : "the run with --fail '" + fault->Text() + "'";
    const std::size_t length = std::min(text.size(), sizeof g_currentRun - 1);
    text.copy(g_currentRun, length);
    g_currentRun[length] = '\0';
}

void WatchForCrashes() {
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        struct sigaction action {};
        action.sa_handler = OnCrash;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, &g_previous[signal]);
    }
}

int RunSweepCommand(const SweepCommand& command) {
    auto prepared = PrepareRoad(command.road, command.package, command.options);
    if (!prepared) return kExitUsage;
    const Road* road = prepared->road;
    const sim::engine::Package& package = *prepared->package;
    std::unique_ptr<LoadedMachine>& loaded = prepared->loaded;
    WatchForCrashes();
    std::filesystem::path folder = std::filesystem::path(command.options.machine).lexically_normal();
    if (folder.filename().empty()) folder = folder.parent_path();  // "DIR/"
    const SweepSummary summary = Sweep(*road, package, loaded->machine(), folder.filename().string(), NameTheRun);
    if (!summary.findings.empty()) {
        std::cout << "Run (--fail)\tRule\tWhat\n";
        for (const SweepFinding& finding : summary.findings) {
            std::cout << (finding.fault.operation.empty() ? "(reference run)" : finding.fault.Text()) << "\t"
                      << finding.violation.rule << "\t" << finding.violation.detail << "\n";
        }
    }
    std::cout << summary.runs << " runs, " << summary.faults << " faults, " << summary.findings.size()
              << " violations (road " << road->name << " returned " << summary.referenceResult << " without a fault)\n";
    return summary.findings.empty() ? kExitSuccess : kExitActionFailed;
}

}  // namespace

void RegisterSweepCommand(CLI::App& app, int& exitStatus) {
    auto command = std::make_shared<SweepCommand>();
    CLI::App* sub = app.add_subcommand(
        "sweep",
        "Run a road once per platform call it makes and per code that call usually fails with, each time with "
        "that one call failing, and list the runs that break a rule: a loop, a result the installer does not "
        "allow, a shared list shortened, a secret shown, a rollback that leaves more than its known traces");
    sub->add_option("road", command->road, "install, remove, package or silent")->required();
    sub->add_option("--package", command->package,
                    "The .msi to run (default: the test package built with this bench)");
    RunOptions& options = command->options;
    sub->add_option("--machine", options.machine, "The starting machine folder (see 'agentca init')")->required();
    sub->add_option("--set", options.sets, "Set an installer property, as on msiexec's command line: NAME=VALUE");
    sub->add_option("--feature", options.features,
                    "Set a feature's installed state for the session's ProductCode: FEATURE=STATE");
    sub->add_option("--answer", options.answers,
                    "Answer the next message box the road expects; a box no answer fits gets its default button");
    sub->add_option("--choose", options.chooses, "Answer the next file-open dialog with a path, or CANCEL");
    sub->callback([command, &exitStatus] { exitStatus = RunSweepCommand(*command); });
}

}  // namespace veltra::cli
