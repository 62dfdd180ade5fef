// agentca: the test bench of the custom-action library. It runs one action or
// a whole installation road against a simulated Windows machine and reports
// what changed.
#include <malloc.h>

#include <iostream>

#include "cli/commands.h"
#include "cli/settings_command.h"

int main(int argc, char** argv) {
    // A run is short and builds and drops whole registry trees: keep freed
    // memory in the process for the next tree instead of handing it back
    // to the system and taking fresh pages (each a page fault) again.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    CLI::App app{"agentca: runs the Veltra Authentication Agent's custom actions on a simulated Windows machine"};
    app.require_subcommand(1);
    int exitStatus = veltra::cli::kExitSuccess;
    veltra::cli::RegisterInitCommand(app, exitStatus);
    veltra::cli::RegisterActionsCommand(app, exitStatus);
    veltra::cli::RegisterRunCommand(app, exitStatus);
    veltra::cli::RegisterRoadCommand(app, exitStatus);
    veltra::cli::RegisterSweepCommand(app, exitStatus);
    veltra::cli::RegisterSettingsCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return veltra::cli::kExitUsage;
    }
    return exitStatus;
}
