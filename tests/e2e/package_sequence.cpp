#include "package_sequence.h"

#include <gtest/gtest.h>

#include "platform/sim/engine/engine.h"
#include "platform/sim/sim_files.h"

namespace veltra::e2e {
namespace {

const sim::engine::Package& TestPackage() {
    static const sim::engine::Package package = [] {
        std::string error;
        auto read = sim::engine::ReadPackage(VELTRA_E2E_PACKAGE, error);
        if (!read) ADD_FAILURE() << error;
        return read.value_or(sim::engine::Package{});
    }();
    return package;
}

}  // namespace

SequenceRun SimulateSequence(sim::Machine& machine, const InstallerFacts& facts,
                             const CommandLine& commandLine) {
    // The installer's folders exist on the machine it runs on.
    sim::MakeDriveFolder(machine, facts.systemFolder);
    sim::MakeDriveFolder(machine, facts.tempFolder);
    sim::engine::EngineOptions options;
    options.commandLine.assign(commandLine.begin(), commandLine.end());
    options.uiLevel = std::stoi(facts.uiLevel);
    options.folders = {{"SystemFolder", facts.systemFolder},
                       {"TempFolder", facts.tempFolder},
                       {"ProgramMenuFolder", kSimProgramMenuFolder},
                       {"SourceDir", facts.sourceDir},
                       {"ProgramFiles64Folder", "C:\\Program Files\\"},
                       {"CommonAppDataFolder", "C:\\ProgramData\\"}};
    options.allOnlyAsWholeValue = true;  // as Wine's installer reads ADDLOCAL and REMOVE
    options.skipActionsNotBuilt = false;
    const std::size_t logged = machine.session.log.size();
    SequenceRun run;
    run.before = machine.registry;
    const sim::engine::InstallOutcome outcome = sim::engine::RunInstallation(TestPackage(), machine, options);
    EXPECT_TRUE(outcome.error.empty()) << outcome.error;
    for (const sim::engine::Step& step : outcome.steps) {
        if (step.kind == "property") {
            run.actions.emplace_back(step.action, platform::kErrorSuccess);
        } else if (step.result && step.kind != "standard") {
            run.actions.emplace_back(step.action, *step.result);
        }
    }
    run.properties = outcome.properties;
    const auto& log = machine.session.log;
    run.log.assign(log.begin() + static_cast<std::ptrdiff_t>(logged), log.end());
    run.after = machine.registry;
    return run;
}

std::string PackageProductCode() {
    const auto found = TestPackage().properties.find("ProductCode");
    return found == TestPackage().properties.end() ? std::string() : found->second;
}

std::optional<int> CustomActionType(const std::string& name) {
    const auto* row = TestPackage().FindCustomAction(name);
    return row ? std::optional<int>(row->type) : std::nullopt;
}

}  // namespace veltra::e2e
