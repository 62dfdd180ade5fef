// agentca init DIR and agentca actions.
#include <iomanip>
#include <iostream>

#include "cli/commands.h"
#include "cli/sample_machine.h"
#include "runtime/action_table.h"

namespace veltra::cli {

void RegisterInitCommand(CLI::App& app, int& exitStatus) {
    auto folder = std::make_shared<std::string>();
    auto installed = std::make_shared<bool>(false);
    CLI::App* sub = app.add_subcommand("init", "Write the sample machine folder (a Windows XP workstation)");
    sub->add_option("folder", *folder, "The new machine folder")->required();
    sub->add_flag("--installed", *installed,
                  "The agent's local logon client and offline service are already installed (for repair and removal)");
    sub->callback([folder, installed, &exitStatus] {
        std::string error;
        if (!WriteSampleMachine(*folder, *installed ? SampleKind::Installed : SampleKind::Plain, error)) {
            std::cerr << "agentca: " << error << "\n";
            exitStatus = kExitUsage;
            return;
        }
        std::cout << "Sample machine written to " << *folder << ":\n"
                  << "  registry.reg  the registry (Windows Registry Editor 5.00 format)\n"
                  << "  drives/C/     the files: C:\\WINDOWS, C:\\Package (the package and server files),\n"
                  << "                C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\n"
                  << "  machine.json  environment, installer session, file versions\n"
                  << "Try: agentca road " << (*installed ? "remove" : "install") << " --machine " << *folder << "\n";
        exitStatus = kExitSuccess;
    });
}

void RegisterActionsCommand(CLI::App& app, int& exitStatus) {
    CLI::App* sub = app.add_subcommand("actions", "List the exported actions");
    sub->callback([&exitStatus] {
        std::size_t built = 0;
        for (const runtime::ActionEntry& entry : runtime::ActionTable()) {
            std::cout << std::left << std::setw(36) << entry.name << std::setw(10) << runtime::KindName(entry.kind)
                      << (entry.function != nullptr ? "" : "[not built] ") << entry.description << "\n";
            if (entry.function != nullptr) ++built;
        }
        std::cout << runtime::ActionTable().size() << " actions, " << built << " built\n";
        exitStatus = kExitSuccess;
    });
}

}  // namespace veltra::cli
